// The gradient strip of the header band: clear along its top edge, opaque light grey along its
// bottom edge, so the band fades into the window's content below it.
#pragma once

#include "appkit/views/NSView.h"
#include "bridge/Export.h"

class BRIX_EXPORT QVGradView : public NSView {
  NS_OBJECT_CLASS(QVGradView)

  QVGradView* initWithFrame(NSRect frame) override;
  void drawRect(NSRect dirtyRect) override;
};
