// Drawing of the open context menu for screen snapshots and pop-ups: a rounded white panel with
// the items' titles (grey when disabled), check marks, indentation, key equivalents, submenu
// arrows and separators, placed so that the positioning item's top-left corner lies at the
// pop-up location, and kept on the screen's visible frame. A menu taller than that fills its
// height and shows part of its rows, with a scroll arrow at each end where more lie out of view.
#pragma once

#include "foundation/strings/NSString.h"
#include "foundation/values/NSGeometry.h"

class NSMenu;

class NSMenuItem;

// The frame of the open menu in screen coordinates: the positioning item's top-left corner at
// the pop-up location, moved up or down onto the screen's visible frame when it would leave it;
// a menu taller than the visible frame fills its height.
NSRect NSOpenMenuFrame(const NSMenu* menu);
// The radius of an open menu's rounded corners.
CGFloat NSOpenMenuCornerRadius();
// Where a submenu of an open menu opens: the top-left corner (screen coordinates) that puts it
// beside item's row, its first row level with it, on the right of the menu unless it would
// leave the screen there, and wholly on the screen's height.
NSPoint NSOpenSubmenuLocation(const NSMenu* menu, const NSMenuItem* item, const NSMenu* submenu,
                              NSRect screen);
// The item whose row lies under a point of the screen, separators included; nil outside the
// menu's rows in view and on its scroll arrows.
NSMenuItem* NSOpenMenuItemAtPoint(const NSMenu* menu, NSPoint point);
// The item's key equivalent as the menu shows it, with the keys a Linux user presses
// ("Shift+Ctrl+S", "Ctrl+,", "Alt+F4"); nil without one.
NSString* NSMenuItemShortcutLabel(const NSMenuItem* item);
// Draws the menu, when it is open (tracking), into the current context, whose user space has the
// screen's lower-left corner (screen.origin) at the origin. Main thread only.
void NSDrawOpenMenu(const NSMenu* menu, NSRect screen);

// MARK: scrolling
enum class NSOpenMenuScrollArrow { None, Top, Bottom };
// How far the open menu's rows can scroll (0 for a menu that fits), and the offset it opens at:
// the one that puts the positioning item as near the pop-up location as the screen allows.
CGFloat NSOpenMenuMaximumScrollOffset(const NSMenu* menu);
CGFloat NSOpenMenuInitialScrollOffset(const NSMenu* menu);
// The scroll offset nearest the menu's own that shows item's row whole.
CGFloat NSOpenMenuScrollOffsetShowingItem(const NSMenu* menu, const NSMenuItem* item);
// Whether the open menu shows the scroll arrow at that end.
bool NSOpenMenuShowsScrollArrow(const NSMenu* menu, NSOpenMenuScrollArrow arrow);
// The scroll arrow under a point of the screen; None elsewhere.
NSOpenMenuScrollArrow NSOpenMenuScrollArrowAtPoint(const NSMenu* menu, NSPoint point);
// The indices of the items whose rows the open menu shows whole, separators included.
NSRange NSOpenMenuVisibleItems(const NSMenu* menu);
