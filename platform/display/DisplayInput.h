// DisplayInput: input from the user's devices as a display reads it, before it becomes a platform
// event. Locations are in points in the window's coordinates (origin at its lower-left corner);
// keys carry the text they type as the keyboard layout gives it, the key's position as a virtual
// key code of a US keyboard, and the modifiers held. AppKit turns these into NSEvents.
#pragma once

#include <string>

#include "foundation/values/NSGeometry.h"

// The modifier keys held during an input event.
enum DisplayModifier : unsigned {
  DisplayModifierShift = 1 << 0,
  DisplayModifierControl = 1 << 1,
  DisplayModifierAlt = 1 << 2,
  DisplayModifierSuper = 1 << 3,
  DisplayModifierCapsLock = 1 << 4,
};

// Keys that type no text of their own.
enum class DisplayKey {
  Character, // the key types the text in `characters`
  Return,
  Enter, // on the numeric keypad
  Escape,
  Tab,
  Backtab, // Shift-Tab
  Backspace,
  Delete,
  Left,
  Right,
  Up,
  Down,
  Home,
  End,
  PageUp,
  PageDown,
  Modifier, // a modifier key alone
  Other,    // a key with no meaning here (a function key, a dead key)
};

struct DisplayInput {
  enum class Kind { MouseDown, MouseUp, MouseMoved, MouseDragged, ScrollWheel, KeyDown, KeyUp };

  Kind kind = Kind::MouseMoved;
  // The window (or pop-up) the input belongs to; 0 for none.
  NSInteger windowNumber = 0;
  // Pointer events: where, in the window, in points.
  NSPoint location;
  // Pointer events: 1 left, 2 middle, 3 right; the button held while dragging.
  int button = 0;
  // Mouse down and up: 1 for a single click, 2 for a double click, ...
  int clickCount = 0;
  // Scroll wheel: lines turned, deltaY > 0 away from the user, deltaX > 0 to the left.
  double deltaX = 0, deltaY = 0;
  unsigned modifiers = 0;
  // Key events.
  DisplayKey key = DisplayKey::Other;
  // What the key types with the modifiers held (for Character keys), in UTF-16.
  std::u16string characters;
  // What it types with Shift alone taken into account; Control's control characters left out.
  std::u16string charactersIgnoringModifiers;
  // The key's position as a virtual key code of a US keyboard; 0 when it has none.
  unsigned short keyCode = 0;
  bool isRepeat = false;

  bool isMouse() const { return kind != Kind::KeyDown && kind != Kind::KeyUp; }
};
