#include "SimulatedUser.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "DisplayBackend.h"
#include "FieldEditor.h"
#include "NSAlert.h"
#include "NSApplication.h"
#include "NSButton.h"
#include "NSEvent.h"
#include "NSPanel.h"
#include "NSRunLoop.h"
#include "NSTextField.h"
#include "foundation/NSAutoreleasePool.h"
#include "foundation/NSThread.h"

namespace {

using Clock = std::chrono::steady_clock;
// How often a waiting action looks again for its target.
constexpr std::chrono::milliseconds kPollInterval{5};

std::string utf8(const std::u16string& text) {
  return NSUTF16ToUTF8(text);
}

std::chrono::milliseconds remaining(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return std::max(left, std::chrono::milliseconds(0));
}

// Runs a look at the screen on the main thread; the result lives in shared state, because a
// caller that gives up must not leave the task writing into its stack.
template <class T>
std::optional<T> lookOnMain(std::function<std::optional<T>()> look, Clock::time_point deadline,
                            const char* what) {
  auto result = std::make_shared<std::optional<T>>();
  const bool served = NSRunLoop::mainRunLoop().performOnMain(
      [result, look = std::move(look)] { *result = look(); }, remaining(deadline));
  if (!served)
    throw SimulatedUserError(SimulatedUserError::Kind::Timeout,
                             std::string("the main thread did not serve the simulated user (") +
                                 what + ") within the time limit");
  return *result;
}

// Injects the events as the display delivers input, then waits until the one that acts (the
// mouse-up of a click, the last key-down) has been dispatched, or until the main thread serves
// a later task: a nested loop started by the input serves it, while a loop that the input
// ended may return before the remaining events (a key-up) are served.
void deliver(std::vector<Ref<NSEvent>> events, Clock::time_point deadline) {
  if (events.empty()) return;
  std::size_t acting = events.size() - 1;
  while (acting > 0 && events[acting]->type() == NSEventTypeKeyUp)
    --acting;
  auto markerServed = std::make_shared<std::atomic<bool>>(false);
  for (auto& event : events)
    DisplayBackend::current().injectEvent(event);
  NSRunLoop::mainRunLoop().performAsync([markerServed] { *markerServed = true; });
  NSEvent* event = events[acting];
  // The run loop holds each queued event until it has served it; only ours is left then.
  auto done = [&] { return *markerServed || event->retainCount() == 1; };
  if (NSThread::isMainThread()) {
    NSRunLoop::mainRunLoop().runUntil(done, deadline);
  } else {
    while (!done() && Clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (!done())
    throw SimulatedUserError(SimulatedUserError::Kind::Timeout,
                             "the main thread did not take the simulated input within the time "
                             "limit");
}

std::vector<Ref<NSEvent>> clickEvents(NSInteger windowNumber, NSPoint point) {
  NSAutoreleasePool pool;
  std::vector<Ref<NSEvent>> events;
  for (NSEventType type : {NSEventTypeLeftMouseDown, NSEventTypeLeftMouseUp})
    events.emplace_back(NSEvent::mouseEventWithType(type, point, 0, NSEvent::currentTimestamp(),
                                                    windowNumber, nullptr, 0, 1, 1));
  return events;
}

void appendKey(std::vector<Ref<NSEvent>>& events, const std::u16string& characters,
               unsigned short keyCode, NSInteger windowNumber) {
  NSAutoreleasePool pool;
  NSString* text = NSString::stringWithCharacters(characters.data(), characters.size());
  for (NSEventType type : {NSEventTypeKeyDown, NSEventTypeKeyUp})
    events.emplace_back(NSEvent::keyEventWithType(type, NSZeroPoint, 0, NSEvent::currentTimestamp(),
                                                  windowNumber, nullptr, text, text, false,
                                                  keyCode));
}

struct NamedKey {
  const char16_t* name;
  char16_t character;
  unsigned short keyCode; // the virtual key code of a US keyboard
};
constexpr NamedKey kNamedKeys[] = {
    {u"return", NSKey::Return, 36},
    {u"enter", NSKey::Enter, 76},
    {u"escape", NSKey::Escape, 53},
    {u"tab", NSKey::Tab, 48},
    {u"backspace", NSKey::Backspace, 51},
    {u"delete", NSKey::ForwardDelete, 117},
    {u"left", NSKey::LeftArrow, 123},
    {u"right", NSKey::RightArrow, 124},
    {u"down", NSKey::DownArrow, 125},
    {u"up", NSKey::UpArrow, 126},
    {u"home", NSKey::Home, 115},
    {u"end", NSKey::End, 119},
    {u"space", u' ', 49},
};

std::u16string lowered(std::u16string text) {
  for (auto& c : text)
    if (c >= u'A' && c <= u'Z') c = c - u'A' + u'a';
  return text;
}

NSInteger keyWindowNumber() {
  NSWindow* key = NSApplication::sharedApplication()->keyWindow();
  return key ? key->windowNumber() : 0;
}

// The views of a window's content, front-most first within each level, in view-tree order.
void collectViews(NSView* view, std::vector<NSView*>& views) {
  if (!view || view->isHidden()) return;
  views.push_back(view);
  for (const auto& subview : view->subviewList())
    collectViews(subview.get(), views);
}

std::vector<NSView*> viewsOf(NSWindow* window) {
  std::vector<NSView*> views;
  if (window) collectViews(window->contentView(), views);
  return views;
}

NSPoint centerInWindow(NSView* view) {
  const NSRect bounds = view->bounds();
  return view->convertPointToView(NSMakePoint(NSMidX(bounds), NSMidY(bounds)), nullptr);
}

struct Target {
  NSInteger window;
  NSPoint point;
};

} // namespace

namespace SimulatedUser {

NSWindow* frontWindow() {
  NSApplication* app = NSApplication::sharedApplication();
  if (NSAlert* alert = NSAlert::frontmostAlert(); alert && alert->window()->isVisible())
    return alert->window();
  NSWindow* window = app->modalWindow() ? app->modalWindow() : app->keyWindow();
  if (!window) {
    for (NSWindow* candidate : app->screenList())
      if (!ns_cast<NSPanel>(candidate) && !candidate->sheetParent()) {
        window = candidate;
        break;
      }
  }
  while (window && window->attachedSheet() && window->attachedSheet()->isVisible())
    window = window->attachedSheet();
  return window;
}

bool pressButton(const std::u16string& title, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  for (;;) {
    std::optional<Target> target = lookOnMain<Target>(
        [&title]() -> std::optional<Target> {
          NSWindow* window = frontWindow();
          for (NSView* view : viewsOf(window)) {
            auto* button = ns_cast<NSButton>(view);
            if (button && button->isEnabled() && button->title()->utf16() == title)
              return Target{window->windowNumber(), centerInWindow(button)};
          }
          return std::nullopt;
        },
        deadline, "pressButton");
    if (target) {
      deliver(clickEvents(target->window, target->point), deadline);
      return true;
    }
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::min(kPollInterval, remaining(deadline)));
  }
}

void click(NSInteger windowNumber, NSPoint point, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  const bool exists =
      lookOnMain<bool>(
          [windowNumber]() -> std::optional<bool> {
            NSWindow* window =
                NSApplication::sharedApplication()->windowWithWindowNumber(windowNumber);
            return window && window->isVisible();
          },
          deadline, "click")
          .value_or(false);
  if (!exists)
    throw SimulatedUserError(SimulatedUserError::Kind::BadArgument,
                             "no window number " + std::to_string(windowNumber) + " on screen");
  deliver(clickEvents(windowNumber, point), deadline);
}

void type(const std::u16string& text, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  const NSInteger window =
      lookOnMain<NSInteger>([] { return std::optional<NSInteger>(keyWindowNumber()); }, deadline,
                            "type")
          .value_or(0);
  std::vector<Ref<NSEvent>> events;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // A surrogate pair is one key press.
    const bool pair = i + 1 < text.size() && text[i] >= 0xD800 && text[i] <= 0xDBFF &&
                      text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    appendKey(events, text.substr(i, pair ? 2 : 1), 0, window);
    if (pair) ++i;
  }
  deliver(std::move(events), deadline);
}

void pressKey(const std::u16string& key, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  std::u16string characters;
  unsigned short keyCode = 0;
  const std::u16string name = lowered(key);
  for (const NamedKey& named : kNamedKeys) {
    if (name == named.name) {
      characters.assign(1, named.character);
      keyCode = named.keyCode;
    }
  }
  if (characters.empty()) {
    const bool single =
        key.size() == 1 || (key.size() == 2 && key[0] >= 0xD800 && key[0] <= 0xDBFF);
    if (!single)
      throw SimulatedUserError(SimulatedUserError::Kind::BadArgument,
                               "unknown key \"" + utf8(key) + "\"");
    characters = key;
  }
  const NSInteger window =
      lookOnMain<NSInteger>([] { return std::optional<NSInteger>(keyWindowNumber()); }, deadline,
                            "pressKey")
          .value_or(0);
  std::vector<Ref<NSEvent>> events;
  appendKey(events, characters, keyCode, window);
  deliver(std::move(events), deadline);
}

void focusField(int index, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  if (index < 0)
    throw SimulatedUserError(SimulatedUserError::Kind::BadArgument,
                             "focusField needs an index of 0 or more");
  for (;;) {
    std::optional<Target> target = lookOnMain<Target>(
        [index]() -> std::optional<Target> {
          NSWindow* window = frontWindow();
          int seen = 0;
          for (NSView* view : viewsOf(window)) {
            auto* field = ns_cast<NSTextField>(view);
            if (!field || !field->isEditable() || !field->isEnabled()) continue;
            if (seen++ == index) return Target{window->windowNumber(), centerInWindow(field)};
          }
          return std::nullopt;
        },
        deadline, "focusField");
    if (target) return deliver(clickEvents(target->window, target->point), deadline);
    if (Clock::now() >= deadline)
      throw SimulatedUserError(SimulatedUserError::Kind::Timeout,
                               "no editable text field #" + std::to_string(index) +
                                   " appeared in the front-most window");
    std::this_thread::sleep_for(std::min(kPollInterval, remaining(deadline)));
  }
}

} // namespace SimulatedUser
