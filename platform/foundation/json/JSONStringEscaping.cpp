#include "foundation/json/JSONStringEscaping.h"

#include "foundation/strings/NSStringEncoding.h"

namespace {

void appendUnicodeEscape(std::string& out, char16_t unit) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4)
    out += kHex[(unit >> shift) & 0xf];
}

} // namespace

void appendJSONString(std::string& out, std::u16string_view text, JSONStringStyle style) {
  // Printable ASCII other than the quote, the backslash (and the solidus, when it is escaped)
  // stands for itself; so do DEL and everything beyond ASCII, as UTF-8, unless the text must be
  // printable ASCII.
  auto standsForItself = [&](char16_t unit) {
    if (unit >= 0x7f) return !style.asciiOnly;
    return unit >= 0x20 && unit != u'"' && unit != u'\\' && !(style.escapeSlash && unit == u'/');
  };
  out += '"';
  for (std::size_t next = 0; next < text.size();) {
    // A run of units that stand for themselves is copied in one go.
    std::size_t end = next;
    while (end < text.size() && standsForItself(text[end]))
      ++end;
    if (end > next) {
      // As UTF-8, a surrogate pair whole and an unpaired surrogate as U+FFFD.
      const std::u16string_view run = text.substr(next, end - next);
      const std::size_t at = out.size();
      out.resize(at + 3 * run.size());
      out.resize(at + writeUTF8(run, out.data() + at));
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
    default: // a control character, or beyond printable ASCII in ASCII-only text
      appendUnicodeEscape(out, unit);
    }
  }
  out += '"';
}
