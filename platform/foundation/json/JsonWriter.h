// JsonWriter: builds one JSON text by hand, for the testkit's description of the screen.
// Strings are escaped as JSON requires, and everything outside printable ASCII is written as a
// \u escape (supplementary characters as surrogate pairs), so the text is plain ASCII and
// crosses into Java unchanged. Numbers use the shortest form that reads back exactly, in the C
// locale whatever the process locale; NaN and infinities, which JSON cannot hold, become null.
//
// Commas are placed automatically: call key() before each member of an object.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/values/NSGeometry.h"

class JsonWriter {
public:
  void beginObject();
  void endObject();
  void beginArray();
  void endArray();
  void key(std::string_view name);

  void null();
  void boolean(bool value);
  void number(double value);
  void integer(long long value);
  void string(std::u16string_view text);
  void stringUTF8(std::string_view text);
  // An NSString, or null for nil.
  void string(const NSString* text);
  // [x, y, width, height]
  void rect(NSRect rect);

  // Shorthands for a member: key then value.
  void field(std::string_view name, bool value) { key(name), boolean(value); }
  void field(std::string_view name, double value) { key(name), number(value); }
  void field(std::string_view name, int value) { key(name), integer(value); }
  void field(std::string_view name, long value) { key(name), integer(value); }
  void field(std::string_view name, long long value) { key(name), integer(value); }
  void field(std::string_view name, unsigned long value) {
    key(name), integer(static_cast<long long>(value));
  }
  void field(std::string_view name, const NSString* text) { key(name), string(text); }
  void field(std::string_view name, const char* textOrNull);
  void nullField(std::string_view name) { key(name), null(); }

  const std::string& text() const { return out_; }

private:
  std::string out_;
  // Per open container: whether a value has been written into it yet.
  std::vector<bool> hasValue_;
  bool afterKey_ = false;

  void beforeValue();
  void writeString(std::u16string_view text);
};
