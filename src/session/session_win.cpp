// The session file holds nothing but the blob DPAPI returns for the token's bytes, bound to the
// current user; no header, so the service alone decides whether it can be read back.
#include "session/session.h"

#include <windows.h>
#include <wincrypt.h>

#include <atomic>
#include <limits>
#include <vector>

namespace corvanta::secure_session {
namespace {

constexpr DWORD kEnvUnits = 260;
constexpr wchar_t kDescription[] = L"Corvanta Native Win Session";

constexpr wchar_t kMsgNoFolder[] = L"Session-Verzeichnis konnte nicht erstellt werden.";
constexpr wchar_t kMsgNoProfile[] = L"Session nicht gespeichert: APPDATA fehlt oder ist zu lang.";
constexpr wchar_t kMsgNotProtected[] = L"Session konnte nicht geschuetzt werden.";
constexpr wchar_t kMsgNotOpened[] = L"Session-Datei konnte nicht geschrieben werden.";
constexpr wchar_t kMsgNotComplete[] =
    L"Session-Datei konnte nicht vollstaendig geschrieben werden.";
constexpr wchar_t kMsgNotUnlocked[] = L"Gespeicherte Session konnte nicht entsperrt werden.";
constexpr wchar_t kMsgNotDeleted[] = L"Session-Datei konnte nicht geloescht werden.";

std::atomic<unsigned> g_slowStoreMs{0};

void waitLikeASlowShare() {
    if (const unsigned ms = g_slowStoreMs.load()) {
        Sleep(ms);
    }
}

// A buffer the data protection service allocated. Wiped before LocalFree: the unprotected one
// holds the token itself.
class DpapiBuffer {
  public:
    DpapiBuffer() = default;
    DpapiBuffer(const DpapiBuffer&) = delete;
    DpapiBuffer& operator=(const DpapiBuffer&) = delete;
    ~DpapiBuffer() {
        if (blob_.pbData != nullptr) {
            SecureZeroMemory(blob_.pbData, blob_.cbData);
            LocalFree(blob_.pbData);
        }
    }

    DATA_BLOB* out() { return &blob_; }
    const char* bytes() const { return reinterpret_cast<const char*>(blob_.pbData); }
    std::size_t size() const { return blob_.cbData; }

  private:
    DATA_BLOB blob_{0, nullptr};
};

// An open file, closed when it goes out of scope. Others may read and write it meanwhile, as with
// the C runtime's files.
class File {
  public:
    File(const std::wstring& path, DWORD access, DWORD disposition)
        : handle_(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              disposition, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~File() {
        if (isOpen()) {
            CloseHandle(handle_);
        }
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

// The service takes non-const input pointers but does not write through them.
DATA_BLOB inputBlob(const char* data, std::size_t size) {
    return DATA_BLOB{static_cast<DWORD>(size), reinterpret_cast<BYTE*>(const_cast<char*>(data))};
}

void fail(std::wstring* message, const wchar_t* text) {
    if (message != nullptr) {
        *message = text;
    }
}

bool saveTokenImpl(const std::string& token, std::wstring* message) {
    if (token.empty()) {
        return true;
    }
    const std::wstring folder = appDataDir();
    if (folder.empty()) {
        fail(message, kMsgNoProfile);
        return false;
    }
    if (!ensureDir(folder)) {
        fail(message, kMsgNoFolder);
        return false;
    }

    DpapiBuffer blob;
    DATA_BLOB plain = inputBlob(token.data(), token.size());
    if (token.size() > std::numeric_limits<DWORD>::max() ||
        !CryptProtectData(&plain, kDescription, nullptr, nullptr, nullptr, 0, blob.out())) {
        fail(message, kMsgNotProtected);
        return false;
    }

    File out(sessionPath(), GENERIC_WRITE, CREATE_ALWAYS);
    if (!out.isOpen()) {
        fail(message, kMsgNotOpened);
        return false;
    }
    // Unbuffered: a full disk shows here, not at a close that reports nothing.
    DWORD written = 0;
    if (!WriteFile(out.get(), blob.bytes(), static_cast<DWORD>(blob.size()), &written, nullptr) ||
        written != blob.size()) {
        fail(message, kMsgNotComplete);
        return false;
    }
    return true;
}

std::string loadTokenImpl(std::wstring* message) {
    const std::wstring path = sessionPath();
    if (path.empty()) {
        return {};
    }
    std::vector<char> stored;
    {
        File in(path, GENERIC_READ, OPEN_EXISTING);
        if (!in.isOpen()) {
            return {};
        }
        char chunk[4096];
        DWORD read = 0;
        for (;;) {
            // A read error part-way counts as an unreadable file, not as a damaged blob.
            if (!ReadFile(in.get(), chunk, sizeof(chunk), &read, nullptr)) {
                return {};
            }
            if (read == 0) {
                break;
            }
            stored.insert(stored.end(), chunk, chunk + read);
        }
    }
    if (stored.empty()) {
        return {};
    }

    DpapiBuffer plain;
    DATA_BLOB protectedBlob = inputBlob(stored.data(), stored.size());
    if (stored.size() > std::numeric_limits<DWORD>::max() ||
        !CryptUnprotectData(&protectedBlob, nullptr, nullptr, nullptr, nullptr, 0, plain.out())) {
        fail(message, kMsgNotUnlocked);
        return {};
    }
    return std::string(plain.bytes(), plain.size());
}

} // namespace

std::wstring appDataDir() {
    wchar_t buffer[kEnvUnits] = {};
    const DWORD n = GetEnvironmentVariableW(L"APPDATA", buffer, kEnvUnits);
    // 0 means unset or empty; n >= the buffer size is the size needed when it did not fit.
    // Without a profile folder there is no place for the session: the current folder may be
    // anything, even shared, and a token left there would outlive the logout.
    if (n == 0 || n >= kEnvUnits) {
        return {};
    }
    return std::wstring(buffer, n) + L"\\CorvantaNativeWin";
}

bool ensureDir(const std::wstring& folder) {
    if (CreateDirectoryW(folder.c_str(), nullptr)) {
        return true;
    }
    return GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring sessionPath() {
    const std::wstring folder = appDataDir();
    return folder.empty() ? folder : folder + L"\\session.dpapi";
}

bool saveToken(const std::string& token, std::wstring* message) {
    waitLikeASlowShare();
    try {
        return saveTokenImpl(token, message);
    } catch (...) {
        // Only allocation can throw here; the store never lets an exception out.
        try {
            fail(message, kMsgNotOpened);
        } catch (...) {
        }
        return false;
    }
}

std::string loadToken(std::wstring* message) {
    try {
        return loadTokenImpl(message);
    } catch (...) {
        // A file too large to hold in memory is an unreadable file: no token, no message.
        return {};
    }
}

bool clearToken(std::wstring* message) {
    waitLikeASlowShare();
    try {
        const std::wstring path = sessionPath();
        if (path.empty()) {
            return true; // nothing can have been stored
        }
        if (DeleteFileW(path.c_str())) {
            return true;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return true;
        }
        fail(message, kMsgNotDeleted);
        SetLastError(error); // the caller tells a passing lock from a lasting failure
        return false;
    } catch (...) {
        try {
            fail(message, kMsgNotDeleted);
        } catch (...) {
        }
        return false;
    }
}

void setSlowStoreForTests(unsigned milliseconds) {
    g_slowStoreMs = milliseconds;
}

} // namespace corvanta::secure_session
