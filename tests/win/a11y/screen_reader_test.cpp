// A screen reader's view of the program as it ships: this process starts CorvantaNativeWin.exe
// against a loopback backend, works its window with ordinary messages, and reads every control
// through Active Accessibility from outside, as NVDA does and Narrator's MSAA path does.
#include "shell/accessibility.h"
#include "shell/ids.h"
#include "support/loopback_server.h"
#include "support/program.h"
#include "tour/driver.h"

#include <oleacc.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace corvanta;

namespace {

constexpr int kStartTimeoutMs = 40000;
constexpr int kAnswerTimeoutMs = 20000;

struct Row {
    int id;
    const wchar_t* name;
    LONG role;
};

constexpr LONG kButton = ROLE_SYSTEM_PUSHBUTTON;
constexpr LONG kText = ROLE_SYSTEM_TEXT;

// What each control must tell.
const Row kTable[] = {
    {ID_NAV_ORBITAL, L"Orbit Feed", kButton},
    {ID_NAV_SPEECH, L"Community", kButton},
    {ID_NAV_LIVE, L"Live", kButton},
    {ID_NAV_WALLET, L"Wallet", kButton},
    {ID_NAV_PROFILE, L"Profil", kButton},
    {ID_NAV_STUDIO, L"Mixforge", kButton},
    {ID_NAV_ASSETS, L"Gifts", kButton},
    {ID_NAV_SETTINGS, L"Einstellungen", kButton},
    {ID_NAV_DM, L"DM", kButton},
    {ID_NAV_TREVACAST, L"Trevacast", kButton},
    {ID_EDIT_USER, L"Account", kText},
    {ID_EDIT_PASS, L"Passwort", kText},
    {ID_BTN_LOGIN, L"Login", kButton},
    {ID_BTN_REFRESH, L"Refresh", kButton},
    {ID_EDIT_ROOM, L"Room", kText},
    {ID_BTN_LIVEKIT, L"LiveKit", kButton},
    {ID_EDIT_COMMUNITY_ID, L"Community ID", kText},
    {ID_EDIT_TITLE, L"Titel", kText},
    {ID_EDIT_CLAN_NAME, L"Clan Name", kText},
    {ID_EDIT_CLAN_ID, L"Clan ID", kText},
    {ID_BTN_COMMUNITY_LOAD, L"Sync", kButton},
    {ID_BTN_COMMUNITY_TITLE, L"Titel setzen", kButton},
    {ID_BTN_COMMUNITY_CLAN_CREATE, L"Community erstellen", kButton},
    {ID_BTN_COMMUNITY_CLAN_JOIN, L"Clan beitreten", kButton},
    {ID_BTN_LOGOUT, L"Logout", kButton},
    {ID_BTN_TREVACAST, L"Extra Fenster", kButton},
    {ID_BTN_START_COMMUNITY, L"Community", kButton},
    {ID_BTN_START_TREVACAST, L"Trevacast", kButton},
    {ID_OUTPUT, L"API Log", kText},
};

std::wstring take(BSTR text) {
    std::wstring out = text != nullptr ? text : L"";
    SysFreeString(text);
    return out;
}

VARIANT self() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}

// Everything a screen reader asks of one control.
struct Heard {
    bool found = false;
    std::wstring name;
    LONG role = 0;
    LONG state = 0;
    std::wstring description;
    HRESULT valueResult = E_FAIL;
    std::wstring value;

    bool has(LONG bit) const { return (state & bit) != 0; }
};

Heard heard(IAccessible* object, VARIANT child) {
    Heard h;
    h.found = true;
    BSTR text = nullptr;
    if (SUCCEEDED(object->get_accName(child, &text))) {
        h.name = take(text);
    }
    VARIANT v;
    VariantInit(&v);
    if (SUCCEEDED(object->get_accRole(child, &v)) && v.vt == VT_I4) {
        h.role = v.lVal;
    }
    VariantClear(&v);
    if (SUCCEEDED(object->get_accState(child, &v)) && v.vt == VT_I4) {
        h.state = v.lVal;
    }
    VariantClear(&v);
    text = nullptr;
    if (SUCCEEDED(object->get_accDescription(child, &text))) {
        h.description = take(text);
    }
    text = nullptr;
    h.valueResult = object->get_accValue(child, &text);
    h.value = take(text);
    return h;
}

Heard hear(HWND control) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                          reinterpret_cast<void**>(&object))) ||
        object == nullptr) {
        return {};
    }
    const Heard h = heard(object, self());
    object->Release();
    return h;
}

// An event as the hook saw it, with the description read when it came, as a screen reader
// reads it to announce the change.
struct Event {
    DWORD kind;
    HWND hwnd;
    std::wstring description;
};

std::vector<Event> g_events;

