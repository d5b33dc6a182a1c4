#include "shell/app_state.h"

#include <algorithm>
#include <string_view>

namespace corvanta {

AppState g_app;

namespace {

// The edit control wraps a line by measuring all the rest of it again for every screen line it
// makes. Under Wine that cost grows faster than the square of the line: an answer of 12,000
// digits kept the window from answering for seconds, a 128 KB one for minutes. Handed over in
// pieces, the control only ever measures the line it is appending to.
constexpr std::size_t kOutputPiece = 1000;

std::size_t pieceEnd(std::wstring_view text, std::size_t at) {
    std::size_t end = std::min(text.size(), at + kOutputPiece);
    // Never part a surrogate pair or a line end.
    if (end < text.size() &&
        ((text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF) || text[end - 1] == L'\r')) {
        ++end;
    }
    return end;
}

} // namespace

void setOutput(const std::wstring& text) {
    HWND out = g_app.output;
    // The box ends up as one SetWindowTextW would leave it: the text up to its first NUL.
    const std::wstring_view shown(text.c_str(), std::min(text.size(), text.find(L'\0')));
    if (shown.size() <= kOutputPiece) {
        SetWindowTextW(out, text.c_str());
        return;
    }
    // Appending, unlike setting the text, stops at the control's limit (30,000 by default).
    if (static_cast<std::size_t>(SendMessageW(out, EM_GETLIMITTEXT, 0, 0)) < shown.size()) {
        SendMessageW(out, EM_SETLIMITTEXT, shown.size(), 0);
    }
    // No piece by piece scrolling and painting. Turning redraw on again sets WS_VISIBLE, so a
    // hidden box (the login screen) is left alone: it paints nothing anyway.
    const bool visible = (GetWindowLongPtrW(out, GWL_STYLE) & WS_VISIBLE) != 0;
    if (visible) {
        SendMessageW(out, WM_SETREDRAW, FALSE, 0);
    }
    std::size_t end = pieceEnd(shown, 0);
    SetWindowTextW(out, std::wstring(shown.substr(0, end)).c_str());
    while (end < shown.size()) {
        const std::size_t at = end;
        end = pieceEnd(shown, at);
        const std::wstring piece(shown.substr(at, end - at));
        const LPARAM length = GetWindowTextLengthW(out);
        SendMessageW(out, EM_SETSEL, length, length);
        SendMessageW(out, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
    }
    // Like a newly set text: caret and view at the start.
    SendMessageW(out, EM_SETSEL, 0, 0);
    SendMessageW(out, EM_SCROLLCARET, 0, 0);
    if (visible) {
        SendMessageW(out, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(out, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
    }
}

void refreshIntro() {
    setOutput(introReport(g_app.screen, g_app.statusText));
}

void setLoginMessage(const std::wstring& message) {
    if (message == g_app.loginMessage) {
        return;
    }
    g_app.loginMessage = message;
    // Before the controls exist (the origin notice at start) nobody can be listening.
    if (g_app.btnLogin != nullptr) {
        NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, g_app.btnLogin, OBJID_CLIENT, CHILDID_SELF);
    }
}

} // namespace corvanta
