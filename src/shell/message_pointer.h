// Messages whose lParam points at a structure (WM_GETMINMAXINFO, WM_DPICHANGED, WM_DRAWITEM).
// Windows and Wine hand such a structure over on the stack of the window's own thread, in a
// frame above its window procedure. Any program on the desktop can post or send the same
// messages with a value of its choosing (Wine passes WM_DPICHANGED's on unchecked), and reading
// through that would read wherever it points.
#pragma once
#include <windows.h>

#include <cstddef>

namespace corvanta {

// True when [value, value + size) lies on this thread's stack above the caller's frame.
bool onCallersStack(LPARAM value, std::size_t size) noexcept;

// The structure a message carries, or null when it cannot be the system's own.
template <typename T> T* structFromSystem(LPARAM value) noexcept {
    return onCallersStack(value, sizeof(T)) ? reinterpret_cast<T*>(value) : nullptr;
}

} // namespace corvanta
