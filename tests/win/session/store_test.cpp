// The session store against real DPAPI and real files, with APPDATA pointed at a fresh folder
// whose name is not ASCII (umlaut, sharp s, euro sign and a surrogate pair).
#include "session/session.h"

#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace corvanta::secure_session;

namespace {

const std::wstring kKept = L"vorher";
const std::wstring kMsgNoFolder = L"Session-Verzeichnis konnte nicht erstellt werden.";
const std::wstring kMsgNotOpened = L"Session-Datei konnte nicht geschrieben werden.";
const std::wstring kMsgNotComplete = L"Session-Datei konnte nicht vollstaendig geschrieben werden.";
const std::wstring kMsgNotUnlocked = L"Gespeicherte Session konnte nicht entsperrt werden.";
const std::wstring kMsgNotDeleted = L"Session-Datei konnte nicht geloescht werden.";

std::optional<std::wstring> readEnv(const wchar_t* name) {
    const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0) {
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
            return std::nullopt;
        }
        return std::wstring();
    }
    std::wstring value(needed, L'\0');
    const DWORD n = GetEnvironmentVariableW(name, value.data(), needed);
    value.resize(n);
    return value;
}

void setAppData(const std::optional<std::wstring>& value) {
    SetEnvironmentVariableW(L"APPDATA", value ? value->c_str() : nullptr);
}

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Wine reports no attributes for a device such as /dev/full, but opens it.
bool opens(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

bool isDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Files are read and written with plain Win32 calls, independent of the store's streams.
std::string readBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot open " << path.size() << "-unit path for reading";
        return {};
    }
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    return bytes;
}

void writeBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    EXPECT_EQ(written, bytes.size());
    CloseHandle(file);
}

FILETIME lastWrite(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
    return data.ftLastWriteTime;
}

// What the service gives back for a blob, and the description stored inside it.
struct Unprotected {
    bool ok = false;
    std::string plain;
    std::wstring description;
};

Unprotected unprotect(const std::string& blob) {
    DATA_BLOB in{static_cast<DWORD>(blob.size()),
                 reinterpret_cast<BYTE*>(const_cast<char*>(blob.data()))};
    DATA_BLOB out{0, nullptr};
    LPWSTR description = nullptr;
    Unprotected result;
    result.ok = CryptUnprotectData(&in, &description, nullptr, nullptr, nullptr, 0, &out) != FALSE;
    if (result.ok) {
        result.plain.assign(reinterpret_cast<const char*>(out.pbData), out.cbData);
        LocalFree(out.pbData);
    }
    if (description != nullptr) {
        result.description = description;
        LocalFree(description);
    }
    return result;
}

std::size_t freshBlobSize(const std::string& token) {
    DATA_BLOB in{static_cast<DWORD>(token.size()),
                 reinterpret_cast<BYTE*>(const_cast<char*>(token.data()))};
    DATA_BLOB out{0, nullptr};
    if (!CryptProtectData(&in, L"Corvanta Native Win Session", nullptr, nullptr, nullptr, 0,
                          &out)) {
        ADD_FAILURE() << "CryptProtectData failed";
        return 0;
    }
    const std::size_t size = out.cbData;
    LocalFree(out.pbData);
    return size;
}

void setLastWrite(const std::wstring& path, WORD year) {
    HANDLE file =
        CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SYSTEMTIME when{year, 2, 0, 3, 4, 5, 6, 0};
    FILETIME time{};
    EXPECT_TRUE(SystemTimeToFileTime(&when, &time));
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
}

// Win32 rather than std::filesystem::remove_all, which spins forever under Wine on a link to a
// device; this one fails and the fixture reports the folder left behind.
void removeTree(const std::wstring& path) {
    WIN32_FIND_DATAW entry{};
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
                RemoveDirectoryW(child.c_str()); // a link: never follow it out of the folder
                DeleteFileW(child.c_str());
            } else if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                removeTree(child);
            } else {
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

// Wine starts a Unix program without a process handle, so the caller waits for its effect.
bool startUnix(const wchar_t* program, std::wstring command, const std::wstring& directory) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &startup, &process)) {
        return false;
    }
    if (process.hProcess != nullptr) {
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    return true;
}

bool waitUntil(bool (*done)(const std::wstring&), const std::wstring& path, bool wanted) {
    for (int i = 0; i < 400; ++i) {
        if (done(path) == wanted) {
            return true;
        }
        Sleep(25);
    }
    return false;
}

