// NSCell and NSButtonCell: the object that stands for a control where AppKit's interfaces take a
// cell (a window's default button cell). The control owns its cell; the cell knows its control
// without retaining it and forgets it when the control goes away.
#pragma once

#include "foundation/runtime/NSObject.h"

class NSView;
class NSWindow;

class NSCell : public NSObject {
  NS_OBJECT_CLASS(NSCell)

  NSView* controlView() const { return controlView_; }
  void setControlView(NSView* view) { controlView_ = view; }

private:
  NSView* controlView_ = nullptr;
};

class NSButtonCell : public NSCell {
  NS_OBJECT_CLASS(NSButtonCell)
};

// A window's default button cell: the button that a Return nobody else claimed presses, and that
// draws as the default button. The window retains it; nil clears it.
void NSWindowSetDefaultButtonCell(NSWindow* window, NSButtonCell* cell);
NSButtonCell* NSWindowDefaultButtonCell(const NSWindow* window);
