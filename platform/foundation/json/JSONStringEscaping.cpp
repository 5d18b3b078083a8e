#include "foundation/json/JSONStringEscaping.h"

#include <algorithm>

namespace {

constexpr char kHex[] = "0123456789abcdef";

void appendUnicodeEscape(std::string& out, char16_t unit) {
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4)
    out += kHex[(unit >> shift) & 0xf];
}

void appendUTF8(std::string& out, char32_t c) {
  if (c < 0x800) {
    out += static_cast<char>(0xc0 | (c >> 6));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xe0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
  } else {
    out += static_cast<char>(0xf0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3f));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
  }
  out += static_cast<char>(0x80 | (c & 0x3f));
}

bool isHighSurrogate(char16_t unit) {
  return unit >= 0xd800 && unit < 0xdc00;
}

bool isLowSurrogate(char16_t unit) {
  return unit >= 0xdc00 && unit < 0xe000;
}

} // namespace

void appendJSONString(std::string& out, std::u16string_view text, JSONStringStyle style) {
  // Printable ASCII other than the quote, the backslash (and the solidus, when it is escaped)
  // stands for itself; DEL too, unless the text must be printable ASCII.
  const char16_t lastPlain = style.asciiOnly ? 0x7e : 0x7f;
  auto standsForItself = [&](char16_t unit) {
    return unit >= 0x20 && unit <= lastPlain && unit != u'"' && unit != u'\\' &&
           !(style.escapeSlash && unit == u'/');
  };
  out += '"';
  for (std::size_t next = 0; next < text.size();) {
    // A run of units that stand for themselves is copied in one go.
    std::size_t end = next;
    while (end < text.size() && standsForItself(text[end]))
      ++end;
    if (end > next) {
      const std::size_t at = out.size();
      out.resize(at + (end - next));
      std::transform(text.begin() + static_cast<std::ptrdiff_t>(next),
                     text.begin() + static_cast<std::ptrdiff_t>(end),
                     out.begin() + static_cast<std::ptrdiff_t>(at),
                     [](char16_t unit) { return static_cast<char>(unit); });
      next = end;
      continue;
    }
    const char16_t unit = text[next++];
    switch (unit) {
    case u'"':
      out += "\\\"";
      break;
    case u'\\':
      out += "\\\\";
      break;
    case u'/':
      out += "\\/";
      break;
    case u'\n':
      out += "\\n";
      break;
    case u'\r':
      out += "\\r";
      break;
    case u'\t':
      out += "\\t";
      break;
    case u'\b':
      out += "\\b";
      break;
    case u'\f':
      out += "\\f";
      break;
    default:
      if (unit < 0x20 || style.asciiOnly) {
        appendUnicodeEscape(out, unit);
      } else if (isHighSurrogate(unit) && next < text.size() && isLowSurrogate(text[next])) {
        appendUTF8(out, 0x10000 + ((char32_t(unit) - 0xd800) << 10) + (text[next++] - 0xdc00));
      } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
        appendUTF8(out, 0xfffd);
      } else {
        appendUTF8(out, unit);
      }
    }
  }
  out += '"';
}
