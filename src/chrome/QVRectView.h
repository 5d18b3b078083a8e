// The dark side panel at the left end of the header band. It paints only while the visibility
// flag shared by every panel is set, and then holds the shared logo image view.
#pragma once

#include "Globals.h"
#include "appkit/controls/NSImageView.h"
#include "appkit/views/NSView.h"

class BRIX_EXPORT QVRectView : public NSView {
  NS_OBJECT_CLASS(QVRectView)

  // Also makes a new logo image view for _iv; it joins a panel only through setVisible.
  QVRectView* initWithFrame(NSRect frame) override;
  // Sets the shared flag and moves the logo image view into this panel (YES) or out of
  // whichever panel holds it (NO). It does not ask for a redraw.
  void setVisible(bool flag);
  // What setVisible does before it adds the logo to its own panel: sets the shared flag and
  // takes the logo image view out of whichever panel holds it.
  static void setSharedVisibility(bool flag);
  void drawRect(NSRect dirtyRect) override;
};
