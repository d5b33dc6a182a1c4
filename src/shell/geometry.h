// Every rectangle of the shell as pure functions of the client size and state: the control
// layout, the login card, the studio tab and window geometry, the logo pulse. Pure code.
#pragma once
#include "render/palette.h"
#include "shell/screens.h"

#include <vector>

namespace corvanta {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

// A control placement as MoveWindow takes it.
struct Placement {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Placement&) const = default;
};

// The main window is wide (right panel, visible output box) from a client width of 1180.
bool isWide(int clientWidth);
// Right edge of the content column: W - 316 when wide, else W.
int contentRight(int clientWidth);

// The login card, shared by the login layout and the login painter.
Rect loginCardRect(int clientWidth, int clientHeight);

// One step of a layout: show or hide a control, and place it first when `placed` is set.
struct ControlLayout {
    int id = 0;
    bool visible = false;
    bool placed = false;
    Placement at{};
};

// The layout of all 29 controls for a client size, sign-in state and screen, in the order the
// shell applies it. Controls that are hidden without moving keep their last placement.
std::vector<ControlLayout> computeLayout(int clientWidth, int clientHeight, bool showLogin,
                                         Screen screen);

struct StudioTabGeometry {
    Rect workspace;
    int wsW = 0;
    int innerTop = 0;
    int innerBottom = 0;
    int colW = 0;
    bool showChat = false;
    int chatW = 0;
    Rect leftColumn;
    Rect chatColumn; // meaningful only when showChat
    Rect program;
};

// The studio tab painted into [left, 0, right, bottom].
StudioTabGeometry studioTabGeometry(int left, int right, int bottom);

struct StudioWindowPanels {
    Rect left, program, chat, bottom;
};

StudioWindowPanels studioWindowPanels(int clientWidth, int clientHeight);

struct LogoPulse {
    int phase = 0; // 0..27
    int p = 0;     // 0..14, a triangle wave over the phase
    int side = 0;  // side of the core's square
    int x = 0, y = 0;
    Color core = 0;
};

LogoPulse logoPulse(int logoFrame, const Rect& card);
// The logo drawn still, when the user turned animations off: the pulse at its smallest, the mark
// as it is drawn everywhere else.
constexpr int kLogoFrameAtRest = 0;

// The halo ring reaches this far past the logo's core on every side.
constexpr int kLogoHaloMargin = 8;

// The square that every frame of the logo, halo included, stays inside: all a tick repaints.
Rect logoBounds(const Rect& card);

// A top-level window's outer rectangle on a screen whose work area is smaller than the window:
// the work area's size in each direction where it is smaller, and moved inside it. A window that
// fits stays as it is.
Rect fittedWindowRect(const Rect& window, const Rect& workArea);

} // namespace corvanta
