// The user's actions: sign-in and sign-out, Refresh and the community actions.
#pragma once
#include <windows.h>

namespace corvanta {

void doLogin();
void doLogout();
void doRefresh();
void doCommunityLoad();
void doCommunityTitle();
void doCommunityClanCreate();
void doCommunityClanJoin();
// WM_CV_HTTP_DONE: applies the record the message names, if this thread handed it out.
void handleHttpDone(LPARAM record);

} // namespace corvanta
