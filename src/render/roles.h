// Every colour the program paints, by what it is for: the colour of the program's own look, and
// the system colour that stands in for it while a contrast theme is on. Painters ask for roles,
// never for colours. Pure code.
#pragma once
#include "render/palette.h"

#include <array>
#include <cstddef>

namespace corvanta {

// The colours of a contrast theme that the program paints with, by meaning.
enum class SystemColor : unsigned char {
    Window,        // backgrounds and surfaces
    WindowText,    // text, secondary text, outlines
    Highlight,     // what is selected, and the open workspace's rail button
    HighlightText, // text on Highlight
    ButtonFace,
    ButtonText, // text and outline of a button
    GrayText,   // what cannot be used right now, nothing else
};
inline constexpr std::size_t kSystemColorCount = 7;

struct Theme {
    bool contrast = false;
    std::array<Color, kSystemColorCount> system{}; // by SystemColor; used while contrast is on
    bool animations = true; // "Show animations in Windows": off keeps the logo still
};

struct Role {
    Color own;            // the program's own look
    SystemColor contrast; // in a contrast theme
};

constexpr Color pick(Role role, const Theme& theme) {
    return theme.contrast ? theme.system[static_cast<std::size_t>(role.contrast)] : role.own;
}

// A painted button: fill, outline and caption together, so a contrast theme keeps them in pairs.
struct ButtonRoles {
    Role fill, outline, text;
};

namespace role {
using enum SystemColor;

// Workspace.
inline constexpr Role background{appBg(), Window};   // the window and the rail
inline constexpr Role sidePanel{surface2(), Window}; // channel sidebar, right panel, channel rows
inline constexpr Role panel{surface(), Window};      // content column and the rounded panels
inline constexpr Role outline{border(), WindowText}; // separators and panel outlines
inline constexpr Role text{fg(), WindowText};
inline constexpr Role secondaryText{muted(), WindowText};
inline constexpr Role accentText{accent(), WindowText}; // the send arrow, credits, login notes
inline constexpr Role selectedRow{surface3(), Highlight};
inline constexpr Role selectedRowOutline{rgb(0xC4, 0xDA, 0xF7), Highlight};
inline constexpr Role selectedRowText{fg(), HighlightText};
inline constexpr Role messageField{surface3(), Window};
inline constexpr Role banner{rgb(0x0C, 0x1E, 0x3C), Window};
inline constexpr Role bannerOutline{rgb(0x24, 0x74, 0xDC), WindowText};
inline constexpr Role bannerTitle{rgb(0xFF, 0xFF, 0xFF), WindowText};
inline constexpr Role bannerText{rgb(0xCD, 0xE6, 0xFF), WindowText};

// Decorative marks (logos, avatars, status dots, meters). In a contrast theme a mark is an
// outline, or plain text colour: what it tells stands in text beside it.
inline constexpr Role markAccent{accent(), Window};
inline constexpr Role markAccent2{accent2(), Window};
inline constexpr Role markAssistant{rgb(0x6C, 0x63, 0xFF), Window};
inline constexpr Role markOnline{successGreen(), Window};
inline constexpr Role markLive{liveRed(), Window};
inline constexpr Role ringOnPanel{surface(), WindowText};
inline constexpr Role ringOnSidePanel{surface2(), WindowText};
inline constexpr Role ringAccent2{accent2(), WindowText};
inline constexpr Role ringWhite{rgb(0xFF, 0xFF, 0xFF), WindowText};

// Login screen.
inline constexpr Role backdrop{rgb(0x04, 0x09, 0x14), Window};
inline constexpr Role topBand{rgb(0x06, 0x14, 0x2C), Window};
inline constexpr Role card{rgb(0xF8, 0xFB, 0xFF), Window};
inline constexpr Role cardOutline{rgb(0x91, 0xC3, 0xFF), WindowText};
inline constexpr Role halo{rgb(0x0A, 0x2E, 0x5B), Window};
inline constexpr Role haloRing{rgb(0x14, 0xA7, 0xFF), WindowText};
// The core's own colour moves with the pulse; the pulse itself stays in its size.
constexpr Role logoCore(Color pulse) {
    return Role{pulse, Window};
}
inline constexpr Role logoCoreRing{rgb(0x2A, 0xE6, 0xF1), WindowText};
inline constexpr Role monogram{rgb(0xFF, 0xFF, 0xFF), WindowText};

// Text fields and the output box.
inline constexpr Role field{surface(), Window};
inline constexpr Role fieldText{fg(), WindowText};

// Buttons.
inline constexpr ButtonRoles action{
    {surface(), ButtonFace}, {border(), ButtonText}, {fg(), ButtonText}};
inline constexpr ButtonRoles primary{
    {accent(), ButtonFace}, {accent(), ButtonText}, {rgb(0xFF, 0xFF, 0xFF), ButtonText}};
inline constexpr ButtonRoles rail{
    {appBg(), ButtonFace}, {appBg(), ButtonText}, {muted(), ButtonText}};
inline constexpr ButtonRoles railOpen{{rgb(0xE6, 0xF1, 0xFF), Highlight},
                                      {rgb(0xB4, 0xD5, 0xFF), Highlight},
                                      {accent(), HighlightText}};
inline constexpr Role railOpenBar{accent(), HighlightText};
inline constexpr ButtonRoles start{
    {rgb(0xFF, 0xFF, 0xFF), ButtonFace}, {border(), ButtonText}, {fg(), ButtonText}};
inline constexpr ButtonRoles startChosen{
    {rgb(0xE6, 0xF1, 0xFF), Highlight}, {accent(), Highlight}, {accent(), HighlightText}};
inline constexpr ButtonRoles live{
    {surface(), ButtonFace}, {liveRed(), ButtonText}, {liveRed(), ButtonText}};
inline constexpr ButtonRoles liveOpen{
    {rgb(0xFF, 0xE8, 0xEE), Highlight}, {liveRed(), Highlight}, {liveRed(), HighlightText}};
inline constexpr ButtonRoles studioWindow{
    {mediaPanel(), ButtonFace}, {accent2(), ButtonText}, {rgb(0xC8, 0xF6, 0xFF), ButtonText}};
inline constexpr ButtonRoles logout{{rgb(0xFF, 0xEF, 0xF3), ButtonFace},
                                    {rgb(0xFF, 0xBE, 0xCC), ButtonText},
                                    {liveRed(), ButtonText}};
inline constexpr Role railPressed{surface3(), Highlight};
inline constexpr Role buttonPressed{rgb(0xE1, 0xEC, 0xFA), Highlight};

// Studio: the tab and the detached window share the dark production look.
inline constexpr Role studioWindowBackground{rgb(0x02, 0x0C, 0x16), Window};
inline constexpr Role studioBar{rgb(0x05, 0x15, 0x25), Window}; // window's bars and columns
inline constexpr Role studioSurface{mediaBg(), Window};         // tab header and workspace
inline constexpr Role studioColumn{mediaPanel(), Window};       // tab columns and bottom bar
inline constexpr Role studioOutline{rgb(0x00, 0x5F, 0x82), WindowText}; // tab header, workspace
inline constexpr Role columnOutline{rgb(0x00, 0x50, 0x70), WindowText};
inline constexpr Role program{rgb(0x01, 0x0C, 0x14), Window};
inline constexpr Role programOutline{rgb(0x00, 0x64, 0x8C), WindowText};
inline constexpr Role row{rgb(0x03, 0x11, 0x1E), Window}; // scene and source rows
inline constexpr Role rowOutline{rgb(0x00, 0x37, 0x4E), WindowText};
inline constexpr Role ringOnRow{rgb(0x03, 0x11, 0x1E), WindowText};
inline constexpr Role scene{rgb(0x07, 0x2A, 0x3C), Highlight}; // the scene on air
inline constexpr Role sceneOutline{rgb(0x00, 0xD4, 0xFF), Highlight};
inline constexpr Role sceneText{rgb(0xC8, 0xF6, 0xFF), HighlightText};
inline constexpr Role cornerMark{rgb(0x00, 0xD4, 0xFF), WindowText}; // the program's corners
inline constexpr Role studioTitle{rgb(0xC8, 0xF6, 0xFF), WindowText};
inline constexpr Role studioText{rgb(0x7E, 0xCF, 0xEF), WindowText};
inline constexpr Role noSignal{rgb(0x2A, 0x5A, 0x78), WindowText};
inline constexpr Role meterTrack{rgb(0x00, 0x2D, 0x40), Window};
inline constexpr Role meterLevel{accent2(), WindowText};
inline constexpr Role meterPeak{liveRed(), WindowText};
inline constexpr Role offline{rgb(0x23, 0x0F, 0x1A), Window};
inline constexpr Role offlineOutline{liveRed(), WindowText};
inline constexpr Role offlineText{rgb(0xFF, 0xD7, 0xE1), WindowText};
inline constexpr ButtonRoles nativeTab{{rgb(0x07, 0x2A, 0x3C), Highlight},
                                       {accent2(), Highlight},
                                       {rgb(0xC8, 0xF6, 0xFF), HighlightText}};
inline constexpr ButtonRoles goLive{
    {liveRed(), ButtonFace}, {liveRed(), ButtonText}, {rgb(0xFF, 0xFF, 0xFF), ButtonText}};
inline constexpr ButtonRoles mute{{rgb(0x03, 0x11, 0x1E), ButtonFace},
                                  {rgb(0x00, 0x50, 0x70), ButtonText},
                                  {rgb(0x7E, 0xCF, 0xEF), ButtonText}};

} // namespace role
} // namespace corvanta
