#include "foundation/json/JsonWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "foundation/json/JSONStringEscaping.h"

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
  // Keys are nearly always plain ASCII names, written as they are. Buys: Describe/100 437 us,
  // 871 through the escaper (bench_appkit_runloop, medians of 10 runs interleaved off and on).
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
  appendJSONString(out_, text, {.asciiOnly = true});
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
