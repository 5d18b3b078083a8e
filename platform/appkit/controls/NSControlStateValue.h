// The three states of a menu item or a two-state control, with AppKit's values.
#pragma once

#include "foundation/strings/NSString.h"

using NSControlStateValue = NSInteger;
constexpr NSControlStateValue NSControlStateValueMixed = -1;
constexpr NSControlStateValue NSControlStateValueOff = 0;
constexpr NSControlStateValue NSControlStateValueOn = 1;
