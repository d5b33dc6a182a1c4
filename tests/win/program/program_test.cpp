// The exe as it ships, read from the file beside this test: no debug sections (their info sits in
// a file next to it), only KnownDLLs imported at start, the usual hardening, the file properties and
// manifest Windows shows and applies, and one window however often it is started.
#include "backend/http.h"
#include "shell/ids.h"
#include "support/loopback_server.h"
#include "support/program.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

using cvtest::besideThisTest;

const std::wstring kProgram = besideThisTest(L"CorvantaNativeWin.exe");

std::vector<char> readAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

template <typename T> T at(const std::vector<char>& file, std::size_t offset) {
    T value{};
    if (offset + sizeof(T) <= file.size()) {
        std::memcpy(&value, file.data() + offset, sizeof(T));
    }
    return value;
}

struct Section {
    std::string name;
    std::uint32_t characteristics;
    std::uint32_t address;  // relative to the image base
    std::uint32_t size;     // of its bytes in the file
    std::uint32_t offset;   // of its bytes in the file
};

// The section table; a name longer than eight bytes is "/N", an offset into the COFF string
// table.
std::vector<Section> sectionsOf(const std::vector<char>& file) {
    const auto pe = at<std::uint32_t>(file, 0x3C);
    const auto fileHeader = pe + 4;
    const auto count = at<std::uint16_t>(file, fileHeader + 2);
    const auto symbols = at<std::uint32_t>(file, fileHeader + 8);
    const auto symbolCount = at<std::uint32_t>(file, fileHeader + 12);
    const auto optionalSize = at<std::uint16_t>(file, fileHeader + 16);
    const std::size_t strings = symbols + 18ull * symbolCount;
    std::vector<Section> sections;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t header = fileHeader + 20 + optionalSize + 40 * i;
        std::string name(file.data() + header, strnlen(file.data() + header, 8));
        if (!name.empty() && name[0] == '/' && symbols != 0) {
            const std::size_t offset = strings + std::stoul(name.substr(1));
            name = offset < file.size() ? std::string(file.data() + offset) : "?";
        }
        sections.push_back({name, at<std::uint32_t>(file, header + 36),
                            at<std::uint32_t>(file, header + 12), at<std::uint32_t>(file, header + 16),
                            at<std::uint32_t>(file, header + 20)});
    }
    return sections;
}

// Where a symbol of the COFF symbol table (kept in the debug file) lies in the image; 0 if absent.
std::uint32_t symbolAddress(const std::vector<char>& file, const std::string& wanted) {
    const auto fileHeader = at<std::uint32_t>(file, 0x3C) + 4;
    const auto symbols = at<std::uint32_t>(file, fileHeader + 8);
    const auto count = at<std::uint32_t>(file, fileHeader + 12);
    const std::vector<Section> sections = sectionsOf(file);
    for (std::size_t i = 0; symbols != 0 && i < count; ++i) {
        const std::size_t entry = symbols + 18 * i;
        std::string name;
        if (at<std::uint32_t>(file, entry) == 0) {
            const std::size_t offset = symbols + 18ull * count + at<std::uint32_t>(file, entry + 4);
            name = offset < file.size() ? std::string(file.data() + offset) : "";
        } else if (entry + 8 <= file.size()) {
            name.assign(file.data() + entry, strnlen(file.data() + entry, 8));
        }
        const auto section = at<std::int16_t>(file, entry + 12);
        if (name == wanted && section > 0 && static_cast<std::size_t>(section) <= sections.size()) {
            return sections[section - 1].address + at<std::uint32_t>(file, entry + 8);
        }
    }
    return 0;
}

std::wstring versionString(const std::vector<BYTE>& info, const wchar_t* key) {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) {
        return L"<none>";
    }
    return static_cast<const wchar_t*>(value);
}

} // namespace

TEST(ShippedProgram, CarriesNoDebugSectionsAndPointsAtItsDebugFile) {
    const std::vector<char> exe = readAll(kProgram);
    ASSERT_GT(exe.size(), 4096u) << "no program beside the test";
    EXPECT_LE(exe.size(), 1536u * 1024u);
    bool linked = false;
    for (const Section& section : sectionsOf(exe)) {
        EXPECT_NE(section.name.rfind(".debug", 0), 0u) << section.name;
        linked = linked || section.name == ".gnu_debuglink";
    }
    EXPECT_TRUE(linked);
    // The debug info sits beside the exe, for crash analysis.
    EXPECT_GT(readAll(kProgram + L".debug").size(), exe.size());
}

