#include "appkit/application/NSResponder.h"

#include "appkit/application/NSEvent.h"

// Each handler passes the event up the chain; the end of the chain drops it.
#define FORWARD_TO_NEXT(method)                                                                    \
  void NSResponder::method(NSEvent* event) {                                                       \
    if (nextResponder_) nextResponder_->method(event);                                             \
  }

FORWARD_TO_NEXT(mouseDown)
FORWARD_TO_NEXT(mouseUp)
FORWARD_TO_NEXT(mouseDragged)
FORWARD_TO_NEXT(mouseMoved)
FORWARD_TO_NEXT(rightMouseDown)
FORWARD_TO_NEXT(otherMouseDown)
FORWARD_TO_NEXT(otherMouseUp)
FORWARD_TO_NEXT(rightMouseUp)
FORWARD_TO_NEXT(scrollWheel)
FORWARD_TO_NEXT(keyUp)
FORWARD_TO_NEXT(flagsChanged)

#undef FORWARD_TO_NEXT

void NSResponder::keyDown(NSEvent* event) {
  if (nextResponder_)
    nextResponder_->keyDown(event);
  else
    noResponderFor(event);
}

bool NSResponder::performKeyEquivalent(NSEvent*) {
  return false;
}

void NSResponder::noResponderFor(NSEvent*) {}
