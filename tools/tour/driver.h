// Works another process's window through ordinary window messages: find it, read and set
// control texts, click buttons, wait for results. Every wait is bounded.
#pragma once
#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace tour {

// A step that could not be done; the message says what and why.
struct DriveError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string utf8(const std::wstring& text);
// The first count lines of a CRLF text, each indented, for the log.
std::string excerpt(const std::wstring& text, int count);
bool contains(const std::wstring& text, const std::wstring& part);
std::wstring firstLine(const std::wstring& text);

// A visible top-level window of the class, or null. A non-zero process id narrows the search.
HWND findShownWindow(const wchar_t* className, DWORD processId = 0);

class Driver {
public:
    // Waits up to timeoutMs for the program's main window to be shown; of the given process
    // only, when processId is not 0.
    static Driver attach(const wchar_t* className, int timeoutMs, DWORD processId = 0);

    HWND main() const { return main_; }
    DWORD processId() const { return processId_; }
    bool alive() const { return IsWindow(main_) != FALSE; }

    // The child control with the id; throws when the program has none.
    HWND control(int id) const;
    bool shown(int id) const;
    bool enabled(int id) const;
    std::wstring text(int id) const;
    void setText(int id, const std::wstring& value) const;
    // BM_CLICK: the button sends its parent the same WM_COMMAND a mouse click would.
    void click(int id) const;

    // Polls until done() holds; throws after timeoutMs with what was awaited, or at once when
    // the program's window is gone.
    void waitUntil(const std::string& what, int timeoutMs, const std::function<bool()>& done) const;
    // Lets queued messages and paints of the program run before a screenshot.
    void settle() const;
    // Asks the main window to close and waits for it to go.
    bool close(int timeoutMs) const;

private:
    Driver(HWND main, DWORD processId) : main_(main), processId_(processId) {}
    HWND main_;
    DWORD processId_;
};

} // namespace tour
