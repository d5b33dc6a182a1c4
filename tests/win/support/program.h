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
    // Suspended, it waits for resume(): two starts can then be let go at the same moment. `path`:
    // a copy of the exe elsewhere.
    explicit Program(bool suspended = false, std::wstring path = besideThisTest(L"CorvantaNativeWin.exe"));
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

// A fresh folder in %TEMP% for the program's APPDATA (the sign-in stores its session there),
// removed with what the program left in it.
class AppDataFolder {
  public:
    explicit AppDataFolder(const wchar_t* prefix);
    ~AppDataFolder();
    AppDataFolder(const AppDataFolder&) = delete;
    AppDataFolder& operator=(const AppDataFolder&) = delete;
    const std::wstring& path() const { return path_; }

  private:
    std::wstring path_;
};

} // namespace cvtest
