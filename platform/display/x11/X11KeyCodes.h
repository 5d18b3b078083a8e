// Key positions and key meanings: what the X11 display tells the layer above about a key
// beyond the text it types.
#pragma once

#include <cstdint>

#include "display/DisplayInput.h"

// The virtual key code (the position on a US keyboard, as AppKit numbers keys) of an X key code
// of the evdev keyboard driver; 0 for a key without one.
unsigned short X11VirtualKeyCode(uint32_t keycode);
// What a key symbol means: a named key, a modifier, or a character key.
DisplayKey X11KeyOfSymbol(uint32_t keysym);
