#include "render/buttons.h"

#include "render/button_style.h"
#include "render/primitives.h"
#include "render/theme.h"
#include "shell/app_state.h"
#include "shell/window_dpi.h"

namespace corvanta {

bool isNavButton(int id) { return isNavId(id); }

bool isActiveNavButton(int id) { return isNavId(id) && navIdForScreen(g_app.screen) == id; }

void drawOwnerButton(const DRAWITEMSTRUCT* item) {
    if (item == nullptr || item->CtlType != ODT_BUTTON) {
        return;
    }
    const int id = static_cast<int>(item->CtlID);
    const bool pressed = (item->itemState & ODS_SELECTED) != 0;
    const bool unavailable = (item->itemState & ODS_DISABLED) != 0;
    const ButtonStyle style =
        buttonStyle(id, g_app.screen, g_app.startScreen, pressed, currentTheme(), unavailable);
    // Drawn in 96-DPI units of the button, whose rectangle is its client area from 0, 0.
    const AreaScale scale(windowDpi(item->hwndItem), item->rcItem.right - item->rcItem.left,
                          item->rcItem.bottom - item->rcItem.top);
    const ScaledPainting scaled(scale);
    const RECT area{0, 0, scale.width(), scale.height()};

    drawRoundPanel(item->hDC, area, style.corner, style.fill, style.outline);

    wchar_t caption[128] = {};
    GetWindowTextW(item->hwndItem, caption, 128);
    RECT textRect = area;
    textRect.left += style.captionInset;
    drawLabel(item->hDC, caption, textRect, style.text, g_app.fontBody,
              style.centred ? kLabelCenterCut : kLabelLeftCut);

    if (style.accentBar) {
        const RECT bar{area.left, area.top + 8, area.left + 3, area.bottom - 8};
        drawFilledRect(item->hDC, bar, style.bar);
    }
}

} // namespace corvanta
