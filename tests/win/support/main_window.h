// The real main window for tests: created through the program's own class and procedure,
// destroyed and the shell state reset afterwards.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace cvtest {

// Creates the window as the program opens it, at the size it chooses.
struct AsOpened {};

class MainWindow {
public:
    // Creates the window and gives it a client area of the given size.
    explicit MainWindow(int clientWidth = 1304, int clientHeight = 781);
    explicit MainWindow(AsOpened);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    void resizeClient(int width, int height);
    void command(int id);
    // Dispatches queued messages for the given time.
    void pump(int milliseconds = 0);
    // Pumps until the predicate holds or the timeout passes; returns the predicate's value.
    bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 10000);
    // Text of the output box.
    std::wstring output() const;
    // Closes the window as a user does and runs the program's own message loop until it ends,
    // as the program does before its process ends; returns the exit code.
    int closeAndFinish();
    // Leaves the login screen as a successful sign-in would, without a request.
    void signInForTest(const char* token = "test-token");

private:
    HWND hwnd_ = nullptr;
};

// A control's rectangle in client coordinates of its parent.
RECT childRect(HWND control);
bool isShown(HWND control);
// True when the window has an invalid region waiting for WM_PAINT.
bool hasPendingPaint(HWND hwnd);

} // namespace cvtest
