#include "shell/dpi.h"

#include <gtest/gtest.h>

using namespace corvanta;

TEST(Dpi, LengthsRoundAsMulDivAndLinesStayVisible) {
    const struct {
        int length, dpi, device;
    } cases[] = {{1320, 144, 1980}, {-13, 144, -20}, {-11, 120, -14}, {1, 144, 2},
                 {3, 120, 4},       {218, 120, 273}, {0, 192, 0},     {7, 96, 7}};
    for (const auto& c : cases) {
        EXPECT_EQ(toDevice(c.length, c.dpi), c.device) << c.length << "@" << c.dpi;
    }
    EXPECT_EQ(fromDevice(1321, 144), 881);
    EXPECT_EQ(fromDevice(1322, 144), 881);
    EXPECT_EQ(AreaScale(120, 500, 500).length(1), 1);
    EXPECT_EQ(AreaScale(144, 500, 500).length(1), 2);
}

// A rectangle reaching the area's far edge ends on its last pixel, whatever the rounding; at 96
// DPI every point stays where it is.
TEST(Dpi, TheAreasFarEdgesMapOntoItsPixelEdges) {
    for (const int dpi : {120, 144, 168, 192}) {
        for (int device = 600; device < 700; ++device) {
            const AreaScale s(dpi, device, device + 1);
            EXPECT_EQ(s.x(s.width()), device) << dpi;
            EXPECT_EQ(s.y(s.height()), device + 1) << dpi;
            EXPECT_LT(s.x(s.width() - 1), device) << dpi;
        }
    }
    const AreaScale one(96, 1304, 781);
    for (int v : {-5, 0, 17, 1303, 1304, 2000}) {
        EXPECT_EQ(one.x(v), v);
        EXPECT_EQ(one.y(v), v);
    }
}
