// NSApplication: what a live display reports. Input becomes NSEvents queued on the main run loop,
// as the simulated user's do; moves, focus and close requests act on the windows.
#include "appkit/application/NSApplication.h"
#include "appkit/application/NSEventFromDisplayInput.h"
#include "display/DisplayBackend.h"
#include "display/DisplayClient.h"
#include "foundation/NSAutoreleasePool.h"
#include "foundation/NSRunLoop.h"

namespace {

class ApplicationDisplayClient : public DisplayClient {
public:
  void displayReceivedInput(const DisplayInput& input) override {
    NSAutoreleasePool pool;
    if (NSEvent* event = NSEventFromDisplayInput(input)) NSRunLoop::mainRunLoop().postEvent(event);
  }

  void displayMovedWindow(NSInteger windowNumber, NSRect frame) override {
    NSWindow* window = NSApp ? NSApp->windowWithWindowNumber(windowNumber) : nullptr;
    if (!window || frame == window->frame()) return;
    Ref<NSWindow> protector(window);
    const bool resized = frame.size != window->frame().size;
    window->setFrame(frame, false);
    if (resized) window->frameView()->setNeedsDisplay(true);
  }

  void displayFocusedWindow(NSInteger windowNumber) override {
    NSWindow* window = NSApp ? NSApp->windowWithWindowNumber(windowNumber) : nullptr;
    if (window && !window->isKeyWindow()) Ref<NSWindow>(window)->makeKeyWindow();
  }

  void displayAskedToCloseWindow(NSInteger windowNumber) override {
    NSWindow* window = NSApp ? NSApp->windowWithWindowNumber(windowNumber) : nullptr;
    if (window) Ref<NSWindow>(window)->performClose(nullptr);
  }

  void displayNeedsRedraw(NSInteger windowNumber) override {
    NSWindow* window = NSApp ? NSApp->windowWithWindowNumber(windowNumber) : nullptr;
    if (window) window->frameView()->setNeedsDisplay(true);
  }
};

} // namespace

void NSApplication::listenToDisplay() {
  // Lives for the life of the process, as the display that calls it does.
  static ApplicationDisplayClient client;
  DisplayBackend::setClient(&client);
}
