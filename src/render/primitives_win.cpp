#include "render/primitives.h"

namespace corvanta {
namespace {
// GDI would normalise an inverted rectangle and draw it; an empty one is meant to draw nothing.
bool isEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// Nothing to draw: the rectangle is empty or lies wholly outside what the DC can show (a paint
// often covers a small part of the window). Every primitive stays inside its rectangle, so
// skipping changes no pixel and saves the objects, the text layout and the calls.
bool hidden(HDC dc, const RECT& r) { return isEmpty(r) || !RectVisible(dc, &r); }
} // namespace

void drawFilledRect(HDC dc, const RECT& rect, COLORREF color) {
    if (isEmpty(rect)) {
        return;
    }
    const GdiObject brush = solidBrush(color);
    FillRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
}

void drawRoundPanel(HDC dc, RECT rect, int corner, COLORREF fill, COLORREF outline) {
    if (isEmpty(rect)) {
        return;
    }
    const GdiObject brush = solidBrush(fill);
    const GdiObject pen = solidPen(1, outline);
    const Selection brushSel(dc, brush.get());
    const Selection penSel(dc, pen.get());
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, corner, corner);
}

void drawLabel(HDC dc, std::wstring_view text, RECT rect, COLORREF color, HFONT font, UINT format) {
    // DrawTextW clips to the rectangle.
    if (hidden(dc, rect)) {
        return;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    // Selecting a font costs Wine a look-up of the X font settings, even the same font again.
    if (GetCurrentObject(dc, OBJ_FONT) != font) {
        SelectObject(dc, font);
    }
    DrawTextW(dc, text.data(), static_cast<int>(text.size()), &rect, format);
}

void drawDot(HDC dc, int x, int y, int size, COLORREF fill, COLORREF outline) {
    if (size <= 0) {
        return;
    }
    const GdiObject brush = solidBrush(fill);
    const GdiObject pen = solidPen(1, outline);
    const Selection brushSel(dc, brush.get());
    const Selection penSel(dc, pen.get());
    Ellipse(dc, x, y, x + size, y + size);
}

} // namespace corvanta
