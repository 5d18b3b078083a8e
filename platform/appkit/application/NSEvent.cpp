#include "appkit/application/NSEvent.h"

#include <chrono>
#include <mutex>

#include "appkit/application/NSApplication.h"

namespace {

const auto kPlatformStart = std::chrono::steady_clock::now();

std::mutex& mouseLocationMutex() {
  static std::mutex mutex;
  return mutex;
}
NSPoint& storedMouseLocation() {
  static NSPoint location;
  return location;
}

// A key event's characters are copied; nil stays nil, as AppKit reports no characters.
Ref<NSString> copied(const NSString* text) {
  return text ? copiedStringOrEmpty(text) : nullptr;
}

} // namespace

NSEvent* NSEvent::withCommonFields(NSEventType type, NSPoint location, NSEventModifierFlags flags,
                                   NSTimeInterval timestamp, NSInteger windowNumber) {
  NSEvent* event = alloc();
  event->type_ = type;
  event->location_ = location;
  event->flags_ = flags;
  event->timestamp_ = timestamp;
  event->windowNumber_ = windowNumber;
  return event;
}

NSEvent* NSEvent::mouseEventWithType(NSEventType type, NSPoint location, NSEventModifierFlags flags,
                                     NSTimeInterval timestamp, NSInteger windowNumber,
                                     NSGraphicsContext*, NSInteger eventNumber,
                                     NSInteger clickCount, float pressure) {
  NSEvent* event = withCommonFields(type, location, flags, timestamp, windowNumber);
  event->eventNumber_ = eventNumber;
  event->clickCount_ = clickCount;
  event->pressure_ = pressure;
  event->autorelease();
  return event;
}

NSEvent* NSEvent::keyEventWithType(NSEventType type, NSPoint location, NSEventModifierFlags flags,
                                   NSTimeInterval timestamp, NSInteger windowNumber,
                                   NSGraphicsContext*, const NSString* characters,
                                   const NSString* charactersIgnoringModifiers, bool isARepeat,
                                   unsigned short keyCode) {
  NSEvent* event = withCommonFields(type, location, flags, timestamp, windowNumber);
  event->characters_ = copied(characters);
  event->charactersIgnoringModifiers_ = copied(charactersIgnoringModifiers);
  event->isARepeat_ = isARepeat;
  event->keyCode_ = keyCode;
  event->autorelease();
  return event;
}

NSEvent* NSEvent::scrollWheelEvent(NSPoint location, NSEventModifierFlags flags,
                                   NSTimeInterval timestamp, NSInteger windowNumber, CGFloat deltaX,
                                   CGFloat deltaY) {
  NSEvent* event =
      withCommonFields(NSEventTypeScrollWheel, location, flags, timestamp, windowNumber);
  event->deltaX_ = deltaX;
  event->deltaY_ = deltaY;
  event->autorelease();
  return event;
}

NSEvent::~NSEvent() = default;

NSTimeInterval NSEvent::currentTimestamp() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - kPlatformStart).count();
}

NSPoint NSEvent::mouseLocation() {
  std::lock_guard lock(mouseLocationMutex());
  return storedMouseLocation();
}

void NSEvent::setMouseLocation(NSPoint location) {
  std::lock_guard lock(mouseLocationMutex());
  storedMouseLocation() = location;
}

NSWindow* NSEvent::window() const {
  if (windowNumber_ <= 0) return nullptr;
  return NSApplication::sharedApplication()->windowWithWindowNumber(windowNumber_);
}

bool NSEvent::isMouseEvent() const {
  switch (type_) {
  case NSEventTypeLeftMouseDown:
  case NSEventTypeLeftMouseUp:
  case NSEventTypeRightMouseDown:
  case NSEventTypeRightMouseUp:
  case NSEventTypeMouseMoved:
  case NSEventTypeLeftMouseDragged:
  case NSEventTypeRightMouseDragged:
  case NSEventTypeScrollWheel:
  case NSEventTypeOtherMouseDown:
  case NSEventTypeOtherMouseUp:
  case NSEventTypeOtherMouseDragged:
    return true;
  default:
    return false;
  }
}

NSString* NSEvent::description() const {
  if (isKeyEvent())
    return NSString::stringWithFormat(
        "NSEvent: type=%lu loc=(%g,%g) flags=0x%lx win=%ld chars=\"%@\"",
        static_cast<unsigned long>(type_), location_.x, location_.y,
        static_cast<unsigned long>(flags_), static_cast<long>(windowNumber_), characters_.get());
  return NSString::stringWithFormat("NSEvent: type=%lu loc=(%g,%g) flags=0x%lx win=%ld clicks=%ld",
                                    static_cast<unsigned long>(type_), location_.x, location_.y,
                                    static_cast<unsigned long>(flags_),
                                    static_cast<long>(windowNumber_),
                                    static_cast<long>(clickCount_));
}
