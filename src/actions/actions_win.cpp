// Placeholder until the actions land.
#include "actions/actions.h"

namespace corvanta {
void doLogin() {}
void doLogout() {}
void doRefresh() {}
void doCommunityLoad() {}
void doCommunityTitle() {}
void doCommunityClanCreate() {}
void doCommunityClanJoin() {}
void handleHttpDone(LPARAM) {}
} // namespace corvanta
