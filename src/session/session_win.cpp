// Placeholder until the session store lands.
#include "session/session.h"

namespace corvanta::secure_session {

std::wstring appDataDir() { return L"."; }
bool ensureDir(const std::wstring&) { return true; }
std::wstring sessionPath() { return appDataDir() + L"\\session.dpapi"; }
bool saveToken(const std::string&, std::wstring*) { return true; }
std::string loadToken(std::wstring*) { return {}; }
bool clearToken(std::wstring*) { return true; }

} // namespace corvanta::secure_session
