// Display scaling. Every size of the program is given at 96 DPI; a window on a monitor of d DPI
// shows the same picture enlarged by d / 96. Two mappings at the edge do that: one for painting
// (in the drawing primitives), one for control rectangles, fonts and window sizes. Pure code.
#pragma once

namespace corvanta {

constexpr int kBaseDpi = 96;

// A length at 96 DPI in pixels at `dpi`, rounded as MulDiv rounds (halves away from zero).
int toDevice(int length, int dpi);
// Pixels at `dpi` in 96-DPI units, rounded the same way.
int fromDevice(int pixels, int dpi);

// An area of the screen (a window's client area, a control) seen in 96-DPI units. Points map
// with toDevice, except that the area's own far edges map onto its last pixel edges exactly:
// rounding never leaves a column unpainted or moves a control's outline past its edge.
class AreaScale {
  public:
    AreaScale() = default; // one to one, nothing snapped
    AreaScale(int dpi, int deviceWidth, int deviceHeight);

    int dpi() const { return dpi_; }
    // The area's size in 96-DPI units: every decision on the client size is made on these.
    int width() const { return width_; }
    int height() const { return height_; }
    int x(int v) const { return v == width_ ? deviceWidth_ : toDevice(v, dpi_); }
    int y(int v) const { return v == height_ ? deviceHeight_ : toDevice(v, dpi_); }
    // Pen widths, corners, font heights: scaled, and a line never thinner than a pixel.
    int length(int v) const;

  private:
    int dpi_ = kBaseDpi;
    int width_ = -1, height_ = -1;
    int deviceWidth_ = -1, deviceHeight_ = -1;
};

} // namespace corvanta
