#include "support/dib.h"

#include "render/gdi.h"

#include <fstream>
#include <vector>

namespace cvtest {
namespace {

template <typename T> void put(std::ofstream& out, T value) {
    out.write(reinterpret_cast<const char*>(&value), sizeof(value));
}

} // namespace

Dib::Dib(int width, int height, COLORREF fillColor) : width_(width), height_(height) {
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = corvanta::createDib(dc_, width, height, &bits);
    bits_ = static_cast<std::uint32_t*>(bits);
    previous_ = SelectObject(dc_, bitmap_);
    fill(fillColor);
}

Dib::~Dib() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

COLORREF Dib::at(int x, int y) const {
    if (bits_ == nullptr || x < 0 || y < 0 || x >= width_ || y >= height_) {
        return 0xFFFFFFFF;
    }
    GdiFlush();
    const std::uint32_t p = bits_[static_cast<std::size_t>(y) * width_ + x]; // 0x00RRGGBB
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

void Dib::fill(COLORREF color) {
    GdiFlush();
    const std::uint32_t p = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    for (int i = 0; i < width_ * height_; ++i) {
        bits_[i] = p;
    }
}

int Dib::count(COLORREF color, int left, int top, int right, int bottom) const {
    int n = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            n += at(x, y) == color ? 1 : 0;
        }
    }
    return n;
}

int Dib::differences(const Dib& other, const RECT& skip) const {
    if (other.width_ != width_ || other.height_ != height_) {
        return width_ * height_;
    }
    GdiFlush();
    int n = 0;
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const POINT p{x, y};
            const std::size_t i = static_cast<std::size_t>(y) * width_ + x;
            n += bits_[i] != other.bits_[i] && !PtInRect(&skip, p) ? 1 : 0;
        }
    }
    return n;
}

bool Dib::save(const std::string& path) const {
    const int w = width_, h = height_;
    const std::uint32_t rowBytes = static_cast<std::uint32_t>(w) * 4;
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(h);
    std::ofstream out(path, std::ios::binary);
    if (!out) {
        return false;
    }
    out.write("BM", 2);
    put<std::uint32_t>(out, 54 + imageBytes);
    put<std::uint32_t>(out, 0);
    put<std::uint32_t>(out, 54);
    put<std::uint32_t>(out, 40);
    put<std::int32_t>(out, w);
    put<std::int32_t>(out, -h); // top-down
    put<std::uint16_t>(out, 1);
    put<std::uint16_t>(out, 32);
    put<std::uint32_t>(out, 0);
    put<std::uint32_t>(out, imageBytes);
    put<std::int32_t>(out, 2835);
    put<std::int32_t>(out, 2835);
    put<std::uint32_t>(out, 0);
    put<std::uint32_t>(out, 0);
    std::vector<std::uint8_t> row(rowBytes);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const COLORREF c = at(x, y);
            row[x * 4 + 0] = GetBValue(c);
            row[x * 4 + 1] = GetGValue(c);
            row[x * 4 + 2] = GetRValue(c);
            row[x * 4 + 3] = 0;
        }
        out.write(reinterpret_cast<const char*>(row.data()),
                  static_cast<std::streamsize>(rowBytes));
    }
    return static_cast<bool>(out);
}

void Dib::capture(HWND window) {
    HDC source = GetDC(window);
    BitBlt(dc_, 0, 0, width_, height_, source, 0, 0, SRCCOPY);
    ReleaseDC(window, source);
    GdiFlush();
}

} // namespace cvtest
