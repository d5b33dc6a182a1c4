// The user's display preferences the program paints by: its own colours or those of the contrast
// theme the user chose, and whether anything may move. Read on the GUI thread when the main window
// is made and whenever Windows says they changed.
#pragma once
#include "render/roles.h"

#include <windows.h>

#include <optional>

namespace corvanta {

const Theme& currentTheme();
// Reads again whether a contrast theme is on and, if so, its colours, and whether client-area
// animations are on.
void reloadTheme();
// For a window procedure: reads the theme again when the message says that it or the system
// colours changed (a theme turned on or off, another one chosen); true then, and the window is to
// be repainted.
bool reloadThemeOn(UINT msg, WPARAM wParam);
// Tests: as if Windows reported a contrast theme on or off (Wine reports none); nullopt asks
// Windows again. Takes effect at the next reloadTheme.
void forceContrastForTests(std::optional<bool> on);
// Tests: the same for client-area animations.
void forceAnimationsForTests(std::optional<bool> on);

inline Color color(Role role) {
    return pick(role, currentTheme());
}

} // namespace corvanta
