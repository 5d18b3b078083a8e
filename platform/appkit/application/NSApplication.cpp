// NSApplication: the application's windows, the screen list, key and main status.
#include "appkit/application/NSApplication.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <functional>

#include "appkit/windows/NSPanel.h"
#include "display/DisplayBackend.h"
#include "foundation/collections/NSArray.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/system/NSLog.h"

NSApplication* NSApp = nullptr;

// The menu bar the application starts with (NSApplicationMainMenu.cpp), +1.
NSMenu* makeDefaultMainMenu();

NSApplication* NSApplication::sharedApplication() {
  // Immortal, as AppKit's is. The run loop routes events to it and ends every turn with its
  // display pass.
  static NSApplication* const shared = [] {
    NSApplication* app = alloc();
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    loop.setEventSink([app](NSObject* event) { app->sendEvent(ns_cast<NSEvent>(event)); });
    loop.addTurnObserver([app] { app->displayWindowsIfNeeded(); });
    app->mainMenu_ = Ref<NSMenu>::adopt(makeDefaultMainMenu());
    installResponderChain();
    app->setMainMenuKeyEquivalentHandler([app](NSEvent* event) {
      NSMenu* menu = app->mainMenu();
      return menu && menu->performKeyEquivalent(event);
    });
    NSApp = app;
    app->listenToDisplay();
    return app;
  }();
  // The other toolkit's windows that the display found as it opened are adopted before the call
  // that made the application goes on (it may be one that looks for them). Adopting makes
  // windows, which ask for the application again: they find it made, and this done.
  static std::atomic<bool> adoptedAtOpen{false};
  if (!adoptedAtOpen.load(std::memory_order_relaxed) && NSThread::isMainThread() &&
      !adoptedAtOpen.exchange(true))
    DisplayBackend::current().reportForeignWindowsFoundAtOpen();
  return shared;
}

// MARK: windows

std::vector<NSWindow*> NSApplication::windowList() const {
  std::vector<NSWindow*> list;
  for (NSWindow* window : allWindows_)
    if (!window->isDefunct()) list.push_back(window);
  return list;
}

NSArray* NSApplication::orderedWindows() const {
  NSMutableArray* array = NSMutableArray::array();
  for (NSWindow* window : screenList_)
    if (!ns_cast<NSPanel>(window) && !window->sheetParent()) array->addObject(window);
  return array;
}

NSWindow* NSApplication::windowWithWindowNumber(NSInteger number) const {
  for (NSWindow* window : allWindows_)
    if (window->windowNumber() == number && !window->isDefunct()) return window;
  return nullptr;
}

void NSApplication::displayWindowsIfNeeded() {
  const std::vector<Ref<NSWindow>> visible(screenList_.begin(), screenList_.end());
  for (const auto& window : visible)
    if (window->isVisible()) window->displayIfNeeded();
}

NSAppearance* NSApplication::effectiveAppearance() const {
  if (appearance_) return appearance_;
  return NSAppearance::systemAppearance();
}

// MARK: bookkeeping for NSWindow

void NSApplication::registerWindow(NSWindow* window) {
  if (std::find(allWindows_.begin(), allWindows_.end(), window) != allWindows_.end()) return;
  allWindows_.push_back(window);
  setWindowOpen(window, true);
}

void NSApplication::unregisterWindow(NSWindow* window) {
  std::erase(allWindows_, window);
  const bool wasOnScreen = std::erase(screenList_, window) > 0;
  for (ModalSession* session : modalSessions_)
    if (session->window == window) session->window = nullptr;
  if (keyWindow_ == window) keyWindow_ = nullptr;
  if (mainWindow_ == window) mainWindow_ = nullptr;
  if (wasOnScreen) showScreenListOnDisplay();
}

void NSApplication::setWindowOpen(NSWindow* window, bool open) {
  auto found = std::find(openWindows_.begin(), openWindows_.end(), window);
  if (open && found == openWindows_.end()) openWindows_.push_back(Ref<NSWindow>(window));
  if (!open && found != openWindows_.end()) openWindows_.erase(found); // the caller protects it
}

// MARK: the screen list

std::vector<NSInteger> NSApplication::screenNumbers() const {
  std::vector<NSInteger> numbers;
  numbers.reserve(screenList_.size());
  for (NSWindow* window : screenList_)
    numbers.push_back(window->windowNumber());
  return numbers;
}

