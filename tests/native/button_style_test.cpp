#include "render/button_style.h"
#include "shell/ids.h"

#include <gtest/gtest.h>

#include <vector>

using namespace corvanta;

namespace {
constexpr Color kActiveFill = rgb(0xE6, 0xF1, 0xFF);
constexpr Color kActiveOutline = rgb(0xB4, 0xD5, 0xFF);
constexpr Color kWhite = rgb(0xFF, 0xFF, 0xFF);

ButtonStyle style(int id, Screen s = Screen::Community, Screen start = Screen::Community,
                  bool pressed = false) {
    return buttonStyle(id, s, start, pressed);
}
} // namespace

TEST(ButtonStyle, RailActiveAndInactive) {
    const auto active = style(ID_NAV_SPEECH);
    EXPECT_EQ(active.fill, kActiveFill);
    EXPECT_EQ(active.outline, kActiveOutline);
    EXPECT_EQ(active.text, accent());
    EXPECT_EQ(active.corner, 9);
    EXPECT_EQ(active.captionInset, 12);
    EXPECT_FALSE(active.centred);
    EXPECT_TRUE(active.accentBar);
    for (int id : {ID_NAV_ORBITAL, ID_NAV_WALLET, ID_NAV_PROFILE, ID_NAV_STUDIO, ID_NAV_ASSETS,
                   ID_NAV_SETTINGS, ID_NAV_DM}) {
        const auto s = style(id);
        EXPECT_EQ(s.fill, appBg());
        EXPECT_EQ(s.outline, appBg());
        EXPECT_EQ(s.text, muted());
        EXPECT_FALSE(s.accentBar);
    }
}

TEST(ButtonStyle, EveryScreenMarksExactlyItsRailButton) {
    const std::pair<Screen, int> map[] = {
        {Screen::Orbital, 1001}, {Screen::Community, 1002}, {Screen::Live, 1003},
        {Screen::Trevacast, 1010}, {Screen::DirectMessages, 1009}, {Screen::Studio, 1006},
        {Screen::Profile, 1005}, {Screen::Wallet, 1004}, {Screen::Assets, 1007},
        {Screen::Settings, 1008}};
    for (const auto& [screen, navId] : map) {
        for (int id = 1001; id <= 1010; ++id) {
            EXPECT_EQ(style(id, screen).accentBar, id == navId) << id;
        }
    }
    for (int id = 1001; id <= 1010; ++id) {
        EXPECT_FALSE(style(id, static_cast<Screen>(10)).accentBar);
        EXPECT_FALSE(style(id, static_cast<Screen>(-1)).accentBar);
    }
    EXPECT_FALSE(isNavId(1000));
    EXPECT_FALSE(isNavId(1011));
    EXPECT_FALSE(isNavId(2001));
}

TEST(ButtonStyle, LiveButtonsOnAndOffTheirScreen) {
    auto s = style(ID_NAV_LIVE, Screen::Live);
    EXPECT_EQ(s.fill, rgb(0xFF, 0xE8, 0xEE));
    EXPECT_EQ(s.outline, liveRed());
    EXPECT_EQ(s.text, liveRed());
    EXPECT_TRUE(s.accentBar);
    s = style(ID_NAV_LIVE, Screen::Wallet);
    EXPECT_EQ(s.fill, surface());
    EXPECT_EQ(s.outline, liveRed());
    EXPECT_FALSE(s.accentBar);
    s = style(ID_NAV_TREVACAST, Screen::Trevacast);
    EXPECT_EQ(s.fill, rgb(0xFF, 0xE8, 0xEE));
    EXPECT_TRUE(s.accentBar);
    EXPECT_EQ(style(ID_NAV_TREVACAST, Screen::Live).fill, surface());
    // The LiveKit button is never active and is centred.
    for (Screen sc : {Screen::Trevacast, Screen::Live, Screen::Community}) {
        s = style(ID_BTN_LIVEKIT, sc);
        EXPECT_EQ(s.fill, surface());
        EXPECT_EQ(s.outline, liveRed());
        EXPECT_EQ(s.text, liveRed());
        EXPECT_TRUE(s.centred);
        EXPECT_FALSE(s.accentBar);
        EXPECT_EQ(s.corner, 8);
    }
}

TEST(ButtonStyle, StartChoiceSwapsWithTheStartScreen) {
    auto chosen = style(ID_BTN_START_COMMUNITY, Screen::Community, Screen::Community);
    auto plain = style(ID_BTN_START_TREVACAST, Screen::Community, Screen::Community);
    EXPECT_EQ(chosen.fill, kActiveFill);
    EXPECT_EQ(chosen.outline, accent());
    EXPECT_EQ(chosen.text, accent());
    EXPECT_EQ(plain.fill, kWhite);
    EXPECT_EQ(plain.outline, border());
    EXPECT_EQ(plain.text, fg());
    chosen = style(ID_BTN_START_TREVACAST, Screen::Community, Screen::Trevacast);
    plain = style(ID_BTN_START_COMMUNITY, Screen::Community, Screen::Trevacast);
    EXPECT_EQ(chosen.fill, kActiveFill);
    EXPECT_EQ(plain.fill, kWhite);
}

