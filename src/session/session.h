// The bearer token stored in the user's profile, protected by DPAPI for the current user.
#pragma once
#include <string>

namespace corvanta::secure_session {

std::wstring appDataDir();
bool ensureDir(const std::wstring& folder);
std::wstring sessionPath();
bool saveToken(const std::string& token, std::wstring* message);
std::string loadToken(std::wstring* message);
bool clearToken(std::wstring* message);

} // namespace corvanta::secure_session