class Handle {
  public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    void close() {
        if (valid()) {
            CloseHandle(h_);
        }
        h_ = INVALID_HANDLE_VALUE;
    }

  private:
    HANDLE h_;
};

class SessionStore : public ::testing::Test {
  protected:
    void SetUp() override {
        savedAppData_ = readEnv(L"APPDATA");
        wchar_t cwd[MAX_PATH + 1] = {};
        GetCurrentDirectoryW(MAX_PATH + 1, cwd);
        savedCwd_ = cwd;

        static int counter = 0;
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
        root_ = std::wstring(temp) + L"cv_session_\u00C4\u00DF\u20AC\xD83D\xDD11_" +
                std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
        ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr));
        setAppData(root_);
    }

    void TearDown() override {
        setAppData(savedAppData_);
        SetCurrentDirectoryW(savedCwd_.c_str());
        removeTree(root_);
        EXPECT_FALSE(exists(root_)) << "temporary folder left behind";
        EXPECT_EQ(readEnv(L"APPDATA"), savedAppData_);
    }

    std::wstring folder() const { return root_ + L"\\CorvantaNativeWin"; }
    std::wstring file() const { return folder() + L"\\session.dpapi"; }

    std::wstring root_;
    std::optional<std::wstring> savedAppData_;
    std::wstring savedCwd_;
};

TEST_F(SessionStore, PathsFollowAppDataAndFallBackToCurrentDirectory) {
    EXPECT_EQ(appDataDir(), folder());
    EXPECT_EQ(sessionPath(), file());

    // 259 units still fit the 260-unit buffer with its terminator.
    const std::wstring longest = L"C:\\" + std::wstring(256, L'x');
    ASSERT_EQ(longest.size(), 259u);
    setAppData(longest);
    EXPECT_EQ(appDataDir(), longest + L"\\CorvantaNativeWin");
    EXPECT_EQ(sessionPath(), longest + L"\\CorvantaNativeWin\\session.dpapi");

    for (const std::optional<std::wstring>& unusable :
         {std::optional<std::wstring>(longest + L"y"),
          std::optional<std::wstring>(std::wstring(1000, L'z')),
          std::optional<std::wstring>(std::wstring()), std::optional<std::wstring>()}) {
        setAppData(unusable);
        EXPECT_EQ(appDataDir(), L"");
        EXPECT_EQ(sessionPath(), L"");
    }
}

TEST_F(SessionStore, EnsureDirCreatesOnlyTheLastLevel) {
    EXPECT_TRUE(ensureDir(folder()));
    EXPECT_TRUE(isDirectory(folder()));
    EXPECT_TRUE(ensureDir(folder())) << "an existing folder is success";
    EXPECT_TRUE(ensureDir(L"."));

    EXPECT_FALSE(ensureDir(root_ + L"\\fehlt\\CorvantaNativeWin"));
    EXPECT_FALSE(exists(root_ + L"\\fehlt"));
}

TEST_F(SessionStore, SaveAndLoadRoundTripEveryByteAndStoreOnlyTheBlob) {
    std::string token = "corvanta-bearer-token.Gr\xC3\xBC\xC3\x9F"
                        "e";
    token += std::string("a\0b\0\0c", 6);
    for (int b = 0; b < 256; ++b) {
        token += static_cast<char>(b);
    }
    std::wstring message = kKept;
    ASSERT_TRUE(saveToken(token, &message));
    EXPECT_EQ(message, kKept) << "success must not touch the message";

    const std::string stored = readBytes(file());
    ASSERT_FALSE(stored.empty());
    EXPECT_EQ(stored.find("corvanta-bearer-token"), std::string::npos) << "plaintext in the file";
    EXPECT_EQ(stored.find(token), std::string::npos);
    // No header, length or line end around the blob: the file is what the service made.
    const Unprotected opened = unprotect(stored);
    ASSERT_TRUE(opened.ok);
    EXPECT_EQ(opened.plain, token);
    EXPECT_EQ(opened.description, L"Corvanta Native Win Session");
    EXPECT_EQ(stored.size(), freshBlobSize(token));

    EXPECT_EQ(loadToken(&message), token);
    EXPECT_EQ(message, kKept);
    EXPECT_EQ(loadToken(nullptr), token);
}

