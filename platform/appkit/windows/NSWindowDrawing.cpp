// Drawing a whole window as it looks on screen: its frame view and views, its title, clipped
// to its outline, with the hairline around a rounded window.
#include "appkit/windows/NSWindowDrawing.h"

#include "appkit/drawing/NSBezierPath.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/look/ControlLook.h"
#include "appkit/look/WindowChromeLook.h"
#include "appkit/views/ViewRenderer.h"
#include "appkit/windows/NSThemeFrame.h"
#include "appkit/windows/NSWindow.h"

namespace {

NSBezierPath* outline(NSWindow* window) {
  const NSRect frame = window->frame();
  const double radius = NSWindowCornerRadius(window);
  const NSRect rect = NSMakeRect(0, 0, frame.size.width, frame.size.height);
  return radius > 0 ? NSBezierPath::bezierPathWithRoundedRect(rect, radius, radius)
                    : NSBezierPath::bezierPathWithRect(rect);
}

} // namespace

void NSDrawWindow(NSWindow* window) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context || !window) return;
  Ref<NSWindow> protector(window);
  context->saveGState();
  outline(window)->addClip();
  context->setFlipped(false);
  if (NSView* frameView = window->frameView()) NSDrawViewHierarchy(frameView);
  NSDrawWindowTitle(window);
  context->restoreGState();
  // A hairline around the outline, as macOS draws around every window.
  if (NSWindowCornerRadius(window) > 0) {
    const NSRect frame = window->frame();
    const double radius = NSWindowCornerRadius(window);
    NSBezierPath* edge = NSBezierPath::bezierPathWithRoundedRect(
        NSMakeRect(0.25, 0.25, frame.size.width - 0.5, frame.size.height - 0.5), radius - 0.25,
        radius - 0.25);
    edge->setLineWidth(0.5);
    ControlLook::rgb(0, 0, 0, 0.25)->setStroke();
    edge->stroke();
  }
}
