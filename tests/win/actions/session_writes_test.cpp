// The session file on a slow profile folder: written and deleted off the window's thread, in the
// order asked, and finished before the program ends.
#include "fixture.h"
#include "watch.h"

#include "actions/actions.h"
#include "actions/session_writer.h"
#include "session/session.h"
#include "shell/ids.h"
#include "studio/studio.h"

#include <atomic>
#include <thread>

using namespace corvanta;
using cvtest::ActionsTest;

class SessionWritesTest : public ActionsTest {
  protected:
    void TearDown() override {
        secure_session::setSlowStoreForTests(0);
        setDeleteTryHookForTests(nullptr);
        setShutdownBlockCallsForTests({});
        ActionsTest::TearDown();
    }
    // Signs in through the real request; returns once the answer is applied, not the file.
    void signInAs(const wchar_t* user, const std::string& token) {
        server.respond({200, "{\"accessToken\":\"" + token + "\"}"});
        setText(g_app.editUser, user);
        setText(g_app.editPass, L"pw");
        window->command(ID_BTN_LOGIN);
        ASSERT_TRUE(window->pumpUntil([] { return !g_app.loginBusy; }));
        ASSERT_FALSE(g_app.showLogin);
    }
};

TEST_F(SessionWritesTest, ASlowSaveNeverStallsTheWindow) {
    secure_session::setSlowStoreForTests(3000);
    cvtest::Watcher watcher(*window, 250);
    signInAs(L"demo", "slow-token");
    EXPECT_FALSE(waitForSessionWrites(0)); // signed in at once, the file still on its way
    window->command(ID_NAV_WALLET);
    ASSERT_TRUE(window->pumpUntil([] { return waitForSessionWrites(0); }, 10000));
    window->pump(300);
    watcher.stop();
    EXPECT_EQ(watcher.unanswered(), 0);
    EXPECT_GT(watcher.answered(), 10);
    EXPECT_EQ(secure_session::loadToken(nullptr), "slow-token");
}

TEST_F(SessionWritesTest, WritesKeepTheirOrderAndCloseWaitsForThem) {
    secure_session::setSlowStoreForTests(800);
    // Logout, then another account while the first save still runs: the second token stays.
    signInAs(L"demo", "first");
    window->command(ID_BTN_LOGOUT);
    signInAs(L"lena", "second");
    settleSessionWrites();
    EXPECT_EQ(secure_session::loadToken(nullptr), "second");

    // Sign-in, Logout and close in quick succession: closing waits, and no file is left.
    window->command(ID_BTN_LOGOUT);
    signInAs(L"demo", "third");
    window->command(ID_BTN_LOGOUT);
    EXPECT_FALSE(waitForSessionWrites(0));
    EXPECT_EQ(window->closeAndFinish(), 0);
    EXPECT_TRUE(waitForSessionWrites(0));
    EXPECT_FALSE(sessionFileExists());
    window = std::make_unique<cvtest::MainWindow>();
}

TEST_F(SessionWritesTest, ALogoutBeforeClosingOutlastsASlowShare) {
    // Longer than closing ever waited before; the delete waits its turn behind the save.
    secure_session::setSlowStoreForTests(6000);
    signInAs(L"demo", "slow-token");
    window->command(ID_BTN_LOGOUT);
    window->command(ID_BTN_TREVACAST);
    ASSERT_NE(g_trevacastHwnd, nullptr);
    const HWND main = window->hwnd(), studio = g_trevacastHwnd;

    // The windows go at once; the writes are still on their way when they do.
    std::atomic<bool> goneWhilePending{false};
    std::thread watch([&] {
        while (IsWindow(main) || IsWindow(studio)) {
            Sleep(5);
        }
        goneWhilePending = !waitForSessionWrites(0);
    });
    EXPECT_EQ(window->closeAndFinish(), 0);
    watch.join();
    EXPECT_TRUE(goneWhilePending);
    EXPECT_TRUE(waitForSessionWrites(0));
    EXPECT_FALSE(sessionFileExists());
    window = std::make_unique<cvtest::MainWindow>();
}

// What the block reason calls saw; Wine only has stubs for them.
struct BlockSeen {
    int created = 0, destroyed = 0;
    HWND window = nullptr;
    std::wstring reason;
    bool shownAtCreate = true, studioShownAtCreate = true, fileGoneAtDestroy = false;
};
BlockSeen g_block;

BOOL WINAPI recordBlockCreate(HWND window, LPCWSTR reason) {
    ++g_block.created;
    g_block.window = window;
    g_block.reason = reason;
    g_block.shownAtCreate = IsWindowVisible(window) != FALSE;
    g_block.studioShownAtCreate = g_trevacastHwnd != nullptr && IsWindowVisible(g_trevacastHwnd);
    return TRUE;
}

