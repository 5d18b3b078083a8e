#include "foundation/json/NSJSONSerializationText.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace json_text {
namespace {

enum class Encoding { UTF8, UTF16BE, UTF16LE, UTF32BE, UTF32LE };

// Byte-order mark first, then the zero bytes that ASCII characters leave in the wider forms.
Encoding detectEncoding(std::string_view& bytes) {
  auto b = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const std::size_t n = bytes.size();
  if (n >= 3 && b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF) {
    bytes.remove_prefix(3);
    return Encoding::UTF8;
  }
  if (n >= 4 && b(0) == 0 && b(1) == 0 && b(2) == 0xFE && b(3) == 0xFF) {
    bytes.remove_prefix(4);
    return Encoding::UTF32BE;
  }
  if (n >= 4 && b(0) == 0xFF && b(1) == 0xFE && b(2) == 0 && b(3) == 0) {
    bytes.remove_prefix(4);
    return Encoding::UTF32LE;
  }
  if (n >= 2 && b(0) == 0xFE && b(1) == 0xFF) {
    bytes.remove_prefix(2);
    return Encoding::UTF16BE;
  }
  if (n >= 2 && b(0) == 0xFF && b(1) == 0xFE) {
    bytes.remove_prefix(2);
    return Encoding::UTF16LE;
  }
  if (n >= 4) {
    if (b(0) == 0 && b(1) == 0 && b(2) == 0) return Encoding::UTF32BE;
    if (b(1) == 0 && b(2) == 0 && b(3) == 0) return Encoding::UTF32LE;
    if (b(0) == 0 && b(2) == 0) return Encoding::UTF16BE;
    if (b(1) == 0 && b(3) == 0) return Encoding::UTF16LE;
  } else if (n >= 2) {
    if (b(0) == 0) return Encoding::UTF16BE;
    if (b(1) == 0) return Encoding::UTF16LE;
  }
  return Encoding::UTF8;
}

void appendUTF8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::uint32_t unitAt(std::string_view bytes, std::size_t at, std::size_t width, bool bigEndian) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < width; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[at + (bigEndian ? i : width - 1 - i)]);
    value = (value << 8) | byte;
  }
  return value;
}

bool transcodeUTF16(std::string_view bytes, bool bigEndian, std::string& out) {
  if (bytes.size() % 2) return false;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    char32_t unit = unitAt(bytes, i, 2, bigEndian);
    if (unit >= 0xDC00 && unit <= 0xDFFF) return false;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 4 > bytes.size()) return false;
      const char32_t low = unitAt(bytes, i + 2, 2, bigEndian);
      if (low < 0xDC00 || low > 0xDFFF) return false;
      unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    appendUTF8(out, unit);
  }
  return true;
}

bool transcodeUTF32(std::string_view bytes, bool bigEndian, std::string& out) {
  if (bytes.size() % 4) return false;
  for (std::size_t i = 0; i < bytes.size(); i += 4) {
    const char32_t unit = unitAt(bytes, i, 4, bigEndian);
    if (unit > 0x10FFFF || (unit >= 0xD800 && unit <= 0xDFFF)) return false;
    appendUTF8(out, unit);
  }
  return true;
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isNumberCharacter(char c) {
  return isDigit(c) || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
}

// Whether the digits of an integer (without sign) exceed what 64 bits hold for that sign.
bool exceeds64Bits(std::string_view digits, bool negative) {
  const std::string_view limit = negative ? "9223372036854775808" : "18446744073709551615";
  if (digits.size() != limit.size()) return digits.size() > limit.size();
  return digits > limit;
}

// Rewrites an oversized integer token in place as mantissa digits and a decimal exponent, the
// shortest text that reads back as the double nearest to it. Leaves the token alone when that
// double is infinite, so the parser still reports the overflow.
bool rewriteAsDouble(std::string& text, std::size_t start, std::size_t length) {
  double value = 0;
  const char* first = text.data() + start;
  auto parsed = std::from_chars(first, first + length, value);
  if (parsed.ec != std::errc() || !std::isfinite(value)) return false;
  char shortest[64];
  auto written =
      std::to_chars(shortest, shortest + sizeof shortest, value, std::chars_format::scientific);
  // shortest is "[-]d[.ddd]e[+-]xx"; move the point to the end of the mantissa.
  std::string_view form(shortest, static_cast<std::size_t>(written.ptr - shortest));
  const std::size_t e = form.find('e');
  std::string mantissa;
  bool negative = false;
  for (char c : form.substr(0, e)) {
    if (c == '-') negative = true;
    if (isDigit(c)) mantissa += c;
  }
  int exponent = 0;
  std::string_view exponentText = form.substr(e + 1);
  if (!exponentText.empty() && exponentText.front() == '+') exponentText.remove_prefix(1);
  std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
  exponent -= static_cast<int>(mantissa.size()) - 1;
  std::string replacement = (negative ? "-" : "") + mantissa + "e" + std::to_string(exponent);
  if (replacement.size() > length) return false;
  replacement.resize(length, ' ');
  text.replace(start, length, replacement);
  return true;
}

} // namespace

