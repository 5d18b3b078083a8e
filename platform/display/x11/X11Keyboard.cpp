#include "display/x11/X11Keyboard.h"

#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

// <xcb/xkb.h> names a structure member "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>
#include <string>

#include "display/x11/X11KeyCodes.h"

namespace {

// A key symbol's text in UTF-16 (nothing for symbols that type no text).
std::u16string textOfSymbol(xkb_keysym_t symbol) {
  const uint32_t code = xkb_keysym_to_utf32(symbol);
  if (code == 0 || code < 0x20 || code == 0x7f) return {};
  if (code < 0x10000) return std::u16string(1, static_cast<char16_t>(code));
  const uint32_t offset = code - 0x10000;
  return {static_cast<char16_t>(0xD800 + (offset >> 10)),
          static_cast<char16_t>(0xDC00 + (offset & 0x3ff))};
}

std::u16string utf16FromUtf8(const char* text) {
  std::u16string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p;) {
    uint32_t code = *p++;
    int extra = code >= 0xF0 ? 3 : code >= 0xE0 ? 2 : code >= 0xC0 ? 1 : 0;
    if (extra) code &= 0x3f >> extra;
    for (; extra > 0 && (*p & 0xC0) == 0x80; --extra)
      code = (code << 6) | (*p++ & 0x3f);
    if (code < 0x10000) {
      out += static_cast<char16_t>(code);
    } else {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3ff));
    }
  }
  return out;
}

} // namespace

X11Keyboard::~X11Keyboard() {
  xkb_compose_state_unref(compose_);
  xkb_compose_table_unref(composeTable_);
  xkb_state_unref(state_);
  xkb_keymap_unref(keymap_);
  xkb_context_unref(context_);
}

bool X11Keyboard::open(xcb_connection_t* connection) {
  connection_ = connection;
  uint16_t major = 0, minor = 0;
  uint8_t errorBase = 0;
  if (!xkb_x11_setup_xkb_extension(
          connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
          XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, &major, &minor, &eventBase_, &errorBase))
    return false;
  context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  device_ = xkb_x11_get_core_keyboard_device_id(connection);
  if (!context_ || device_ < 0 || !loadKeymap()) return false;
  selectEvents();
  loadComposeTable();
  return true;
}

void X11Keyboard::loadComposeTable() {
  // The locale's table, as Xlib's input method picks it; a locale without one (C) gets the
  // UTF-8 English table, whose sequences every Latin layout's dead keys use.
  std::string locale;
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) {
      locale = value;
      break;
    }
  }
  if (!locale.empty())
    composeTable_ =
        xkb_compose_table_new_from_locale(context_, locale.c_str(), XKB_COMPOSE_COMPILE_NO_FLAGS);
  if (!composeTable_)
    composeTable_ =
        xkb_compose_table_new_from_locale(context_, "en_US.UTF-8", XKB_COMPOSE_COMPILE_NO_FLAGS);
  if (composeTable_) compose_ = xkb_compose_state_new(composeTable_, XKB_COMPOSE_STATE_NO_FLAGS);
}

bool X11Keyboard::loadKeymap() {
  xkb_keymap* keymap =
      xkb_x11_keymap_new_from_device(context_, connection_, device_, XKB_KEYMAP_COMPILE_NO_FLAGS);
  if (!keymap) return false;
  xkb_state* state = xkb_x11_state_new_from_device(keymap, connection_, device_);
  if (!state) {
    xkb_keymap_unref(keymap);
    return false;
  }
  xkb_state_unref(state_);
  xkb_keymap_unref(keymap_);
  keymap_ = keymap;
  state_ = state;
  return true;
}

void X11Keyboard::selectEvents() {
  constexpr uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY |
                              XCB_XKB_EVENT_TYPE_MAP_NOTIFY | XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
  constexpr uint16_t mapParts =
      XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP |
      XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS |
      XCB_XKB_MAP_PART_VIRTUAL_MODS | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
  constexpr uint16_t stateDetails =
      XCB_XKB_STATE_PART_MODIFIER_BASE | XCB_XKB_STATE_PART_MODIFIER_LATCH |
      XCB_XKB_STATE_PART_MODIFIER_LOCK | XCB_XKB_STATE_PART_GROUP_BASE |
      XCB_XKB_STATE_PART_GROUP_LATCH | XCB_XKB_STATE_PART_GROUP_LOCK;
  xcb_xkb_select_events_details_t details{};
  details.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
  details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
  details.affectState = stateDetails;
  details.stateDetails = stateDetails;
  xcb_xkb_select_events_aux(connection_, static_cast<xcb_xkb_device_spec_t>(device_), events, 0, 0,
                            mapParts, mapParts, &details);
}

