#include "foundation/strings/NSString.h"

namespace {

// A mutable string given its text by an initialiser shows it from NSString's storage; its own
// storage takes the text over before the first change.
void takeOverText(std::u16string& own, std::u16string_view shown) {
  if (shown.data() != own.data()) own.assign(shown);
}

} // namespace

NSMutableString* NSMutableString::string() {
  return static_cast<NSMutableString*>(alloc()->autorelease());
}

NSMutableString* NSMutableString::stringWithString(const NSString* other) {
  auto* result = string();
  result->setString(other);
  return result;
}

void NSMutableString::appendString(const NSString* other) {
  takeOverText(text_, utf16());
  if (other) text_ += other->utf16();
  textChanged(text_);
}

void NSMutableString::appendFormat(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  appendString(NSString::stringWithFormatV(format, arguments));
  va_end(arguments);
}

void NSMutableString::setString(const NSString* other) {
  text_ = other ? other->utf16() : std::u16string_view();
  textChanged(text_);
}

void NSMutableString::replaceCharactersInRange(NSRange range, const NSString* replacement) {
  takeOverText(text_, utf16());
  if (range.location > text_.size()) return;
  text_.replace(range.location, range.length, replacement ? replacement->utf16() : u"");
  textChanged(text_);
}

void NSMutableString::deleteCharactersInRange(NSRange range) {
  replaceCharactersInRange(range, nullptr);
}
