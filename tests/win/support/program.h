// The shipped exe, started from beside the test binary as a user starts it, with the test's
// environment.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace cvtest {

std::wstring besideThisTest(const wchar_t* name);

class Program {
  public:
    // Suspended, it waits for resume(): two starts can then be let go at the same moment.
    explicit Program(bool suspended = false);
    ~Program(); // ends it if it still runs
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool started() const { return info_.hProcess != nullptr; }
    DWORD id() const { return info_.dwProcessId; }
    void resume() const { ResumeThread(info_.hThread); }
    // The exit code once it ended within timeoutMs, else -1.
    long endsWithin(DWORD timeoutMs) const;

  private:
    PROCESS_INFORMATION info_{};
};

// Every main window of the program on this desktop, whichever process owns it.
std::vector<HWND> mainWindows();

} // namespace cvtest
