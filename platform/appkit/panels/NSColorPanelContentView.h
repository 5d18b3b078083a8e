// NSColorPanelContentView: what the shared colour panel shows in its content area, in the look
// of AppKit's colour wheel mode: the current colour in a well beside the magnifier, the hue and
// saturation wheel at the colour's brightness with a marker on the colour, the brightness
// slider, and a row of colour swatches. It draws the colour of the panel it is in. A click on a
// swatch or on the wheel picks that colour in the panel.
#pragma once

#include "appkit/views/NSView.h"

class NSColorPanelContentView : public NSView {
  NS_OBJECT_CLASS(NSColorPanelContentView)

  NSColorPanelContentView* initWithFrame(NSRect frame) override;
  void drawRect(NSRect dirtyRect) override;
  void mouseDown(NSEvent* event) override;
  // The colour under a point of the view (swatch, or wheel at the current brightness); nil
  // elsewhere.
  NSColor* colorAtPoint(NSPoint point) const;

  // The parts of the panel, laid out for the view's current size (for drawing and tests).
  NSRect colorWellRect() const;
  NSRect wheelRect() const;
  NSRect brightnessSliderRect() const;
  NSRect swatchRect(int index) const;
  static constexpr int kSwatchCount = 8;
};
