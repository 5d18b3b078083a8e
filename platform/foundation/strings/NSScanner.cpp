#include "foundation/strings/NSScanner.h"

#include <climits>

namespace {

int hexDigitValue(unichar c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool isDecimalDigit(unichar c) {
  return c >= u'0' && c <= u'9';
}

} // namespace

NSScanner* NSScanner::scannerWithString(const NSString* string) {
  return static_cast<NSScanner*>(alloc()->initWithString(string)->autorelease());
}

NSScanner* NSScanner::initWithString(const NSString* string) {
  string_ = copiedStringOrEmpty(string);
  skipped_ = retained(NSCharacterSet::whitespaceAndNewlineCharacterSet());
  return this;
}

NSScanner::~NSScanner() = default;

void NSScanner::setScanLocation(NSUInteger location) {
  location_ = location < string_->length() ? location : string_->length();
}

void NSScanner::setCharactersToBeSkipped(NSCharacterSet* characters) {
  skipped_ = retained(characters);
}

NSUInteger NSScanner::skipFrom(NSUInteger location) const {
  const auto& text = string_->utf16();
  if (skipped_)
    while (location < text.size() && skipped_->characterIsMember(text[location]))
      ++location;
  return location;
}

bool NSScanner::isAtEnd() const {
  return skipFrom(location_) >= string_->length();
}

bool NSScanner::scanHexInt(unsigned* result) {
  const auto& text = string_->utf16();
  NSUInteger at = skipFrom(location_);
  const bool prefixed = at + 2 < text.size() && text[at] == u'0' &&
                        (text[at + 1] == u'x' || text[at + 1] == u'X') &&
                        hexDigitValue(text[at + 2]) >= 0;
  if (prefixed) at += 2;
  if (at >= text.size() || hexDigitValue(text[at]) < 0) return false;
  unsigned long long value = 0;
  for (; at < text.size() && hexDigitValue(text[at]) >= 0; ++at) {
    value = value * 16 + static_cast<unsigned>(hexDigitValue(text[at]));
    if (value > UINT_MAX) value = UINT_MAX + 1ull; // stays past the limit, never wraps
  }
  if (result) *result = value > UINT_MAX ? UINT_MAX : static_cast<unsigned>(value);
  location_ = at;
  return true;
}

bool NSScanner::scanInt(int* result) {
  const auto& text = string_->utf16();
  NSUInteger at = skipFrom(location_);
  bool negative = false;
  if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) negative = text[at++] == u'-';
  if (at >= text.size() || !isDecimalDigit(text[at])) return false;
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  long long value = 0;
  for (; at < text.size() && isDecimalDigit(text[at]); ++at)
    if (value <= limit) value = value * 10 + (text[at] - u'0');
  if (value > limit) value = limit;
  if (result) *result = static_cast<int>(negative ? -value : value);
  location_ = at;
  return true;
}