TEST_F(SessionStore, SecondSaveReplacesTheFirst) {
    ASSERT_TRUE(saveToken(std::string(3000, 'L'), nullptr));
    const std::size_t longSize = readBytes(file()).size();

    std::wstring message = kKept;
    ASSERT_TRUE(saveToken("kurz", &message));
    EXPECT_EQ(message, kKept);
    const std::string stored = readBytes(file());
    // The file is truncated: nothing of the longer blob is left behind it.
    EXPECT_LT(stored.size(), longSize);
    EXPECT_EQ(stored.size(), freshBlobSize("kurz"));
    EXPECT_EQ(unprotect(stored).plain, "kurz");
    EXPECT_EQ(loadToken(nullptr), "kurz");
}

TEST_F(SessionStore, EmptyTokenTouchesNothing) {
    std::wstring message = kKept;
    EXPECT_TRUE(saveToken("", &message));
    EXPECT_TRUE(saveToken("", nullptr));
    EXPECT_EQ(message, kKept);
    EXPECT_FALSE(exists(folder())) << "no folder is made for nothing";

    ASSERT_TRUE(saveToken("behalten", nullptr));
    // An old, exact time makes any rewrite visible whatever the clock's resolution.
    setLastWrite(file(), 2001);
    const std::string before = readBytes(file());
    const FILETIME timeBefore = lastWrite(file());

    EXPECT_TRUE(saveToken("", &message));
    EXPECT_EQ(message, kKept);
    EXPECT_EQ(readBytes(file()), before);
    const FILETIME timeAfter = lastWrite(file());
    EXPECT_EQ(CompareFileTime(&timeBefore, &timeAfter), 0);
    EXPECT_EQ(loadToken(nullptr), "behalten");
}

TEST_F(SessionStore, ClearRemovesOnlyTheFileAndAMissingFileIsNoError) {
    std::wstring message = kKept;
    EXPECT_TRUE(clearToken(&message)) << "no folder";
    EXPECT_TRUE(clearToken(nullptr));
    ASSERT_TRUE(ensureDir(folder()));
    EXPECT_TRUE(clearToken(&message)) << "folder without file";
    EXPECT_EQ(message, kKept);

    ASSERT_TRUE(saveToken("weg", &message));
    ASSERT_TRUE(exists(file()));
    EXPECT_TRUE(clearToken(&message));
    EXPECT_EQ(message, kKept);
    EXPECT_FALSE(exists(file()));
    EXPECT_TRUE(isDirectory(folder())) << "the folder stays";

    EXPECT_EQ(loadToken(&message), "");
    EXPECT_EQ(message, kKept);
}

TEST_F(SessionStore, LoadGivesNothingForMissingEmptyOrDamagedFiles) {
    std::wstring message = kKept;
    EXPECT_EQ(loadToken(&message), "") << "no folder";
    ASSERT_TRUE(ensureDir(folder()));
    EXPECT_EQ(loadToken(&message), "") << "no file";
    writeBytes(file(), "");
    EXPECT_EQ(loadToken(&message), "") << "empty file";
    EXPECT_EQ(message, kKept);

    ASSERT_TRUE(saveToken("geheim", nullptr));
    const std::string blob = readBytes(file());
    std::string badVersion = blob;
    badVersion[0] = static_cast<char>(badVersion[0] ^ 0x55);
    // Wine's DPAPI lets some altered bytes in the middle through, so these three damages are
    // ones both Wine and Windows refuse.
    for (const std::string& damaged : {std::string("not a protected blob \0\x01\x02", 24),
                                       blob.substr(0, blob.size() / 2), badVersion}) {
        writeBytes(file(), damaged);
        message = kKept;
        EXPECT_EQ(loadToken(&message), "");
        EXPECT_EQ(message, kMsgNotUnlocked) << "the message replaces what was there";
        EXPECT_EQ(loadToken(nullptr), "");
    }
}

TEST_F(SessionStore, SaveFailsWhenTheFolderCannotBeMade) {
    setAppData(root_ + L"\\fehlt");
    std::wstring message = kKept;
    EXPECT_FALSE(saveToken("abc", &message));
    EXPECT_EQ(message, kMsgNoFolder);
    EXPECT_FALSE(saveToken("abc", nullptr));
    EXPECT_FALSE(exists(root_ + L"\\fehlt"));
}

