// The shipped exe beside other programs of the same user: what they post or send to its windows,
// write into its controls' window memory or leave in its folder changes nothing and runs nothing
// inside it. This process plays the other program.
#include "shell/accessibility.h"
#include "shell/ids.h"
#include "shell/window.h"
#include "studio/studio.h"
#include "running.h"

#include <oleacc.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace corvanta;
using cvtest::besideThisTest;
using cvtest::kAnswerMs;
using cvtest::Running;

namespace {

constexpr LPARAM kWild = static_cast<LPARAM>(0x4141414141414141ull);

RECT placed(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

bool operator==(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

// An address in committed private read-write memory of the process, where its heap lies.
LPARAM heapAddressOf(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    MEMORY_BASIC_INFORMATION info{};
    LPARAM found = 0;
    for (std::uintptr_t at = 0x10000;
         found == 0 && VirtualQueryEx(process, reinterpret_cast<void*>(at), &info, sizeof(info)) ==
                           sizeof(info);
         at = reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE &&
            info.Protect == PAGE_READWRITE && info.RegionSize >= 0x10000) {
            found = reinterpret_cast<LPARAM>(info.BaseAddress) + 0x100;
        }
    }
    CloseHandle(process);
    return found;
}

// Every message of the program's own, and every system message whose lParam points at a
// structure, with values another program could choose. The system marshals WM_GETMINMAXINFO
// and WM_DRAWITEM from the sender's memory when they are sent, so those are only posted.
void forge(HWND window, const std::vector<LPARAM>& values) {
    constexpr UINT kDpiChanged = 0x02E0;
    for (const UINT message : {WM_APP + 1u, WM_APP + 2u, WM_APP + 3u, kDpiChanged,
                               static_cast<UINT>(WM_GETMINMAXINFO), static_cast<UINT>(WM_DRAWITEM)}) {
        const WPARAM wParam = message == kDpiChanged ? MAKEWPARAM(144, 144) : 0;
        for (const LPARAM value : values) {
            PostMessageW(window, message, wParam, value);
            if (message >= WM_APP || message == kDpiChanged) {
                DWORD_PTR ignored = 0;
                SendMessageTimeoutW(window, message, wParam, value, SMTO_ABORTIFHUNG, 5000,
                                    &ignored);
            }
        }
    }
}

} // namespace

TEST(BesideOtherPrograms, ForgedMessagesChangeNothing) {
    Running p;
    const HWND main = p.d().main();
    const auto image = static_cast<LPARAM>(GetWindowLongPtrW(main, GWLP_HINSTANCE)) + 0x1000;
    const std::vector<LPARAM> values = {0, 1, image, heapAddressOf(p.program->id()), kWild};
    ASSERT_NE(values[3], 0) << "no heap found in the program";

    const std::vector<std::wstring> before = p.texts();
    const RECT mainPlaced = placed(main);
    forge(main, values);
    p.fence();
    EXPECT_TRUE(p.d().alive());
    EXPECT_EQ(p.texts(), before);
    EXPECT_TRUE(placed(main) == mainPlaced);

    // Signed in, with the studio's own window open, and a Refresh afterwards still works.
    p.refreshWallet("4711");
    p.d().click(ID_NAV_TREVACAST);
    p.d().click(ID_BTN_TREVACAST);
    HWND studio = nullptr;
    p.d().waitUntil("the studio window", kAnswerMs, [&] {
        return (studio = tour::findShownWindow(kStudioWindowClass, p.program->id())) != nullptr;
    });
    const RECT studioPlaced = placed(studio);
    const std::wstring report = p.d().text(ID_OUTPUT);
    forge(main, values);
    forge(studio, values);
    p.fence();
    EXPECT_EQ(p.d().text(ID_OUTPUT), report);
    EXPECT_TRUE(placed(main) == mainPlaced);
    EXPECT_TRUE(placed(studio) == studioPlaced);
    p.refreshWallet("4712");
}

TEST(BesideOtherPrograms, ForeignWindowMemoryIsNeverCalled) {
    Running p;
    const std::vector<std::wstring> before = p.texts();
    for (int id : cvtest::controlIds()) {
        SetWindowLongPtrW(p.d().control(id), GWLP_USERDATA, 0x4242424242424242);
    }
    EXPECT_EQ(p.texts(), before);
    // Typing, clicking and the answer's report still reach the controls.
    p.refreshWallet("4711");
    EXPECT_TRUE(p.d().alive());
}

namespace {

// System DLLs the program loads that are no KnownDLL on Windows (or whose copy beside the exe
// Wine takes when told to load it native first). Not version, which Wine's own user32 imports
// before the program runs; not crypt32 and ole32, which Wine's own winhttp and imm32 load by bare
// name through their delay imports, past the search directories the program has set (Windows'
// loader applies them to system DLLs' imports too, and ole32 is a KnownDLL there).
const wchar_t* const kPlanted[] = {L"winhttp",  L"oleacc",  L"comctl32",
                                   L"oleaut32", L"uxtheme", L"dwmapi"};

// Wine loads these programs' DLLs native first, Windows' own order for DLLs that are no
// KnownDLL, while it lives (Wine's per-program overrides; WINEDLLOVERRIDES set here would not
// reach a program this process starts).
class NativeFirst {
  public:
    explicit NativeFirst(std::vector<std::wstring> programs) : programs_(std::move(programs)) {
        for (const std::wstring& program : programs_) {
            HKEY key = nullptr;
            if (RegCreateKeyExW(HKEY_CURRENT_USER, keyFor(program).c_str(), 0, nullptr, 0,
                                KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
                for (const wchar_t* name : kPlanted) {
                    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"native,builtin"),
                                   sizeof(L"native,builtin"));
                }
                RegCloseKey(key);
            }
        }
    }
    ~NativeFirst() {
        for (const std::wstring& program : programs_) {
            RegDeleteTreeW(HKEY_CURRENT_USER, keyFor(program).c_str());
        }
    }
    NativeFirst(const NativeFirst&) = delete;
    NativeFirst& operator=(const NativeFirst&) = delete;

