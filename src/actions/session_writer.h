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
// How long the end of the program waits for a logout's delete, which is what keeps the token off
// the share (one that hangs must not keep the program forever), then for a save still going,
// worth no more than before (the file is never read back). The setup reads both: it gives a
// program whose window is gone at least this long.
inline constexpr DWORD kClearWaitMs = 60000;
inline constexpr DWORD kSaveWaitMs = 5000;
// Shown by Windows in its list of programs that keep the session from ending.
inline constexpr wchar_t kEndSessionReason[] =
    L"Abmeldung wird abgeschlossen: die Session-Datei wird geloescht ...";

// Before the program ends (its windows gone): waits until every delete asked for has run or
// failed, up to kClearWaitMs, then up to kSaveWaitMs for a save still going.
void finishSessionWrites();
// The same at the end of the Windows session (WM_ENDSESSION), the windows already hidden: while a
// logout's delete is pending, `window` carries kEndSessionReason, so that Windows says why the
// program takes longer than it allows and the user can wait for it.
void finishSessionWritesAtSessionEnd(HWND window);
// Waits until every write asked for has finished, at most the given time; true when all have.
bool waitForSessionWrites(DWORD timeoutMs);
// WM_CV_SESSION_DONE: shows what went wrong where the user looks (status line, login card).
void handleSessionDone();

// Tests: called before every try of a delete, counted from 1.
using DeleteTryHook = void (*)(int attempt);
void setDeleteTryHookForTests(DeleteTryHook hook);
// Tests: the calls that register and withdraw the block reason (Wine only has stubs).
struct ShutdownBlockCalls {
    BOOL(WINAPI* create)(HWND, LPCWSTR);
    BOOL(WINAPI* destroy)(HWND);
};
void setShutdownBlockCallsForTests(const ShutdownBlockCalls& calls);

} // namespace corvanta
