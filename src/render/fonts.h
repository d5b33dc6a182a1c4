// The shell's five fonts, made for the DPI of the window they are shown in.
#pragma once
#include <windows.h>

namespace corvanta {

struct ShellFonts {
    HFONT body = nullptr, title = nullptr, smallText = nullptr, hero = nullptr, mono = nullptr;
};

// Heights are given at 96 DPI and scaled to `dpi`; a font that cannot be made is null.
ShellFonts makeShellFonts(int dpi);
// Deletes those that exist and leaves all null.
void deleteShellFonts(ShellFonts& fonts);

} // namespace corvanta
