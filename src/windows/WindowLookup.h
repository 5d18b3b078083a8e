// Finding the application's windows. A window titled exactly "SHEETIFY" is a Java window that
// the application wants shown as a sheet; every other window is an ordinary application window.
// The lookups walk NSApp's ordered windows, front-most first, and keep no state.
#pragma once

#include "Globals.h"

class NSView;
class NSWindow;

namespace brix {
// The front-most of NSApp's ordered windows titled "SHEETIFY", or nil; a window already attached
// as a sheet is not among them.
NSWindow* frontMostOrderedSheetifyWindow();
} // namespace brix

extern "C" {
// The front-most window whose title is not "SHEETIFY", or nil.
BRIX_EXPORT NSWindow* getCurrentWindow();
// The front-most window titled "SHEETIFY", or nil. A window already shown as a sheet counts:
// NSApp's ordered windows leave attached sheets out, so the sheets attached to each are looked
// at too, each just in front of its window.
BRIX_EXPORT NSWindow* getCurrentSheetWindow();
// The content view of getCurrentSheetWindow, or nil.
BRIX_EXPORT NSView* getCurrentSheetView();
// The content view of the front-most window, whatever its title; nil without windows.
BRIX_EXPORT NSView* getCurrentView();
// Where context menus appear: the "SHEETIFY" window's content view while a window is
// sheetified, else the front-most window's.
BRIX_EXPORT NSView* getFrontView();
}
