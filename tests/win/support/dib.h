// A 32-bit top-down DIB section selected into a memory DC, for reading painted pixels back.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace cvtest {

class Dib {
public:
    Dib(int width, int height, COLORREF fill = RGB(1, 2, 3));
    ~Dib();
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;

    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The pixel as a COLORREF (0x00BBGGRR); 0xFFFFFFFF outside the bitmap.
    COLORREF at(int x, int y) const;
    void fill(COLORREF color);
    // Pixels of exactly this colour inside [left, right) x [top, bottom).
    int count(COLORREF color, int left, int top, int right, int bottom) const;
    // Pixels that differ from a picture of the same size, outside `skip`.
    int differences(const Dib& other, const RECT& skip) const;
    // Writes the picture as a 32-bit BMP file, for looking at it by eye.
    bool save(const std::string& path) const;
    // Copies the window's client area, its child controls included, as it stands.
    void capture(HWND window);

  private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

} // namespace cvtest
