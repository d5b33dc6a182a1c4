// Screen readers: each control answers for itself with its name, role and state, through a small
// wrapper around the object Windows would give for it.
#pragma once
#include "shell/screens.h"

#include <windows.h>

namespace corvanta {

// IAccessible's interface id. MinGW's oleacc import library exports IID_IAccessible as a code
// thunk, so the symbol there names the wrong bytes.
inline constexpr IID kIidAccessible{
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// From now until the control is destroyed, WM_GETOBJECT for its client area gets the wrapper;
// every other message goes on to the control as before.
void makeAccessible(HWND control, int id);
// After a change of the open screen or the chosen start: tells screen readers of every button
// whose pressed state differs from what it was with the given ones.
void announceSelectionChange(Screen screenBefore, Screen startBefore);
// Wrappers alive at the moment (handed out and not yet released by every holder).
long liveAccessibleObjects();

} // namespace corvanta
