// Shared set-up of the AppKit contract tests: an autorelease pool per test, windows that are
// closed again at the end, and helpers that feed events through the run loop as the display
// would.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "appkit/application/NSApplication.h"
#include "appkit/application/NSEvent.h"
#include "appkit/windows/NSWindow.h"
#include "foundation/collections/NSArray.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/runtime/NSAutoreleasePool.h"

class AppKitTest : public testing::Test {
protected:
  static constexpr NSWindowStyleMask kDocumentStyle =
      NSWindowStyleMaskTitled | NSWindowStyleMaskClosable | NSWindowStyleMaskMiniaturizable |
      NSWindowStyleMaskResizable;

  void SetUp() override {
    ASSERT_TRUE(NSThread::isMainThread());
    app = NSApplication::sharedApplication();
  }

  void TearDown() override {
    // Finish pending work (full-screen transitions, blocks) before the windows go.
    NSRunLoop::mainRunLoop().runPending();
    for (auto& window : windows) {
      while (NSWindow* sheet = window->attachedSheet())
        window->endSheet(sheet);
      window->close();
    }
    windows.clear();
    pool.drain();
    NSRunLoop::mainRunLoop().runPending();
  }

  // A window with that frame, retained by the test until it ends.
  NSWindow* makeWindow(const char* title, NSRect frame, NSWindowStyleMask style = kDocumentStyle,
                       bool show = true) {
    NSWindow* window = NSWindow::alloc()->initWithContentRect(
        NSWindow::contentRectForFrameRect(frame, style), style, NSBackingStoreBuffered, false);
    window->setReleasedWhenClosed(false);
    windows.push_back(adopted(window));
    window->setTitle(NSSTR(title));
    if (show) window->makeKeyAndOrderFront(nullptr);
    return window;
  }

  std::vector<NSWindow*> ordered() const {
    std::vector<NSWindow*> list;
    for (NSObject* object : *app->orderedWindows())
      list.push_back(static_cast<NSWindow*>(object));
    return list;
  }

  // Posts a mouse event at a point of the window and serves it.
  void click(NSWindow* window, NSPoint point, NSEventType down = NSEventTypeLeftMouseDown) {
    const auto up =
        down == NSEventTypeLeftMouseDown ? NSEventTypeLeftMouseUp : NSEventTypeRightMouseUp;
    for (NSEventType type : {down, up})
      NSRunLoop::mainRunLoop().postEvent(NSEvent::mouseEventWithType(
          type, point, 0, NSEvent::currentTimestamp(), window->windowNumber(), nullptr, 0, 1, 1));
    NSRunLoop::mainRunLoop().runPending();
  }

  void pressKey(const char16_t* characters, NSEventModifierFlags flags = 0) {
    NSString* text =
        NSString::stringWithCharacters(characters, std::char_traits<char16_t>::length(characters));
    NSRunLoop::mainRunLoop().postEvent(NSEvent::keyEventWithType(NSEventTypeKeyDown, NSZeroPoint,
                                                                 flags, NSEvent::currentTimestamp(),
                                                                 0, nullptr, text, text, false, 0));
    NSRunLoop::mainRunLoop().runPending();
  }

  NSApplication* app = nullptr;
  NSAutoreleasePool pool;
  std::vector<Ref<NSWindow>> windows;
};

// A view that records the events and key equivalents it receives.
class RecordingView : public NSView {
  NS_OBJECT_CLASS(RecordingView)
  void mouseDown(NSEvent*) override { ++mouseDowns; }
  void mouseUp(NSEvent*) override { ++mouseUps; }
  void keyDown(NSEvent* event) override { keys.emplace_back(event->characters()->utf16()); }
  bool acceptsFirstResponder() const override { return acceptsFirst; }
  bool performKeyEquivalent(NSEvent* event) override {
    if (keyEquivalent.empty() || event->charactersIgnoringModifiers()->utf16() != keyEquivalent)
      return NSView::performKeyEquivalent(event);
    ++keyEquivalents;
    return true;
  }
  void drawRect(NSRect) override { ++draws; }

  int mouseDowns = 0, mouseUps = 0, keyEquivalents = 0, draws = 0;
  bool acceptsFirst = false;
  std::u16string keyEquivalent;
  std::vector<std::u16string> keys;
};
