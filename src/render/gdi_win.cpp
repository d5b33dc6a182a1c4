#include "render/gdi.h"

namespace corvanta {
namespace {
std::atomic<long> g_live{0};
std::atomic<long> g_created{0};
} // namespace

long gdiLiveObjects() { return g_live.load(); }
long gdiCreatedObjects() { return g_created.load(); }

GdiObject::GdiObject(HGDIOBJ handle) noexcept : handle_(handle) {
    if (handle_ != nullptr) {
        ++g_live;
        ++g_created;
    }
}

GdiObject::~GdiObject() {
    if (handle_ != nullptr) {
        DeleteObject(handle_);
        --g_live;
    }
}

GdiObject solidBrush(COLORREF color) { return GdiObject(CreateSolidBrush(color)); }
GdiObject solidPen(int width, COLORREF color) { return GdiObject(CreatePen(PS_SOLID, width, color)); }

HBITMAP createDib(HDC dc, int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* ignored = nullptr;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits != nullptr ? bits : &ignored, nullptr,
                            0);
}

} // namespace corvanta
