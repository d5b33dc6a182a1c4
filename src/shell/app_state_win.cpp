#include "shell/app_state.h"

namespace corvanta {

AppState g_app;

void setOutput(const std::wstring& text) { SetWindowTextW(g_app.output, text.c_str()); }

void refreshIntro() { setOutput(introReport(g_app.screen, g_app.statusText)); }

} // namespace corvanta
