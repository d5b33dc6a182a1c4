#include "render/buttons.h"

#include "render/button_style.h"
#include "render/primitives.h"
#include "shell/app_state.h"

namespace corvanta {

bool isNavButton(int id) { return isNavId(id); }

bool isActiveNavButton(int id) { return isNavId(id) && navIdForScreen(g_app.screen) == id; }

void drawOwnerButton(const DRAWITEMSTRUCT* item) {
    if (item == nullptr || item->CtlType != ODT_BUTTON) {
        return;
    }
    const int id = static_cast<int>(item->CtlID);
    const bool pressed = (item->itemState & ODS_SELECTED) != 0;
    const ButtonStyle style = buttonStyle(id, g_app.screen, g_app.startScreen, pressed);

    drawRoundPanel(item->hDC, item->rcItem, style.corner, style.fill, style.outline);

    wchar_t caption[128] = {};
    GetWindowTextW(item->hwndItem, caption, 128);
    RECT textRect = item->rcItem;
    textRect.left += style.captionInset;
    drawLabel(item->hDC, caption, textRect, style.text, g_app.fontBody,
              style.centred ? kLabelCenterCut : kLabelLeftCut);

    if (style.accentBar) {
        const RECT bar{item->rcItem.left, item->rcItem.top + 8, item->rcItem.left + 3,
                       item->rcItem.bottom - 8};
        drawFilledRect(item->hDC, bar, accent());
    }
}

} // namespace corvanta
