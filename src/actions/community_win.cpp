#include "actions/actions.h"

#include "backend/contract.h"
#include "backend/requests.h"
#include "backend/text.h"
#include "backend/text_win.h"
#include "shell/app_state.h"
#include "shell/window.h"

namespace corvanta {
namespace {

namespace api = contract::api;

// An id typed by the user, made safe as one path segment: unreserved characters pass as typed,
// anything else ('/', '?', '#', space, non-ASCII) is percent-encoded. "." and ".." would still
// be read as dot segments by the server, so their dots are encoded too.
std::wstring pathSegment(HWND edit) {
    const std::string escaped = queryEscape(narrow(getText(edit)));
    if (escaped == "." || escaped == "..") {
        return escaped == "." ? L"%2E" : L"%2E%2E";
    }
    return widen(escaped);
}

std::wstring communityPath(const std::wstring& id, const wchar_t* suffix) {
    return std::wstring(api::kCommunities) + L"/" + id + suffix;
}

} // namespace

void doRefresh() {
    const bool withAuth = g_app.screen != Screen::Live;
    if (g_app.screen == Screen::Community) {
        const std::wstring id = pathSegment(g_app.editCommunityId);
        if (id.empty()) {
            setOutput(L"Bitte Community-ID eingeben.");
            return;
        }
        runHttpAsync(L"Community Progression", L"GET", communityPath(id, L"/progression"), "",
                     true);
        return;
    }
    runHttpAsync(screenTitle(g_app.screen), L"GET", endpointForScreen(g_app.screen), "", withAuth);
}

void doCommunityLoad() {
    setScreen(Screen::Community);
    doRefresh();
}

void doCommunityTitle() {
    const std::wstring id = pathSegment(g_app.editCommunityId);
    const std::wstring title = getText(g_app.editTitle);
    if (id.empty() || title.empty() || title == L"Titel") {
        setOutput(L"Community-ID und freigeschalteten Titel eingeben.");
        return;
    }
    const std::string body = "{\"title\":\"" + jsonEscape(narrow(title)) + "\"}";
    runHttpAsync(L"Community Titel setzen", L"POST", communityPath(id, L"/progression/title"), body,
                 true);
}

void doCommunityClanCreate() {
    const std::wstring id = pathSegment(g_app.editCommunityId);
    const std::wstring name = getText(g_app.editClanName);
    if (id.empty() || name.empty() || name == L"Clan Name") {
        setOutput(L"Community-ID und Clan-Name eingeben.");
        return;
    }
    const std::string body = "{\"name\":\"" + jsonEscape(narrow(name)) +
                             "\",\"description\":\"\",\"avatar_color\":\"#00a3ff\"}";
    runHttpAsync(L"Community Clan erstellen", L"POST", communityPath(id, L"/clans"), body, true);
}

void doCommunityClanJoin() {
    const std::wstring raw = getText(g_app.editClanId);
    if (raw.empty() || raw == L"Clan ID") {
        setOutput(L"Clan-ID eingeben.");
        return;
    }
    const std::wstring path =
        std::wstring(api::kCommunityClanJoinPrefix) + pathSegment(g_app.editClanId) + L"/join";
    runHttpAsync(L"Community Clan beitreten", L"POST", path, "{}", true);
}

} // namespace corvanta
