// Selectors: interned action names such as "clickButton:". Two selectors with the same name are
// the same pointer, so they compare with ==. A null selector means "no action".
#pragma once

#include <string_view>

struct SelectorName;
using SEL = const SelectorName*;

// The interned selector for a name; never null for a non-empty name.
SEL NSSelectorFromString(std::string_view name);
// The selector's name, or "" for a null selector.
const char* sel_getName(SEL selector);

// Short form used throughout the platform and the library: sel("clickButton:").
inline SEL sel(std::string_view name) {
  return NSSelectorFromString(name);
}
