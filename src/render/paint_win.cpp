// Placeholder until the painters land.
#include "render/paint.h"

namespace corvanta {

void paint(HWND hwnd) {
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EndPaint(hwnd, &ps);
}
void paintClient(HDC, const RECT&) {}
void paintLoginScreen(HDC, const RECT&) {}

} // namespace corvanta
