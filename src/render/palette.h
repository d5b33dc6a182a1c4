// The shell's colours as 0x00BBGGRR values (the layout of a Win32 COLORREF). Pure code.
#pragma once
#include <cstdint>

namespace corvanta {

using Color = std::uint32_t;

constexpr Color rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }

constexpr Color appBg() { return 0x00FFF9F6; }
constexpr Color surface() { return 0x00FFFFFF; }
constexpr Color surface2() { return 0x00FFFBF8; }
constexpr Color surface3() { return 0x00FFF5EE; }
constexpr Color border() { return 0x00F7E8DC; }
constexpr Color fg() { return 0x0028170D; }
constexpr Color muted() { return 0x00866F5F; }
constexpr Color accent() { return 0x00FF7716; }
constexpr Color accent2() { return 0x00D4C718; }
constexpr Color mediaBg() { return 0x00140805; }
constexpr Color mediaPanel() { return 0x00261607; }
constexpr Color liveRed() { return 0x005D3BEF; }
constexpr Color successGreen() { return 0x0072BD1E; }

} // namespace corvanta
