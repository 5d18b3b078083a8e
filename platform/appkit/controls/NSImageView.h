// NSImageView: a view that shows an image, scaled down proportionally to fit and centred, as
// AppKit's image view does by default. The image is retained.
#pragma once

#include "appkit/controls/NSControl.h"
#include "appkit/drawing/NSImage.h"

enum NSImageScaling : NSUInteger {
  NSImageScaleProportionallyDown = 0,
  NSImageScaleAxesIndependently = 1,
  NSImageScaleNone = 2,
  NSImageScaleProportionallyUpOrDown = 3,
};

class NSImageView : public NSControl {
  NS_OBJECT_CLASS(NSImageView)

  NSImageView* initWithFrame(NSRect frame) override;
  NSImageView* init() { return initWithFrame(NSZeroRect); }

  NSImage* image() const { return image_; }
  void setImage(NSImage* image);
  NSImageScaling imageScaling() const { return scaling_; }
  void setImageScaling(NSImageScaling scaling);

  // Where the image is drawn inside the bounds.
  NSRect imageRect() const;
  void drawRect(NSRect dirtyRect) override;
  void describeFields(JsonWriter& json) const override;

private:
  Ref<NSImage> image_;
  NSImageScaling scaling_ = NSImageScaleProportionallyDown;
};