namespace {

// The DLLs the loader brings in before the program runs, from the exe mapped as an image.
std::vector<std::string> startImports() {
    std::vector<std::string> names;
    HMODULE mapped = LoadLibraryExW(kProgram.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (mapped == nullptr) {
        return names;
    }
    // The handle's low bits only mark it as a resource mapping.
    const auto* base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(mapped) & ~3ull);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
    const DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + rva);
         rva != 0 && d->Name != 0; ++d) {
        std::string name = reinterpret_cast<const char*>(base + d->Name);
        for (char& c : name) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        names.push_back(name);
    }
    FreeLibrary(mapped);
    return names;
}

} // namespace

// The loader takes a static import from the exe's folder first unless it is a KnownDLL; every
// other DLL is loaded on first use, after the program has limited the search to System32.
TEST(ShippedProgram, ImportsAtStartOnlyKnownDlls) {
    const std::vector<std::string> imports = startImports();
    ASSERT_NE(std::find(imports.begin(), imports.end(), "user32.dll"), imports.end());
    const std::vector<std::string> known = {"kernel32.dll", "user32.dll", "gdi32.dll",
                                            "msvcrt.dll", "advapi32.dll"};
    for (const std::string& dll : imports) {
        EXPECT_NE(std::find(known.begin(), known.end(), dll), known.end()) << dll;
    }
}

TEST(ShippedProgram, CarriesTheStandardHardening) {
    const std::vector<char> exe = readAll(kProgram);
    const auto optional = at<std::uint32_t>(exe, 0x3C) + 24;
    ASSERT_EQ(at<std::uint16_t>(exe, optional), 0x20B) << "not a 64-bit image";
    const auto flags = at<std::uint16_t>(exe, optional + 70);
    for (const auto& [bit, name] :
         {std::pair{IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE, "ASLR"},
          std::pair{IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA, "high-entropy ASLR"},
          std::pair{IMAGE_DLLCHARACTERISTICS_NX_COMPAT, "DEP"},
          std::pair{IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE, "terminal-server aware"}}) {
        EXPECT_NE(flags & bit, 0) << name;
    }
    bool relocations = false;
    for (const Section& section : sectionsOf(exe)) {
        relocations = relocations || section.name == ".reloc";
        EXPECT_FALSE((section.characteristics & IMAGE_SCN_MEM_WRITE) &&
                     (section.characteristics & IMAGE_SCN_MEM_EXECUTE))
            << section.name << " is writable and executable";
    }
    EXPECT_TRUE(relocations);
    // Protected functions end by calling the stack protector's handler when the guard has changed:
    // count the direct calls to it in the code.
    const std::uint32_t handler = symbolAddress(readAll(kProgram + L".debug"), "__stack_chk_fail");
    ASSERT_NE(handler, 0u) << "no stack protector linked";
    std::size_t calls = 0;
    for (const Section& section : sectionsOf(exe)) {
        if ((section.characteristics & IMAGE_SCN_MEM_EXECUTE) == 0) continue;
        for (std::uint32_t i = 0; i + 5 <= section.size; ++i) {
            const std::uint32_t next = section.address + i + 5;
            calls += exe[section.offset + i] == '\xE8' &&
                     next + at<std::int32_t>(exe, section.offset + i + 1) == handler;
        }
    }
    EXPECT_GT(calls, 50u) << "functions with buffers on the stack are not protected";
}

TEST(ShippedProgram, VersionResourceNamesTheProductAndMatchesTheUserAgent) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(kProgram.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(kProgram.c_str(), 0, size, info.data()));
    EXPECT_EQ(versionString(info, L"ProductName"), L"Corvanta Native Win");
    EXPECT_EQ(versionString(info, L"OriginalFilename"), L"CorvantaNativeWin.exe");
    const std::wstring version = versionString(info, L"ProductVersion");
    EXPECT_EQ(versionString(info, L"FileVersion"), version);

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const std::wstring fromNumbers = std::to_wstring(HIWORD(fixed->dwProductVersionMS)) + L"." +
                                     std::to_wstring(LOWORD(fixed->dwProductVersionMS)) + L"." +
                                     std::to_wstring(HIWORD(fixed->dwProductVersionLS));
    EXPECT_EQ(fromNumbers, version);

    // The user agent the exchange really sends carries the same major.minor.
    cvtest::LoopbackServer server;
    server.respond(cvtest::Response(200, "{}"));
    corvanta::requestWinHttp(L"GET", server.origin() + L"/version", "", "");
    ASSERT_EQ(server.requestCount(), 1u);
    const std::string agent = server.requests()[0].header("User-Agent").value_or("");
    const std::string prefix = "CorvantaNativeWin/";
    ASSERT_EQ(agent.rfind(prefix, 0), 0u) << agent;
    const std::string agentVersion = agent.substr(prefix.size());
    EXPECT_EQ(std::wstring(agentVersion.begin(), agentVersion.end()) + L".",
              version.substr(0, agentVersion.size() + 1));
}

