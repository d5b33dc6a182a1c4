#include "render/fonts.h"

#include "shell/dpi.h"

namespace corvanta {
namespace {

HFONT makeFont(const wchar_t* face, int height, int weight, int dpi) {
    return CreateFontW(toDevice(height, dpi), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, face);
}

void deleteFont(HFONT& font) {
    if (font != nullptr) {
        DeleteObject(font);
        font = nullptr;
    }
}

} // namespace

ShellFonts makeShellFonts(int dpi) {
    ShellFonts fonts;
    fonts.body = makeFont(L"Segoe UI", -13, 400, dpi);
    fonts.title = makeFont(L"Segoe UI", -20, 700, dpi);
    fonts.smallText = makeFont(L"Segoe UI", -11, 400, dpi);
    fonts.hero = makeFont(L"Segoe UI", -24, 900, dpi);
    fonts.mono = makeFont(L"Consolas", -12, 600, dpi);
    return fonts;
}

void deleteShellFonts(ShellFonts& fonts) {
    deleteFont(fonts.body);
    deleteFont(fonts.title);
    deleteFont(fonts.smallText);
    deleteFont(fonts.hero);
    deleteFont(fonts.mono);
}

} // namespace corvanta
