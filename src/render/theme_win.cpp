#include "render/theme.h"

#include <windows.h>

namespace corvanta {
namespace {

Theme g_theme;
std::optional<bool> g_forcedContrast;
std::optional<bool> g_forcedAnimations;

constexpr int kSystemIndex[kSystemColorCount] = {
    COLOR_WINDOW,  COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT,
    COLOR_BTNFACE, COLOR_BTNTEXT,    COLOR_GRAYTEXT};

bool contrastOn() {
    if (g_forcedContrast) {
        return *g_forcedContrast;
    }
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

bool animationsOn() {
    if (g_forcedAnimations) {
        return *g_forcedAnimations;
    }
    BOOL on = TRUE;
    return !SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &on, 0) || on != FALSE;
}

} // namespace

const Theme& currentTheme() {
    return g_theme;
}

void reloadTheme() {
    Theme theme;
    theme.contrast = contrastOn();
    theme.animations = animationsOn();
    // Read even when the flag did not flip: a switch between two contrast themes keeps it on.
    for (std::size_t i = 0; i < kSystemColorCount; ++i) {
        theme.system[i] = GetSysColor(kSystemIndex[i]);
    }
    g_theme = theme;
}

bool reloadThemeOn(UINT msg, WPARAM wParam) {
    const bool changed = msg == WM_SYSCOLORCHANGE || msg == WM_THEMECHANGED ||
                         (msg == WM_SETTINGCHANGE && (wParam == SPI_SETHIGHCONTRAST ||
                                                      wParam == SPI_SETCLIENTAREAANIMATION));
    if (changed) {
        reloadTheme();
    }
    return changed;
}

void forceContrastForTests(std::optional<bool> on) {
    g_forcedContrast = on;
}

void forceAnimationsForTests(std::optional<bool> on) {
    g_forcedAnimations = on;
}

} // namespace corvanta
