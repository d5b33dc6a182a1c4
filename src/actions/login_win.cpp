#include "actions/actions.h"
#include "actions/session_writer.h"
#include "backend/contract.h"
#include "backend/requests.h"
#include "backend/text.h"
#include "backend/text_win.h"
#include "shell/app_state.h"
#include "shell/layout.h"
#include "shell/window.h"

#include <memory>

namespace corvanta {
namespace {

// The number of the sign-in whose answer is awaited; 0 when none is. A logout or a new
// sign-in makes older answers stale, so a late answer can never sign the user back in.
std::uint64_t g_pendingLogin = 0;

void invalidate() {
    InvalidateRect(g_app.hwnd, nullptr, TRUE);
}

void loginFailed(const HttpResult& result) {
    std::wstring message = L"Login fehlgeschlagen";
    if (result.tokenRefused) {
        message += L": ungueltiges Token vom Server.";
    } else {
        if (result.status != 0) {
            message += L" (HTTP " + std::to_wstring(result.status) + L")";
        }
        if (!result.error.empty()) {
            message += L": " + widen(result.error);
        }
    }
    setLoginMessage(message);
    g_app.statusText = L"Login fehlgeschlagen.";
    setOutput(formatResult(result));
    layout(g_app.hwnd);
    invalidate();
}

void loginSucceeded(const std::string& token) {
    g_app.token = token;
    g_app.showLogin = false;
    followLogoVisibility();
    g_app.screen = g_app.startScreen;
    g_app.statusText = L"Login erfolgreich. Start: " + screenTitle(g_app.screen) + L".";
    // Stored off this thread; a failure is added to the status line when it is known.
    queueSessionSave(token, currentSession(), g_app.statusText);
    setLoginMessage(L"Login erfolgreich.");
    SetWindowTextW(g_app.editPass, L"");
    layout(g_app.hwnd);
    refreshIntro();
    invalidate();
}

} // namespace

void doLogin() {
    if (g_app.loginBusy) {
        return;
    }
    const std::string user = narrow(getText(g_app.editUser));
    const std::string password = narrow(getText(g_app.editPass));
    if (user.empty() || password.empty()) {
        setLoginMessage(L"Bitte Username/E-Mail und Passwort eingeben.");
        invalidate();
        return;
    }
    g_app.token.clear();
    g_app.loginBusy = true;
    EnableWindow(g_app.btnLogin, FALSE);
    try {
        setLoginMessage(L"Login wird geprueft ...");
        invalidate();
        const std::string body = "{\"identifier\":\"" + jsonEscape(user) + "\",\"password\":\"" +
                                 jsonEscape(password) + "\"}";
        g_pendingLogin = runHttpAsync(L"Login", L"POST", contract::api::kAuthLogin, body, false);
    } catch (...) {
        // Nothing was sent and no answer will come: the card must not stay busy.
        g_pendingLogin = 0;
        g_app.loginBusy = false;
        EnableWindow(g_app.btnLogin, TRUE);
        try {
            setLoginMessage(L"Login fehlgeschlagen: Request konnte nicht gestartet werden.");
        } catch (...) {
        }
        invalidate();
    }
}

void doLogout() {
    beginNewSession();
    // Deleted off this thread, after any save still pending; a failure reaches the card later.
    queueSessionClear(currentSession());
    g_app.token.clear();
    g_app.showLogin = true;
    followLogoVisibility();
    g_app.loginBusy = false;
    g_pendingLogin = 0;
    setLoginMessage(kSignedOutMessage);
    g_app.statusText = L"Login erforderlich.";
    EnableWindow(g_app.btnLogin, TRUE);
    SetWindowTextW(g_app.editPass, L"");
    layout(g_app.hwnd);
    SetFocus(g_app.editUser);
    invalidate();
}

void handleHttpDone(LPARAM lParam) {
    const std::shared_ptr<HttpCompletion> record = claimHttpCompletion(lParam);
    if (!record) {
        return; // not a record handed out here, or one already taken
    }
    HttpResult& result = record->result;
    if (result.isLogin ? record->sequence != g_pendingLogin : record->session != currentSession()) {
        return; // meant for a sign-in or a session that is over: changes nothing
    }
    if (!result.isLogin) {
        completeHttpRequest(result);
        return;
    }
    g_pendingLogin = 0;
    g_app.loginBusy = false;
    EnableWindow(g_app.btnLogin, TRUE);
    if (result.token.empty()) {
        loginFailed(result);
    } else {
        loginSucceeded(result.token);
    }
}

} // namespace corvanta