  private:
    static std::wstring keyFor(const std::wstring& program) {
        return L"Software\\Wine\\AppDefaults\\" + program + L"\\DllOverrides";
    }
    std::vector<std::wstring> programs_;
};

// The planted DLLs that were loaded since the last call (their markers are removed).
std::vector<std::wstring> loadedPlanted(const std::wstring& folder) {
    std::vector<std::wstring> loaded;
    for (const wchar_t* name : kPlanted) {
        const std::wstring marker = folder + name + L".dll.loaded";
        if (DeleteFileW(marker.c_str())) {
            loaded.push_back(name);
        }
    }
    return loaded;
}

// What a screen reader does: every control's object, its name, and its type information
// through IDispatch.
void readLikeAScreenReader(const tour::Driver& d) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    for (int id : cvtest::controlIds()) {
        IAccessible* object = nullptr;
        ASSERT_EQ(AccessibleObjectFromWindow(d.control(id), static_cast<DWORD>(OBJID_CLIENT),
                                             kIidAccessible, reinterpret_cast<void**>(&object)),
                  S_OK);
        BSTR name = nullptr;
        EXPECT_EQ(object->get_accName(self, &name), S_OK) << id;
        SysFreeString(name);
        UINT count = 0;
        object->GetTypeInfoCount(&count);
        object->Release();
    }
    CoUninitialize();
}

} // namespace

TEST(BesideOtherPrograms, DllsLyingBesideTheExeAreNeverLoaded) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"cv-planted-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(besideThisTest(L"CorvantaNativeWin.exe").c_str(),
                          (folder + L"CorvantaNativeWin.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(besideThisTest(L"cv_careless_loader.exe").c_str(),
                          (folder + L"careless.exe").c_str(), FALSE));
    for (const wchar_t* name : kPlanted) {
        ASSERT_TRUE(CopyFileW(besideThisTest(L"cv_marker.dll").c_str(),
                              (folder + name + L".dll").c_str(), FALSE));
    }
    {
        const NativeFirst native({L"careless.exe", L"CorvantaNativeWin.exe"});

        // The planting works: a program that does not limit its search takes the DLL.
        cvtest::Program careless(false, folder + L"careless.exe");
        EXPECT_EQ(careless.endsWithin(kAnswerMs), 0);
        EXPECT_EQ(loadedPlanted(folder), std::vector<std::wstring>{L"winhttp"});

        Running p(folder + L"CorvantaNativeWin.exe");
        p.refreshWallet("4711");
        readLikeAScreenReader(p.d());
        EXPECT_TRUE(p.d().close(15000));
        EXPECT_EQ(p.program->endsWithin(15000), 0);
    }
    EXPECT_EQ(loadedPlanted(folder), std::vector<std::wstring>{});

    for (const wchar_t* name : {L"CorvantaNativeWin.exe", L"careless.exe"}) {
        DeleteFileW((folder + name).c_str());
    }
    for (const wchar_t* name : kPlanted) {
        DeleteFileW((folder + name + L".dll").c_str());
    }
    RemoveDirectoryW(folder.c_str());
}