TEST(ButtonStyle, RolesAndPressedState) {
    for (int id : {ID_BTN_LOGIN, ID_BTN_REFRESH, ID_BTN_COMMUNITY_LOAD}) {
        const auto s = style(id);
        EXPECT_EQ(s.fill, accent());
        EXPECT_EQ(s.outline, accent());
        EXPECT_EQ(s.text, kWhite);
    }
    auto s = style(ID_BTN_LOGIN, Screen::Community, Screen::Community, true);
    EXPECT_EQ(s.fill, rgb(0xE1, 0xEC, 0xFA));
    EXPECT_EQ(s.outline, accent());
    EXPECT_EQ(s.text, kWhite);
    s = style(ID_NAV_SPEECH, Screen::Community, Screen::Community, true);
    EXPECT_EQ(s.fill, surface3());
    EXPECT_EQ(s.outline, kActiveOutline);
    EXPECT_EQ(s.text, accent());
    EXPECT_TRUE(s.accentBar);
    s = style(ID_BTN_TREVACAST);
    EXPECT_EQ(s.fill, mediaPanel());
    EXPECT_EQ(s.outline, accent2());
    EXPECT_EQ(s.text, rgb(0xC8, 0xF6, 0xFF));
    s = style(ID_BTN_LOGOUT);
    EXPECT_EQ(s.fill, rgb(0xFF, 0xEF, 0xF3));
    EXPECT_EQ(s.outline, rgb(0xFF, 0xBE, 0xCC));
    EXPECT_EQ(s.text, liveRed());
    for (int id : {ID_BTN_COMMUNITY_TITLE, ID_BTN_COMMUNITY_CLAN_CREATE, ID_BTN_COMMUNITY_CLAN_JOIN}) {
        s = style(id);
        EXPECT_EQ(s.fill, surface());
        EXPECT_EQ(s.outline, border());
        EXPECT_EQ(s.text, fg());
        EXPECT_TRUE(s.centred);
    }
}

// A screen reader hears as pressed exactly the buttons the painting shows as selected: one rail
// button for the open screen, one start button for the chosen start.
TEST(ButtonStyle, SelectedForScreenReadersIsWhatIsPaintedSelected) {
    std::vector<int> ids = {ID_OUTPUT};
    for (int id = 1001; id <= 1010; ++id) {
        ids.push_back(id);
    }
    for (int id = 2001; id <= 2018; ++id) {
        ids.push_back(id);
    }
    for (int s = 0; s < 10; ++s) {
        const Screen screen = static_cast<Screen>(s);
        for (Screen start : {Screen::Community, Screen::Trevacast, Screen::Wallet}) {
            int selected = 0;
            for (int id : ids) {
                const ButtonStyle look = style(id, screen, start);
                const bool painted = isNavId(id) ? look.accentBar : look.fill == kActiveFill;
                EXPECT_EQ(isSelectedButton(id, screen, start), painted) << id << " on " << s;
                selected += isSelectedButton(id, screen, start) ? 1 : 0;
            }
            EXPECT_EQ(selected, start == Screen::Wallet ? 1 : 2) << s;
        }
    }
}

// In a contrast theme every button takes the theme's colours in their pairs: what is painted as
// selected (or pressed) is Highlight with HighlightText on it, every other button ButtonFace with
// ButtonText, and only a button that cannot be used has GrayText. Outside one nothing changes.
TEST(ButtonStyle, ContrastThemeGivesEveryButtonTheThemesPairs) {
    enum : Color { kWindow = 1, kWindowText, kHighlight, kHighlightText, kFace, kFaceText, kGray };
    const Theme contrast{true, {kWindow, kWindowText, kHighlight, kHighlightText, kFace, kFaceText,
                                kGray}};
    std::vector<int> ids;
    for (int id = 1001; id <= 1010; ++id) {
        ids.push_back(id);
    }
    for (int id : {2003, 2004, 2006, 2011, 2012, 2013, 2014, 2015, 2016, 2017, 2018}) {
        ids.push_back(id);
    }
    for (int s = 0; s < 10; ++s) {
        const Screen screen = static_cast<Screen>(s);
        for (Screen start : {Screen::Community, Screen::Trevacast}) {
            for (int id : ids) {
                const bool selected = isSelectedButton(id, screen, start);
                for (int state = 0; state < 4; ++state) {
                    const bool pressed = (state & 1) != 0, unavailable = (state & 2) != 0;
                    const ButtonStyle look =
                        buttonStyle(id, screen, start, pressed, contrast, unavailable);
                    const bool lit = selected || pressed;
                    EXPECT_EQ(look.fill, lit ? kHighlight : kFace) << id << " on " << s;
                    EXPECT_EQ(look.outline, selected ? kHighlight : kFaceText) << id << " on " << s;
                    EXPECT_EQ(look.text, unavailable ? kGray : lit ? kHighlightText : kFaceText)
                        << id << " on " << s;
                    if (look.accentBar) {
                        EXPECT_EQ(look.bar, kHighlightText);
                    }
                    const ButtonStyle own = buttonStyle(id, screen, start, pressed, Theme{}, unavailable);
                    const ButtonStyle plain = style(id, screen, start, pressed);
                    EXPECT_EQ(own.fill, plain.fill);
                    EXPECT_EQ(own.outline, plain.outline);
                    EXPECT_EQ(own.text, plain.text);
                }
            }
        }
    }
}
