// NSHostedContentView: the view that stands for the content of a window of another toolkit in
// this process (a Java frame's content) inside the window that hosts it. Wherever the view lies
// in its window, the display keeps the other toolkit's window: move or resize the view and that
// content moves and resizes with it. It draws nothing; the other toolkit paints its own pixels.
#pragma once

#include <cstdint>

#include "appkit/views/NSView.h"

class NSHostedContentView : public NSView {
  NS_OBJECT_CLASS(NSHostedContentView)

  NSHostedContentView* initWithForeignWindow(NSRect frame, uint64_t foreignWindow);
  // The display's name for the hosted window.
  uint64_t foreignWindow() const { return foreignWindow_; }
  // Where the content lies, in its window's coordinates; empty while it is in no window or hidden.
  NSRect rectInWindow() const;

private:
  uint64_t foreignWindow_ = 0;
};
