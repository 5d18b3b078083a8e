#include "foundation/json/JsonWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>

void JsonWriter::beforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!hasValue_.empty()) {
    if (hasValue_.back()) out_ += ',';
    hasValue_.back() = true;
  }
}

void JsonWriter::beginObject() {
  beforeValue();
  out_ += '{';
  hasValue_.push_back(false);
}

void JsonWriter::endObject() {
  out_ += '}';
  if (!hasValue_.empty()) hasValue_.pop_back();
}

void JsonWriter::beginArray() {
  beforeValue();
  out_ += '[';
  hasValue_.push_back(false);
}

void JsonWriter::endArray() {
  out_ += ']';
  if (!hasValue_.empty()) hasValue_.pop_back();
}

namespace {

// Printable ASCII other than the quote and the backslash stands for itself in a JSON string.
template <class Unit> bool standsForItself(Unit unit) {
  return unit >= 0x20 && unit < 0x7f && unit != '"' && unit != '\\';
}

} // namespace

void JsonWriter::key(std::string_view name) {
  beforeValue();
  // Keys are nearly always plain ASCII names, written as they are.
  if (std::all_of(name.begin(), name.end(), standsForItself<char>)) {
    out_ += '"';
    out_ += name;
    out_ += '"';
  } else {
    writeString(NSUTF8ToUTF16(name));
  }
  out_ += ':';
  afterKey_ = true;
}

void JsonWriter::null() {
  beforeValue();
  out_ += "null";
}

void JsonWriter::boolean(bool value) {
  beforeValue();
  out_ += value ? "true" : "false";
}

void JsonWriter::number(double value) {
  if (!std::isfinite(value)) return null();
  beforeValue();
  if (value == 0) value = 0; // -0 reads as 0
  char buffer[32];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out_.append(buffer, error == std::errc() ? end : buffer);
}

void JsonWriter::integer(long long value) {
  beforeValue();
  out_ += std::to_string(value);
}

void JsonWriter::string(std::u16string_view text) {
  beforeValue();
  writeString(text);
}

void JsonWriter::writeString(std::u16string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out_ += '"';
  for (std::size_t next = 0; next < text.size();) {
    // A run of units that stand for themselves is copied in one go.
    std::size_t end = next;
    while (end < text.size() && standsForItself(text[end]))
      ++end;
    if (end > next) {
      const std::size_t at = out_.size();
      out_.resize(at + (end - next));
      std::transform(text.begin() + static_cast<std::ptrdiff_t>(next),
                     text.begin() + static_cast<std::ptrdiff_t>(end),
                     out_.begin() + static_cast<std::ptrdiff_t>(at),
                     [](char16_t unit) { return static_cast<char>(unit); });
      next = end;
      continue;
    }
    const char16_t unit = text[next++];
    switch (unit) {
    case u'"':
      out_ += "\\\"";
      break;
    case u'\\':
      out_ += "\\\\";
      break;
    case u'\n':
      out_ += "\\n";
      break;
    case u'\r':
      out_ += "\\r";
      break;
    case u'\t':
      out_ += "\\t";
      break;
    case u'\b':
      out_ += "\\b";
      break;
    case u'\f':
      out_ += "\\f";
      break;
    default: // a control character or beyond ASCII: plain text went with the runs above
      out_ += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4)
        out_ += kHex[(unit >> shift) & 0xf];
    }
  }
  out_ += '"';
}

void JsonWriter::stringUTF8(std::string_view text) {
  string(NSUTF8ToUTF16(text));
}

void JsonWriter::string(const NSString* text) {
  if (!text) return null();
  string(std::u16string_view(text->utf16()));
}

void JsonWriter::rect(NSRect rect) {
  beginArray();
  number(rect.origin.x);
  number(rect.origin.y);
  number(rect.size.width);
  number(rect.size.height);
  endArray();
}

void JsonWriter::field(std::string_view name, const char* textOrNull) {
  key(name);
  if (textOrNull)
    stringUTF8(textOrNull);
  else
    null();
}
