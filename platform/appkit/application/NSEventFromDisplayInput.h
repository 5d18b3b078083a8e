// Input from a live display becomes the NSEvents the simulated user makes: the same characters
// for the same keys, the same key codes and the same modifier flags. The Control key stands for
// Command, since on Linux Control is the menu-shortcut key (Java's too); the Super key stands
// for Control.
#pragma once

#include "appkit/application/NSEvent.h"
#include "display/DisplayInput.h"

// Autoreleased; nil for input that makes no event.
NSEvent* NSEventFromDisplayInput(const DisplayInput& input);
NSEventModifierFlags NSEventModifierFlagsFromDisplay(unsigned modifiers);
