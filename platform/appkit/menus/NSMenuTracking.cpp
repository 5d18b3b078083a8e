// Pop-up menus: a session (MenuTrackingSession) places, tracks and dismisses the menu; the menu
// draws itself into its pop-up and takes the choices the session and the testkit make.
#include "appkit/menus/NSMenu.h"

#include <cairo.h>

#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/look/MenuDrawing.h"
#include "appkit/menus/MenuTrackingSession.h"
#include "appkit/windows/NSWindowDrawing.h"
#include "display/DisplayBackend.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/system/NSLog.h"

void NSMenu::drawPopUp() const {
  const NSInteger number = tracking_.popUpNumber;
  if (!number) return;
  DisplayBackend& display = DisplayBackend::current();
  bool isNew = false;
  cairo_surface_t* surface = display.windowSurface(number, &isNew);
  if (!surface) return;
  NSAutoreleasePool pool;
  const NSRect frame = NSOpenMenuFrame(this);
  NSGraphicsContext::saveGraphicsState();
  NSGraphicsContext* context = NSGraphicsContext::graphicsContextWithCairoSurface(
      surface, frame.size, display.backingScaleFactor());
  NSGraphicsContext::setCurrentContext(context);
  cairo_t* cairo = context->cairo();
  cairo_save(cairo);
  cairo_set_operator(cairo, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgb(cairo, kDisplayBackground[0], kDisplayBackground[1], kDisplayBackground[2]);
  cairo_paint(cairo);
  cairo_restore(cairo);
  NSDrawOpenMenu(this, frame);
  context->flushGraphics();
  NSGraphicsContext::restoreGraphicsState();
  display.presentWindow(number);
}

bool NSMenu::popUpMenuPositioningItem(NSMenuItem* item, NSPoint location, NSView* view) {
  if (!NSThread::isMainThread()) {
    NSLog("-[NSMenu popUpMenuPositioningItem:atLocation:inView:] must be called on the main "
          "thread; the menu was not shown");
    return false;
  }
  if (tracking_.open) {
    NSLog("-[NSMenu popUpMenuPositioningItem:atLocation:inView:] the menu is already open");
    return false;
  }
  Ref<NSMenu> protector(this);
  MenuTrackingSession session(this);
  session.place(item, location, view);
  session.track();
  Ref<NSMenuItem> chosen = session.dismiss();
  // The action is sent once the menu has closed, so that it may open another menu.
  if (chosen) {
    if (NSMenu* owner = chosen->menu()) {
      const NSInteger index = owner->indexOfItem(chosen);
      if (index >= 0 && chosen->isEnabled()) owner->performActionForItemAtIndex(index);
    }
  }
  return chosen != nullptr;
}

void NSMenu::highlightItemDuringTracking(NSMenuItem* item) {
  if (!tracking_.open || item == tracking_.highlightedItem.get()) return;
  if (item && indexOfItem(item) < 0) return;
  tracking_.highlightedItem = Ref<NSMenuItem>(item);
  drawPopUp();
}

void NSMenu::cancelTrackingWithoutAnimation() {
  if (!tracking_.open) return;
  tracking_.cancelRequested = true;
  NSRunLoop::mainRunLoop().wakeUp();
}

bool NSMenu::chooseItemDuringTracking(NSMenuItem* item) {
  if (!tracking_.open || tracking_.cancelRequested || !item || !containsItem(item) ||
      item->isSeparatorItem() || item->hasSubmenu() || !item->isEnabled())
    return false;
  tracking_.chosenItem = Ref<NSMenuItem>(item);
  tracking_.cancelRequested = true;
  NSRunLoop::mainRunLoop().wakeUp();
  return true;
}
