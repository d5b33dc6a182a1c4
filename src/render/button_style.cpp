#include "render/button_style.h"

#include "shell/ids.h"

#include <cstdint>

namespace corvanta {

bool isNavId(int id) { return id >= ID_NAV_ORBITAL && id <= ID_NAV_TREVACAST; }

int navIdForScreen(Screen screen) {
    static constexpr int kIds[] = {ID_NAV_ORBITAL, ID_NAV_SPEECH,   ID_NAV_LIVE,   ID_NAV_TREVACAST,
                                   ID_NAV_DM,      ID_NAV_STUDIO,   ID_NAV_PROFILE, ID_NAV_WALLET,
                                   ID_NAV_ASSETS,  ID_NAV_SETTINGS};
    const auto index = static_cast<std::uint32_t>(screen);
    return index < std::size(kIds) ? kIds[index] : 0;
}

bool isChosenStart(int id, Screen startScreen) {
    return (id == ID_BTN_START_COMMUNITY && startScreen == Screen::Community) ||
           (id == ID_BTN_START_TREVACAST && startScreen == Screen::Trevacast);
}

bool isSelectedButton(int id, Screen screen, Screen startScreen) {
    return (isNavId(id) && navIdForScreen(screen) == id) || isChosenStart(id, startScreen);
}

ButtonStyle buttonStyle(int id, Screen screen, Screen startScreen, bool pressed) {
    const bool rail = isNavId(id);
    const bool active = rail && navIdForScreen(screen) == id;
    ButtonStyle s{surface(), border(), fg(), rail ? 9 : 8, rail ? 12 : 0, !rail, active};

    if (rail && active) {
        s.fill = rgb(0xE6, 0xF1, 0xFF), s.outline = rgb(0xB4, 0xD5, 0xFF), s.text = accent();
    } else if (rail) {
        s.fill = appBg(), s.outline = appBg(), s.text = muted();
    }
    if (id == ID_BTN_LOGIN || id == ID_BTN_REFRESH || id == ID_BTN_COMMUNITY_LOAD) {
        s.fill = accent(), s.outline = accent(), s.text = rgb(0xFF, 0xFF, 0xFF);
    }
    if (id == ID_BTN_START_COMMUNITY || id == ID_BTN_START_TREVACAST) {
        if (isChosenStart(id, startScreen)) {
            s.fill = rgb(0xE6, 0xF1, 0xFF), s.outline = accent(), s.text = accent();
        } else {
            s.fill = rgb(0xFF, 0xFF, 0xFF), s.outline = border(), s.text = fg();
        }
    }
    if (id == ID_NAV_LIVE || id == ID_NAV_TREVACAST || id == ID_BTN_LIVEKIT) {
        s.fill = active ? rgb(0xFF, 0xE8, 0xEE) : surface();
        s.outline = liveRed(), s.text = liveRed();
    }
    if (id == ID_BTN_TREVACAST) {
        s.fill = mediaPanel(), s.outline = accent2(), s.text = rgb(0xC8, 0xF6, 0xFF);
    }
    if (id == ID_BTN_LOGOUT) {
        s.fill = rgb(0xFF, 0xEF, 0xF3), s.outline = rgb(0xFF, 0xBE, 0xCC), s.text = liveRed();
    }
    if (pressed) {
        s.fill = rail ? surface3() : rgb(0xE1, 0xEC, 0xFA);
    }
    return s;
}

} // namespace corvanta
