// NSImage's drawing: mapping the image's points onto the destination rectangle and painting
// the best representation there.
#include <poppler.h>

#include <cmath>

#include "appkit/drawing/NSBitmapImageRep.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/drawing/NSImage.h"
#include "appkit/rendering/CairoOperator.h"

void NSImage::drawInRect(NSRect rect) const {
  drawInRect(rect, NSZeroRect, NSCompositingOperationSourceOver, 1, true, nullptr);
}

void NSImage::drawInRect(NSRect rect, NSRect fromRect, NSCompositingOperation operation,
                         CGFloat fraction) const {
  drawInRect(rect, fromRect, operation, fraction, false, nullptr);
}

void NSImage::drawInRect(NSRect rect, NSRect fromRect, NSCompositingOperation operation,
                         CGFloat fraction, bool respectFlipped, const NSDictionary*) const {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context || !isValid() || NSIsEmptyRect(rect) || fraction <= 0 || size_.width <= 0 ||
      size_.height <= 0)
    return;
  NSRect imageBounds = NSMakeRect(0, 0, size_.width, size_.height);
  NSRect from = NSIsEmptyRect(fromRect) ? imageBounds : fromRect;
  cairo_t* cairo = context->cairo();
  cairo_save(cairo);
  cairo_new_path(cairo);
  cairo_rectangle(cairo, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  cairo_clip(cairo);

  // Image points (lower-left origin) onto the destination: from maps onto rect. Upright in a
  // flipped context means the image's top edge goes to the rectangle's minimum y.
  CGFloat sx = rect.size.width / from.size.width, sy = rect.size.height / from.size.height;
  bool upright = respectFlipped && context->isFlipped();
  double deviceWidth = rect.size.width, ignored = 0;
  cairo_user_to_device_distance(cairo, &deviceWidth, &ignored);
  deviceWidth = std::hypot(deviceWidth, ignored) * size_.width / from.size.width;
  if (upright) {
    cairo_translate(cairo, rect.origin.x - from.origin.x * sx, rect.origin.y + NSMaxY(from) * sy);
    cairo_scale(cairo, sx, -sy);
  } else {
    cairo_translate(cairo, rect.origin.x - from.origin.x * sx, rect.origin.y - from.origin.y * sy);
    cairo_scale(cairo, sx, sy);
  }
  // From image points to the representation's own y-down space (pixels or PDF points).
  cairo_translate(cairo, 0, size_.height);

  bool plain = operation == NSCompositingOperationSourceOver && fraction >= 1;
  if (const NSBitmapImageRep* bitmap = pdfPage_ ? nullptr : bestBitmap(deviceWidth)) {
    cairo_scale(cairo, size_.width / bitmap->pixelsWide(), -size_.height / bitmap->pixelsHigh());
    cairo_set_source_surface(cairo, bitmap->cairoSurface(), 0, 0);
    cairo_pattern_t* pattern = cairo_get_source(cairo);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    // Within the image, repeat the edge pixels rather than fade them into transparency, so an
    // image drawn at a fractional position keeps crisp edges; the clip bounds the result.
    bool inside = from.origin.x >= 0 && from.origin.y >= 0 && NSMaxX(from) <= size_.width &&
                  NSMaxY(from) <= size_.height;
    cairo_pattern_set_extend(pattern, inside ? CAIRO_EXTEND_PAD : CAIRO_EXTEND_NONE);
    cairo_set_operator(cairo, NSCairoOperator(operation));
    if (plain)
      cairo_paint(cairo);
    else
      cairo_paint_with_alpha(cairo, fraction);
  } else if (pdfPage_) {
    double pageWidth = 0, pageHeight = 0;
    poppler_page_get_size(pdfPage_, &pageWidth, &pageHeight);
    if (pageWidth > 0 && pageHeight > 0) {
      cairo_scale(cairo, size_.width / pageWidth, -size_.height / pageHeight);
      if (plain) {
        poppler_page_render(pdfPage_, cairo);
      } else {
        cairo_push_group(cairo);
        poppler_page_render(pdfPage_, cairo);
        cairo_pop_group_to_source(cairo);
        cairo_set_operator(cairo, NSCairoOperator(operation));
        cairo_paint_with_alpha(cairo, fraction);
      }
    }
  }
  cairo_restore(cairo);
}
