// The streaming studio: the tab inside the main window and the detached studio window.
#pragma once
#include "render/palette.h"

#include <windows.h>

namespace corvanta {

// The dark studio colours that the tab and the detached window share.
namespace studio_color {
constexpr Color kBright = rgb(0xC8, 0xF6, 0xFF);        // titles, selected scene, source names
constexpr Color kText = rgb(0x7E, 0xCF, 0xEF);          // ordinary text and every caption
constexpr Color kColumnOutline = rgb(0x00, 0x50, 0x70); // columns, bottom bar
constexpr Color kProgramFill = rgb(0x01, 0x0C, 0x14);
constexpr Color kProgramOutline = rgb(0x00, 0x64, 0x8C);
constexpr Color kRowFill = rgb(0x03, 0x11, 0x1E); // scene and source rows, dot outlines
constexpr Color kRowOutline = rgb(0x00, 0x37, 0x4E);
constexpr Color kSelectedFill = rgb(0x07, 0x2A, 0x3C);
constexpr Color kSelectedOutline = rgb(0x00, 0xD4, 0xFF); // also the program corner marks
constexpr Color kMeterTrack = rgb(0x00, 0x2D, 0x40);
constexpr Color kNoSignal = rgb(0x2A, 0x5A, 0x78);
constexpr Color kWhite = rgb(0xFF, 0xFF, 0xFF);
} // namespace studio_color

extern HWND g_trevacastHwnd;

constexpr const wchar_t* kStudioWindowClass = L"CorvantaTrevacastStudioWindow";

// Paints the studio tab into [left, 0, right, bottom].
void drawTrevacastTab(HDC dc, int left, int right, int bottom);

// Registers the studio window class; 0 when registration fails.
ATOM registerStudioWindowClass(HINSTANCE instance);
// "Extra Fenster": creates the studio window, or shows and raises the existing one.
void openTrevacastStudioWindow();
LRESULT CALLBACK trevacastWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void paintTrevacastStudio(HWND hwnd);
// Draws the studio window picture for a client size onto a DC.
void paintTrevacastStudioClient(HDC dc, int width, int height);

} // namespace corvanta
