// Pop-up menus and their tracking: a nested loop on the main run loop that takes every input
// event itself, as AppKit's menu tracking does, until an item is chosen or the menu is dismissed.
#include "appkit/menus/NSMenu.h"

#include <cairo.h>

#include "appkit/application/NSApplication.h"
#include "appkit/controls/FieldEditor.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/look/MenuDrawing.h"
#include "appkit/views/NSView.h"
#include "appkit/windows/NSWindowDrawing.h"
#include "display/DisplayBackend.h"
#include "foundation/NSAutoreleasePool.h"
#include "foundation/NSLog.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSRunLoop.h"
#include "foundation/NSThread.h"

namespace {

// The number a live display knows the open pop-up by.
constexpr NSInteger kPopUpNumber = -1;

bool isEscape(NSEvent* event) {
  const NSString* characters = event->charactersIgnoringModifiers();
  return event->keyCode() == 53 || (characters && characters->utf16() == u"\x1b");
}

char16_t keyOf(NSEvent* event) {
  const NSString* characters = event->charactersIgnoringModifiers();
  return characters && characters->length() == 1 ? characters->characterAtIndex(0) : 0;
}

// Draws the open menu into the pop-up's picture on a live display and shows it.
void drawPopUp(const NSMenu* menu) {
  DisplayBackend& display = DisplayBackend::current();
  bool isNew = false;
  cairo_surface_t* surface = display.windowSurface(kPopUpNumber, &isNew);
  if (!surface) return;
  NSAutoreleasePool pool;
  const NSRect frame = NSOpenMenuFrame(menu);
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
  NSDrawOpenMenu(menu, frame);
  context->flushGraphics();
  NSGraphicsContext::restoreGraphicsState();
  display.presentWindow(kPopUpNumber);
}

// The next enabled item after (or before) the highlighted one, wrapping around.
NSMenuItem* neighbour(const NSMenu* menu, const NSMenuItem* from, bool down) {
  const auto& items = menu->items();
  const auto count = static_cast<NSInteger>(items.size());
  NSInteger index = -1;
  for (NSInteger i = 0; i < count; ++i)
    if (items[i].get() == from) index = i;
  for (NSInteger step = 1; step <= count; ++step) {
    NSInteger next = index < 0 ? (down ? step - 1 : count - step)
                               : ((index + (down ? step : -step)) % count + count) % count;
    NSMenuItem* item = items[next].get();
    if (!item->isSeparatorItem() && item->isEnabled()) return item;
  }
  return nullptr;
}

} // namespace

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
  // An item that is not in this menu cannot be placed; the menu's top-left corner is used.
  const bool ownItem = item && indexOfItem(item) >= 0;
  tracking_ = TrackingState{};
  tracking_.open = true;
  tracking_.positioningItem = Ref<NSMenuItem>(ownItem ? item : nullptr);
  tracking_.location = location;
  tracking_.view = view;

  // On a live display the menu is a pop-up window of its own, above the window it belongs to.
  DisplayBackend& display = DisplayBackend::current();
  const bool live = display.isLive();
  if (live) {
    DisplayWindow popUp;
    popUp.frame = NSOpenMenuFrame(this);
    popUp.kind = DisplayWindowKind::PopUpMenu;
    NSWindow* owner =
        view && view->window() ? view->window() : NSApplication::sharedApplication()->keyWindow();
    popUp.owner = owner ? owner->windowNumber() : 0;
    display.popUpOpened(kPopUpNumber, popUp);
    drawPopUp(this);
  }

  // The item under a pointer event on the pop-up, and whether the event lies inside it.
  auto itemUnder = [this](NSEvent* event, bool* inside) -> NSMenuItem* {
    *inside = false;
    if (event->windowNumber() != kPopUpNumber) return nullptr;
    const NSRect frame = NSOpenMenuFrame(this);
    const NSPoint location = event->locationInWindow();
    const NSPoint point = {frame.origin.x + location.x, frame.origin.y + location.y};
    *inside = NSPointInRect(point, frame);
    return *inside ? NSOpenMenuItemAtPoint(this, point) : nullptr;
  };

  NSRunLoop::EventHandler takeEvents = [this, &itemUnder](NSObject* object) {
    auto* event = ns_cast<NSEvent>(object);
    if (!event) return false;
    bool inside = false;
    switch (event->type()) {
    case NSEventTypeKeyDown:
      if (isEscape(event)) {
        cancelTrackingWithoutAnimation();
      } else if (const char16_t key = keyOf(event);
                 key == NSKey::UpArrow || key == NSKey::DownArrow) {
        highlightItemDuringTracking(
            neighbour(this, tracking_.highlightedItem.get(), key == NSKey::DownArrow));
      } else if ((key == NSKey::Return || key == NSKey::Enter || key == u' ') &&
                 tracking_.highlightedItem) {
        chooseItemDuringTracking(tracking_.highlightedItem.get());
      } else if (NSMenuItem* match = itemForKeyEquivalent(event->charactersIgnoringModifiers(),
                                                          event->modifierFlags())) {
        chooseItemDuringTracking(match);
      }
      return true;
    case NSEventTypeMouseMoved:
    case NSEventTypeLeftMouseDragged:
    case NSEventTypeRightMouseDragged:
    case NSEventTypeOtherMouseDragged: {
      NSMenuItem* item = itemUnder(event, &inside);
      if (item && event->type() != NSEventTypeMouseMoved) tracking_.armed = true;
      if (inside || event->windowNumber() == kPopUpNumber) highlightItemDuringTracking(item);
      return true;
    }
    case NSEventTypeLeftMouseDown:
    case NSEventTypeRightMouseDown:
    case NSEventTypeOtherMouseDown:
      if (NSMenuItem* item = itemUnder(event, &inside); inside) {
        tracking_.armed = true;
        highlightItemDuringTracking(item);
        return true;
      }
      // A click that reaches the loop lies outside the menu: it dismisses the menu and is not
      // passed on, as AppKit swallows it.
      cancelTrackingWithoutAnimation();
      return true;
    case NSEventTypeLeftMouseUp:
    case NSEventTypeRightMouseUp:
    case NSEventTypeOtherMouseUp:
      if (NSMenuItem* item = itemUnder(event, &inside); item && tracking_.armed)
        chooseItemDuringTracking(item);
      return true;
    default:
      return event->isMouseEvent() || event->isKeyEvent();
    }
  };
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  center->postNotificationName(NSMenuDidBeginTrackingNotification, this);
  NSRunLoop::mainRunLoop().runUntil([this] { return tracking_.cancelRequested; }, std::nullopt,
                                    takeEvents);
  if (live) display.popUpClosed(kPopUpNumber);

  Ref<NSMenuItem> chosen = tracking_.chosenItem;
  tracking_.open = false;
  tracking_.cancelRequested = false;
  tracking_.chosenItem = nullptr;
  tracking_.highlightedItem = nullptr;
  tracking_.armed = false;
  center->postNotificationName(NSMenuDidEndTrackingNotification, this);
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
  if (DisplayBackend::current().isLive()) drawPopUp(this);
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
