// How an owner-drawn button looks, decided from its id and the shell state alone. Pure code.
#pragma once
#include "render/roles.h"
#include "shell/screens.h"

namespace corvanta {

struct ButtonStyle {
    Color fill = 0;
    Color outline = 0;
    Color text = 0;
    int corner = 8;
    int captionInset = 0; // left inset of the caption
    bool centred = true;  // caption centred (else left-aligned)
    bool accentBar = false;
    Color bar = 0; // the accent bar's colour, when it has one
};

bool isNavId(int id);
// The rail id of a screen; 0 for a value outside the ten screens.
int navIdForScreen(Screen screen);
// The start choice button of the screen chosen to open after sign-in.
bool isChosenStart(int id, Screen startScreen);
// The buttons drawn as selected: the open screen's rail button and the chosen start. A screen
// reader hears them as pressed.
bool isSelectedButton(int id, Screen screen, Screen startScreen);

// The colours come from the theme: the program's own look by default. A button that cannot be
// used right now looks as it does otherwise, but for its caption in a contrast theme.
ButtonStyle buttonStyle(int id, Screen screen, Screen startScreen, bool pressed,
                        const Theme& theme = Theme{}, bool unavailable = false);

} // namespace corvanta
