// The main window: class, creation, window procedure, screen switching.
#pragma once
#include "shell/screens.h"

#include <windows.h>

namespace corvanta {

constexpr const wchar_t* kMainWindowClass = L"CorvantaNativeWinWindow";

ATOM registerMainWindowClass(HINSTANCE instance);
// Registers both classes (main and studio window).
void registerWindowClasses(HINSTANCE instance);
// The main window at 1320 x 820, or smaller to fit the work area; null when it cannot be created.
HWND createMainWindow(HINSTANCE instance);
// Runs the thread's message loop until the quit message, then finishes the session writes still
// pending; returns the exit code.
int runMessageLoop();
LRESULT CALLBACK wndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void setScreen(Screen screen);
// Starts the logo's timer when the pulse can be seen (login card, window shown and not
// minimised, animations on) and stops it otherwise. Call when any of those changes.
void followLogoVisibility();
// Tests: whether the logo's timer runs.
bool logoTimerRunning();

} // namespace corvanta
