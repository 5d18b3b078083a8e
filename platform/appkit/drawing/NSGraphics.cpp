#include "appkit/drawing/NSGraphics.h"
#include "appkit/rendering/CairoOperator.h"

#include <algorithm>
#include <cmath>

#include "appkit/drawing/NSGraphicsContext.h"

namespace {

void fillRect(NSGraphicsContext* context, NSRect rect) {
  cairo_t* cairo = context->cairo();
  cairo_new_path(cairo);
  cairo_rectangle(cairo, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  cairo_fill(cairo);
}

} // namespace

void NSRectFill(NSRect rect) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context) return;
  NSRectFillUsingOperation(rect, context->compositingOperation());
}

void NSRectFillUsingOperation(NSRect rect, NSCompositingOperation operation) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context || NSIsEmptyRect(rect)) return;
  context->useFillColor();
  cairo_set_operator(context->cairo(), NSCairoOperator(operation));
  fillRect(context, rect);
}

void NSFrameRect(NSRect rect) {
  NSFrameRectWithWidth(rect, 1);
}

void NSFrameRectWithWidth(NSRect rect, CGFloat width) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context || NSIsEmptyRect(rect) || width <= 0) return;
  context->useFillColor();
  CGFloat x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
  CGFloat side = std::min(width, std::min(w, h) / 2);
  // Bottom and top rows span the full width; the sides fill the height between them.
  fillRect(context, NSMakeRect(x, y, w, side));
  fillRect(context, NSMakeRect(x, y + h - side, w, side));
  fillRect(context, NSMakeRect(x, y + side, side, h - 2 * side));
  fillRect(context, NSMakeRect(x + w - side, y + side, side, h - 2 * side));
}

void NSRectClip(NSRect rect) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context) return;
  cairo_t* cairo = context->cairo();
  cairo_new_path(cairo);
  cairo_rectangle(cairo, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  cairo_clip(cairo);
}

NSRect NSBackingAlignedRect(NSRect rect) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context) return rect;
  cairo_t* cairo = context->cairo();
  double x0 = NSMinX(rect), y0 = NSMinY(rect), x1 = NSMaxX(rect), y1 = NSMaxY(rect);
  cairo_user_to_device(cairo, &x0, &y0);
  cairo_user_to_device(cairo, &x1, &y1);
  x0 = std::round(x0), y0 = std::round(y0), x1 = std::round(x1), y1 = std::round(y1);
  cairo_device_to_user(cairo, &x0, &y0);
  cairo_device_to_user(cairo, &x1, &y1);
  return NSMakeRect(std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0), std::abs(y1 - y0));
}

NSRect NSStrokeRectInside(NSRect rect, CGFloat lineWidth) {
  NSRect aligned = NSBackingAlignedRect(rect);
  CGFloat half = lineWidth / 2;
  return NSMakeRect(aligned.origin.x + half, aligned.origin.y + half,
                    std::max<CGFloat>(0, aligned.size.width - lineWidth),
                    std::max<CGFloat>(0, aligned.size.height - lineWidth));
}
