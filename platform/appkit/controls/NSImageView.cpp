#include "appkit/controls/NSImageView.h"

#include <algorithm>

#include "appkit/drawing/NSGraphics.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "foundation/json/JsonWriter.h"

NSImageView* NSImageView::initWithFrame(NSRect frame) {
  NSControl::initWithFrame(frame);
  return this;
}

void NSImageView::setImage(NSImage* image) {
  image_ = retained(image);
  setNeedsDisplay(true);
}

void NSImageView::setImageScaling(NSImageScaling scaling) {
  scaling_ = scaling;
  setNeedsDisplay(true);
}

NSRect NSImageView::imageRect() const {
  const NSRect bounds = this->bounds();
  if (!image_) return NSZeroRect;
  const NSSize size = image_->size();
  if (size.width <= 0 || size.height <= 0) return NSZeroRect;
  if (scaling_ == NSImageScaleAxesIndependently) return bounds;
  CGFloat scale = std::min(bounds.size.width / size.width, bounds.size.height / size.height);
  if (scaling_ == NSImageScaleNone) scale = 1;
  if (scaling_ == NSImageScaleProportionallyDown) scale = std::min<CGFloat>(scale, 1);
  const NSSize drawn = NSMakeSize(size.width * scale, size.height * scale);
  return NSMakeRect(NSMidX(bounds) - drawn.width / 2, NSMidY(bounds) - drawn.height / 2,
                    drawn.width, drawn.height);
}

void NSImageView::drawRect(NSRect) {
  if (!NSGraphicsContext::currentContext() || !image_) return;
  const NSRect rect = imageRect();
  if (NSIsEmptyRect(rect)) return;
  image_->drawInRect(rect, NSZeroRect, NSCompositingOperationSourceOver, isEnabled() ? 1 : 0.5,
                     true, nullptr);
}

void NSImageView::describeFields(JsonWriter& json) const {
  NSControl::describeFields(json);
  json.field("image", image_ ? image_->sourceName() : nullptr);
}
