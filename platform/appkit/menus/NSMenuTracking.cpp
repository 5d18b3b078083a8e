// Pop-up menus and their tracking: a nested loop on the main run loop that takes every input
// event itself, as AppKit's menu tracking does, until an item is chosen or the menu is dismissed.
#include "appkit/menus/NSMenu.h"
#include "appkit/views/NSView.h"
#include "foundation/NSLog.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSRunLoop.h"
#include "foundation/NSThread.h"

namespace {

bool isEscape(NSEvent* event) {
  const NSString* characters = event->charactersIgnoringModifiers();
  return event->keyCode() == 53 || (characters && characters->utf16() == u"\x1b");
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

  NSRunLoop::EventHandler takeEvents = [this](NSObject* object) {
    auto* event = ns_cast<NSEvent>(object);
    if (!event) return false;
    switch (event->type()) {
    case NSEventTypeKeyDown:
      if (isEscape(event)) {
        cancelTrackingWithoutAnimation();
      } else if (NSMenuItem* match = itemForKeyEquivalent(event->charactersIgnoringModifiers(),
                                                          event->modifierFlags())) {
        chooseItemDuringTracking(match);
      }
      return true;
    case NSEventTypeLeftMouseDown:
    case NSEventTypeRightMouseDown:
    case NSEventTypeOtherMouseDown:
      // A click that reaches the loop lies outside the menu: it dismisses the menu and is not
      // passed on, as AppKit swallows it.
      cancelTrackingWithoutAnimation();
      return true;
    default:
      return event->isMouseEvent() || event->isKeyEvent();
    }
  };
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  center->postNotificationName(NSMenuDidBeginTrackingNotification, this);
  NSRunLoop::mainRunLoop().runUntil([this] { return tracking_.cancelRequested; }, std::nullopt,
                                    takeEvents);

  Ref<NSMenuItem> chosen = tracking_.chosenItem;
  tracking_.open = false;
  tracking_.cancelRequested = false;
  tracking_.chosenItem = nullptr;
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

void NSMenu::cancelTrackingWithoutAnimation() {
  if (!tracking_.open) return;
  tracking_.cancelRequested = true;
  NSRunLoop::mainRunLoop().wakeUp();
}

void NSMenu::cancelTracking() {
  cancelTrackingWithoutAnimation();
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
