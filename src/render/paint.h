// Painting of the main window and of the signed-out login screen.
#pragma once
#include <windows.h>

namespace corvanta {

// WM_PAINT of the main window: BeginPaint, the login screen or the workspace, EndPaint.
void paint(HWND hwnd);
// Draws the whole main window picture for the given client rectangle onto a DC.
void paintClient(HDC dc, const RECT& client);
void paintLoginScreen(HDC dc, const RECT& client);
// Runs `draw` for the whole client picture into an off-screen bitmap that covers only `area`
// (client pixels) and copies that area onto the target in one BitBlt. `client` is in the units
// the painters draw in (96-DPI units of the current ScaledPainting).
void paintOffscreen(HDC target, const RECT& area, const RECT& client,
                    void (*draw)(HDC dc, const RECT& client));
// BeginPaint, the invalid area drawn off-screen and copied to the window, EndPaint on every path;
// nothing escapes the drawing.
void paintWindow(HWND hwnd, void (*draw)(HDC dc, const RECT& client));

// drawLabel leaves its font, text colour and background mode in the DC. Each painter puts the
// DC back as it found it, so no font of the shell stays selected after a paint (a selected font
// cannot be deleted).
class SavedDcState {
  public:
    explicit SavedDcState(HDC dc) noexcept : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDcState() {
        if (saved_ != 0) {
            RestoreDC(dc_, saved_);
        }
    }
    SavedDcState(const SavedDcState&) = delete;
    SavedDcState& operator=(const SavedDcState&) = delete;

  private:
    HDC dc_;
    int saved_;
};

} // namespace corvanta
