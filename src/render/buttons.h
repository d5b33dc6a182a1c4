// Owner-drawn buttons of the main window.
#pragma once
#include <windows.h>

namespace corvanta {

bool isNavButton(int id);
bool isActiveNavButton(int id);
void drawOwnerButton(const DRAWITEMSTRUCT* item);

} // namespace corvanta
