#include "shell/dpi.h"

#include <cstdint>

namespace corvanta {
namespace {

int mulDiv(int value, int numerator, int denominator) {
    if (denominator <= 0) {
        return value;
    }
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    const std::int64_t half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}

} // namespace

int toDevice(int length, int dpi) {
    return mulDiv(length, dpi, kBaseDpi);
}

int fromDevice(int pixels, int dpi) {
    return mulDiv(pixels, kBaseDpi, dpi);
}

AreaScale::AreaScale(int dpi, int deviceWidth, int deviceHeight)
    : dpi_(dpi > 0 ? dpi : kBaseDpi), width_(fromDevice(deviceWidth, dpi_)),
      height_(fromDevice(deviceHeight, dpi_)), deviceWidth_(deviceWidth),
      deviceHeight_(deviceHeight) {}

int AreaScale::length(int v) const {
    const int scaled = toDevice(v, dpi_);
    return v > 0 && scaled < 1 ? 1 : scaled;
}

} // namespace corvanta
