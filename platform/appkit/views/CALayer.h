// CALayer: the backing layer that AppKit gives a layer-backed view. It keeps what callers set on
// it (the background colour, opacity, corner radius); the view it backs draws it.
#pragma once

#include "appkit/drawing/NSColor.h"

class NSView;

class CALayer : public NSObject {
  NS_OBJECT_CLASS(CALayer)

  // The background colour. Core Graphics callers set and read a CGColor (an empty optional is
  // NULL); the platform keeps it as an NSColor so it draws like any other colour.
  CGColorRef backgroundColor() const;
  void setBackgroundColor(const CGColorRef& color);
  void setBackgroundColor(NSColor* color);
  NSColor* backgroundNSColor() const { return backgroundColor_; }

  CGFloat cornerRadius() const { return cornerRadius_; }
  void setCornerRadius(CGFloat radius) { cornerRadius_ = radius; }

  // The view this layer backs; not retained.
  NSView* delegate() const;
  void setDelegate(NSView* view);

private:
  Ref<NSColor> backgroundColor_;
  CGFloat cornerRadius_ = 0;
  Weak<NSView> delegate_; // not retained: the view owns its layer
};
