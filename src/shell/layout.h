// The 29 child controls of the main window: creation and layout.
#pragma once
#include <windows.h>

namespace corvanta {

HWND makeButton(HWND parent, int id, const wchar_t* caption);
HWND makeEdit(HWND parent, int id, const wchar_t* text, DWORD extraStyle);
// Fonts, brush, controls, first layout, focus on the user field.
void createUi(HWND parent);
// Places, shows and hides the controls for the client size, sign-in state and screen.
void layout(HWND window);
// The window moved to a monitor of another DPI: fonts made anew for it and handed to every
// control.
void remakeFontsForDpi(HWND parent);
// The text fields' background brush in the field colour of the theme in use, made again when that
// colour has changed; WM_DESTROY deletes it.
HBRUSH fieldBrush();
// The control of an id, or null.
HWND controlForId(int id);

// What a screen reader is told of a control beyond what the standard object knows.
struct AccessibleTraits {
    const wchar_t* name = nullptr;
    bool pushButton = false; // else editable text
    bool secret = false;     // its text is never told
    bool readOnly = false;
};
// False for an id of no control.
bool accessibleTraits(int id, AccessibleTraits& traits);

} // namespace corvanta
