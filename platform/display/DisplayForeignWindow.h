// DisplayForeignWindow: a top-level window that another toolkit of this process put on screen
// (a Java frame or dialog), as a live display reads it off the server. The application adopts
// each one into a window of its own that hosts it; the display reports what the other toolkit
// does to it afterwards.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/values/NSGeometry.h"

struct DisplayForeignWindow {
  // The display's name for the window (its X window id); never 0.
  uint64_t id = 0;
  // UTF-8.
  std::string title;
  // Where its content is on screen, in points, origin at the lower left of the screen.
  NSRect frame;
  // Whether the toolkit shows it.
  bool shown = false;
  // A dialog belongs to another window (transient for it): that window's id, 0 for none.
  uint64_t owner = 0;
  bool dialog = false;
  // Drawn without decorations (an undecorated window): no title bar of ours either.
  bool undecorated = false;
  // The frame a window manager drew around it before it was adopted, in points: its toolkit goes
  // on counting it as the window's insets, so the window hosting it must draw a frame of just
  // that size around it. All zero when no window manager had framed it.
  struct Insets {
    CGFloat left = 0, right = 0, top = 0, bottom = 0;
    bool any() const { return left > 0 || right > 0 || top > 0 || bottom > 0; }
  } insets;
  // What the toolkit asked for: to raise the window, to give its content frame's size, to put
  // its content at frame's place. A report without them only describes the window.
  bool raiseRequested = false;
  bool resizeRequested = false;
  bool moveRequested = false;
};
