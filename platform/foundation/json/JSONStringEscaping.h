// The one way the platform writes a string as JSON: quoted, with the quote, the backslash and
// the control characters escaped (the short escapes where JSON has them, \u00xx otherwise).
#pragma once

#include <string>
#include <string_view>

struct JSONStringStyle {
  // Everything outside printable ASCII as a \u escape (supplementary characters as their
  // surrogate pair), so that the text is plain ASCII; otherwise UTF-8, with an unpaired
  // surrogate written as U+FFFD so that the text is always valid UTF-8.
  bool asciiOnly = false;
  // The solidus as "\/", as NSJSONSerialization writes it unless told not to.
  bool escapeSlash = false;
};

// Appends text to out as a JSON string, quotes included.
void appendJSONString(std::string& out, std::u16string_view text, JSONStringStyle style);
