// UTF-8 <-> UTF-16 and control text, through the platform converters.
#pragma once
#include <windows.h>

#include <string>

namespace corvanta {

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);
std::wstring getText(HWND control);

} // namespace corvanta