std::optional<std::string_view> decodeToUTF8(std::string_view bytes, std::string& storage) {
  const Encoding encoding = detectEncoding(bytes);
  bool valid = true;
  switch (encoding) {
  case Encoding::UTF8:
    return bytes;
  case Encoding::UTF16BE:
  case Encoding::UTF16LE:
    storage.clear();
    valid = transcodeUTF16(bytes, encoding == Encoding::UTF16BE, storage);
    break;
  case Encoding::UTF32BE:
  case Encoding::UTF32LE:
    storage.clear();
    valid = transcodeUTF32(bytes, encoding == Encoding::UTF32BE, storage);
    break;
  }
  if (!valid) return std::nullopt;
  return std::string_view(storage);
}

std::optional<std::string> repairToleratedForms(std::string_view input) {
  std::string text(input);
  bool changed = false;
  char previous = 0; // the last significant character outside strings
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '"') {
      // Skip the string, escapes included; the parser judges its content.
      for (++i; i < text.size() && text[i] != '"'; ++i)
        if (text[i] == '\\') ++i;
      previous = '"';
      ++i;
      continue;
    }
    if (c == ',') {
      std::size_t next = i + 1;
      while (next < text.size() && isJSONWhitespace(text[next]))
        ++next;
      const bool closes = next < text.size() && (text[next] == ']' || text[next] == '}');
      const bool followsValue =
          previous && previous != '[' && previous != '{' && previous != ',' && previous != ':';
      if (closes && followsValue) {
        text[i] = ' ';
        changed = true;
        ++i;
        continue; // previous stays the value before the comma
      }
    }
    if (c == '-' || isDigit(c)) {
      // The whole number token, so that digits after a point or an exponent are never taken
      // for an integer of their own.
      std::size_t end = i + 1;
      while (end < text.size() && isNumberCharacter(text[end]))
        ++end;
      const std::string_view token(text.data() + i, end - i);
      const std::string_view digits = token.substr(c == '-' ? 1 : 0);
      const bool integer = token.find_first_of(".eE+", 0) == std::string_view::npos &&
                           digits.find('-') == std::string_view::npos;
      const bool wellFormed = !digits.empty() && (digits.size() == 1 || digits.front() != '0');
      if (integer && wellFormed && exceeds64Bits(digits, c == '-'))
        changed |= rewriteAsDouble(text, i, end - i);
      previous = '0';
      i = end;
      continue;
    }
    if (!isJSONWhitespace(c)) previous = c;
    ++i;
  }
  if (!changed) return std::nullopt;
  return text;
}

std::size_t offsetOfExcessNesting(std::string_view text, std::size_t maxDepth) {
  std::size_t depth = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      for (++i; i < text.size() && text[i] != '"'; ++i)
        if (text[i] == '\\') ++i;
    } else if (c == '[' || c == '{') {
      if (++depth > maxDepth) return i;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return std::string_view::npos;
}

} // namespace json_text
