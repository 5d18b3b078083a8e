// Pop-up menus and their tracking: a nested loop on the main run loop that takes every input
// event itself, as AppKit's menu tracking does, until an item is chosen or the menu is dismissed.
#include "appkit/menus/NSMenu.h"

#include <cairo.h>

#include <vector>

#include "appkit/application/NSApplication.h"
#include "appkit/application/NSScreen.h"
#include "appkit/controls/FieldEditor.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/look/MenuDrawing.h"
#include "appkit/views/NSView.h"
#include "appkit/windows/NSWindowDrawing.h"
#include "display/DisplayBackend.h"
#include "foundation/runloop/NSNotificationCenter.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/system/NSLog.h"

namespace {

// The window number of the open pop-up; the submenus opened from it count down from there.
constexpr NSInteger kPopUpNumber = -1;
// How far the rows move for a line of the wheel: an item's row.
constexpr CGFloat kWheelLineHeight = 22;

bool isEscape(NSEvent* event) {
  const NSString* characters = event->charactersIgnoringModifiers();
  return event->keyCode() == 53 || (characters && characters->utf16() == u"\x1b");
}

char16_t keyOf(NSEvent* event) {
  const NSString* characters = event->charactersIgnoringModifiers();
  return characters && characters->length() == 1 ? characters->characterAtIndex(0) : 0;
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
  // An item that is not in this menu cannot be placed; the menu's top-left corner is used.
  const bool ownItem = item && indexOfItem(item) >= 0;
  tracking_ = TrackingState{};
  tracking_.open = true;
  tracking_.positioningItem = Ref<NSMenuItem>(ownItem ? item : nullptr);
  tracking_.location = location;
  tracking_.view = view;
  tracking_.popUpNumber = kPopUpNumber;
  tracking_.scrollOffset = NSOpenMenuInitialScrollOffset(this);

  // On a live display the menu is a pop-up window of its own, above the window it belongs to,
  // and a submenu opens beside its item as a pop-up of its own.
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
    drawPopUp();
  }

  // The open menus, this one first, then each open submenu inside the one before it.
  std::vector<Ref<NSMenu>> menus{Ref<NSMenu>(this)};
  // Closes the submenus deeper than depth.
  auto closeSubmenusBelow = [&](std::size_t depth) {
    while (menus.size() > depth + 1) {
      NSMenu* submenu = menus.back().get();
      display.popUpClosed(submenu->tracking_.popUpNumber);
      submenu->tracking_ = TrackingState{};
      menus.pop_back();
    }
  };
  // Opens the submenu of item, an item of the menu at depth, closing any other below it.
  auto openSubmenu = [&](std::size_t depth, NSMenuItem* item) -> NSMenu* {
    NSMenu* submenu = item ? item->submenu() : nullptr;
    if (!live || !submenu || !item->isEnabled()) return nullptr;
    if (menus.size() > depth + 1 && menus[depth + 1].get() == submenu) return submenu;
    closeSubmenusBelow(depth);
    if (submenu->tracking_.open) return nullptr;
    NSMenu* parent = menus[depth].get();
    submenu->tracking_ = TrackingState{};
    submenu->tracking_.open = true;
    submenu->tracking_.popUpNumber = kPopUpNumber - static_cast<NSInteger>(depth) - 1;
    submenu->tracking_.location =
        NSOpenSubmenuLocation(parent, item, submenu, NSScreen::mainScreen()->visibleFrame());
    submenu->tracking_.scrollOffset = NSOpenMenuInitialScrollOffset(submenu);
    menus.push_back(Ref<NSMenu>(submenu));
    DisplayWindow popUp;
    popUp.frame = NSOpenMenuFrame(submenu);
    popUp.kind = DisplayWindowKind::PopUpMenu;
    popUp.owner = parent->tracking_.popUpNumber;
    display.popUpOpened(submenu->tracking_.popUpNumber, popUp);
    submenu->drawPopUp();
    return submenu;
  };
  // The deepest open menu with a highlighted item (this one when none has): where the arrow
  // keys and Return act.
  auto activeDepth = [&]() -> std::size_t {
    for (std::size_t depth = menus.size(); depth-- > 1;)
      if (menus[depth]->tracking_.highlightedItem) return depth;
    return 0;
  };
  // Highlights item in the menu at depth: its submenu opens, any other closes.
  auto highlight = [&](std::size_t depth, NSMenuItem* item) {
    menus[depth]->highlightItemDuringTracking(item);
    if (!openSubmenu(depth, item)) closeSubmenusBelow(depth);
  };

