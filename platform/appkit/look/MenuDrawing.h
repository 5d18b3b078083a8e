// Drawing of the open context menu for screen snapshots: a rounded white panel with the items'
// titles (grey when disabled), check marks, indentation, key equivalents, submenu arrows and
// separators, placed so that the positioning item's top-left corner lies at the pop-up location.
#pragma once

#include "foundation/NSGeometry.h"

class NSMenu;

class NSMenuItem;

// The frame of the open menu in screen coordinates, as the pop-up placed it.
NSRect NSOpenMenuFrame(const NSMenu* menu);
// Where a submenu of an open menu opens: the top-left corner (screen coordinates) that puts it
// beside item's row, its first row level with it, on the right of the menu unless it would
// leave the screen there, and wholly on the screen's height.
NSPoint NSOpenSubmenuLocation(const NSMenu* menu, const NSMenuItem* item, const NSMenu* submenu,
                              NSRect screen);
// The item whose row lies under a point of the screen, separators included; nil outside the
// menu's rows.
NSMenuItem* NSOpenMenuItemAtPoint(const NSMenu* menu, NSPoint point);
// Draws the menu, when it is open (tracking), into the current context, whose user space has the
// screen's lower-left corner (screen.origin) at the origin. Main thread only.
void NSDrawOpenMenu(const NSMenu* menu, NSRect screen);
