#include "screenshot.h"

#include "driver.h"

#include <cstdint>
#include <vector>

namespace tour {
namespace {

// Closes a handle, releases a DC or deletes a GDI object when the scope ends.
template <typename T, typename Release>
class Scoped {
public:
    Scoped(T value, Release release) : value_(value), release_(release) {}
    ~Scoped() {
        if (value_) {
            release_(value_);
        }
    }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    T get() const { return value_; }

private:
    T value_;
    Release release_;
};

template <typename T, typename Release> Scoped<T, Release> scoped(T value, Release release) {
    return Scoped<T, Release>(value, release);
}

void putLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

// A bottom-up 24-bit BMP from top-down 32-bit BGRX pixels.
std::vector<std::uint8_t> encodeBmp(const std::uint8_t* pixels, int width, int height) {
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(height);
    std::vector<std::uint8_t> out;
    out.reserve(54 + imageBytes);
    out.push_back('B');
    out.push_back('M');
    putLe(out, 54 + imageBytes, 4);
    putLe(out, 0, 4);
    putLe(out, 54, 4);
    putLe(out, 40, 4); // BITMAPINFOHEADER
    putLe(out, static_cast<std::uint32_t>(width), 4);
    putLe(out, static_cast<std::uint32_t>(height), 4);
    putLe(out, 1, 2);
    putLe(out, 24, 2);
    putLe(out, 0, 4); // BI_RGB
    putLe(out, imageBytes, 4);
    putLe(out, 2835, 4); // 72 dpi
    putLe(out, 2835, 4);
    putLe(out, 0, 4);
    putLe(out, 0, 4);
    for (int y = height - 1; y >= 0; --y) {
        const std::uint8_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(width) * 4;
        const size_t start = out.size();
        for (int x = 0; x < width; ++x) {
            out.push_back(row[x * 4]);
            out.push_back(row[x * 4 + 1]);
            out.push_back(row[x * 4 + 2]);
        }
        out.resize(start + rowBytes, 0);
    }
    return out;
}

void writeFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    auto file = scoped(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr),
                       [](HANDLE h) {
                           if (h != INVALID_HANDLE_VALUE) {
                               CloseHandle(h);
                           }
                       });
    if (file.get() == INVALID_HANDLE_VALUE) {
        throw DriveError("cannot create " + utf8(path) + " (error " +
                         std::to_string(GetLastError()) + ")");
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) ||
        written != bytes.size()) {
        throw DriveError("cannot write " + utf8(path));
    }
}

} // namespace

void captureWindow(HWND hwnd, const std::wstring& path) {
    // The client area: the frame is whatever the window manager draws, if there is one.
    RECT window{};
    POINT origin{0, 0};
    if (!GetClientRect(hwnd, &window) || !ClientToScreen(hwnd, &origin)) {
        throw DriveError("the window to capture is gone");
    }
    OffsetRect(&window, origin.x, origin.y);
    const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                      GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    RECT area{};
    if (!IntersectRect(&area, &window, &screen)) {
        throw DriveError("the window lies outside the screen");
    }
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;

    auto screenDc = scoped(GetDC(nullptr), [](HDC dc) { ReleaseDC(nullptr, dc); });
    auto memoryDc = scoped(CreateCompatibleDC(screenDc.get()), [](HDC dc) { DeleteDC(dc); });
    if (screenDc.get() == nullptr || memoryDc.get() == nullptr) {
        throw DriveError("no device context for the screenshot");
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    auto bitmap = scoped(CreateDIBSection(screenDc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0),
                         [](HBITMAP b) { DeleteObject(b); });
    if (bitmap.get() == nullptr || bits == nullptr) {
        throw DriveError("cannot create a " + std::to_string(width) + " x " +
                         std::to_string(height) + " bitmap for the screenshot");
    }
    HGDIOBJ previous = SelectObject(memoryDc.get(), bitmap.get());
    const BOOL copied = BitBlt(memoryDc.get(), 0, 0, width, height, screenDc.get(), area.left,
                               area.top, SRCCOPY);
    GdiFlush();
    SelectObject(memoryDc.get(), previous);
    if (!copied) {
        throw DriveError("copying the screen failed");
    }
    writeFile(path, encodeBmp(static_cast<const std::uint8_t*>(bits), width, height));
}

} // namespace tour
