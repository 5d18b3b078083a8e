#include "appkit/menus/MenuTrackingSession.h"

#include <cwctype>

#include "appkit/application/NSApplication.h"
#include "appkit/application/NSEvent.h"
#include "appkit/application/NSScreen.h"
#include "appkit/controls/FieldEditor.h"
#include "appkit/views/NSView.h"
#include "display/DisplayBackend.h"
#include "foundation/runloop/NSNotificationCenter.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runloop/NSThread.h"

namespace {

// The window number of the open pop-up; the submenus opened from it count down from there.
constexpr NSInteger kPopUpNumber = -1;

// The menus being tracked, outermost first (main thread only).
std::vector<NSMenu*>& trackedMenus() {
  static std::vector<NSMenu*> menus;
  return menus;
}
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

bool choosesOrOpens(char16_t key) {
  return key == NSKey::Return || key == NSKey::Enter || key == u' ';
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

MenuTrackingSession::MenuTrackingSession(NSMenu* menu)
    : menu_(menu), display_(DisplayBackend::current()),
      live_(display_.isLive()), menus_{Ref<NSMenu>(menu)} {}

void MenuTrackingSession::place(NSMenuItem* item, NSPoint location, NSView* view) {
  NSMenu::TrackingState& tracking = menu_->tracking_;
  tracking = NSMenu::TrackingState{};
  tracking.open = true;
  tracking.positioningItem =
      Ref<NSMenuItem>(item && menu_->indexOfItem(item) >= 0 ? item : nullptr);
  tracking.location = location;
  tracking.view = view;
  tracking.popUpNumber = kPopUpNumber;
  tracking.scrollOffset = NSOpenMenuInitialScrollOffset(menu_);
  // On a live display the menu is a pop-up window of its own, above the window it belongs to,
  // and a submenu opens beside its item as a pop-up of its own.
  if (!live_) return;
  DisplayWindow popUp;
  popUp.frame = NSOpenMenuFrame(menu_);
  popUp.kind = DisplayWindowKind::PopUpMenu;
  popUp.cornerRadius = NSOpenMenuCornerRadius();
  NSWindow* owner =
      view && view->window() ? view->window() : NSApplication::sharedApplication()->keyWindow();
  popUp.owner = owner ? owner->windowNumber() : 0;
  display_.popUpOpened(kPopUpNumber, popUp);
  menu_->drawPopUp();
}

void MenuTrackingSession::track() {
  trackedMenus().push_back(menu_);
  struct Untrack {
    ~Untrack() { trackedMenus().pop_back(); }
  } untrack;
  NSNotificationCenter::defaultCenter()->postNotificationName(NSMenuDidBeginTrackingNotification,
                                                              menu_);
  NSRunLoop::EventHandler takeEvents = [this](NSObject* object) { return takeEvent(object); };
  NSRunLoop::mainRunLoop().runUntil([this] { return menu_->tracking_.cancelRequested; },
                                    std::nullopt, takeEvents);
}

void MenuTrackingSession::cancelEveryTracking() {
  BRIX_ASSERT_MAIN_THREAD();
  for (NSMenu* menu : trackedMenus())
    menu->cancelTrackingWithoutAnimation();
}

Ref<NSMenuItem> MenuTrackingSession::dismiss() {
  closeSubmenusBelow(0);
  if (live_) display_.popUpClosed(kPopUpNumber);
  menu_->autoscrollDuringTracking(0);
  NSMenu::TrackingState& tracking = menu_->tracking_;
  Ref<NSMenuItem> chosen = tracking.chosenItem;
  tracking.open = false;
  tracking.cancelRequested = false;
  tracking.chosenItem = nullptr;
  tracking.highlightedItem = nullptr;
  tracking.armed = false;
  tracking.popUpNumber = 0;
  NSNotificationCenter::defaultCenter()->postNotificationName(NSMenuDidEndTrackingNotification,
                                                              menu_);
  return chosen;
}

bool MenuTrackingSession::takeEvent(NSObject* object) {
  auto* event = ns_cast<NSEvent>(object);
  if (!event) return false;
  switch (event->type()) {
  case NSEventTypeKeyDown:
    handleKey(event);
    return true;
  case NSEventTypeMouseMoved:
  case NSEventTypeLeftMouseDragged:
  case NSEventTypeRightMouseDragged:
  case NSEventTypeOtherMouseDragged:
    handlePointerMove(event);
    return true;
  case NSEventTypeScrollWheel:
    handleWheel(event);
    return true;
  case NSEventTypeLeftMouseDown:
  case NSEventTypeRightMouseDown:
  case NSEventTypeOtherMouseDown:
    handlePointerDown(event);
    return true;
  case NSEventTypeLeftMouseUp:
  case NSEventTypeRightMouseUp:
  case NSEventTypeOtherMouseUp:
    handlePointerUp(event);
    return true;
  default:
    return event->isMouseEvent() || event->isKeyEvent();
  }
}

void MenuTrackingSession::handleKey(NSEvent* event) {
  const std::size_t depth = activeDepth();
  NSMenu* active = menus_[depth].get();
  NSMenuItem* highlighted = active->tracking_.highlightedItem.get();
  const char16_t key = keyOf(event);
  if (isEscape(event)) {
    menu_->cancelTrackingWithoutAnimation();
  } else if (key == NSKey::UpArrow || key == NSKey::DownArrow) {
    NSMenuItem* next = neighbour(active, highlighted, key == NSKey::DownArrow);
    // Scrolled into view first, so that its submenu opens beside the row where it shows.
    active->scrollItemToVisibleDuringTracking(next);
    highlight(depth, next);
  } else if (key == NSKey::RightArrow ||
             (choosesOrOpens(key) && highlighted && highlighted->hasSubmenu())) {
    if (NSMenu* submenu = openSubmenu(depth, highlighted))
      submenu->highlightItemDuringTracking(neighbour(submenu, nullptr, true));
  } else if (key == NSKey::LeftArrow) {
    if (depth > 0) {
      menus_[depth]->highlightItemDuringTracking(nullptr);
      closeSubmenusBelow(depth - 1);
    }
  } else if (choosesOrOpens(key) && highlighted) {
    menu_->chooseItemDuringTracking(highlighted);
  } else if (key == NSKey::Home || key == NSKey::End) {
    NSMenuItem* edge = neighbour(active, nullptr, key == NSKey::Home);
    active->scrollItemToVisibleDuringTracking(edge);
    highlight(depth, edge);
  } else if (NSMenuItem* match = menu_->itemForKeyEquivalent(event->charactersIgnoringModifiers(),
                                                             event->modifierFlags())) {
    menu_->chooseItemDuringTracking(match);
  } else if (NSMenuItem* typed = typeSelect(active, highlighted, event)) {
    active->scrollItemToVisibleDuringTracking(typed);
    highlight(depth, typed);
  }
}

NSMenuItem* MenuTrackingSession::typeSelect(const NSMenu* menu, const NSMenuItem* highlighted,
                                            NSEvent* event) {
  // Letters typed without Command or Control pick the item whose title begins with them; a pause
  // starts a new word, and the same letter again moves on to the next item it begins.
  const NSString* characters = event->characters();
  if (!characters || characters->length() == 0 ||
      (event->modifierFlags() & (NSEventModifierFlagCommand | NSEventModifierFlagControl)))
    return nullptr;
  for (char16_t c : characters->utf16())
    if (c < 0x20 || c == 0x7f || (c >= 0xF700 && c <= 0xF8FF)) return nullptr;
  if (event->timestamp() - lastTypedAt_ > kTypeSelectPause) typed_.clear();
  lastTypedAt_ = event->timestamp();
  for (char16_t c : characters->utf16())
    typed_.push_back(static_cast<char16_t>(std::towlower(c)));
  const bool oneLetterAgain =
      typed_.size() > 1 && typed_.find_first_not_of(typed_[0]) == std::u16string::npos;
  const std::u16string_view prefix =
      oneLetterAgain ? std::u16string_view(typed_).substr(0, 1) : std::u16string_view(typed_);

  const auto& items = menu->items();
  const auto count = static_cast<NSInteger>(items.size());
  NSInteger from = 0;
  for (NSInteger i = 0; i < count; ++i)
    if (items[i].get() == highlighted) from = oneLetterAgain ? i + 1 : i;
  for (NSInteger step = 0; step < count; ++step) {
    NSMenuItem* item = items[(from + step) % count].get();
    if (item->isSeparatorItem() || !item->isEnabled() || !item->title()) continue;
    const std::u16string_view title = item->title()->utf16();
    if (title.size() < prefix.size()) continue;
    bool begins = true;
    for (std::size_t i = 0; i < prefix.size() && begins; ++i)
      begins = static_cast<char16_t>(std::towlower(title[i])) == prefix[i];
    if (begins) return item;
  }
  return nullptr;
}

void MenuTrackingSession::handlePointerMove(NSEvent* event) {
  const Hit hit = hitOf(event);
  if (hit.item && event->type() != NSEventTypeMouseMoved) menu_->tracking_.armed = true;
  if (hit.inside)
    highlight(hit.depth, hit.item);
  else if (menus_.size() == 1 && event->windowNumber() == kPopUpNumber)
    menu_->highlightItemDuringTracking(nullptr);
  autoscrollFor(hit);
}

void MenuTrackingSession::handleWheel(NSEvent* event) {
  const Hit hit = hitOf(event);
  if (!hit.inside) return;
  menus_[hit.depth]->scrollDuringTracking(-event->deltaY() * kWheelLineHeight);
  // The rows moved under the pointer.
  const Hit moved = hitOf(event);
  if (moved.inside) highlight(moved.depth, moved.item);
}

void MenuTrackingSession::handlePointerDown(NSEvent* event) {
  if (const Hit hit = hitOf(event); hit.inside) {
    menu_->tracking_.armed = true;
    highlight(hit.depth, hit.item);
    return;
  }
  // A click that reaches the loop lies outside the menu: it dismisses the menu and is not
  // passed on, as AppKit swallows it.
  menu_->cancelTrackingWithoutAnimation();
}

void MenuTrackingSession::handlePointerUp(NSEvent* event) {
  if (const Hit hit = hitOf(event); hit.item && menu_->tracking_.armed && !hit.item->hasSubmenu())
    menu_->chooseItemDuringTracking(hit.item);
}

void MenuTrackingSession::closeSubmenusBelow(std::size_t depth) {
  while (menus_.size() > depth + 1) {
    NSMenu* submenu = menus_.back().get();
    display_.popUpClosed(submenu->tracking_.popUpNumber);
    submenu->tracking_ = NSMenu::TrackingState{};
    menus_.pop_back();
  }
}

NSMenu* MenuTrackingSession::openSubmenu(std::size_t depth, NSMenuItem* item) {
  NSMenu* submenu = item ? item->submenu() : nullptr;
  if (!live_ || !submenu || !item->isEnabled()) return nullptr;
  if (menus_.size() > depth + 1 && menus_[depth + 1].get() == submenu) return submenu;
  closeSubmenusBelow(depth);
  if (submenu->tracking_.open) return nullptr;
  NSMenu* parent = menus_[depth].get();
  NSMenu::TrackingState& tracking = submenu->tracking_;
  tracking = NSMenu::TrackingState{};
  tracking.open = true;
  tracking.popUpNumber = kPopUpNumber - static_cast<NSInteger>(depth) - 1;
  tracking.location =
      NSOpenSubmenuLocation(parent, item, submenu, NSScreen::mainScreen()->visibleFrame());
  tracking.scrollOffset = NSOpenMenuInitialScrollOffset(submenu);
  menus_.push_back(Ref<NSMenu>(submenu));
  DisplayWindow popUp;
  popUp.frame = NSOpenMenuFrame(submenu);
  popUp.kind = DisplayWindowKind::PopUpMenu;
  popUp.cornerRadius = NSOpenMenuCornerRadius();
  popUp.owner = parent->tracking_.popUpNumber;
  display_.popUpOpened(tracking.popUpNumber, popUp);
  submenu->drawPopUp();
  return submenu;
}

std::size_t MenuTrackingSession::activeDepth() const {
  for (std::size_t depth = menus_.size(); depth-- > 1;)
    if (menus_[depth]->tracking_.highlightedItem) return depth;
  return 0;
}

void MenuTrackingSession::highlight(std::size_t depth, NSMenuItem* item) {
  menus_[depth]->highlightItemDuringTracking(item);
  if (!openSubmenu(depth, item)) closeSubmenusBelow(depth);
}

MenuTrackingSession::Hit MenuTrackingSession::hitOf(NSEvent* event) const {
  const NSInteger depthOfWindow = kPopUpNumber - event->windowNumber();
  if (depthOfWindow < 0 || depthOfWindow >= static_cast<NSInteger>(menus_.size())) return {};
  const NSRect frame = NSOpenMenuFrame(menus_[static_cast<std::size_t>(depthOfWindow)].get());
  const NSPoint location = event->locationInWindow();
  const NSPoint point = {frame.origin.x + location.x, frame.origin.y + location.y};
  for (std::size_t depth = menus_.size(); depth-- > 0;) {
    const NSMenu* menu = menus_[depth].get();
    if (NSPointInRect(point, NSOpenMenuFrame(menu)))
      return {true, depth, NSOpenMenuItemAtPoint(menu, point),
              NSOpenMenuScrollArrowAtPoint(menu, point)};
  }
  return {};
}

void MenuTrackingSession::autoscrollFor(const Hit& hit) {
  for (std::size_t depth = 0; depth < menus_.size(); ++depth) {
    const bool resting = hit.inside && hit.depth == depth;
    const NSOpenMenuScrollArrow arrow = resting ? hit.arrow : NSOpenMenuScrollArrow::None;
    menus_[depth]->autoscrollDuringTracking(arrow == NSOpenMenuScrollArrow::Bottom ? 1
                                            : arrow == NSOpenMenuScrollArrow::Top  ? -1
                                                                                   : 0);
  }
}
