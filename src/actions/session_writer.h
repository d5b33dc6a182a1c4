// The session file is written and deleted on a worker of its own, one job after the other in the
// order asked: the profile folder may sit on a slow file share (roaming profiles often do), and
// the window must keep answering meanwhile.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace corvanta {

// The login card after a logout; a failed delete adds its reason while the card shows it.
inline constexpr wchar_t kSignedOutMessage[] = L"Du bist ausgeloggt. Bitte neu einloggen.";

// Stores the token of the sign-in of this session. `status` is the status line the sign-in
// showed; a failure is added to it as long as it still shows.
void queueSessionSave(const std::string& token, std::uint64_t session, const std::wstring& status);
// Deletes the stored session. A save still waiting its turn is dropped: it would be deleted.
void queueSessionClear(std::uint64_t session);
// Before the program ends (its windows gone) or the Windows session does: waits until every
// delete asked for has run or failed, up to a minute (a share that hangs must not keep the program
// forever), then up to 5 s for a save still going.
void finishSessionWrites();
// Waits until every write asked for has finished, at most the given time; true when all have.
bool waitForSessionWrites(DWORD timeoutMs);
// WM_CV_SESSION_DONE: shows what went wrong where the user looks (status line, login card).
void handleSessionDone();

// Tests: called before every try of a delete, counted from 1.
using DeleteTryHook = void (*)(int attempt);
void setDeleteTryHookForTests(DeleteTryHook hook);

} // namespace corvanta
