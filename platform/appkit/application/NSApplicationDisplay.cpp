// NSApplication: what a live display reports. Input becomes NSEvents queued on the main run loop,
// as the simulated user's do; moves, focus and close requests act on the windows.
#include "appkit/application/NSApplication.h"
#include "appkit/application/NSEventFromDisplayInput.h"
#include "appkit/drawing/NSAppearance.h"
#include "appkit/drawing/NSColor.h"
#include "appkit/drawing/NSFont.h"
#include "appkit/menus/MenuTrackingSession.h"
#include "appkit/rendering/PangoSupport.h"
#include "appkit/windows/NSHostedWindow.h"
#include "display/DisplayBackend.h"
#include "display/DisplayClient.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/runtime/NSAutoreleasePool.h"

namespace {

class ApplicationDisplayClient : public DisplayClient {
public:
  void displayReceivedInput(const DisplayInput& input) override {
    NSAutoreleasePool pool;
    if (NSEvent* event = NSEventFromDisplayInput(input)) NSRunLoop::mainRunLoop().postEvent(event);
  }

  void displayMovedWindow(NSInteger windowNumber, NSRect frame) override {
    BRIX_ASSERT_MAIN_THREAD();
    NSWindow* window = NSApp ? NSApp->windowWithWindowNumber(windowNumber) : nullptr;
    if (!window || frame == window->frame()) return;
    Ref<NSWindow> protector(window);
    const bool resized = frame.size != window->frame().size;
    window->setFrame(frame, false);
    if (resized) window->frameView()->setNeedsDisplay(true);
  }

  void displayFocusedWindow(NSInteger windowNumber) override {
    BRIX_ASSERT_MAIN_THREAD();
    NSWindow* window = NSApp ? NSApp->windowWithWindowNumber(windowNumber) : nullptr;
    if (window && !window->isKeyWindow()) Ref<NSWindow>(window)->makeKeyWindow();
  }

  void displayAskedToCloseWindow(NSInteger windowNumber) override {
    BRIX_ASSERT_MAIN_THREAD();
    NSWindow* window = NSApp ? NSApp->windowWithWindowNumber(windowNumber) : nullptr;
    if (window) Ref<NSWindow>(window)->performClose(nullptr);
  }

  void displayAppearanceChanged() override {
    BRIX_ASSERT_MAIN_THREAD();
    NSApplication::followDesktopAppearance();
    if (NSApp) NSApp->redrawEveryWindow();
  }

  void displayNeedsRedraw(NSInteger windowNumber) override {
    BRIX_ASSERT_MAIN_THREAD();
    NSWindow* window = NSApp ? NSApp->windowWithWindowNumber(windowNumber) : nullptr;
    if (window) window->frameView()->setNeedsDisplay(true);
  }

  // Another toolkit's window becomes a window of the application, as it shows.
  void displayFoundForeignWindow(const DisplayForeignWindow& foreign) override {
    BRIX_ASSERT_MAIN_THREAD();
    NSAutoreleasePool pool;
    if (NSHostedWindow::windowHosting(foreign.id)) return displayForeignWindowChanged(foreign);
    // Closing it (when its toolkit destroys it) releases this reference.
    NSHostedWindow* window = NSHostedWindow::alloc()->initWithForeignWindow(foreign);
    if (foreign.shown) window->makeKeyAndOrderFront(nullptr);
  }

  void displayForeignWindowChanged(const DisplayForeignWindow& foreign) override {
    BRIX_ASSERT_MAIN_THREAD();
    NSAutoreleasePool pool;
    if (NSHostedWindow* window = NSHostedWindow::windowHosting(foreign.id))
      Ref<NSHostedWindow>(window)->foreignWindowChanged(foreign);
  }

  // Alerts and menus end as though dismissed; the natives that showed them then report that no
  // screen is left.
  void displayLost() override {
    BRIX_ASSERT_MAIN_THREAD();
    if (NSApp) NSApp->abortEveryModalSession();
    MenuTrackingSession::cancelEveryTracking();
  }

  void displayForeignWindowGone(uint64_t id) override {
    BRIX_ASSERT_MAIN_THREAD();
    NSAutoreleasePool pool;
    if (NSHostedWindow* window = NSHostedWindow::windowHosting(id))
      Ref<NSHostedWindow>(window)->foreignWindowGone();
  }
};

} // namespace

void NSApplication::listenToDisplay() {
  // Immortal, as the display that calls it is: it may report while the process exits.
  static auto* const client = new ApplicationDisplayClient();
  DisplayBackend::setClient(client);
  // The display opens with the application, not with its first window: a live display adopts
  // the windows another toolkit of this process shows from the start.
  DisplayBackend::current();
  followDesktopAppearance();
}

void NSApplication::followDesktopAppearance() {
  const DisplayAppearance look = DisplayBackend::current().appearance();
  NSAppearance::setSystemAppearance(
      NSAppearance::appearanceNamed(look.dark ? NSAppearanceNameDarkAqua : NSAppearanceNameAqua));
  NSColor::setAccentColor(
      look.accent
          ? NSColor::colorWithSRGBRed((*look.accent)[0], (*look.accent)[1], (*look.accent)[2], 1)
          : nullptr);
  NSFont::setSystemTextScale(look.textScale);
  NSSetTextSmoothing(look.antialias, look.hintStyle, look.subpixelOrder);
}

void NSApplication::redrawEveryWindow() {
  const std::vector<Ref<NSWindow>> windows(allWindows_.begin(), allWindows_.end());
  for (const auto& window : windows)
    if (!window->isDefunct()) window->frameView()->setNeedsDisplay(true);
}
