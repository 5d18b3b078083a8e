// NSEvent: one input event (mouse, key or application-defined), as the display produces it.
// Events carry the number of the window they belong to and a location in that window's
// coordinates; the run loop hands them to NSApp's sendEvent, which routes them to windows and
// views. Events are immutable once made.
#pragma once

#include "foundation/values/NSGeometry.h"

class NSGraphicsContext;
class NSWindow;

enum NSEventType : NSUInteger {
  NSEventTypeLeftMouseDown = 1,
  NSEventTypeLeftMouseUp = 2,
  NSEventTypeRightMouseDown = 3,
  NSEventTypeRightMouseUp = 4,
  NSEventTypeMouseMoved = 5,
  NSEventTypeLeftMouseDragged = 6,
  NSEventTypeRightMouseDragged = 7,
  NSEventTypeMouseEntered = 8,
  NSEventTypeMouseExited = 9,
  NSEventTypeKeyDown = 10,
  NSEventTypeKeyUp = 11,
  NSEventTypeFlagsChanged = 12,
  NSEventTypeAppKitDefined = 13,
  NSEventTypeSystemDefined = 14,
  NSEventTypeApplicationDefined = 15,
  NSEventTypePeriodic = 16,
  NSEventTypeScrollWheel = 22,
  NSEventTypeOtherMouseDown = 25,
  NSEventTypeOtherMouseUp = 26,
  NSEventTypeOtherMouseDragged = 27,
};

using NSEventModifierFlags = NSUInteger;
enum : NSEventModifierFlags {
  NSEventModifierFlagCapsLock = 1 << 16,
  NSEventModifierFlagShift = 1 << 17,
  NSEventModifierFlagControl = 1 << 18,
  NSEventModifierFlagOption = 1 << 19,
  NSEventModifierFlagCommand = 1 << 20,
  NSEventModifierFlagNumericPad = 1 << 21,
  NSEventModifierFlagHelp = 1 << 22,
  NSEventModifierFlagFunction = 1 << 23,
  NSEventModifierFlagDeviceIndependentFlagsMask = 0xffff0000UL,
};

using NSTimeInterval = double;

class NSEvent : public NSObject {
  NS_OBJECT_CLASS(NSEvent)

  // Autoreleased constructors, with AppKit's arguments. The graphics context is ignored, as
  // AppKit has ignored it since 10.12. A window number of 0 means no window.
  static NSEvent* mouseEventWithType(NSEventType type, NSPoint location, NSEventModifierFlags flags,
                                     NSTimeInterval timestamp, NSInteger windowNumber,
                                     NSGraphicsContext* context, NSInteger eventNumber,
                                     NSInteger clickCount, float pressure);
  static NSEvent* keyEventWithType(NSEventType type, NSPoint location, NSEventModifierFlags flags,
                                   NSTimeInterval timestamp, NSInteger windowNumber,
                                   NSGraphicsContext* context, const NSString* characters,
                                   const NSString* charactersIgnoringModifiers, bool isARepeat,
                                   unsigned short keyCode);
  // A scroll-wheel event at a point of the window. The deltas are how far the wheel turned, in
  // lines: deltaY is positive when it turned away from the user (towards what lies above),
  // deltaX when a horizontal wheel turned to the left, as AppKit reports them.
  static NSEvent* scrollWheelEvent(NSPoint location, NSEventModifierFlags flags,
                                   NSTimeInterval timestamp, NSInteger windowNumber, CGFloat deltaX,
                                   CGFloat deltaY);
  ~NSEvent() override;

  // Seconds since the platform started, as AppKit counts from system start-up.
  static NSTimeInterval currentTimestamp();
  // The mouse position in screen coordinates, as the last mouse event left it.
  static NSPoint mouseLocation();
  static void setMouseLocation(NSPoint location);

  NSEventType type() const { return type_; }
  NSPoint locationInWindow() const { return location_; }
  NSEventModifierFlags modifierFlags() const { return flags_; }
  NSTimeInterval timestamp() const { return timestamp_; }
  NSInteger windowNumber() const { return windowNumber_; }
  // The window with windowNumber among the application's windows, or nil.
  NSWindow* window() const;
  NSInteger eventNumber() const { return eventNumber_; }
  NSInteger clickCount() const { return clickCount_; }
  float pressure() const { return pressure_; }
  // Key events only; nil for other events.
  NSString* characters() const { return characters_; }
  NSString* charactersIgnoringModifiers() const { return charactersIgnoringModifiers_; }
  bool isARepeat() const { return isARepeat_; }
  unsigned short keyCode() const { return keyCode_; }
  // Scroll-wheel events only; 0 for other events.
  CGFloat deltaX() const { return deltaX_; }
  CGFloat deltaY() const { return deltaY_; }

  bool isMouseEvent() const;
  bool isKeyEvent() const { return type_ == NSEventTypeKeyDown || type_ == NSEventTypeKeyUp; }

  NSString* description() const override;

private:
  // A new event (+1) with the fields every kind of event has.
  static NSEvent* withCommonFields(NSEventType type, NSPoint location, NSEventModifierFlags flags,
                                   NSTimeInterval timestamp, NSInteger windowNumber);
  NSEventType type_ = NSEventTypeApplicationDefined;
  NSPoint location_;
  NSEventModifierFlags flags_ = 0;
  NSTimeInterval timestamp_ = 0;
  NSInteger windowNumber_ = 0;
  NSInteger eventNumber_ = 0;
  NSInteger clickCount_ = 0;
  float pressure_ = 0;
  Ref<NSString> characters_;
  Ref<NSString> charactersIgnoringModifiers_;
  bool isARepeat_ = false;
  unsigned short keyCode_ = 0;
  CGFloat deltaX_ = 0;
  CGFloat deltaY_ = 0;
};
