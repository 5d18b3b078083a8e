// NSPanel: an auxiliary window (alerts' windows, the colour panel). Panels are not listed by
// NSApp's orderedWindows, are not released when closed, cannot go full screen and never become
// the main window. A floating panel stays above normal windows.
#pragma once

#include "appkit/windows/NSWindow.h"

class NSPanel : public NSWindow {
  NS_OBJECT_CLASS(NSPanel)

  NSPanel* initWithContentRect(NSRect contentRect, NSWindowStyleMask style,
                               NSBackingStoreType backing, bool defer) override;

  bool isFloatingPanel() const { return level() >= NSFloatingWindowLevel; }
  void setFloatingPanel(bool flag);
  // A panel that works when modal accepts input while another window runs a modal session.
  bool worksWhenModal() const { return worksWhenModal_; }
  void setWorksWhenModal(bool flag) { worksWhenModal_ = flag; }

  bool canBecomeKeyWindow() const override;

private:
  bool worksWhenModal_ = false;
};
