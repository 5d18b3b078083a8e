// The key-view loop of a window: the views that Tab and Shift-Tab move the keyboard focus
// through. As AppKit computes it automatically, it holds every visible view that accepts first
// responder, ordered by position: top to bottom, then left to right (ties in view-tree order).
#pragma once

#include <vector>

class NSView;
class NSWindow;

// The views of the loop, in order.
std::vector<NSView*> NSWindowKeyViewLoop(const NSWindow* window);
// Makes the view after (or before) `from` first responder, wrapping around; with `from` nil or
// outside the loop, the first (or last) view. False when the loop is empty or the window
// refused the change.
bool NSWindowSelectKeyView(NSWindow* window, NSView* from, bool forward);
