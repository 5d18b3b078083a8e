#include "appkit/application/NSEventFromDisplayInput.h"

#include "appkit/controls/FieldEditor.h"

namespace {

// AppKit's characters for the page keys (NSPageUpFunctionKey, NSPageDownFunctionKey).
constexpr char16_t kPageUp = 0xF72C, kPageDown = 0xF72D;

// The characters AppKit gives keys that type no text of their own.
std::u16string charactersOfKey(const DisplayInput& input) {
  switch (input.key) {
  case DisplayKey::Character:
    return input.characters;
  case DisplayKey::Return:
    return {NSKey::Return};
  case DisplayKey::Enter:
    return {NSKey::Enter};
  case DisplayKey::Escape:
    return {NSKey::Escape};
  case DisplayKey::Tab:
    return {NSKey::Tab};
  case DisplayKey::Backtab:
    return {NSKey::Backtab};
  case DisplayKey::Backspace:
    return {NSKey::Backspace};
  case DisplayKey::Delete:
    return {NSKey::ForwardDelete};
  case DisplayKey::Left:
    return {NSKey::LeftArrow};
  case DisplayKey::Right:
    return {NSKey::RightArrow};
  case DisplayKey::Up:
    return {NSKey::UpArrow};
  case DisplayKey::Down:
    return {NSKey::DownArrow};
  case DisplayKey::Home:
    return {NSKey::Home};
  case DisplayKey::End:
    return {NSKey::End};
  case DisplayKey::PageUp:
    return {kPageUp};
  case DisplayKey::PageDown:
    return {kPageDown};
  case DisplayKey::Modifier:
  case DisplayKey::Other:
    break;
  }
  return {};
}

NSEventType mouseType(const DisplayInput& input) {
  const int button = input.button;
  switch (input.kind) {
  case DisplayInput::Kind::MouseDown:
    return button == 1   ? NSEventTypeLeftMouseDown
           : button == 3 ? NSEventTypeRightMouseDown
                         : NSEventTypeOtherMouseDown;
  case DisplayInput::Kind::MouseUp:
    return button == 1   ? NSEventTypeLeftMouseUp
           : button == 3 ? NSEventTypeRightMouseUp
                         : NSEventTypeOtherMouseUp;
  case DisplayInput::Kind::MouseDragged:
    return button == 1   ? NSEventTypeLeftMouseDragged
           : button == 3 ? NSEventTypeRightMouseDragged
                         : NSEventTypeOtherMouseDragged;
  default:
    return NSEventTypeMouseMoved;
  }
}

} // namespace

NSEventModifierFlags NSEventModifierFlagsFromDisplay(unsigned modifiers) {
  NSEventModifierFlags flags = 0;
  if (modifiers & DisplayModifierShift) flags |= NSEventModifierFlagShift;
  if (modifiers & DisplayModifierControl) flags |= NSEventModifierFlagCommand;
  if (modifiers & DisplayModifierAlt) flags |= NSEventModifierFlagOption;
  if (modifiers & DisplayModifierSuper) flags |= NSEventModifierFlagControl;
  if (modifiers & DisplayModifierCapsLock) flags |= NSEventModifierFlagCapsLock;
  return flags;
}

NSEvent* NSEventFromDisplayInput(const DisplayInput& input) {
  const NSEventModifierFlags flags = NSEventModifierFlagsFromDisplay(input.modifiers);
  const NSTimeInterval now = NSEvent::currentTimestamp();
  if (input.kind == DisplayInput::Kind::ScrollWheel)
    return NSEvent::scrollWheelEvent(input.location, flags, now, input.windowNumber, input.deltaX,
                                     input.deltaY);
  if (input.isMouse())
    return NSEvent::mouseEventWithType(mouseType(input), input.location, flags, now,
                                       input.windowNumber, nullptr, 0, input.clickCount,
                                       input.kind == DisplayInput::Kind::MouseUp ? 0 : 1);
  const std::u16string characters = charactersOfKey(input);
  if (characters.empty()) return nullptr;
  // A key with Shift alone gives its shifted text either way; a named key gives its own
  // character whatever the modifiers.
  const std::u16string ignoring =
      input.key == DisplayKey::Character && !input.charactersIgnoringModifiers.empty()
          ? input.charactersIgnoringModifiers
          : characters;
  NSString* text = NSString::stringWithCharacters(characters.data(), characters.size());
  NSString* plain = NSString::stringWithCharacters(ignoring.data(), ignoring.size());
  const NSEventType type =
      input.kind == DisplayInput::Kind::KeyDown ? NSEventTypeKeyDown : NSEventTypeKeyUp;
  return NSEvent::keyEventWithType(type, NSZeroPoint, flags, now, input.windowNumber, nullptr, text,
                                   plain, input.isRepeat, input.keyCode);
}