BOOL WINAPI recordBlockDestroy(HWND) {
    ++g_block.destroyed;
    g_block.fileGoneAtDestroy =
        GetFileAttributesW(secure_session::sessionPath().c_str()) == INVALID_FILE_ATTRIBUTES;
    return TRUE;
}

TEST_F(SessionWritesTest, TheEndOfTheWindowsSessionFinishesAPendingDelete) {
    // A logout's delete pending, or only a save: the windows go first either way, and only the
    // delete is worth a reason that keeps Windows waiting.
    for (const bool logout : {true, false}) {
        SCOPED_TRACE(logout ? "logout pending" : "save pending");
        g_block = {};
        setShutdownBlockCallsForTests({recordBlockCreate, recordBlockDestroy});
        secure_session::setSlowStoreForTests(1500);
        signInAs(L"demo", "token");
        if (logout) {
            window->command(ID_BTN_LOGOUT);
        }
        window->command(ID_BTN_TREVACAST);
        ASSERT_NE(g_trevacastHwnd, nullptr);
        const HWND main = window->hwnd(), studio = g_trevacastHwnd;
        EXPECT_EQ(SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
        EXPECT_FALSE(waitForSessionWrites(0));

        std::atomic<bool> hiddenWhilePending{false};
        std::thread watch([&] {
            while (IsWindowVisible(main) || IsWindowVisible(studio)) {
                Sleep(5);
            }
            hiddenWhilePending = !waitForSessionWrites(0);
        });
        SendMessageW(main, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
        watch.join();
        // Windows may end the process now, without another message.
        EXPECT_TRUE(waitForSessionWrites(0));
        EXPECT_TRUE(hiddenWhilePending);
        EXPECT_EQ(sessionFileExists(), !logout);
        if (logout) {
            EXPECT_EQ(g_block.created, 1);
            EXPECT_EQ(g_block.destroyed, 1);
            EXPECT_EQ(g_block.window, main);
            EXPECT_EQ(g_block.reason, kEndSessionReason);
            EXPECT_FALSE(g_block.shownAtCreate);
            EXPECT_FALSE(g_block.studioShownAtCreate);
            EXPECT_TRUE(g_block.fileGoneAtDestroy);
        } else {
            EXPECT_EQ(g_block.created, 0);
            EXPECT_EQ(g_block.destroyed, 0);
        }
        window.reset();
        window = std::make_unique<cvtest::MainWindow>();
    }
}

// Held open by another program until the delete's try g_releaseAt (0: never let go).
HANDLE g_holder = INVALID_HANDLE_VALUE;
int g_releaseAt = 0, g_tries = 0;

void releaseAtTry(int attempt) {
    g_tries = attempt;
    if (attempt == g_releaseAt && g_holder != INVALID_HANDLE_VALUE) {
        CloseHandle(g_holder);
        g_holder = INVALID_HANDLE_VALUE;
    }
}

TEST_F(SessionWritesTest, ADeleteThatMeetsALockIsTriedAgain) {
    struct Case {
        const char* name;
        bool readOnly; // a failure that no second try changes
        int releaseAt; // 0: held all along
        int tries;
        bool deleted;
    };
    const Case cases[] = {
        {"held twice, free on the third try", false, 3, 3, true},
        {"held all along", false, 0, 5, false},
        {"read-only", true, 0, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        signInAs(L"demo", "token");
        settleSessionWrites();
        ASSERT_TRUE(sessionFileExists());
        if (c.readOnly) {
            SetFileAttributesW(sessionFile().c_str(), FILE_ATTRIBUTE_READONLY);
        }
        // As a virus scanner or a backup opens it: without FILE_SHARE_DELETE.
        g_holder = c.readOnly ? INVALID_HANDLE_VALUE
                              : CreateFileW(sessionFile().c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr);
        g_releaseAt = c.releaseAt;
        g_tries = 0;
        setDeleteTryHookForTests(releaseAtTry);
        window->command(ID_BTN_LOGOUT);
        settleSessionWrites();
        setDeleteTryHookForTests(nullptr);
        EXPECT_EQ(g_tries, c.tries);
        EXPECT_EQ(sessionFileExists(), !c.deleted);
        EXPECT_EQ(
            g_app.loginMessage,
            c.deleted
                ? std::wstring(kSignedOutMessage)
                : L"Du bist ausgeloggt. Hinweis: Session-Datei konnte nicht geloescht werden.");
        if (g_holder != INVALID_HANDLE_VALUE) {
            CloseHandle(g_holder);
            g_holder = INVALID_HANDLE_VALUE;
        }
        SetFileAttributesW(sessionFile().c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(sessionFile().c_str());
    }
}
