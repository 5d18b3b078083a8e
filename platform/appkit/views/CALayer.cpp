#include "appkit/views/CALayer.h"

#include "appkit/views/NSView.h"

#include <algorithm>
#include <cmath>

CGColorRef CALayer::backgroundColor() const {
  if (!backgroundColor_) return std::nullopt;
  return backgroundColor_->CGColor();
}

void CALayer::setBackgroundColor(const CGColorRef& color) {
  backgroundColor_ = retained(NSColor::colorWithCGColor(color));
}

void CALayer::setBackgroundColor(NSColor* color) {
  backgroundColor_ = retained(color);
}

NSView* CALayer::delegate() const {
  return delegate_.get();
}

void CALayer::setDelegate(NSView* view) {
  delegate_ = view;
}