void X11Keyboard::handleXkbEvent(const xcb_generic_event_t* event) {
  // Every XKB event shares this header: its kind in the second byte, then time and device.
  struct Header {
    uint8_t responseType, xkbType;
    uint16_t sequence;
    xcb_timestamp_t time;
    uint8_t deviceID;
  };
  const auto* header = reinterpret_cast<const Header*>(event);
  if (header->deviceID != device_) return;
  switch (header->xkbType) {
  case XCB_XKB_NEW_KEYBOARD_NOTIFY:
  case XCB_XKB_MAP_NOTIFY:
    loadKeymap();
    break;
  case XCB_XKB_STATE_NOTIFY: {
    const auto* state = reinterpret_cast<const xcb_xkb_state_notify_event_t*>(event);
    xkb_state_update_mask(state_, state->baseMods, state->latchedMods, state->lockedMods,
                          state->baseGroup, state->latchedGroup, state->lockedGroup);
    break;
  }
  default:
    break;
  }
}

unsigned X11Keyboard::modifiersOfState(uint16_t state) {
  unsigned modifiers = 0;
  if (state & XCB_MOD_MASK_SHIFT) modifiers |= DisplayModifierShift;
  if (state & XCB_MOD_MASK_LOCK) modifiers |= DisplayModifierCapsLock;
  if (state & XCB_MOD_MASK_CONTROL) modifiers |= DisplayModifierControl;
  if (state & XCB_MOD_MASK_1) modifiers |= DisplayModifierAlt;
  if (state & XCB_MOD_MASK_4) modifiers |= DisplayModifierSuper;
  return modifiers;
}

bool X11Keyboard::compose(xcb_keycode_t keycode, DisplayInput& input) {
  if (input.kind == DisplayInput::Kind::KeyUp) {
    const bool taken = composedKeysDown_.test(keycode);
    composedKeysDown_.reset(keycode);
    return !taken;
  }
  if (!compose_ || !state_ || input.key == DisplayKey::Modifier ||
      (input.modifiers & (DisplayModifierControl | DisplayModifierAlt)))
    return true;
  if (xkb_compose_state_feed(compose_, xkb_state_key_get_one_sym(state_, keycode)) ==
      XKB_COMPOSE_FEED_IGNORED)
    return true;
  switch (xkb_compose_state_get_status(compose_)) {
  case XKB_COMPOSE_CANCELLED:
    xkb_compose_state_reset(compose_);
    [[fallthrough]];
  case XKB_COMPOSE_COMPOSING:
    composedKeysDown_.set(keycode);
    return false;
  case XKB_COMPOSE_COMPOSED: {
    char text[64] = {};
    xkb_compose_state_get_utf8(compose_, text, sizeof text);
    xkb_compose_state_reset(compose_);
    input.characters = utf16FromUtf8(text);
    input.charactersIgnoringModifiers = input.characters;
    input.key = input.characters.empty() ? DisplayKey::Other : DisplayKey::Character;
    return true;
  }
  case XKB_COMPOSE_NOTHING:
  default:
    return true;
  }
}

void X11Keyboard::describeKey(xcb_keycode_t keycode, DisplayInput& input) const {
  input.keyCode = X11VirtualKeyCode(keycode);
  if (!state_) return;
  const xkb_keysym_t symbol = xkb_state_key_get_one_sym(state_, keycode);
  input.key = X11KeyOfSymbol(symbol);
  if (input.key != DisplayKey::Character) return;
  const bool control =
      xkb_state_mod_name_is_active(state_, XKB_MOD_NAME_CTRL, XKB_STATE_MODS_EFFECTIVE) > 0;
  if (control) {
    // With Control the key stands for a shortcut: its unshifted symbol names it, whatever
    // control character it would type.
    const xkb_layout_index_t layout = xkb_state_key_get_layout(state_, keycode);
    const xkb_keysym_t* symbols = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(keymap_, keycode, layout, 0, &symbols);
    input.characters = count > 0 ? textOfSymbol(symbols[0]) : textOfSymbol(symbol);
    input.charactersIgnoringModifiers = input.characters;
  } else {
    char text[64] = {};
    xkb_state_key_get_utf8(state_, keycode, text, sizeof text);
    input.characters = utf16FromUtf8(text);
    input.charactersIgnoringModifiers = textOfSymbol(symbol);
    if (input.characters.empty()) input.characters = input.charactersIgnoringModifiers;
  }
  if (input.characters.empty()) input.key = DisplayKey::Other;
}
