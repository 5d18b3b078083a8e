// The application menu's entries (About, Check for Updates..., Preferences) and the store flag.
#pragma once

#include "Globals.h"

extern "C" {
BRIX_EXPORT bool isAppStore();
// Inserts the entries into the submenu of the main menu's first item.
BRIX_EXPORT void setupAppMenu();
}
