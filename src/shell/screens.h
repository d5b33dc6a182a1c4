// The ten workspaces and their per-screen tables. Pure code.
#pragma once
#include <cstdint>
#include <string>

namespace corvanta {

enum class Screen : std::int32_t {
    Orbital = 0,
    Community = 1,
    Live = 2,
    Trevacast = 3,
    DirectMessages = 4,
    Studio = 5,
    Profile = 6,
    Wallet = 7,
    Assets = 8,
    Settings = 9,
};

std::wstring screenTitle(Screen screen);
std::wstring endpointForScreen(Screen screen);
std::wstring modeHint(Screen screen);
std::wstring channelLabel(Screen screen);

// The intro report of a screen with the given status line: CRLF line ends, no final line end.
std::wstring introReport(Screen screen, const std::wstring& statusText);

} // namespace corvanta
