#include "MenuUser.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "DisplayBackend.h"
#include "NSApplication.h"
#include "NSMenu.h"
#include "NSRunLoop.h"
#include "foundation/NSAutoreleasePool.h"
#include "foundation/NSThread.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kPollInterval{20};

std::u16string lowercase(std::u16string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; });
  return text;
}

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
  NSMenu* menu = NSMenu::lastPoppedUpMenu();
  return menu && menu->isTracking() ? menu : nullptr;
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

// Runs work on the main thread within the deadline; false when it was not served in time.
bool onMain(const std::function<void()>& work, Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return NSRunLoop::mainRunLoop().performOnMain(work, std::max(left, std::chrono::milliseconds(1)));
}

[[noreturn]] void timedOut() {
  throw SimulatedUserError(
      SimulatedUserError::Kind::Timeout,
      "the main thread did not serve the simulated user within the time limit");
}

struct NamedKey {
  const char16_t* name;
  char16_t character;
  unsigned short keyCode; // of a US keyboard
};

constexpr NamedKey kNamedKeys[] = {
    {u"return", u'\r', 36}, {u"enter", u'\x03', 76},  {u"tab", u'\t', 48},
    {u"space", u' ', 49},   {u"escape", u'\x1b', 53}, {u"backspace", u'\x7f', 51},
    {u",", u',', 43},       {u".", u'.', 47},         {u"q", u'q', 12},
    {u"w", u'w', 13},       {u"h", u'h', 4},
};

} // namespace

namespace MenuUser {

bool chooseMenuItem(const std::vector<std::u16string>& titlePath, std::chrono::milliseconds limit) {
  if (titlePath.empty()) return false;
  const auto deadline = Clock::now() + limit;
  for (;;) {
    auto outcome = std::make_shared<std::atomic<Attempt>>(Attempt::Missing);
    auto path = std::make_shared<const std::vector<std::u16string>>(titlePath);
    if (!onMain([outcome, path] { *outcome = tryChoose(*path); }, deadline)) timedOut();
    if (*outcome == Attempt::Chosen) return true;
    if (Clock::now() + kPollInterval >= deadline) return false;
    if (NSThread::isMainThread())
      NSRunLoop::mainRunLoop().runUntil([] { return false; }, Clock::now() + kPollInterval);
    else
      std::this_thread::sleep_for(kPollInterval);
  }
}

void dismissMenu(std::chrono::milliseconds limit) {
  if (!onMain(
          [] {
            if (NSMenu* menu = openContextMenu()) menu->cancelTrackingWithoutAnimation();
          },
          Clock::now() + limit))
    timedOut();
}

void pressShortcut(const std::u16string& key, const std::vector<std::u16string>& modifiers,
                   std::chrono::milliseconds limit) {
  NSEventModifierFlags flags = 0;
  for (const std::u16string& name : modifiers) {
    const std::u16string lower = lowercase(name);
    if (lower == u"command" || lower == u"cmd")
      flags |= NSEventModifierFlagCommand;
    else if (lower == u"shift")
      flags |= NSEventModifierFlagShift;
    else if (lower == u"option" || lower == u"alt")
      flags |= NSEventModifierFlagOption;
    else if (lower == u"control" || lower == u"ctrl")
      flags |= NSEventModifierFlagControl;
    else
      throw SimulatedUserError(SimulatedUserError::Kind::BadArgument,
                               "unknown modifier \"" + NSUTF16ToUTF8(name) + "\"");
  }
  std::u16string characters;
  unsigned short keyCode = 0;
  const std::u16string lower = lowercase(key);
  for (const NamedKey& named : kNamedKeys)
    if (lower == named.name) characters = named.character, keyCode = named.keyCode;
  if (characters.empty()) {
    if (key.size() != 1)
      throw SimulatedUserError(SimulatedUserError::Kind::BadArgument,
                               "unknown key \"" + NSUTF16ToUTF8(key) + "\"");
    characters = lower; // the key's own character; Shift is in the flags
  }
  const auto deadline = Clock::now() + limit;
  auto windowNumber = std::make_shared<std::atomic<NSInteger>>(0);
  if (!onMain(
          [windowNumber] {
            NSWindow* key = NSApplication::sharedApplication()->keyWindow();
            *windowNumber = key ? key->windowNumber() : 0;
          },
          deadline))
    timedOut();
  std::vector<Ref<NSEvent>> events;
  {
    NSAutoreleasePool pool;
    NSString* text = NSString::stringWithCharacters(characters.data(), characters.size());
    for (NSEventType type : {NSEventTypeKeyDown, NSEventTypeKeyUp})
      events.emplace_back(NSEvent::keyEventWithType(type, NSZeroPoint, flags,
                                                    NSEvent::currentTimestamp(), *windowNumber,
                                                    nullptr, text, text, false, keyCode));
  }
  auto served = std::make_shared<std::atomic<bool>>(false);
  for (auto& event : events)
    DisplayBackend::current().injectEvent(event);
  NSRunLoop::mainRunLoop().performAsync([served] { *served = true; });
  // The run loop holds a queued event until it has served it; the key-down may open a loop of
  // its own (an action that shows a menu), which then serves further work.
  NSEvent* keyDown = events.front();
  auto done = [&] { return *served || keyDown->retainCount() == 1; };
  if (NSThread::isMainThread()) {
    NSRunLoop::mainRunLoop().runUntil(done, deadline);
  } else {
    while (!done() && Clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (!done()) timedOut();
}

} // namespace MenuUser
