// NSWindow: how the window is described to the display and drawn into a live display's picture.
#include <cairo.h>

#include "appkit/application/NSApplication.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/windows/NSPanel.h"
#include "appkit/windows/NSWindow.h"
#include "appkit/windows/NSWindowDrawing.h"
#include "display/DisplayBackend.h"
#include "foundation/NSAutoreleasePool.h"

namespace {

// A window that belongs to no other window of its own: the key window, else the main window.
NSInteger ownerForPanel(const NSWindow* panel) {
  NSApplication* app = NSApplication::sharedApplication();
  for (NSWindow* candidate : {app->keyWindow(), app->mainWindow()})
    if (candidate && candidate != panel && candidate->isVisible()) return candidate->windowNumber();
  return 0;
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
    description.titleBarHeight = kTitleBarHeight;
  description.resizable = styleMask_ & NSWindowStyleMaskResizable;
  return description;
}

void NSWindow::drawIntoDisplayPicture() {
  DisplayBackend& display = DisplayBackend::current();
  bool isNew = false;
  cairo_surface_t* surface = display.windowSurface(number_, &isNew);
  if (!surface) return;
  NSAutoreleasePool pool;
  const CGFloat scale = display.backingScaleFactor();
  NSGraphicsContext::saveGraphicsState();
  NSGraphicsContext* context =
      NSGraphicsContext::graphicsContextWithCairoSurface(surface, frame_.size, scale);
  NSGraphicsContext::setCurrentContext(context);
  // The corners outside a rounded window show the picture's background.
  cairo_t* cairo = context->cairo();
  cairo_save(cairo);
  cairo_set_operator(cairo, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgb(cairo, kDisplayBackground[0], kDisplayBackground[1], kDisplayBackground[2]);
  cairo_paint(cairo);
  cairo_restore(cairo);
  NSDrawWindow(this);
  context->flushGraphics();
  NSGraphicsContext::restoreGraphicsState();
}
