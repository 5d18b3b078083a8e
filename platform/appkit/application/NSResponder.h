// NSResponder: the event-handling base of windows and views. An event method that a responder
// does not handle passes the event to its next responder, as AppKit's do; the chain of a view
// runs through its superviews to the window.
#pragma once

#include "foundation/runtime/NSObject.h"

class NSEvent;

class NSResponder : public NSObject {
  NS_OBJECT_CLASS(NSResponder)

  // Not retained: a view's next responder is its superview, a window's is nil.
  NSResponder* nextResponder() const { return nextResponder_.get(); }
  void setNextResponder(NSResponder* responder) { nextResponder_ = responder; }

  virtual void mouseDown(NSEvent* event);
  virtual void mouseUp(NSEvent* event);
  virtual void mouseDragged(NSEvent* event);
  virtual void mouseMoved(NSEvent* event);
  virtual void rightMouseDown(NSEvent* event);
  // The middle button (and any other but the left and right).
  virtual void otherMouseDown(NSEvent* event);
  virtual void otherMouseUp(NSEvent* event);
  virtual void rightMouseUp(NSEvent* event);
  virtual void scrollWheel(NSEvent* event);
  virtual void keyDown(NSEvent* event);
  virtual void keyUp(NSEvent* event);
  virtual void flagsChanged(NSEvent* event);
  // Key equivalents travel down the view tree instead of up the chain; false = not handled.
  virtual bool performKeyEquivalent(NSEvent* event);

  virtual bool acceptsFirstResponder() const { return false; }
  virtual bool becomeFirstResponder() { return true; }
  virtual bool resignFirstResponder() { return true; }

  // The end of the chain: AppKit beeps for an unhandled key-down; the headless display has no
  // speaker, so nothing happens.
  virtual void noResponderFor(NSEvent* event);

private:
  Weak<NSResponder> nextResponder_; // not retained, as in AppKit
};
