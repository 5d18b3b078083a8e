#include "chrome/QVRectView.h"

#include "appkit/drawing/NSBezierPath.h"
#include "appkit/drawing/NSGradient.h"
#include "chrome/ChromeColors.h"

namespace brix {
extern "C" {
bool _visible = false;
NSImageView* _iv = nullptr;
}
} // namespace brix

namespace {
// The logo sits against the panel's top edge (18 + 32 = 50) and runs 21 points past its right
// edge, where the panel clips it.
constexpr NSRect kLogoFrame{{238.0, 18.0}, {83.0, 32.0}};
constexpr CGFloat kTopToBottom = 270.0;
// The rule is drawn at x = 300, the right edge of the 300-point panel that the band lays, so
// only its inner half shows.
constexpr NSPoint kRuleStart{300.0, 0.0};
constexpr NSPoint kRuleEnd{300.0, 400.0};
} // namespace

QVRectView* QVRectView::initWithFrame(NSRect frame) {
  NSView::initWithFrame(frame);
  // _iv keeps the newest image view for good; an earlier one stays where it is, held only by
  // the panel that shows it, and goes with that panel.
  NSImageView* previous = brix::_iv;
  brix::_iv = NSImageView::alloc()->initWithFrame(kLogoFrame);
  if (previous) previous->release();
  brix::_iv->setImage(adopted(getImage(NSSTR("monologo"))));
  return this;
}

void QVRectView::setVisible(bool flag) {
  setSharedVisibility(flag);
  if (flag && brix::_iv) addSubview(brix::_iv);
}

void QVRectView::setSharedVisibility(bool flag) {
  brix::_visible = flag;
  if (brix::_iv) brix::_iv->removeFromSuperview();
}

void QVRectView::drawRect(NSRect) {
  if (!brix::_visible) return;
  NSColor* base = brix::colorFromRGB(51, 51, 51);
  NSColor* start = base->colorWithAlphaComponent(1.0);
  NSColor* end = base->colorWithAlphaComponent(1.0);
  if (NSGradient* gradient = NSGradient::alloc()->initWithStartingColor(start, end)) {
    gradient->drawInRect(bounds(), kTopToBottom);
    gradient->release();
  }
  NSBezierPath* rule = NSBezierPath::bezierPath();
  rule->setLineWidth(1.0);
  rule->moveToPoint(kRuleStart);
  rule->lineToPoint(kRuleEnd);
  brix::colorFromRGB(60, 60, 60)->set();
  rule->stroke();
}
