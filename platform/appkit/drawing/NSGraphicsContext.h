// NSGraphicsContext: the destination of drawing, over a Cairo context.
//
// User space is in points with AppKit's origin at the lower left: a context made for a surface
// flips and scales Cairo's y-down pixel space once, so everything above it (views, paths,
// images, text) works in AppKit coordinates. A flipped view applies its own flip and marks the
// context flipped, which text and images consult to stay upright.
//
// Each thread has its own current context, as in AppKit; setCurrentContext retains it. The
// graphics state that saveGState/restoreGState keep is Cairo's (transform, clip, line settings)
// plus ours: the fill and stroke colours set by NSColor set, the compositing operation, the
// flipped flag and antialiasing.
#pragma once

#include "appkit/rendering/CairoTypes.h"

#include <vector>

#include "appkit/drawing/NSColor.h"
#include "appkit/drawing/NSGraphics.h"
#include "foundation/values/NSGeometry.h"

class NSBitmapImageRep;

class NSGraphicsContext : public NSObject {
  NS_OBJECT_CLASS(NSGraphicsContext)

  // The calling thread's current context; nil when nothing is being drawn.
  static NSGraphicsContext* currentContext();
  static void setCurrentContext(NSGraphicsContext* context);
  // Save the current context's graphics state and remember the current context itself;
  // restoreGraphicsState brings both back, as AppKit's class methods do. Unbalanced restores
  // are ignored.
  static void saveGraphicsState();
  static void restoreGraphicsState();

  // A context drawing into a Cairo surface that is pointSize points large at scale device
  // pixels per point, with the origin at the lower left. Autoreleased; the surface is retained.
  static NSGraphicsContext* graphicsContextWithCairoSurface(cairo_surface_t* surface,
                                                            NSSize pointSize, CGFloat scale);
  // A context drawing into the bitmap, whose size in points and pixel dimensions give the scale.
  static NSGraphicsContext* graphicsContextWithBitmapImageRep(NSBitmapImageRep* bitmap);

  ~NSGraphicsContext() override;

  cairo_t* cairo() const { return cairo_; }
  // Device pixels per point, taken from the transform when the context was made.
  CGFloat backingScaleFactor() const { return scale_; }

  // The graphics state of this context (AppKit's instance saveGraphicsState and
  // restoreGraphicsState).
  void saveGState();
  void restoreGState();

  bool isFlipped() const { return state_.flipped; }
  void setFlipped(bool flipped) { state_.flipped = flipped; }
  // Convenience for views: make the y axis grow downward within a box of the given height,
  // whose top edge becomes y = 0, and mark the context flipped.
  void flipWithinHeight(CGFloat height);
  NSCompositingOperation compositingOperation() const { return state_.operation; }
  void setCompositingOperation(NSCompositingOperation operation);

  // The colours NSColor set, setFill and setStroke chose; black at first, as in AppKit.
  NSColor* fillColor() const;
  NSColor* strokeColor() const;
  void setFillColor(const NSColor* color);
  void setStrokeColor(const NSColor* color);
  // Make Cairo's source the fill or stroke colour and its operator the compositing operation,
  // ready for cairo_fill or cairo_stroke.
  void useFillColor();
  void useStrokeColor();

  // Finishes pending drawing on the surface (cairo_surface_flush).
  void flushGraphics();

private:
  struct GState {
    Ref<NSColor> fill;
    Ref<NSColor> stroke;
    NSCompositingOperation operation = NSCompositingOperationSourceOver;
    bool flipped = false;
  };
  cairo_t* cairo_ = nullptr;
  CGFloat scale_ = 1;
  GState state_;
  std::vector<GState> saved_;

  void adopt(cairo_t* cairo, bool flipped);
};
