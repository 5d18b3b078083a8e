#include "testkit/SimulatedUser.h"

#include <optional>
#include <vector>

#include "appkit/application/NSApplication.h"
#include "appkit/controls/NSButton.h"
#include "appkit/controls/NSTextField.h"
#include "appkit/panels/NSAlert.h"
#include "appkit/windows/NSPanel.h"
#include "foundation/runloop/NSThread.h"
#include "testkit/UserInput.h"

namespace {

using namespace UserInput;

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

NSAlert* frontmostAlert() {
  BRIX_ASSERT_MAIN_THREAD();
  for (NSWindow* window : NSApplication::sharedApplication()->screenList())
    if (auto* panel = ns_cast<NSAlertPanel>(window); panel && panel->isVisible() && panel->alert())
      return panel->alert();
  return nullptr;
}

NSWindow* frontWindow() {
  BRIX_ASSERT_MAIN_THREAD();
  NSApplication* app = NSApplication::sharedApplication();
  if (NSAlert* alert = frontmostAlert()) return alert->window();
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
  std::optional<Target> target = pollUntil<Target>(
      [&] {
        return lookOnMain<Target>(
            [title]() -> std::optional<Target> {
              NSWindow* window = frontWindow();
              for (NSView* view : viewsOf(window)) {
                auto* button = ns_cast<NSButton>(view);
                if (button && button->isEnabled() && button->title()->utf16() == title)
                  return Target{window->windowNumber(), centerInWindow(button)};
              }
              return std::nullopt;
            },
            deadline, "pressButton");
      },
      deadline);
  if (!target) return false;
  deliver(clickEvents(target->window, target->point), deadline);
  return true;
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
  const NSInteger window = keyWindowNumber(deadline, "type");
  std::vector<Ref<NSEvent>> events;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // A surrogate pair is one key press.
    const bool pair = i + 1 < text.size() && text[i] >= 0xD800 && text[i] <= 0xDBFF &&
                      text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    appendKeyPress(events, keyTyping(text.substr(i, pair ? 2 : 1)), 0, window);
    if (pair) ++i;
  }
  deliver(std::move(events), deadline);
}

void pressKey(const std::u16string& key, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  const Key pressed = keyNamed(key);
  const NSInteger window = keyWindowNumber(deadline, "pressKey");
  std::vector<Ref<NSEvent>> events;
  appendKeyPress(events, pressed, 0, window);
  deliver(std::move(events), deadline);
}

void focusField(int index, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  if (index < 0)
    throw SimulatedUserError(SimulatedUserError::Kind::BadArgument,
                             "focusField needs an index of 0 or more");
  std::optional<Target> target = pollUntil<Target>(
      [&] {
        return lookOnMain<Target>(
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
      },
      deadline);
  if (!target)
    throw SimulatedUserError(SimulatedUserError::Kind::Timeout,
                             "no editable text field #" + std::to_string(index) +
                                 " appeared in the front-most window");
  deliver(clickEvents(target->window, target->point), deadline);
}

} // namespace SimulatedUser
