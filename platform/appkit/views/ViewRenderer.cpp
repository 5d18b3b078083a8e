#include "appkit/views/ViewRenderer.h"
#include <cairo.h>

#include "appkit/drawing/NSBezierPath.h"
#include "appkit/drawing/NSGraphics.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/views/NSView.h"

namespace {

void paintLayerBackground(NSView* view) {
  if (!view->isLayerBacked()) return;
  CALayer* layer = view->layer();
  NSColor* color = layer ? layer->backgroundNSColor() : nullptr;
  if (!color) return;
  color->setFill();
  if (layer->cornerRadius() > 0)
    NSBezierPath::bezierPathWithRoundedRect(view->bounds(), layer->cornerRadius(),
                                            layer->cornerRadius())
        ->fill();
  else
    NSRectFillUsingOperation(view->bounds(), NSCompositingOperationSourceOver);
}

} // namespace

void NSDrawViewHierarchy(NSView* view) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context || !view || view->isHidden()) return;
  Ref<NSView> protector(view);
  cairo_t* cairo = context->cairo();
  const NSRect bounds = view->bounds();
  context->saveGState();
  NSRectClip(bounds);
  const bool translucent = view->alphaValue() < 1;
  if (translucent) cairo_push_group(cairo);
  NSAppearanceDrawingScope appearance(view->effectiveAppearance());
  paintLayerBackground(view);
  view->drawRect(bounds);
  // drawRect may change the tree; draw from a copy that keeps the subviews alive.
  const std::vector<Ref<NSView>> subviews = view->subviewList();
  for (const auto& subview : subviews) {
    if (subview->isHidden() || subview->superview() != view) continue;
    const NSRect frame = subview->frame();
    context->saveGState();
    if (subview->isFlipped() != view->isFlipped()) {
      cairo_translate(cairo, frame.origin.x, frame.origin.y + frame.size.height);
      cairo_scale(cairo, 1, -1);
    } else {
      cairo_translate(cairo, frame.origin.x, frame.origin.y);
    }
    const NSPoint origin = subview->bounds().origin;
    cairo_translate(cairo, -origin.x, -origin.y);
    context->setFlipped(subview->isFlipped());
    NSDrawViewHierarchy(subview.get());
    context->restoreGState();
  }
  if (translucent) {
    cairo_pop_group_to_source(cairo);
    cairo_paint_with_alpha(cairo, view->alphaValue());
  }
  context->restoreGState();
}