TEST_F(SessionStore, SaveFailsWhenTheFileCannotBeOpenedForWriting) {
    ASSERT_TRUE(ensureDir(folder()));
    ASSERT_TRUE(CreateDirectoryW(file().c_str(), nullptr));
    std::wstring message = kKept;
    EXPECT_FALSE(saveToken("abc", &message));
    EXPECT_EQ(message, kMsgNotOpened);
    EXPECT_FALSE(saveToken("abc", nullptr));
    // A folder in the file's place is an unreadable file: no token and no message.
    message = kKept;
    EXPECT_EQ(loadToken(&message), "");
    EXPECT_EQ(message, kKept);
}

TEST_F(SessionStore, ClearReportsAFileThatCannotBeDeleted) {
    ASSERT_TRUE(saveToken("offen", nullptr));
    std::wstring message = kKept;
    {
        // Held open without FILE_SHARE_DELETE: the delete is a sharing violation (Wine too).
        Handle held(CreateFileW(file().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.valid());
        EXPECT_FALSE(clearToken(&message));
        EXPECT_EQ(message, kMsgNotDeleted);
        EXPECT_FALSE(clearToken(nullptr));
        EXPECT_TRUE(exists(file()));
    }
    EXPECT_EQ(loadToken(nullptr), "offen") << "the failed delete left the session intact";

    ASSERT_TRUE(SetFileAttributesW(file().c_str(), FILE_ATTRIBUTE_READONLY));
    message = kKept;
    EXPECT_FALSE(clearToken(&message));
    EXPECT_EQ(message, kMsgNotDeleted);
    ASSERT_TRUE(SetFileAttributesW(file().c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(clearToken(nullptr));

    ASSERT_TRUE(CreateDirectoryW(file().c_str(), nullptr));
    message = kKept;
    EXPECT_FALSE(clearToken(&message)) << "a folder in the file's place is not deleted";
    EXPECT_EQ(message, kMsgNotDeleted);
    EXPECT_TRUE(isDirectory(file()));
}

// The current folder may be anything; a session there would outlive the logout.
TEST_F(SessionStore, WithoutAppDataNothingIsStoredAndTheCurrentFolderIsLeftAlone) {
    ASSERT_TRUE(SetCurrentDirectoryW(root_.c_str()));
    const std::wstring stranger = root_ + L"\\session.dpapi";
    writeBytes(stranger, "fremd");
    for (const std::optional<std::wstring>& unusable :
         {std::optional<std::wstring>(), std::optional<std::wstring>(std::wstring(300, L'x'))}) {
        setAppData(unusable);
        std::wstring message = kKept;
        EXPECT_FALSE(saveToken("hier", &message));
        EXPECT_EQ(message, L"Session nicht gespeichert: APPDATA fehlt oder ist zu lang.");
        message = kKept;
        EXPECT_EQ(loadToken(&message), "");
        EXPECT_TRUE(clearToken(&message));
        EXPECT_EQ(message, kKept);
        EXPECT_EQ(readBytes(stranger), "fremd");
        EXPECT_FALSE(exists(folder()));
    }
}

TEST_F(SessionStore, AWriteThatNeverReachesTheDiskIsReported) {
    // /dev/full takes the bytes into the stream buffer and fails only when they are written out.
    // Wine can link it in place of the file with a Unix ln; Windows has no such device.
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    if (!wine || !opens(L"Z:\\dev\\full") || !exists(L"Z:\\bin\\ln") || !exists(L"Z:\\bin\\rm")) {
        GTEST_SKIP() << "needs Wine with /dev/full, /bin/ln and /bin/rm";
    }
    ASSERT_TRUE(ensureDir(folder()));
    // Wine cannot delete the link itself (it opens the device), so a Unix rm takes it away again.
    struct Unlink {
        std::wstring folder, file;
        ~Unlink() {
            if (opens(file) && startUnix(L"Z:\\bin\\rm", L"rm -f session.dpapi", folder)) {
                EXPECT_TRUE(waitUntil(opens, file, false));
            }
        }
    } unlink{folder(), file()};
    ASSERT_TRUE(startUnix(L"Z:\\bin\\ln", L"ln -s /dev/full session.dpapi", folder()));
    ASSERT_TRUE(waitUntil(opens, file(), true));

    std::wstring message = kKept;
    EXPECT_FALSE(saveToken("verloren", &message));
    EXPECT_EQ(message, kMsgNotComplete);
    EXPECT_FALSE(saveToken("verloren", nullptr));
}

} // namespace