TEST(ShippedProgram, ManifestRunsAsInvokerPerMonitorAwareWithClassicControls) {
    HMODULE image = LoadLibraryExW(kProgram.c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, nullptr);
    HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(image, found)));
    const std::string manifest(bytes, SizeofResource(image, found));
    FreeLibrary(image);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"),
              std::string::npos);
    // The program scales itself on every monitor; Windows stretches nothing.
    EXPECT_NE(manifest.find("<windowsSettings>"), std::string::npos);
    EXPECT_NE(manifest.find("WindowsSettings\">PerMonitorV2, PerMonitor</dpiAwareness>"),
              std::string::npos);
    EXPECT_NE(manifest.find("WindowsSettings\">true/pm</dpiAware>"), std::string::npos);
    EXPECT_EQ(manifest.find("gdiScaling"), std::string::npos);
    // The controls keep their classic look.
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
}

namespace {

bool waitFor(const std::function<bool()>& done, DWORD timeoutMs = 30000) {
    for (const DWORD start = GetTickCount(); !done(); Sleep(20)) {
        if (GetTickCount() - start > timeoutMs) {
            return done();
        }
    }
    return true;
}

DWORD ownerOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

std::wstring textOf(HWND control) {
    wchar_t text[128] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, &ignored);
    return text;
}

} // namespace

TEST(ShippedProgram, ASecondStartBringsTheRunningWindowBackAndEnds) {
    ASSERT_TRUE(cvtest::mainWindows().empty()) << "a program from before still runs";
    cvtest::Program first;
    ASSERT_TRUE(waitFor([&] {
        const auto shown = cvtest::mainWindows();
        return shown.size() == 1 && IsWindowVisible(shown[0]);
    }));
    const HWND window = cvtest::mainWindows()[0];
    ASSERT_EQ(ownerOf(window), first.id());
    const HWND user = GetDlgItem(window, corvanta::ID_EDIT_USER);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(user, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"lena@corvanta.test"),
                        SMTO_ABORTIFHUNG, 5000, &ignored);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(waitFor([&] { return IsIconic(window) != FALSE; }));

    cvtest::Program second;
    long code = -1;
    for (int i = 0; i < 400 && code == -1; ++i) {
        code = second.endsWithin(25);
        ASSERT_EQ(cvtest::mainWindows().size(), 1u) << "the second start opened a window";
    }
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(waitFor([&] { return !IsIconic(window) && GetForegroundWindow() == window; }, 5000))
        << "minimised " << IsIconic(window) << ", in front " << (GetForegroundWindow() == window);
    EXPECT_EQ(textOf(user), L"lena@corvanta.test");

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.endsWithin(20000), 0);
}

TEST(ShippedProgram, TwoStartsAtTheSameMomentLeaveOneWindowAndOneProgram) {
    ASSERT_TRUE(cvtest::mainWindows().empty()) << "a program from before still runs";
    cvtest::Program one(true), two(true);
    ASSERT_TRUE(one.started() && two.started());
    one.resume();
    two.resume();
    long codes[2] = {-1, -1};
    ASSERT_TRUE(waitFor([&] {
        codes[0] = one.endsWithin(0);
        codes[1] = two.endsWithin(0);
        return codes[0] != -1 || codes[1] != -1;
    })) << "both still run";
    const cvtest::Program& stays = codes[0] == -1 ? one : two;
    EXPECT_EQ(codes[0] == -1 ? codes[1] : codes[0], 0);
    EXPECT_EQ(stays.endsWithin(1000), -1) << "neither kept running";
    const auto windows = cvtest::mainWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(ownerOf(windows[0]), stays.id());

    PostMessageW(windows[0], WM_CLOSE, 0, 0);
    EXPECT_EQ(stays.endsWithin(20000), 0);
}
