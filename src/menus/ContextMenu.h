// Context menus built from a JSON description and popped up in the front view.
#pragma once

#include "Globals.h"

class NSArray;
class NSNumber;
class NSMenuItem;
class NSString;

extern "C" {
// Makes a submenu for parent from the records in children, depth first.
BRIX_EXPORT void populateMenu(NSMenuItem* parent, NSArray* children);
}

namespace brix {
// Parses the description and builds the top-level menu (stored in theMenu and kept until the
// next menu is built), with the item to
// place at the pop-up location, or nil. Text that does not parse gives an empty menu.
NSMenu* buildContextMenu(NSString* json, NSMenuItem** positioningItem);
} // namespace brix
