#include "shell/app_state.h"

#include <algorithm>

namespace corvanta {

AppState g_app;

namespace {

// The edit control wraps a line by measuring all the rest of it again for every screen line it
// makes. Under Wine that cost grows faster than the square of the line: an answer of 12,000
// digits kept the window from answering for seconds, a 128 KB one for minutes. Handed over in
// pieces, the control only ever measures the line it is appending to.
constexpr std::size_t kOutputPiece = 1000;

std::size_t pieceEnd(const std::wstring& text, std::size_t at) {
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
    if (text.size() <= kOutputPiece) {
        SetWindowTextW(out, text.c_str());
        return;
    }
    // Appending, unlike setting the text, stops at the control's limit (30,000 by default).
    if (static_cast<std::size_t>(SendMessageW(out, EM_GETLIMITTEXT, 0, 0)) < text.size()) {
        SendMessageW(out, EM_SETLIMITTEXT, text.size(), 0);
    }
    std::size_t end = pieceEnd(text, 0);
    SetWindowTextW(out, text.substr(0, end).c_str());
    while (end < text.size()) {
        const std::size_t at = end;
        end = pieceEnd(text, at);
        const std::wstring piece = text.substr(at, end - at);
        const LPARAM length = GetWindowTextLengthW(out);
        SendMessageW(out, EM_SETSEL, length, length);
        SendMessageW(out, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
    }
    // Like a newly set text: caret and view at the start.
    SendMessageW(out, EM_SETSEL, 0, 0);
    SendMessageW(out, EM_SCROLLCARET, 0, 0);
}

void refreshIntro() {
    setOutput(introReport(g_app.screen, g_app.statusText));
}

} // namespace corvanta
