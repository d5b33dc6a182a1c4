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

ButtonStyle buttonStyle(int id, Screen screen, Screen startScreen, bool pressed,
                        const Theme& theme, bool unavailable) {
    const bool rail = isNavId(id);
    const bool open = rail && navIdForScreen(screen) == id;
    ButtonRoles roles = rail ? (open ? role::railOpen : role::rail) : role::action;
    if (id == ID_BTN_LOGIN || id == ID_BTN_REFRESH || id == ID_BTN_COMMUNITY_LOAD) {
        roles = role::primary;
    }
    if (id == ID_BTN_START_COMMUNITY || id == ID_BTN_START_TREVACAST) {
        roles = isChosenStart(id, startScreen) ? role::startChosen : role::start;
    }
    if (id == ID_NAV_LIVE || id == ID_NAV_TREVACAST || id == ID_BTN_LIVEKIT) {
        roles = open ? role::liveOpen : role::live;
    }
    if (id == ID_BTN_TREVACAST) {
        roles = role::studioWindow;
    }
    if (id == ID_BTN_LOGOUT) {
        roles = role::logout;
    }
    if (pressed) {
        roles.fill = rail ? role::railPressed : role::buttonPressed;
        roles.text.contrast = SystemColor::HighlightText; // on the pressed fill
    }
    if (unavailable) {
        roles.text.contrast = SystemColor::GrayText;
    }
    return ButtonStyle{pick(roles.fill, theme),
                       pick(roles.outline, theme),
                       pick(roles.text, theme),
                       rail ? 9 : 8,
                       rail ? 12 : 0,
                       !rail,
                       open,
                       open ? pick(role::railOpenBar, theme) : 0};
}

} // namespace corvanta
