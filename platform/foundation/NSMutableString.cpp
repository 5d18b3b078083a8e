#include "foundation/NSString.h"

NSMutableString* NSMutableString::string() {
  return static_cast<NSMutableString*>(alloc()->autorelease());
}

NSMutableString* NSMutableString::stringWithString(const NSString* other) {
  auto* result = string();
  result->setString(other);
  return result;
}

void NSMutableString::appendString(const NSString* other) {
  if (other) text_ += other->utf16();
  textChanged();
}

void NSMutableString::appendFormat(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  appendString(NSString::stringWithFormatV(format, arguments));
  va_end(arguments);
}

void NSMutableString::setString(const NSString* other) {
  text_ = other ? other->utf16() : std::u16string();
  textChanged();
}

void NSMutableString::replaceCharactersInRange(NSRange range, const NSString* replacement) {
  if (range.location > text_.size()) return;
  text_.replace(range.location, range.length, replacement ? replacement->utf16() : u"");
  textChanged();
}

void NSMutableString::deleteCharactersInRange(NSRange range) {
  replaceCharactersInRange(range, nullptr);
}