void CALLBACK onEvent(HWINEVENTHOOK, DWORD kind, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    if (object != OBJID_CLIENT || child != CHILDID_SELF ||
        (kind != EVENT_OBJECT_STATECHANGE && kind != EVENT_OBJECT_DESCRIPTIONCHANGE)) {
        return;
    }
    Event e{kind, hwnd, {}};
    IAccessible* accessible = nullptr;
    VARIANT which;
    VariantInit(&which);
    if (kind == EVENT_OBJECT_DESCRIPTIONCHANGE &&
        SUCCEEDED(AccessibleObjectFromEvent(hwnd, object, child, &accessible, &which))) {
        e.description = heard(accessible, which).description;
        accessible->Release();
        VariantClear(&which);
    }
    g_events.push_back(e);
}

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Pumps (the hook's events arrive as messages) until done() holds; false after timeoutMs.
bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        pump();
        if (done()) {
            return true;
        }
        if (static_cast<int>(GetTickCount() - start) >= timeoutMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

bool sawEvent(DWORD kind, HWND hwnd, const wchar_t* description = nullptr) {
    for (const Event& e : g_events) {
        if (e.kind == kind && e.hwnd == hwnd &&
            (description == nullptr || e.description == description)) {
            return true;
        }
    }
    return false;
}

// One program for the whole suite, worked from the login card to a workspace: a Wine start is
// costly, and the cases follow one another as a user's session does.
class ScreenReader : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        // Out of context and for all processes: under Wine a hook set for the program's process
        // id alone sees nothing.
        hook_ = SetWinEventHook(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_DESCRIPTIONCHANGE, nullptr,
                                onEvent, 0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
        server_ = std::make_unique<cvtest::LoopbackServer>();
        appData_ = std::make_unique<cvtest::AppDataFolder>(L"cv-a11y-");
        SetEnvironmentVariableW(L"CORVANTA_ORIGIN", server_->origin().c_str());
        SetEnvironmentVariableW(L"APPDATA", appData_->path().c_str());
        program_ = std::make_unique<cvtest::Program>();
        try {
            driver_ = std::make_unique<tour::Driver>(
                tour::Driver::attach(L"CorvantaNativeWinWindow", kStartTimeoutMs, program_->id()));
        } catch (const tour::DriveError&) {
            driver_.reset();
        }
    }
    static void TearDownTestSuite() {
        driver_.reset();
        program_.reset();
        appData_.reset();
        server_.reset();
        if (hook_ != nullptr) {
            UnhookWinEvent(hook_);
        }
        CoUninitialize();
    }

    void SetUp() override {
        ASSERT_NE(hook_, nullptr);
        ASSERT_TRUE(driver_ != nullptr) << "the program's window did not show";
        ASSERT_TRUE(driver_->alive()) << "the program ended";
    }

    const tour::Driver& d() const { return *driver_; }
    HWND control(int id) const { return d().control(id); }

    // Every control against the table; pressed is told by the visible buttons in `pressed`
    // and by no other visible one.
    void expectTable(const std::vector<int>& pressed) const {
        for (const Row& row : kTable) {
            HWND hwnd = control(row.id);
            const Heard h = hear(hwnd);
            SCOPED_TRACE(row.id);
            ASSERT_TRUE(h.found);
            EXPECT_EQ(h.name, row.name);
            EXPECT_EQ(h.role, row.role);
            const bool visible = IsWindowVisible(hwnd) != FALSE;
            EXPECT_EQ(h.has(STATE_SYSTEM_INVISIBLE), !visible);
            EXPECT_EQ(h.has(STATE_SYSTEM_UNAVAILABLE), IsWindowEnabled(hwnd) == FALSE);
            EXPECT_EQ(h.has(STATE_SYSTEM_PROTECTED), row.id == ID_EDIT_PASS);
            EXPECT_EQ(h.has(STATE_SYSTEM_READONLY), row.id == ID_OUTPUT);
            if (visible && row.role == kButton) {
                const bool expected =
                    std::find(pressed.begin(), pressed.end(), row.id) != pressed.end();
                EXPECT_EQ(h.has(STATE_SYSTEM_PRESSED), expected);
            }
            if (row.id == ID_EDIT_PASS) {
                EXPECT_TRUE(FAILED(h.valueResult));
                EXPECT_EQ(h.value, L"");
            } else if (row.role == kText) {
                // The output box's value is the report; a field's is what it holds.
                EXPECT_EQ(h.valueResult, S_OK);
                EXPECT_EQ(h.value, d().text(row.id));
            }
        }
    }

    static inline HWINEVENTHOOK hook_ = nullptr;
    static inline std::unique_ptr<cvtest::LoopbackServer> server_;
    static inline std::unique_ptr<cvtest::AppDataFolder> appData_;
    static inline std::unique_ptr<cvtest::Program> program_;
    static inline std::unique_ptr<tour::Driver> driver_;
};

TEST_F(ScreenReader, OnTheLoginCardEveryControlTellsNameRoleAndState) {
    d().setText(ID_EDIT_PASS, L"geheim-123");
    expectTable({ID_BTN_START_COMMUNITY});
    EXPECT_EQ(hear(control(ID_BTN_LOGIN)).description,
              L"Bitte mit deinem Corvanta Account einloggen.");

    // Read-only for a screen reader as for the keyboard.
    IAccessible* output = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(control(ID_OUTPUT), static_cast<DWORD>(OBJID_CLIENT),
                                         kIidAccessible, reinterpret_cast<void**>(&output)),
              S_OK);
    const std::wstring report = d().text(ID_OUTPUT);
    BSTR forged = SysAllocString(L"forged report");
    EXPECT_TRUE(FAILED(output->put_accValue(self(), forged)));
    SysFreeString(forged);
    output->Release();
    EXPECT_EQ(d().text(ID_OUTPUT), report);
}