  // Which open menu a pointer event lies in (the innermost where they overlap) and the item or
  // scroll arrow under it.
  struct Hit {
    bool inside = false;
    std::size_t depth = 0;
    NSMenuItem* item = nullptr;
    NSOpenMenuScrollArrow arrow = NSOpenMenuScrollArrow::None;
  };
  auto hitOf = [&](NSEvent* event) -> Hit {
    const NSInteger depthOfWindow = kPopUpNumber - event->windowNumber();
    if (depthOfWindow < 0 || depthOfWindow >= static_cast<NSInteger>(menus.size())) return {};
    const NSRect frame = NSOpenMenuFrame(menus[static_cast<std::size_t>(depthOfWindow)].get());
    const NSPoint location = event->locationInWindow();
    const NSPoint point = {frame.origin.x + location.x, frame.origin.y + location.y};
    for (std::size_t depth = menus.size(); depth-- > 0;) {
      const NSMenu* menu = menus[depth].get();
      if (NSPointInRect(point, NSOpenMenuFrame(menu)))
        return {true, depth, NSOpenMenuItemAtPoint(menu, point),
                NSOpenMenuScrollArrowAtPoint(menu, point)};
    }
    return {};
  };
  // The pointer rests on the scroll arrow of the menu at depth, or on none (hit outside): that
  // menu scrolls steadily, every other stops.
  auto autoscrollFor = [&](const Hit& hit) {
    for (std::size_t depth = 0; depth < menus.size(); ++depth) {
      const bool resting = hit.inside && hit.depth == depth;
      const NSOpenMenuScrollArrow arrow = resting ? hit.arrow : NSOpenMenuScrollArrow::None;
      menus[depth]->autoscrollDuringTracking(arrow == NSOpenMenuScrollArrow::Bottom ? 1
                                             : arrow == NSOpenMenuScrollArrow::Top  ? -1
                                                                                    : 0);
    }
  };

  NSRunLoop::EventHandler takeEvents = [&](NSObject* object) {
    auto* event = ns_cast<NSEvent>(object);
    if (!event) return false;
    switch (event->type()) {
    case NSEventTypeKeyDown: {
      const std::size_t depth = activeDepth();
      NSMenu* active = menus[depth].get();
      NSMenuItem* highlighted = active->tracking_.highlightedItem.get();
      const char16_t key = keyOf(event);
      if (isEscape(event)) {
        cancelTrackingWithoutAnimation();
      } else if (key == NSKey::UpArrow || key == NSKey::DownArrow) {
        NSMenuItem* next = neighbour(active, highlighted, key == NSKey::DownArrow);
        // Scrolled into view first, so that its submenu opens beside the row where it shows.
        active->scrollItemToVisibleDuringTracking(next);
        highlight(depth, next);
      } else if (key == NSKey::RightArrow ||
                 ((key == NSKey::Return || key == NSKey::Enter || key == u' ') && highlighted &&
                  highlighted->hasSubmenu())) {
        if (NSMenu* submenu = openSubmenu(depth, highlighted))
          submenu->highlightItemDuringTracking(neighbour(submenu, nullptr, true));
      } else if (key == NSKey::LeftArrow) {
        if (depth > 0) {
          menus[depth]->highlightItemDuringTracking(nullptr);
          closeSubmenusBelow(depth - 1);
        }
      } else if ((key == NSKey::Return || key == NSKey::Enter || key == u' ') && highlighted) {
        chooseItemDuringTracking(highlighted);
      } else if (NSMenuItem* match = itemForKeyEquivalent(event->charactersIgnoringModifiers(),
                                                          event->modifierFlags())) {
        chooseItemDuringTracking(match);
      }
      return true;
    }
    case NSEventTypeMouseMoved:
    case NSEventTypeLeftMouseDragged:
    case NSEventTypeRightMouseDragged:
    case NSEventTypeOtherMouseDragged: {
      const Hit hit = hitOf(event);
      if (hit.item && event->type() != NSEventTypeMouseMoved) tracking_.armed = true;
      if (hit.inside)
        highlight(hit.depth, hit.item);
      else if (menus.size() == 1 && event->windowNumber() == kPopUpNumber)
        highlightItemDuringTracking(nullptr);
      autoscrollFor(hit);
      return true;
    }
    case NSEventTypeScrollWheel: {
      const Hit hit = hitOf(event);
      if (!hit.inside) return true;
      menus[hit.depth]->scrollDuringTracking(-event->deltaY() * kWheelLineHeight);
      // The rows moved under the pointer.
      const Hit moved = hitOf(event);
      if (moved.inside) highlight(moved.depth, moved.item);
      return true;
    }
    case NSEventTypeLeftMouseDown:
    case NSEventTypeRightMouseDown:
    case NSEventTypeOtherMouseDown:
      if (const Hit hit = hitOf(event); hit.inside) {
        tracking_.armed = true;
        highlight(hit.depth, hit.item);
        return true;
      }
      // A click that reaches the loop lies outside the menu: it dismisses the menu and is not
      // passed on, as AppKit swallows it.
      cancelTrackingWithoutAnimation();
      return true;
    case NSEventTypeLeftMouseUp:
    case NSEventTypeRightMouseUp:
    case NSEventTypeOtherMouseUp:
      if (const Hit hit = hitOf(event); hit.item && tracking_.armed && !hit.item->hasSubmenu())
        chooseItemDuringTracking(hit.item);
      return true;
    default:
      return event->isMouseEvent() || event->isKeyEvent();
    }
  };
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  center->postNotificationName(NSMenuDidBeginTrackingNotification, this);
  NSRunLoop::mainRunLoop().runUntil([this] { return tracking_.cancelRequested; }, std::nullopt,
                                    takeEvents);
  closeSubmenusBelow(0);
  if (live) display.popUpClosed(kPopUpNumber);
  autoscrollDuringTracking(0);

  Ref<NSMenuItem> chosen = tracking_.chosenItem;
  tracking_.open = false;
  tracking_.cancelRequested = false;
  tracking_.chosenItem = nullptr;
  tracking_.highlightedItem = nullptr;
  tracking_.armed = false;
  tracking_.popUpNumber = 0;
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
