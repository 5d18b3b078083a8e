// NSAlertPanel: the panel an alert runs in. It knows its alert, so what is on screen (NSApp's
// windows) tells which alerts are up: the front-most alert panel holds the innermost running
// alert.
#pragma once

#include "appkit/windows/NSPanel.h"

class NSAlert;

class NSAlertPanel : public NSPanel {
  NS_OBJECT_CLASS(NSAlertPanel)

  NSAlertPanel* initWithAlert(NSAlert* alert);

  // The alert this panel shows; nil once the alert is gone.
  NSAlert* alert() const { return alert_.get(); }

private:
  Weak<NSAlert> alert_;
};
