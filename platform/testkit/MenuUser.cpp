#include "testkit/MenuUser.h"

#include <atomic>
#include <memory>
#include <optional>

#include "appkit/application/NSApplication.h"
#include "appkit/look/MenuDrawing.h"
#include "appkit/menus/NSMenu.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "testkit/UserInput.h"

namespace {

using namespace UserInput;

NSMenuItem* itemTitled(const NSMenu* menu, const std::u16string& title) {
  for (const auto& item : menu->items())
    if (!item->isSeparatorItem() && item->title() && item->title()->utf16() == title) return item;
  return nullptr;
}

// The item at the end of path, starting with the items of menu.
NSMenuItem* descend(const NSMenu* menu, const std::vector<std::u16string>& path, std::size_t from) {
  NSMenuItem* item = nullptr;
  for (std::size_t i = from; i < path.size(); ++i) {
    if (!menu) return nullptr;
    item = itemTitled(menu, path[i]);
    if (!item) return nullptr;
    menu = item->submenu();
  }
  return item;
}

NSMenu* openContextMenu() {
  NSMenu* menu = MenuUser::lastContextMenu();
  return menu && menu->isTracking() ? menu : nullptr;
}

// How far the user turns the wheel at a time to bring an item into view, in lines.
constexpr CGFloat kLinesPerTurn = 5;

// A turn of the wheel over an open menu's pop-up, and how far that menu was scrolled before it.
struct WheelTurn {
  NSInteger window = 0;
  NSPoint location;
  CGFloat lines = 0;
  CGFloat scrolledBefore = 0;
};

// One look, on the main thread: the turn of the wheel that brings the first item of path that an
// open menu hides towards view; none when every open menu on the path shows its item.
std::optional<WheelTurn> turnTowards(const std::vector<std::u16string>& path) {
  NSMenu* menu = openContextMenu();
  for (std::size_t i = 0; menu && menu->isTracking() && i < path.size(); ++i) {
    NSMenuItem* item = itemTitled(menu, path[i]);
    if (!item) return std::nullopt;
    const auto index = static_cast<NSUInteger>(menu->indexOfItem(item));
    const NSRange shown = NSOpenMenuVisibleItems(menu);
    if (index < shown.location || index >= shown.location + shown.length) {
      const NSRect frame = NSOpenMenuFrame(menu);
      WheelTurn turn;
      turn.window = menu->trackingState().popUpNumber;
      turn.location = NSMakePoint(frame.size.width / 2, frame.size.height / 2);
      // Turning it away from the user shows what lies above.
      turn.lines = index < shown.location ? kLinesPerTurn : -kLinesPerTurn;
      turn.scrolledBefore = menu->trackingState().scrollOffset;
      return turn;
    }
    menu = item->submenu();
  }
  return std::nullopt;
}

// Scrolls the items of path that open menus hide into view, as a person does, with the wheel
// over the menu; stops when a turn moves nothing.
void scrollIntoView(const std::shared_ptr<const std::vector<std::u16string>>& path,
                    Clock::time_point deadline) {
  std::optional<CGFloat> scrolledBefore;
  while (Clock::now() < deadline) {
    const std::optional<WheelTurn> turn =
        lookOnMain<WheelTurn>([path] { return turnTowards(*path); }, deadline, "chooseMenuItem");
    if (!turn || turn->scrolledBefore == scrolledBefore) return;
    scrolledBefore = turn->scrolledBefore;
    NSAutoreleasePool pool;
    deliver({Ref<NSEvent>(NSEvent::scrollWheelEvent(turn->location, 0, NSEvent::currentTimestamp(),
                                                    turn->window, 0, turn->lines))},
            deadline);
  }
}

enum class Attempt { Missing, Chosen };

// One look at the menus, on the main thread.
Attempt tryChoose(const std::vector<std::u16string>& path) {
  if (NSMenu* context = openContextMenu()) {
    NSMenuItem* item = descend(context, path, 0);
    return item && context->chooseItemDuringTracking(item) ? Attempt::Chosen : Attempt::Missing;
  }
  NSMenu* bar = NSApplication::sharedApplication()->mainMenu();
  if (!bar) return Attempt::Missing;
  for (const auto& barItem : bar->items()) {
    NSMenuItem* item = barItem->submenu() ? descend(barItem->submenu(), path, 0) : nullptr;
    if (!item || item->hasSubmenu() || !item->isEnabled()) continue;
    NSMenu* owner = item->menu();
    // Sent from a task of its own, so that an action that runs a loop does not hold up the
    // user, as choosing from the menu bar returns before the action runs.
    Ref<NSMenu> keepMenu(owner);
    Ref<NSMenuItem> keepItem(item);
    NSRunLoop::mainRunLoop().performAsync([keepMenu, keepItem] {
      const NSInteger index = keepMenu->indexOfItem(keepItem);
      if (index >= 0 && keepItem->isEnabled()) keepMenu->performActionForItemAtIndex(index);
    });
    return Attempt::Chosen;
  }
  return Attempt::Missing;
}

} // namespace

namespace MenuUser {

bool chooseMenuItem(const std::vector<std::u16string>& titlePath, std::chrono::milliseconds limit) {
  if (titlePath.empty()) return false;
  const auto deadline = Clock::now() + limit;
  auto path = std::make_shared<const std::vector<std::u16string>>(titlePath);
  return pollUntil<bool>(
             [&]() -> std::optional<bool> {
               scrollIntoView(path, deadline);
               auto outcome = std::make_shared<std::atomic<Attempt>>(Attempt::Missing);
               onMain([outcome, path] { *outcome = tryChoose(*path); }, deadline, "chooseMenuItem");
               if (*outcome == Attempt::Chosen) return true;
               return std::nullopt;
             },
             deadline)
      .value_or(false);
}

void dismissMenu(std::chrono::milliseconds limit) {
  onMain(
      [] {
        if (NSMenu* menu = openContextMenu()) menu->cancelTrackingWithoutAnimation();
      },
      Clock::now() + limit, "dismissMenu");
}

void pressShortcut(const std::u16string& key, const std::vector<std::u16string>& modifiers,
                   std::chrono::milliseconds limit) {
  const NSEventModifierFlags flags = modifiersNamed(modifiers);
  Key pressed = keyNamed(key);
  // A letter key types its own, lower-case character; Shift is in the flags.
  if (pressed.characters.size() == 1 && pressed.characters[0] >= u'A' &&
      pressed.characters[0] <= u'Z')
    pressed.characters[0] = static_cast<char16_t>(pressed.characters[0] - u'A' + u'a');
  const auto deadline = Clock::now() + limit;
  const NSInteger window = keyWindowNumber(deadline, "pressShortcut");
  std::vector<Ref<NSEvent>> events;
  appendKeyPress(events, pressed, flags, window);
  // The key-down may open a loop of its own (an action that shows a menu), which then serves
  // further work.
  deliver(std::move(events), deadline);
}

} // namespace MenuUser
