// The bearer token stored in the user's profile, protected by DPAPI for the current user.
#pragma once
#include <string>

namespace corvanta::secure_session {

// The session folder under APPDATA; empty when APPDATA is missing, empty or too long, and then
// nothing is stored, read or deleted.
std::wstring appDataDir();
bool ensureDir(const std::wstring& folder);
std::wstring sessionPath(); // empty when appDataDir() is
bool saveToken(const std::string& token, std::wstring* message);
std::string loadToken(std::wstring* message);
bool clearToken(std::wstring* message); // on failure, GetLastError() says why
// Tests: every save and delete first waits this long, as on a slow file share.
void setSlowStoreForTests(unsigned milliseconds);

} // namespace corvanta::secure_session
