// The layout geometry for any client size 0..65535, sign-in state, screen and logo frame: no
// overflow or other undefined behaviour, every control laid out once with the visibility the
// shell promises, the login card and its pulsing logo where they belong.
// Input: width and height (16-bit little endian each), flags (bit 0: login form), screen, logo
// frame (32-bit little endian); missing bytes count as 0.
#include "property.h"
#include "shell/geometry.h"
#include "shell/ids.h"

#include <algorithm>
#include <map>

namespace {

using namespace corvanta;

std::uint32_t littleEndian(const std::uint8_t* data, std::size_t size, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        const std::size_t k = at + static_cast<std::size_t>(i);
        value = (value << 8) | (k < size ? data[k] : 0u);
    }
    return value;
}

bool shownOnLogin(int id) {
    return id == ID_EDIT_USER || id == ID_EDIT_PASS || id == ID_BTN_LOGIN ||
           id == ID_BTN_START_COMMUNITY || id == ID_BTN_START_TREVACAST;
}

bool shownOnWorkspace(int id, Screen screen, int width) {
    const bool studio = screen == Screen::Trevacast;
    if (id == ID_EDIT_ROOM || id == ID_BTN_LIVEKIT || id == ID_BTN_TREVACAST) {
        return studio;
    }
    if (id == ID_OUTPUT) {
        return !studio && width >= kMinWindowWidth;
    }
    return !shownOnLogin(id);
}

void checkLayout(int w, int h, bool login, Screen screen) {
    using cvfuzz::require;
    std::map<int, int> seen;
    for (const ControlLayout& c : computeLayout(w, h, login, screen)) {
        ++seen[c.id];
        const bool expected = login ? shownOnLogin(c.id) : shownOnWorkspace(c.id, screen, w);
        require(c.visible == expected, "each control shown exactly where the shell shows it");
        require(!c.visible || c.placed, "a shown control is placed");
        require(!c.placed || (c.at.width > 0 && c.at.height > 0), "placements have an area");
    }
    require(seen.size() == 29, "all 29 controls are laid out");
    for (const auto& [id, count] : seen) {
        require(count == 1 &&
                    ((id >= ID_NAV_ORBITAL && id <= ID_NAV_TREVACAST) ||
                     (id >= ID_EDIT_USER && id <= ID_BTN_START_TREVACAST) || id == ID_OUTPUT),
                "each control once");
    }
}

void checkLoginCard(int w, int h, int logoFrame) {
    using cvfuzz::require;
    const Rect card = loginCardRect(w, h);
    require(card.width() >= 420 && card.width() <= 540 && card.height() == 456, "card size");
    require(card.top >= 38, "the card never starts above y 38");
    require(std::abs(2 * card.left + card.width() - w) <= 1, "the card is centred");
    const LogoPulse logo = logoPulse(logoFrame, card);
    require(logo.phase >= 0 && logo.phase < 28 && logo.p >= 0 && logo.p <= 14, "pulse range");
    require(logo.x >= card.left && logo.x + logo.side <= card.right, "the logo stays on the card");
    require(((logo.core >> 8) & 0xFF) == 119u + 3u * static_cast<unsigned>(logo.p),
            "the core colour follows the pulse without overflowing");
}

void checkStudio(int w, int h) {
    using cvfuzz::require;
    const int left = kWorkspaceRailWidth + kChannelSidebarWidth;
    const StudioTabGeometry g = studioTabGeometry(left, w, h);
    require(g.colW >= 178 && g.colW <= 236, "the scene column is 178..236 wide");
    require(g.showChat == (g.chatW > 0), "chat width only with chat");
    if (w >= kMinWindowWidth && h >= kMinWindowHeight) {
        require(g.program.left > g.leftColumn.right && g.program.width() > 0 &&
                    g.program.height() > 0,
                "from the minimum window size on the program preview has an area");
        require(!g.showChat || g.program.right < g.chatColumn.left, "chat right of the program");
    }
    (void)studioWindowPanels(w, h);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int w = static_cast<int>(littleEndian(data, size, 0, 2));
    const int h = static_cast<int>(littleEndian(data, size, 2, 2));
    const bool login = (littleEndian(data, size, 4, 1) & 1u) != 0;
    const auto screen = static_cast<Screen>(littleEndian(data, size, 5, 1) % 10);
    const auto logoFrame = static_cast<int>(littleEndian(data, size, 6, 4));
    checkLayout(w, h, login, screen);
    checkLoginCard(w, h, logoFrame);
    checkStudio(w, h);
    return 0;
}
