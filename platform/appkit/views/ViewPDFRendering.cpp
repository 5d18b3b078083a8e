#include "appkit/views/ViewPDFRendering.h"
#include <cairo.h>

#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/rendering/PDFDrawing.h"
#include "appkit/views/ViewRenderer.h"

NSData* dataWithPDFInsideRect(NSView* view, NSRect rect) {
  if (!view) return nullptr;
  Ref<NSView> protector(view);
  return NSDataFromPDFDrawing(rect, [view, rect](NSRect) {
    NSGraphicsContext* context = NSGraphicsContext::currentContext();
    if (!context) return;
    context->saveGState();
    // The page's user space grows upward from rect's lower-left corner; a flipped view measures
    // from its top, so its rect's top edge goes to the top of the page.
    if (view->isFlipped()) {
      cairo_translate(context->cairo(), 0, 2 * rect.origin.y + rect.size.height);
      cairo_scale(context->cairo(), 1, -1);
      context->setFlipped(true);
    }
    NSDrawViewHierarchy(view);
    context->restoreGState();
  });
}
