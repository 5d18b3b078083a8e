// NSWindow: ordering on and off the screen, closing, key and main status, responders, events.
#include "appkit/application/NSApplication.h"
#include "appkit/application/NSEvent.h"
#include "appkit/controls/FieldEditor.h"
#include "appkit/views/KeyViewLoop.h"
#include "appkit/windows/NSPanel.h"
#include "appkit/windows/NSWindow.h"
#include "display/DisplayBackend.h"
#include "foundation/system/NSLog.h"

// MARK: ordering

void NSWindow::orderFront(NSObject*) {
  orderWindow(NSWindowAbove, 0);
}

void NSWindow::orderBack(NSObject*) {
  orderWindow(NSWindowBelow, 0);
}

void NSWindow::orderOut(NSObject*) {
  orderWindow(NSWindowOut, 0);
}

void NSWindow::orderWindow(NSWindowOrderingMode place, NSInteger otherWindowNumber) {
  NSApplication* app = NSApplication::sharedApplication();
  NSWindow* other = otherWindowNumber ? app->windowWithWindowNumber(otherWindowNumber) : nullptr;
  app->placeWindow(this, place, other);
}

void NSWindow::makeKeyAndOrderFront(NSObject* sender) {
  orderFront(sender);
  if (isVisible()) makeKeyWindow();
}

bool NSWindow::isVisible() const {
  return onScreen_;
}

// MARK: closing

void NSWindow::performClose(NSObject*) {
  NSWindowStandardButton* closeButton = standardWindowButton(NSWindowCloseButton);
  if (!(styleMask_ & NSWindowStyleMaskClosable) || !closeButton || !closeButton->isEnabled())
    return;
  close();
}

void NSWindow::close() {
  if (defunct_ || (closed_ && !onScreen_)) return;
  Ref<NSWindow> protector(this);
  NSApplication* app = NSApplication::sharedApplication();
  app->windowWillClose(this);
  orderOut(nullptr);
  closed_ = true;
  mouseTrackingView_ = nullptr;
  app->setWindowOpen(this, false);
  if (releasedWhenClosed_) {
    // AppKit frees the window here; we keep the object while something still holds it, but it
    // can never come back, and its sheets lose their parent.
    defunct_ = true;
    dropSheetsOnClose();
    autorelease();
  }
}

// MARK: key and main status

bool NSWindow::canBecomeKeyWindow() const {
  return styleMask_ & (NSWindowStyleMaskTitled | NSWindowStyleMaskResizable);
}

bool NSWindow::canBecomeMainWindow() const {
  return isVisible() && canBecomeKeyWindow() && !sheetParent_ && !ns_cast<NSPanel>(this);
}

bool NSWindow::isKeyWindow() const {
  return NSApp && NSApp->keyWindow() == this;
}

bool NSWindow::isMainWindow() const {
  return NSApp && NSApp->mainWindow() == this;
}

void NSWindow::makeKeyWindow() {
  if (!isVisible() || !canBecomeKeyWindow()) return;
  // A window that shows a sheet passes key status on to the sheet.
  if (attachedSheet_ && attachedSheet_->isVisible()) return attachedSheet_->makeKeyWindow();
  // While a modal session runs, the keyboard stays with the windows that take input.
  NSApplication* app = NSApplication::sharedApplication();
  if (!app->windowAcceptsInput(this)) return;
  app->setKeyWindow(this);
}

// MARK: responders

NSResponder* NSWindow::firstResponder() const {
  if (NSResponder* responder = firstResponder_) return responder;
  return const_cast<NSWindow*>(this);
}

bool NSWindow::makeFirstResponder(NSResponder* responder) {
  if (!responder) responder = this;
  if (responder == firstResponder()) return true;
  if (responder != this) {
    NSView* view = ns_cast<NSView>(responder);
    if (!view || view->window() != this) return false;
  }
  Ref<NSResponder> previous(firstResponder());
  if (!previous->resignFirstResponder()) return false;
  firstResponder_ = this;
  if (responder == this) return true;
  Ref<NSResponder> next(responder);
  if (!responder->becomeFirstResponder()) return false;
  firstResponder_ = responder;
  return true;
}

void NSWindow::viewWillLeave(NSView* view) {
  if (NSView* responder = ns_cast<NSView>(firstResponder_.get());
      responder && responder->isDescendantOf(view))
    firstResponder_ = this;
  if (mouseTrackingView_ && mouseTrackingView_->isDescendantOf(view)) mouseTrackingView_ = nullptr;
}

