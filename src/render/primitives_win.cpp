#include "render/primitives.h"

namespace corvanta {
namespace {

thread_local AreaScale t_scale;

// GDI would normalise an inverted rectangle and draw it; an empty one is meant to draw nothing.
bool isEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// Nothing to draw: the rectangle is empty or lies wholly outside what the DC can show (a paint
// often covers a small part of the window). Every primitive stays inside its rectangle, so
// skipping changes no pixel and saves the objects, the text layout and the calls.
bool hidden(HDC dc, const RECT& r) { return isEmpty(r) || !RectVisible(dc, &r); }
} // namespace

ScaledPainting::ScaledPainting(const AreaScale& scale) noexcept : previous_(t_scale) {
    t_scale = scale;
}
ScaledPainting::~ScaledPainting() {
    t_scale = previous_;
}

const AreaScale& paintScale() {
    return t_scale;
}

RECT toPixels(const RECT& r) {
    return RECT{t_scale.x(r.left), t_scale.y(r.top), t_scale.x(r.right), t_scale.y(r.bottom)};
}

void drawFilledRect(HDC dc, const RECT& rect, COLORREF color) {
    const RECT r = toPixels(rect);
    if (isEmpty(r)) {
        return;
    }
    const GdiObject brush = solidBrush(color);
    FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
}

void drawRoundPanel(HDC dc, RECT rect, int corner, COLORREF fill, COLORREF outline) {
    const RECT r = toPixels(rect);
    if (isEmpty(r)) {
        return;
    }
    const GdiObject brush = solidBrush(fill);
    const GdiObject pen = solidPen(t_scale.length(1), outline);
    const Selection brushSel(dc, brush.get());
    const Selection penSel(dc, pen.get());
    const int c = t_scale.length(corner);
    RoundRect(dc, r.left, r.top, r.right, r.bottom, c, c);
}

void drawLabel(HDC dc, std::wstring_view text, RECT label, COLORREF color, HFONT font,
               UINT format) {
    RECT rect = toPixels(label);
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
    const GdiObject pen = solidPen(t_scale.length(1), outline);
    const Selection brushSel(dc, brush.get());
    const Selection penSel(dc, pen.get());
    Ellipse(dc, t_scale.x(x), t_scale.y(y), t_scale.x(x + size), t_scale.y(y + size));
}

} // namespace corvanta
