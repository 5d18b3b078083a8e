#include "appkit/views/NSHostedContentView.h"

NSHostedContentView* NSHostedContentView::initWithForeignWindow(NSRect frame,
                                                                uint64_t foreignWindow) {
  initWithFrame(frame);
  foreignWindow_ = foreignWindow;
  return this;
}

NSRect NSHostedContentView::rectInWindow() const {
  if (!window() || isHiddenOrHasHiddenAncestor()) return NSZeroRect;
  return convertRectToView(bounds(), nullptr);
}
