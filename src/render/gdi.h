// Scoped GDI objects and selections. Every brush and pen of a paint goes through these, so the
// live count (created minus deleted) proves that no paint leaks an object.
#pragma once
#include <windows.h>

#include <atomic>

namespace corvanta {

// Objects created through GdiObject and not yet deleted.
long gdiLiveObjects();
// Objects created through GdiObject since start-up.
long gdiCreatedObjects();

class GdiObject {
public:
    explicit GdiObject(HGDIOBJ handle) noexcept;
    ~GdiObject();
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    HGDIOBJ get() const noexcept { return handle_; }

private:
    HGDIOBJ handle_;
};

GdiObject solidBrush(COLORREF color);
GdiObject solidPen(int width, COLORREF color);
// A top-down 32-bit DIB section; `bits`, when given, receives its pixels (0x00RRGGBB each).
HBITMAP createDib(HDC dc, int width, int height, void** bits = nullptr);

// A memory DC compatible with another DC, deleted on scope exit.
class MemoryDc {
public:
    explicit MemoryDc(HDC compatibleWith) noexcept : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDc() {
        if (dc_ != nullptr) {
            DeleteDC(dc_);
        }
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back on scope exit.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) {
            SelectObject(dc_, previous_);
        }
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

} // namespace corvanta
