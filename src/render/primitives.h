// The four drawing primitives every painter shares. They take 96-DPI coordinates of the painted
// area and draw them at the scale of the ScaledPainting alive on this thread (one to one without
// one): painters never see a pixel of a scaled display.
#pragma once
#include "render/gdi.h"
#include "shell/dpi.h"

#include <windows.h>

#include <string_view>

namespace corvanta {

constexpr UINT kLabelLeft = DT_LEFT | DT_VCENTER | DT_SINGLELINE;                      // 0x24
constexpr UINT kLabelCenter = DT_CENTER | DT_VCENTER | DT_SINGLELINE;                  // 0x25
constexpr UINT kLabelLeftCut = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS; // 0x8024
constexpr UINT kLabelCenterCut = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
constexpr UINT kLabelRightCut = DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;

void drawFilledRect(HDC dc, const RECT& rect, COLORREF color);
void drawRoundPanel(HDC dc, RECT rect, int corner, COLORREF fill, COLORREF outline);
// Leaves the font selected and the text colour and transparent mode set, by design; a label
// that falls wholly outside what the DC shows touches nothing.
void drawLabel(HDC dc, std::wstring_view text, RECT rect, COLORREF color, HFONT font, UINT format);
// (x, y) is the top-left corner of the dot's bounding square.
void drawDot(HDC dc, int x, int y, int size, COLORREF fill, COLORREF outline);

// While alive, the primitives of this thread paint at this scale; the previous one comes back
// after.
class ScaledPainting {
public:
    explicit ScaledPainting(const AreaScale& scale) noexcept;
    ~ScaledPainting();
    ScaledPainting(const ScaledPainting&) = delete;
    ScaledPainting& operator=(const ScaledPainting&) = delete;

private:
    AreaScale previous_;
};
const AreaScale& paintScale();
// A 96-DPI rectangle in pixels at the current scale.
RECT toPixels(const RECT& rect);

// A 1-pixel (or wider) solid line block: one pen for all lines of the block.
class LinePen {
public:
    LinePen(HDC dc, int width, COLORREF color)
        : dc_(dc), pen_(solidPen(paintScale().length(width), color)),
          selection_(dc, pen_.get()) {}
    void line(int x1, int y1, int x2, int y2) const {
        const AreaScale& s = paintScale();
        MoveToEx(dc_, s.x(x1), s.y(y1), nullptr);
        LineTo(dc_, s.x(x2), s.y(y2));
    }

private:
    HDC dc_;
    GdiObject pen_;        // deleted after the selection is put back
    Selection selection_;
};

} // namespace corvanta
