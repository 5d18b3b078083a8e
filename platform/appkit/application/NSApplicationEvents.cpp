// NSApplication: event routing and modal sessions.
#include <algorithm>

#include "appkit/application/NSApplication.h"
#include "appkit/application/NSEvent.h"
#include "appkit/windows/NSPanel.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/system/NSLog.h"

// MARK: event routing

bool NSApplication::windowAcceptsInput(NSWindow* window) const {
  if (!window || !window->isVisible()) return false;
  // A window showing a sheet is blocked until the sheet ends (document-modal).
  if (NSWindow* sheet = window->attachedSheet(); sheet && sheet->isVisible()) return false;
  NSWindow* modal = modalWindow();
  if (!modal) return true;
  for (NSWindow* w = window; w; w = w->sheetParent())
    if (w == modal) return true;
  if (NSPanel* panel = ns_cast<NSPanel>(window)) return panel->worksWhenModal();
  return false;
}

void NSApplication::sendEvent(NSEvent* event) {
  if (!event) return;
  Ref<NSEvent> keep(event);
  if (event->isMouseEvent()) {
    Ref<NSWindow> window(event->window());
    if (!window || !window->isVisible()) return;
    NSEvent::setMouseLocation(window->convertPointToScreen(event->locationInWindow()));
    if (!windowAcceptsInput(window)) return; // AppKit beeps; the headless display is silent
    const bool isClick =
        event->type() == NSEventTypeLeftMouseDown || event->type() == NSEventTypeRightMouseDown;
    if (isClick && !window->isKeyWindow() && window->canBecomeKeyWindow())
      window->makeKeyAndOrderFront(nullptr);
    window->sendEvent(event);
    return;
  }
  if (event->isKeyEvent() || event->type() == NSEventTypeFlagsChanged) {
    Ref<NSWindow> window(keyWindow_);
    const NSEventModifierFlags chordFlags = NSEventModifierFlagCommand | NSEventModifierFlagControl;
    // Without a key window the menu bar still takes its key equivalents.
    if (!window && !modalWindow() && event->type() == NSEventTypeKeyDown &&
        (event->modifierFlags() & chordFlags) && mainMenuKeyEquivalents_) {
      mainMenuKeyEquivalents_(event);
      return;
    }
    if (!window || !windowAcceptsInput(window)) return;
    if (event->type() == NSEventTypeKeyDown && (event->modifierFlags() & chordFlags)) {
      if (window->performKeyEquivalent(event)) return;
      if (!modalWindow() && mainMenuKeyEquivalents_ && mainMenuKeyEquivalents_(event)) return;
    }
    window->sendEvent(event);
  }
}

// MARK: modal sessions

NSModalResponse NSApplication::runModalForWindow(NSWindow* window) {
  if (!window) {
    NSLog("-[NSApplication runModalForWindow:] needs a window; nothing was run");
    return NSModalResponseAbort;
  }
  if (!NSThread::isMainThread()) {
    NSLog("-[NSApplication runModalForWindow:] must be called on the main thread");
    return NSModalResponseAbort;
  }
  Ref<NSWindow> protector(window);
  ModalSession session{window};
  modalSessions_.push_back(&session);
  window->makeKeyAndOrderFront(nullptr);
  if (window->isClosed() || window->isDefunct()) {
    session.stopped = true;
    session.code = NSModalResponseAbort;
  }
  NSRunLoop::mainRunLoop().runUntil([&session] { return session.stopped; });
  std::erase(modalSessions_, &session);
  return session.code;
}

void NSApplication::stopModal() {
  stopModalWithCode(NSModalResponseStop);
}

void NSApplication::stopModalWithCode(NSModalResponse code) {
  if (!NSThread::isMainThread()) {
    NSRunLoop::mainRunLoop().performAsync([this, code] { stopModalWithCode(code); });
    return;
  }
  if (modalSessions_.empty()) return;
  ModalSession* session = modalSessions_.back();
  session->stopped = true;
  session->code = code;
  NSRunLoop::mainRunLoop().wakeUp();
}

void NSApplication::abortModal() {
  stopModalWithCode(NSModalResponseAbort);
}

void NSApplication::abortEveryModalSession() {
  BRIX_ASSERT_MAIN_THREAD();
  for (auto it = modalSessions_.rbegin(); it != modalSessions_.rend(); ++it) {
    (*it)->stopped = true;
    (*it)->code = NSModalResponseAbort;
  }
  NSRunLoop::mainRunLoop().wakeUp();
}

NSWindow* NSApplication::modalWindow() const {
  for (auto it = modalSessions_.rbegin(); it != modalSessions_.rend(); ++it)
    if (!(*it)->stopped) return (*it)->window;
  return nullptr;
}
