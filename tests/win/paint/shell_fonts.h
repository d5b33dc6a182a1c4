// The shell's five fonts, created as the shell creates them and stored in g_app for one test.
#pragma once
#include "shell/app_state.h"

#include <windows.h>

namespace cvtest {

class ShellFonts {
  public:
    ShellFonts() {
        using corvanta::g_app;
        g_app.fontBody = make(-13, 400, L"Segoe UI");
        g_app.fontTitle = make(-20, 700, L"Segoe UI");
        g_app.fontSmall = make(-11, 400, L"Segoe UI");
        g_app.fontHero = make(-24, 900, L"Segoe UI");
        g_app.fontMono = make(-12, 600, L"Consolas");
    }
    ~ShellFonts() {
        using corvanta::g_app;
        for (HFONT* font : {&g_app.fontBody, &g_app.fontTitle, &g_app.fontSmall, &g_app.fontHero,
                            &g_app.fontMono}) {
            DeleteObject(*font);
            *font = nullptr;
        }
    }
    ShellFonts(const ShellFonts&) = delete;
    ShellFonts& operator=(const ShellFonts&) = delete;

  private:
    static HFONT make(int height, int weight, const wchar_t* face) {
        return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, face);
    }
};

// The DC's selections and text settings, to prove that a painter puts everything back.
struct DcSnapshot {
    explicit DcSnapshot(HDC dc)
        : font(GetCurrentObject(dc, OBJ_FONT)), pen(GetCurrentObject(dc, OBJ_PEN)),
          brush(GetCurrentObject(dc, OBJ_BRUSH)), textColor(GetTextColor(dc)),
          bkMode(GetBkMode(dc)) {}
    bool operator==(const DcSnapshot&) const = default;
    HGDIOBJ font, pen, brush;
    COLORREF textColor;
    int bkMode;
};

} // namespace cvtest
