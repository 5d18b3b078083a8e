// Shared pieces of the control tests: a window to put controls in, input events built the way
// the display builds them, and a target that records the actions it receives.
#pragma once

#include <string>
#include <vector>

#include "appkit/application/NSApplication.h"
#include "appkit/application/NSEvent.h"
#include "appkit/views/NSView.h"
#include "appkit/windows/NSWindow.h"

namespace controls_test {

// Records every action it answers ("act:" and "other:"), with the sender.
class ActionRecorder : public NSObject {
  NS_OBJECT_CLASS(ActionRecorder)
  std::vector<std::string> actions;
  std::vector<NSObject*> senders;

protected:
  std::span<const NSActionEntry> actionTable() const override {
    static const NSActionEntry table[] = {
        {sel("act:"), [](NSObject* r, NSObject* s) { record(r, "act:", s); }},
        {sel("other:"), [](NSObject* r, NSObject* s) { record(r, "other:", s); }},
    };
    return table;
  }

private:
  static void record(NSObject* receiver, const char* name, NSObject* sender) {
    auto* self = static_cast<ActionRecorder*>(receiver);
    self->actions.push_back(name);
    self->senders.push_back(sender);
  }
};

// A titled window of the given content size, on screen and key. Owned by the caller (closing
// does not release it, so a Ref can hold it); the test closes it.
inline NSWindow* makeKeyWindow(CGFloat width = 400, CGFloat height = 200) {
  NSWindow* window = NSWindow::alloc()->initWithContentRect(
      NSMakeRect(100, 100, width, height),
      NSWindowStyleMaskTitled | NSWindowStyleMaskClosable | NSWindowStyleMaskResizable,
      NSBackingStoreBuffered, false);
  window->setReleasedWhenClosed(false);
  window->makeKeyAndOrderFront(nullptr);
  return window;
}

inline NSEvent* keyDown(const std::u16string& characters, NSEventModifierFlags flags = 0,
                        NSWindow* window = nullptr) {
  NSString* text = NSString::stringWithCharacters(characters.data(), characters.size());
  return NSEvent::keyEventWithType(NSEventTypeKeyDown, NSZeroPoint, flags,
                                   NSEvent::currentTimestamp(), window ? window->windowNumber() : 0,
                                   nullptr, text, text, false, 0);
}

// Sends a key-down straight through the application, as the run loop would.
inline void pressKey(const std::u16string& characters, NSEventModifierFlags flags = 0) {
  NSApplication* app = NSApplication::sharedApplication();
  app->sendEvent(keyDown(characters, flags, app->keyWindow()));
}

inline void typeText(const std::u16string& text) {
  for (char16_t c : text)
    pressKey(std::u16string(1, c));
}

// A click (down and up) at a point of the view, through the application.
inline void clickView(NSView* view, NSPoint inView, NSInteger clickCount = 1) {
  NSWindow* window = view->window();
  const NSPoint point = view->convertPointToView(inView, nullptr);
  NSApplication* app = NSApplication::sharedApplication();
  for (NSEventType type : {NSEventTypeLeftMouseDown, NSEventTypeLeftMouseUp})
    app->sendEvent(NSEvent::mouseEventWithType(type, point, 0, NSEvent::currentTimestamp(),
                                               window->windowNumber(), nullptr, 0, clickCount, 1));
}

inline void clickCenter(NSView* view) {
  const NSRect bounds = view->bounds();
  clickView(view, NSMakePoint(NSMidX(bounds), NSMidY(bounds)));
}

inline std::u16string text(const NSString* string) {
  return std::u16string(string ? string->utf16() : u"<nil>");
}

} // namespace controls_test
