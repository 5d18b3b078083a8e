#include "chrome/QVGradView.h"

#include "appkit/drawing/NSGradient.h"
#include "chrome/ChromeColors.h"

namespace {
// Degrees counter-clockwise from the x axis: 270 runs from the top edge down to the bottom edge.
constexpr CGFloat kTopToBottom = 270.0;
} // namespace

QVGradView* QVGradView::initWithFrame(NSRect frame) {
  NSView::initWithFrame(frame);
  return this;
}

void QVGradView::drawRect(NSRect) {
  NSColor* base = brix::colorFromCalibratedRGB(235, 235, 235);
  NSColor* start = base->colorWithAlphaComponent(0.0);
  NSColor* end = base->colorWithAlphaComponent(1.0);
  // The whole bounds are painted, not only the dirty part, so the fade always spans the strip.
  NSGradient* gradient = NSGradient::alloc()->initWithStartingColor(start, end);
  if (!gradient) return;
  gradient->drawInRect(bounds(), kTopToBottom);
  gradient->release();
}
