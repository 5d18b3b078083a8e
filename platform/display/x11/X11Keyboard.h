// X11Keyboard: the keyboard of the X server through xkbcommon. It keeps the server's keymap and
// modifier state (XKB events keep both up to date) and turns a key event into the key's text,
// its meaning and its position, for any layout.
#pragma once

#include <xcb/xcb.h>

#include <bitset>
#include <cstdint>

#include "display/DisplayInput.h"

struct xkb_context;
struct xkb_keymap;
struct xkb_state;
struct xkb_compose_table;
struct xkb_compose_state;

class X11Keyboard {
public:
  ~X11Keyboard();

  // Sets up the XKB extension and reads the keymap; false when the server has no XKB.
  bool open(xcb_connection_t* connection);
  // The event code of XKB events on this connection.
  uint8_t eventBase() const { return eventBase_; }
  // Handles an XKB event (state or keymap change).
  void handleXkbEvent(const xcb_generic_event_t* event);

  // Fills the key fields of input (key, characters, key code, modifiers) for a key event.
  void describeKey(xcb_keycode_t keycode, DisplayInput& input) const;
  // The modifiers in a core event's state field.
  static unsigned modifiersOfState(uint16_t state);
  // Runs a described key through the locale's compose sequences (dead keys, the Compose key), as
  // an input method without a server does: false when the key only begins or goes on with a
  // sequence, or cancels one, and types nothing (its release is dropped too); a key that ends
  // one types the composed text. Keys held with Control or Alt are shortcuts and pass.
  bool compose(xcb_keycode_t keycode, DisplayInput& input);

private:
  xcb_connection_t* connection_ = nullptr;
  xkb_context* context_ = nullptr;
  xkb_keymap* keymap_ = nullptr;
  xkb_state* state_ = nullptr;
  int32_t device_ = -1;
  uint8_t eventBase_ = 0;
  xkb_compose_table* composeTable_ = nullptr; // none for a locale without compose sequences
  xkb_compose_state* compose_ = nullptr;
  std::bitset<256> composedKeysDown_; // whose presses compose took, for their releases

  bool loadKeymap();
  void loadComposeTable();
  void selectEvents();
};
