// NSView geometry: frames, autoresizing, coordinate conversion and hit testing.
#include <cmath>

#include "appkit/views/NSView.h"
#include "appkit/windows/NSWindow.h"

namespace {

// One axis of a view inside its superview, as autoresizing sees it: the space before the view
// (the min margin), the view's own size, and the space after it (the max margin).
struct AxisParts {
  CGFloat position, size;
};

// Shares delta among the flexible parts of one axis in proportion to their current sizes
// (evenly when all of them are empty), then floors the result onto the pixel grid. Nothing
// changes when no part is flexible or the superview did not change along this axis.
AxisParts resizeAxis(AxisParts parts, CGFloat oldSuperSize, CGFloat delta, bool flexibleMin,
                     bool flexibleSize, bool flexibleMax) {
  if (delta == 0 || !(flexibleMin || flexibleSize || flexibleMax)) return parts;
  const CGFloat minMargin = parts.position;
  const CGFloat maxMargin = oldSuperSize - parts.position - parts.size;
  CGFloat total = 0;
  int flexibleCount = 0;
  if (flexibleMin) total += minMargin, ++flexibleCount;
  if (flexibleSize) total += parts.size, ++flexibleCount;
  if (flexibleMax) total += maxMargin, ++flexibleCount;
  auto share = [&](CGFloat part) {
    return total != 0 ? delta * part / total : delta / flexibleCount;
  };

  AxisParts result = parts;
  if (flexibleMin) result.position += share(minMargin);
  if (flexibleSize) result.size += share(parts.size);
  result.position = std::floor(result.position);
  result.size = std::max<CGFloat>(0, std::floor(result.size));
  return result;
}

} // namespace

void NSView::setFrame(NSRect frame) {
  const NSSize oldSize = frame_.size;
  frame.size.width = std::max<CGFloat>(0, frame.size.width);
  frame.size.height = std::max<CGFloat>(0, frame.size.height);
  if (frame == frame_) return;
  if (superview_) superview_->setNeedsDisplay(true);
  frame_ = frame;
  if (frame_.size != oldSize) {
    setNeedsDisplay(true);
    if (autoresizesSubviews_) resizeSubviewsWithOldSize(oldSize);
  }
}

void NSView::setFrameOrigin(NSPoint origin) {
  setFrame({origin, frame_.size});
}

void NSView::setFrameSize(NSSize size) {
  setFrame({frame_.origin, size});
}

void NSView::resizeSubviewsWithOldSize(NSSize oldSize) {
  // Resizing a subview may run code that changes our subviews; iterate over a snapshot.
  const std::vector<Ref<NSView>> snapshot = subviews_;
  for (const auto& subview : snapshot)
    if (subview->superview_ == this) subview->resizeWithOldSuperviewSize(oldSize);
}

void NSView::resizeWithOldSuperviewSize(NSSize oldSize) {
  if (!superview_ || autoresizingMask_ == NSViewNotSizable) return;
  const NSSize newSize = superview_->bounds().size;
  const NSAutoresizingMaskOptions mask = autoresizingMask_;
  const AxisParts x =
      resizeAxis({frame_.origin.x, frame_.size.width}, oldSize.width, newSize.width - oldSize.width,
                 mask & NSViewMinXMargin, mask & NSViewWidthSizable, mask & NSViewMaxXMargin);
  const AxisParts y = resizeAxis({frame_.origin.y, frame_.size.height}, oldSize.height,
                                 newSize.height - oldSize.height, mask & NSViewMinYMargin,
                                 mask & NSViewHeightSizable, mask & NSViewMaxYMargin);
  setFrame(NSMakeRect(x.position, y.position, x.size, y.size));
}

// MARK: coordinate conversion

// A point in the view's own coordinates, taken to its superview's (or, for a view without one,
// the window's). Flipped views count y down from the top of their bounds; a flipped superview
// counts the frame's y from its own top.
NSPoint NSView::pointToSuperview(NSPoint point) const {
  const NSRect bounds = this->bounds();
  const CGFloat dx = point.x - bounds.origin.x;
  const CGFloat heightAboveBottom =
      isFlipped() ? bounds.size.height - (point.y - bounds.origin.y) : point.y - bounds.origin.y;
  const bool superFlipped = superview_ && superview_->isFlipped();
  const CGFloat y = superFlipped ? frame_.origin.y + frame_.size.height - heightAboveBottom
                                 : frame_.origin.y + heightAboveBottom;
  return {frame_.origin.x + dx, y};
}

NSPoint NSView::pointFromSuperview(NSPoint point) const {
  const NSRect bounds = this->bounds();
  const bool superFlipped = superview_ && superview_->isFlipped();
  const CGFloat heightAboveBottom =
      superFlipped ? frame_.origin.y + frame_.size.height - point.y : point.y - frame_.origin.y;
  const CGFloat y = isFlipped() ? bounds.origin.y + bounds.size.height - heightAboveBottom
                                : bounds.origin.y + heightAboveBottom;
  return {bounds.origin.x + point.x - frame_.origin.x, y};
}

NSPoint NSView::pointToWindow(NSPoint point) const {
  for (const NSView* view = this; view; view = view->superview_)
    point = view->pointToSuperview(point);
  return point;
}

NSPoint NSView::pointFromWindow(NSPoint point) const {
  if (superview_) point = superview_->pointFromWindow(point);
  return pointFromSuperview(point);
}

NSPoint NSView::convertPointFromView(NSPoint point, const NSView* view) const {
  const NSPoint inWindow = view ? view->pointToWindow(point) : point;
  return pointFromWindow(inWindow);
}

NSPoint NSView::convertPointToView(NSPoint point, const NSView* view) const {
  const NSPoint inWindow = pointToWindow(point);
  return view ? view->pointFromWindow(inWindow) : inWindow;
}

namespace {
NSRect rectFromCorners(NSPoint a, NSPoint b) {
  return NSMakeRect(std::min(a.x, b.x), std::min(a.y, b.y), std::fabs(a.x - b.x),
                    std::fabs(a.y - b.y));
}
} // namespace

NSRect NSView::convertRectToView(NSRect rect, const NSView* view) const {
  const NSPoint a = convertPointToView(rect.origin, view);
  const NSPoint b = convertPointToView({NSMaxX(rect), NSMaxY(rect)}, view);
  return rectFromCorners(a, b);
}

// MARK: hit testing

bool NSView::mouseInRect(NSPoint point, NSRect rect) const {
  // AppKit's NSMouseInRect: the edge nearer the origin of the coordinate system belongs to the
  // rectangle, the far edge does not.
  if (point.x < NSMinX(rect) || point.x >= NSMaxX(rect)) return false;
  if (isFlipped()) return point.y >= NSMinY(rect) && point.y < NSMaxY(rect);
  return point.y > NSMinY(rect) && point.y <= NSMaxY(rect);
}

NSView* NSView::hitTest(NSPoint point) {
  if (hidden_) return nullptr;
  const bool superFlipped = superview_ && superview_->isFlipped();
  const bool inFrame = point.x >= NSMinX(frame_) && point.x < NSMaxX(frame_) &&
                       (superFlipped ? point.y >= NSMinY(frame_) && point.y < NSMaxY(frame_)
                                     : point.y > NSMinY(frame_) && point.y <= NSMaxY(frame_));
  if (!inFrame) return nullptr;
  const NSPoint local = pointFromSuperview(point);
  for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it)
    if (NSView* hit = (*it)->hitTest(local)) return hit;
  return this;
}
