#include "appkit/windows/NSPanel.h"

NSPanel* NSPanel::initWithContentRect(NSRect contentRect, NSWindowStyleMask style,
                                      NSBackingStoreType backing, bool defer) {
  NSWindow::initWithContentRect(contentRect, style, backing, defer);
  setReleasedWhenClosed(false);
  return this;
}

void NSPanel::setFloatingPanel(bool flag) {
  setLevel(flag ? NSFloatingWindowLevel : NSNormalWindowLevel);
}

// Borderless panels may still take the keyboard (a text field in a floating palette).
bool NSPanel::canBecomeKeyWindow() const {
  return true;
}