// MARK: events

NSView* NSWindow::viewForMouseEvent(NSEvent* event) {
  return frameView_->hitTest(event->locationInWindow());
}

void NSWindow::sendEvent(NSEvent* event) {
  if (!event) return;
  Ref<NSWindow> protector(this);
  switch (event->type()) {
  case NSEventTypeLeftMouseDown: {
    Ref<NSView> view(viewForMouseEvent(event));
    if (!view) return;
    if (view.get() != firstResponder() && view->acceptsFirstResponder() &&
        view->becomesFirstResponderOnClick())
      makeFirstResponder(view);
    // A press on the title bar where no control lies moves the window on a live display.
    const bool onTitleBar = (styleMask_ & NSWindowStyleMaskTitled) &&
                            event->locationInWindow().y >= frame_.size.height - titleBarHeight_;
    if (onTitleBar && (view.get() == frameView_.get() || view.get() == contentView()))
      DisplayBackend::current().windowDragStarted(number_);
    mouseTrackingView_ = view;
    view->mouseDown(event);
    return;
  }
  case NSEventTypeLeftMouseDragged: {
    Ref<NSView> view(mouseTrackingView_ ? mouseTrackingView_.get() : viewForMouseEvent(event));
    if (view) view->mouseDragged(event);
    return;
  }
  case NSEventTypeLeftMouseUp: {
    Ref<NSView> view(mouseTrackingView_ ? mouseTrackingView_.get() : viewForMouseEvent(event));
    mouseTrackingView_ = nullptr;
    if (view) view->mouseUp(event);
    return;
  }
  case NSEventTypeRightMouseDown:
    if (Ref<NSView> view{viewForMouseEvent(event)}) view->rightMouseDown(event);
    return;
  case NSEventTypeRightMouseUp:
    if (Ref<NSView> view{viewForMouseEvent(event)}) view->rightMouseUp(event);
    return;
  case NSEventTypeOtherMouseDown:
    if (Ref<NSView> view{viewForMouseEvent(event)}) view->otherMouseDown(event);
    return;
  case NSEventTypeOtherMouseUp:
    if (Ref<NSView> view{viewForMouseEvent(event)}) view->otherMouseUp(event);
    return;
  case NSEventTypeMouseMoved: {
    Ref<NSView> view(viewForMouseEvent(event));
    if (const bool text = view && view->showsTextPointer(); text != showsTextPointer_) {
      showsTextPointer_ = text;
      DisplayBackend::current().windowPointerShapeChanged(
          number_, text ? DisplayPointerShape::Text : DisplayPointerShape::Arrow);
    }
    if (view) view->mouseMoved(event);
    return;
  }
  case NSEventTypeScrollWheel:
    if (Ref<NSView> view{viewForMouseEvent(event)}) view->scrollWheel(event);
    return;
  case NSEventTypeKeyDown:
    Ref<NSResponder>(firstResponder())->keyDown(event);
    return;
  case NSEventTypeKeyUp:
    Ref<NSResponder>(firstResponder())->keyUp(event);
    return;
  case NSEventTypeFlagsChanged:
    Ref<NSResponder>(firstResponder())->flagsChanged(event);
    return;
  default:
    return;
  }
}

void NSWindow::keyDown(NSEvent* event) {
  NSString* characters = event ? event->charactersIgnoringModifiers() : nullptr;
  // Tab and Shift-Tab that no view took move the focus along the key-view loop.
  if (characters && characters->length() == 1 &&
      (characters->characterAtIndex(0) == NSKey::Tab ||
       characters->characterAtIndex(0) == NSKey::Backtab)) {
    const bool back = characters->characterAtIndex(0) == NSKey::Backtab ||
                      (event->modifierFlags() & NSEventModifierFlagShift);
    NSWindowSelectKeyView(this, ns_cast<NSView>(firstResponder()), !back);
    return;
  }
  const bool isReturnOrEscape =
      characters && characters->length() == 1 &&
      (characters->characterAtIndex(0) == u'\r' || characters->characterAtIndex(0) == u'\x03' ||
       characters->characterAtIndex(0) == u'\x1b');
  if (isReturnOrEscape && performKeyEquivalent(event)) return;
  noResponderFor(event);
}

bool NSWindow::performKeyEquivalent(NSEvent* event) {
  Ref<NSWindow> protector(this);
  return frameView_->performKeyEquivalent(event);
}
