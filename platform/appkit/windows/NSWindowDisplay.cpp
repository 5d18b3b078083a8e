// NSWindow: how the window is described to the display and drawn into a live display's picture.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "appkit/application/NSApplication.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/look/WindowChromeLook.h"
#include "appkit/windows/NSPanel.h"
#include "appkit/windows/NSWindow.h"
#include "appkit/windows/NSWindowDrawing.h"
#include "display/DisplayBackend.h"
#include "foundation/runtime/NSAutoreleasePool.h"

namespace {

// A window that belongs to no other window of its own: the key window, else the main window.
NSInteger ownerForPanel(const NSWindow* panel) {
  NSApplication* app = NSApplication::sharedApplication();
  for (NSWindow* candidate : {app->keyWindow(), app->mainWindow()})
    if (candidate && candidate != panel && candidate->isVisible()) return candidate->windowNumber();
  return 0;
}

// Whether b lies wholly inside a.
bool containsRect(NSRect a, NSRect b) {
  return NSMinX(b) >= NSMinX(a) && NSMaxX(b) <= NSMaxX(a) && NSMinY(b) >= NSMinY(a) &&
         NSMaxY(b) <= NSMaxY(a);
}

NSRect unionRect(NSRect a, NSRect b) {
  const CGFloat x0 = std::min(NSMinX(a), NSMinX(b)), x1 = std::max(NSMaxX(a), NSMaxX(b));
  const CGFloat y0 = std::min(NSMinY(a), NSMinY(b)), y1 = std::max(NSMaxY(a), NSMaxY(b));
  return NSMakeRect(x0, y0, x1 - x0, y1 - y0);
}

} // namespace

DisplayWindow NSWindow::displayDescription() const {
  DisplayWindow description;
  description.frame = frame_;
  description.title = title_ ? title_->utf8() : std::string();
  if (NSWindow* parent = sheetParent_.get()) {
    description.kind = DisplayWindowKind::Sheet;
    description.owner = parent->windowNumber();
  } else if (ns_cast<NSPanel>(this)) {
    const bool modal = level_ >= NSModalPanelWindowLevel;
    description.kind = modal ? DisplayWindowKind::Dialog : DisplayWindowKind::Utility;
    description.modal = modal;
    description.owner = ownerForPanel(this);
  }
  if ((styleMask_ & NSWindowStyleMaskTitled) && !(styleMask_ & NSWindowStyleMaskFullScreen))
    description.titleBarHeight = titleBarHeight_;
  description.resizable =
      (styleMask_ & NSWindowStyleMaskResizable) && !(styleMask_ & NSWindowStyleMaskFullScreen);
  description.cornerRadius = NSWindowCornerRadius(this);
  describeHostedContent(description);
  return description;
}

void NSWindow::invalidatePictureRect(NSRect rect) {
  const NSRect bounds = NSMakeRect(0, 0, frame_.size.width, frame_.size.height);
  rect = NSIntersectionRect(rect, bounds);
  if (NSIsEmptyRect(rect)) return;
  // A few rectangles are kept apart; past that, one rectangle around them all draws about as
  // much and is cheaper to clip to.
  constexpr std::size_t kMostRectangles = 8;
  for (NSRect& damaged : pictureDamage_) {
    if (containsRect(damaged, rect)) return;
    if (containsRect(rect, damaged)) {
      damaged = rect;
      return;
    }
  }
  if (pictureDamage_.size() < kMostRectangles) {
    pictureDamage_.push_back(rect);
    return;
  }
  NSRect all = rect;
  for (const NSRect& damaged : pictureDamage_)
    all = unionRect(all, damaged);
  pictureDamage_.assign(1, all);
}

bool NSWindow::drawIntoDisplayPicture() {
  DisplayBackend& display = DisplayBackend::current();
  bool isNew = false;
  cairo_surface_t* surface = display.windowSurface(number_, &isNew);
  if (!surface) {
    pictureDamage_.clear();
    return false;
  }
  const CGFloat scale = display.backingScaleFactor();
  // A new picture holds nothing yet: all of it is drawn. Otherwise only what changed, grown to
  // whole device pixels so that the pixels inside come out as a full drawing makes them.
  std::vector<NSRect> damage;
  if (isNew) {
    damage.push_back(NSMakeRect(0, 0, frame_.size.width, frame_.size.height));
  } else {
    for (const NSRect& rect : pictureDamage_) {
      const CGFloat x0 = std::floor(rect.origin.x * scale) / scale;
      const CGFloat y0 = std::floor(rect.origin.y * scale) / scale;
      const CGFloat x1 = std::ceil(NSMaxX(rect) * scale) / scale;
      const CGFloat y1 = std::ceil(NSMaxY(rect) * scale) / scale;
      damage.push_back(NSMakeRect(x0, y0, x1 - x0, y1 - y0));
    }
  }
  pictureDamage_.clear();
  if (damage.empty()) return true;

  NSAutoreleasePool pool;
  NSGraphicsContext::saveGraphicsState();
  NSGraphicsContext* context =
      NSGraphicsContext::graphicsContextWithCairoSurface(surface, frame_.size, scale);
  NSGraphicsContext::setCurrentContext(context);
  cairo_t* cairo = context->cairo();
  for (const NSRect& rect : damage)
    cairo_rectangle(cairo, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  cairo_clip(cairo);
  // The corners outside a rounded window show the picture's background.
  cairo_save(cairo);
  cairo_set_operator(cairo, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgb(cairo, kDisplayBackground[0], kDisplayBackground[1], kDisplayBackground[2]);
  cairo_paint(cairo);
  cairo_restore(cairo);
  NSDrawWindow(this);
  context->flushGraphics();
  NSGraphicsContext::restoreGraphicsState();
  for (const NSRect& rect : damage)
    display.presentWindowRect(number_, rect);
  return true;
}
