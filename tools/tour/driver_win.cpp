#include "driver.h"

#include <vector>

namespace tour {
namespace {

// A hung program must not hang the driver: every message to it has this limit.
constexpr UINT kSendTimeoutMs = 5000;
constexpr DWORD kPollMs = 100;

struct Search {
    const wchar_t* className;
    DWORD processId;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    wchar_t name[128] = {};
    if (GetClassNameW(hwnd, name, 128) == 0 || lstrcmpW(name, search->className) != 0 ||
        !IsWindowVisible(hwnd)) {
        return TRUE;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (search->processId != 0 && pid != search->processId) {
        return TRUE;
    }
    search->found = hwnd;
    return FALSE;
}

LRESULT send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, const char* what) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                            &result) == 0) {
        throw DriveError(std::string("the program did not answer (") + what + ") within " +
                         std::to_string(kSendTimeoutMs / 1000) + " s");
    }
    return static_cast<LRESULT>(result);
}

} // namespace

std::string utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                            n, nullptr, nullptr);
    }
    return out;
}

std::string excerpt(const std::wstring& text, int count) {
    std::string out;
    size_t start = 0;
    for (int line = 0; line < count && start <= text.size(); ++line) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) {
            end = text.size();
        }
        std::wstring piece = text.substr(start, end - start);
        if (!piece.empty() && piece.back() == L'\r') {
            piece.pop_back();
        }
        if (piece.size() > 160) {
            piece = piece.substr(0, 160) + L" ...";
        }
        out += "    | " + utf8(piece) + "\n";
        if (end == text.size()) {
            break;
        }
        start = end + 1;
    }
    return out;
}

bool contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

std::wstring firstLine(const std::wstring& text) {
    const size_t end = text.find_first_of(L"\r\n");
    return end == std::wstring::npos ? text : text.substr(0, end);
}

HWND findShownWindow(const wchar_t* className, DWORD processId) {
    Search search{className, processId, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Driver Driver::attach(const wchar_t* className, int timeoutMs, DWORD processId) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND hwnd = findShownWindow(className, processId)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            return Driver(hwnd, pid);
        }
        if (static_cast<int>(GetTickCount() - start) >= timeoutMs) {
            throw DriveError("no shown window of class " + utf8(className) + " after " +
                             std::to_string(timeoutMs / 1000) + " s (did the program start?)");
        }
        Sleep(kPollMs);
    }
}

HWND Driver::control(int id) const {
    if (!alive()) {
        throw DriveError("the program's main window is gone (did it end?)");
    }
    HWND hwnd = GetDlgItem(main_, id);
    if (hwnd == nullptr) {
        throw DriveError("the main window has no control " + std::to_string(id));
    }
    return hwnd;
}

bool Driver::shown(int id) const { return IsWindowVisible(control(id)) != FALSE; }

bool Driver::enabled(int id) const { return IsWindowEnabled(control(id)) != FALSE; }

std::wstring Driver::text(int id) const {
    HWND hwnd = control(id);
    const LRESULT length = send(hwnd, WM_GETTEXTLENGTH, 0, 0, "WM_GETTEXTLENGTH");
    if (length <= 0) {
        return {};
    }
    // The text may grow between the two messages; the buffer bounds what is read.
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 64, L'\0');
    const LRESULT copied = send(hwnd, WM_GETTEXT, buffer.size(),
                                reinterpret_cast<LPARAM>(buffer.data()), "WM_GETTEXT");
    const size_t n = copied > 0 ? static_cast<size_t>(copied) : 0;
    return std::wstring(buffer.data(), n < buffer.size() ? n : buffer.size() - 1);
}

void Driver::setText(int id, const std::wstring& value) const {
    if (!send(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()),
              "WM_SETTEXT")) {
        throw DriveError("control " + std::to_string(id) + " refused its new text");
    }
}

void Driver::click(int id) const {
    HWND button = control(id);
    // A button that was never laid out has an empty client area, and BM_CLICK then releases
    // the press outside of it: no click. Saying so beats waiting for a result that never comes.
    RECT rect{};
    GetClientRect(button, &rect);
    if (!IsWindowVisible(button) || rect.right <= 0 || rect.bottom <= 0) {
        throw DriveError("button " + std::to_string(id) + " is not shown, cannot click it");
    }
    send(button, BM_CLICK, 0, 0, "BM_CLICK");
}

void Driver::waitUntil(const std::string& what, int timeoutMs,
                       const std::function<bool()>& done) const {
    const DWORD start = GetTickCount();
    for (;;) {
        if (!alive()) {
            throw DriveError("the program ended while waiting for " + what);
        }
        if (done()) {
            return;
        }
        if (static_cast<int>(GetTickCount() - start) >= timeoutMs) {
            throw DriveError("timed out after " + std::to_string(timeoutMs / 1000) +
                             " s waiting for " + what);
        }
        Sleep(kPollMs);
    }
}

void Driver::settle() const {
    InvalidateRect(main_, nullptr, TRUE);
    // A sent message is handled only between the program's other messages; once it returns the
    // queue has been worked through up to here, and the paint follows when the queue is empty.
    send(main_, WM_NULL, 0, 0, "WM_NULL");
    Sleep(400);
    send(main_, WM_NULL, 0, 0, "WM_NULL");
}

bool Driver::close(int timeoutMs) const {
    if (!alive()) {
        return true;
    }
    PostMessageW(main_, WM_CLOSE, 0, 0);
    const DWORD start = GetTickCount();
    while (alive()) {
        if (static_cast<int>(GetTickCount() - start) >= timeoutMs) {
            return false;
        }
        Sleep(kPollMs);
    }
    return true;
}

} // namespace tour