void NSApplication::placeWindow(NSWindow* window, NSWindowOrderingMode place,
                                NSWindow* otherWindow) {
  if (!window) return;
  Ref<NSWindow> protector(window);
  if (place != NSWindowOut && window->isDefunct()) {
    NSLog("A closed and released window cannot be shown again: %@", window->description());
    return;
  }
  std::erase(screenList_, window);

  if (place == NSWindowOut) {
    window->setOnScreen(false);
    // A parent takes its sheet off the screen with it; the sheet comes back with the parent.
    if (NSWindow* sheet = window->attachedSheet(); sheet && sheet->isVisible()) {
      std::erase(screenList_, sheet);
      sheet->setOnScreen(false);
      sheet->hiddenWithParent_ = true;
    }
  } else {
    // A sheet shows only together with its parent.
    if (NSWindow* parent = window->sheetParent(); parent && !parent->isVisible()) {
      window->hiddenWithParent_ = true;
      return;
    }
    auto position = screenList_.end();
    if (otherWindow && otherWindow != window && otherWindow->isVisible() &&
        otherWindow->level() == window->level()) {
      position = std::find(screenList_.begin(), screenList_.end(), otherWindow);
      if (place == NSWindowBelow) ++position;
    } else if (place == NSWindowAbove) {
      position = std::find_if(screenList_.begin(), screenList_.end(),
                              [&](NSWindow* w) { return w->level() <= window->level(); });
    } else {
      auto last = std::find_if(screenList_.rbegin(), screenList_.rend(),
                               [&](NSWindow* w) { return w->level() >= window->level(); });
      position = last.base();
    }
    screenList_.insert(position, window);
    window->setOnScreen(true);
    window->hiddenWithParent_ = false;
    if (window->isClosed()) {
      // A closed window that was not released may come back; it is open again.
      window->closed_ = false;
      setWindowOpen(window, true);
    }
    if (NSWindow* sheet = window->attachedSheet(); sheet && sheet->hiddenWithParent_) {
      sheet->hiddenWithParent_ = false;
      sheet->setOnScreen(true);
      screenList_.push_back(sheet); // restackSheets moves it in front of the parent
    }
  }
  restackSheets();
  chooseKeyAndMainWindows();
  showScreenListOnDisplay();
}

void NSApplication::showScreenListOnDisplay() {
  DisplayBackend& display = DisplayBackend::current();
  if (display.isLive())
    for (NSWindow* window : screenList_)
      display.windowDescribed(window->windowNumber(), window->displayDescription());
  display.windowStackChanged(screenNumbers());
}

// Puts every presented sheet directly in front of its parent, nested sheets in front of theirs.
void NSApplication::restackSheets() {
  std::vector<NSWindow*> stacked;
  stacked.reserve(screenList_.size());
  std::function<void(NSWindow*)> emit = [&](NSWindow* window) {
    if (NSWindow* sheet = window->attachedSheet(); sheet && sheet->isVisible()) emit(sheet);
    stacked.push_back(window);
  };
  for (NSWindow* window : screenList_) {
    NSWindow* parent = window->sheetParent();
    if (!(parent && parent->isVisible())) emit(window);
  }
  screenList_ = std::move(stacked);
}

// Key and main status leave windows that went off the screen for the front-most window that
// can take them (a parent's key status goes to its sheet).
void NSApplication::chooseKeyAndMainWindows() {
  if (keyWindow_ && !keyWindow_->isVisible()) {
    NSWindow* old = keyWindow_;
    keyWindow_ = nullptr;
    old->resignKeyWindow();
    old->frameView()->setNeedsDisplay(true);
    for (NSWindow* window : screenList_) {
      if (window->canBecomeKeyWindow() && !window->attachedSheet()) {
        setKeyWindow(window);
        break;
      }
    }
  }
  if (mainWindow_ && !mainWindow_->isVisible()) {
    mainWindow_ = nullptr;
    for (NSWindow* window : screenList_) {
      if (window->canBecomeMainWindow()) {
        mainWindow_ = window;
        break;
      }
    }
  }
}

void NSApplication::setKeyWindow(NSWindow* window) {
  if (window == keyWindow_) return;
  Ref<NSWindow> protector(window);
  if (NSWindow* old = keyWindow_) {
    keyWindow_ = nullptr;
    old->resignKeyWindow();
    old->frameView()->setNeedsDisplay(true);
  }
  keyWindow_ = window;
  DisplayBackend::current().windowBecameKey(window ? window->windowNumber() : 0);
  if (!window) return;
  window->becomeKeyWindow();
  window->frameView()->setNeedsDisplay(true);
  if (window->canBecomeMainWindow()) setMainWindow(window);
}

void NSApplication::setMainWindow(NSWindow* window) {
  mainWindow_ = window;
}

void NSApplication::windowWillClose(NSWindow* window) {
  // A modal session whose window closes can never be ended by that window; it ends here, so the
  // caller of runModalForWindow gets control back.
  for (ModalSession* session : modalSessions_) {
    if (session->window == window && !session->stopped) {
      session->stopped = true;
      session->code = NSModalResponseAbort;
    }
  }
}
