// One main window per desktop: a second start brings the running window forward and ends, so two
// windows never sign in as two accounts over one session file.
#pragma once
#include <windows.h>

namespace corvanta {

// Held by a start while it looks for a running main window and, finding none, opens its own: two
// starts at the same moment give one window. Only a live window counts, so a program that is still
// ending (its window gone) never makes a start wait or end.
class StartLock {
  public:
    StartLock();
    ~StartLock() { release(); }
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;
    void release();

  private:
    HANDLE mutex_ = nullptr;
    bool owned_ = false;
};

// The main window of a program already running on this desktop, or null.
HWND findRunningMainWindow();
// Restores the window if it is minimised and brings it to the front (Windows may only flash it).
// Nothing it holds is touched, and a program that does not answer cannot hold up the caller.
void bringForward(HWND window);

} // namespace corvanta
