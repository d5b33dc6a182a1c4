// Placeholder until the studio lands.
#include "studio/studio.h"

namespace corvanta {

HWND g_trevacastHwnd = nullptr;

void drawTrevacastTab(HDC, int, int, int) {}
void openTrevacastStudioWindow() {}
LRESULT CALLBACK trevacastWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
void paintTrevacastStudio(HWND) {}
void paintTrevacastStudioClient(HDC, int, int) {}

} // namespace corvanta