TEST_F(ScreenReader, TheChosenStartIsPressedAndTheCardsMessageIsAnnounced) {
    g_events.clear();
    d().click(ID_BTN_START_TREVACAST);
    EXPECT_TRUE(hear(control(ID_BTN_START_TREVACAST)).has(STATE_SYSTEM_PRESSED));
    EXPECT_FALSE(hear(control(ID_BTN_START_COMMUNITY)).has(STATE_SYSTEM_PRESSED));
    EXPECT_EQ(hear(control(ID_BTN_LOGIN)).description, L"Nach Login startet Trevacast.");
    HWND login = control(ID_BTN_LOGIN), community = control(ID_BTN_START_COMMUNITY);
    EXPECT_TRUE(waitFor(
        [&] {
            return sawEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, login,
                            L"Nach Login startet Trevacast.") &&
                   sawEvent(EVENT_OBJECT_STATECHANGE, community);
        },
        kAnswerTimeoutMs));

    d().click(ID_BTN_START_COMMUNITY);
    EXPECT_TRUE(hear(control(ID_BTN_START_COMMUNITY)).has(STATE_SYSTEM_PRESSED));
    EXPECT_FALSE(hear(control(ID_BTN_START_TREVACAST)).has(STATE_SYSTEM_PRESSED));
}

TEST_F(ScreenReader, ASignInInFlightMakesLoginUnavailableAndARejectionIsAnnounced) {
    cvtest::Response refused(401, "{\"error\":\"invalid credentials\"}");
    refused.holdUntilReleased = true;
    server_->respond(refused);
    g_events.clear();
    HWND login = control(ID_BTN_LOGIN);
    d().setText(ID_EDIT_USER, L"lena");
    d().setText(ID_EDIT_PASS, L"falsch-123");
    d().click(ID_BTN_LOGIN);
    ASSERT_TRUE(server_->waitForRequests(1, kAnswerTimeoutMs));

    const Heard busy = hear(login);
    EXPECT_TRUE(busy.has(STATE_SYSTEM_UNAVAILABLE));
    EXPECT_EQ(busy.description, L"Login wird geprueft ...");
    EXPECT_TRUE(waitFor(
        [&] { return sawEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, login, L"Login wird geprueft ..."); },
        kAnswerTimeoutMs));

    server_->release();
    const wchar_t* failure = L"Login fehlgeschlagen (HTTP 401)";
    EXPECT_TRUE(waitFor([&] { return sawEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, login, failure); },
                        kAnswerTimeoutMs))
        << "no description change to the failure was heard";
    const Heard after = hear(login);
    EXPECT_EQ(after.description, failure);
    EXPECT_FALSE(after.has(STATE_SYSTEM_UNAVAILABLE));
    expectTable({ID_BTN_START_COMMUNITY});
}

TEST_F(ScreenReader, InTheWorkspaceOnlyTheOpenScreensRailButtonIsPressed) {
    server_->respond(cvtest::Response(200, "{\"token\":\"a11y-token\"}"));
    d().setText(ID_EDIT_PASS, L"richtig-123");
    d().click(ID_BTN_LOGIN);
    ASSERT_TRUE(waitFor([&] { return d().shown(ID_NAV_WALLET); }, kAnswerTimeoutMs));
    // The start chosen on the card.
    expectTable({ID_NAV_SPEECH});

    int open = ID_NAV_SPEECH;
    for (int rail :
         {ID_NAV_WALLET, ID_NAV_TREVACAST, ID_NAV_ORBITAL, ID_NAV_LIVE, ID_NAV_DM, ID_NAV_STUDIO,
          ID_NAV_ASSETS, ID_NAV_PROFILE, ID_NAV_SETTINGS, ID_NAV_SPEECH}) {
        SCOPED_TRACE(rail);
        g_events.clear();
        d().click(rail);
        expectTable({rail});
        // The button that let go of its pressed state says so too, not only the clicked one.
        HWND before = control(open);
        EXPECT_TRUE(
            waitFor([&] { return sawEvent(EVENT_OBJECT_STATECHANGE, before); }, kAnswerTimeoutMs));
        open = rail;
    }
}

TEST_F(ScreenReader, TheProgramStillClosesNormally) {
    ASSERT_TRUE(d().close(15000));
    EXPECT_EQ(program_->endsWithin(15000), 0);
}

} // namespace
