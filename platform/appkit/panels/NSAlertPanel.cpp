#include "appkit/panels/NSAlertPanel.h"

#include "appkit/panels/NSAlert.h"

NSAlertPanel* NSAlertPanel::initWithAlert(NSAlert* alert) {
  // An alert's panel has no title bar; it floats above the application's windows.
  initWithContentRect(NSMakeRect(0, 0, 420, 150), NSWindowStyleMaskBorderless,
                      NSBackingStoreBuffered, false);
  setLevel(NSModalPanelWindowLevel);
  alert_ = alert;
  return this;
}
