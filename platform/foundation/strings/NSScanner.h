// NSScanner: reads numbers from a string, left to right, as Foundation's scanner does. Before
// each scan it passes over the characters to be skipped (white space and newlines by default).
// A scan that fails leaves the scan location where it was and the result untouched.
#pragma once

#include "foundation/strings/NSCharacterSet.h"

class NSScanner : public NSObject {
  NS_OBJECT_CLASS(NSScanner)

  // Autoreleased; a nil string scans as the empty string.
  static NSScanner* scannerWithString(const NSString* string);
  NSScanner* initWithString(const NSString* string);
  ~NSScanner() override;

  NSString* string() const { return string_; }
  // In UTF-16 units from the start of the string.
  NSUInteger scanLocation() const { return location_; }
  // A location past the end is clamped to the end (Foundation would raise).
  void setScanLocation(NSUInteger location);
  NSCharacterSet* charactersToBeSkipped() const { return skipped_; }
  // nil skips nothing.
  void setCharactersToBeSkipped(NSCharacterSet* characters);
  // True when only characters to be skipped remain.
  bool isAtEnd() const;

  // An unsigned hexadecimal number with an optional 0x or 0X prefix (taken only when a
  // hexadecimal digit follows it; "0x" alone scans as 0). Overflow is still a number: the result
  // is 0xFFFFFFFF and every further digit is passed over. No sign is accepted, so "#FF" fails.
  bool scanHexInt(unsigned* result);
  // A decimal number with an optional sign; INT_MAX or INT_MIN on overflow, the remaining
  // digits passed over.
  bool scanInt(int* result);

private:
  // The location after the characters to be skipped.
  NSUInteger skipFrom(NSUInteger location) const;

  Ref<NSString> string_;
  Ref<NSCharacterSet> skipped_;
  NSUInteger location_ = 0;
};
