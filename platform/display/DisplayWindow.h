// DisplayWindow: what a display needs to know about a window to show it on a real screen, in
// its own terms: its frame, what kind of window it is, its title, the window it belongs to and
// the band at its top that the user drags to move it.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/values/NSGeometry.h"

enum class DisplayWindowKind {
  Normal,    // a document or application window
  Dialog,    // an alert: transient for its owner, modal for the application
  Utility,   // a floating panel (the colour panel)
  Sheet,     // hangs under its owner's title bar and moves with it
  PopUpMenu, // a context menu: above everything, takes the pointer and keyboard while open
};

struct DisplayWindow {
  // Screen coordinates in points, origin at the lower left of the screen.
  NSRect frame;
  DisplayWindowKind kind = DisplayWindowKind::Normal;
  // UTF-8.
  std::string title;
  // The window this one belongs to (an alert's key window, a sheet's parent, a menu's window);
  // 0 for none.
  NSInteger owner = 0;
  // Modal for the whole application while it is on screen.
  bool modal = false;
  // The height, in points, of the band at the window's top that moves the window when dragged;
  // 0 for a window without a title bar.
  CGFloat titleBarHeight = 0;
  // Whether the user may resize the window by its edges.
  bool resizable = false;
  // The radius of the window's rounded corners, in points (0: square): a live display cuts the
  // corners off its window, so that what lies behind shows there.
  CGFloat cornerRadius = 0;
  // A window of another toolkit in this process (a Java frame) that this window hosts: the
  // display keeps it inside this window at hostedRect (window coordinates, points) and tells it
  // where it is on screen, as a window manager's frame does. 0 for none.
  uint64_t hostedWindow = 0;
  NSRect hostedRect;
};
