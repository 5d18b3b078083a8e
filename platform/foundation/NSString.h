// NSString: immutable Unicode text held as UTF-16 code units, so lengths and ranges count what
// Foundation counts. Conversions to and from bytes name their encoding; an encoding that cannot
// represent the text fails with nil/nullptr, as Foundation's do, never truncating silently.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "foundation/NSObject.h"

class NSData;

using unichar = char16_t;
using NSUInteger = unsigned long;
using NSInteger = long;

enum NSStringEncoding : NSUInteger {
  NSASCIIStringEncoding = 1,
  NSUTF8StringEncoding = 4,
  NSISOLatin1StringEncoding = 5,
  NSUTF16StringEncoding = 10,
  NSMacOSRomanStringEncoding = 30,
};

struct NSRange {
  NSUInteger location = 0;
  NSUInteger length = 0;
};
inline NSRange NSMakeRange(NSUInteger location, NSUInteger length) {
  return {location, length};
}
constexpr NSUInteger NSNotFound = static_cast<NSUInteger>(-1) >> 1;

class NSString;

// An owned, immutable copy of text, so that later changes to a mutable string do not reach the
// holder, as AppKit's copied string properties behave; nil copies as "".
Ref<NSString> copiedStringOrEmpty(const NSString* text);

class NSString : public NSObject {
  NS_OBJECT_CLASS(NSString)

  // Autoreleased constructors. Those that decode bytes return nil when the bytes are not valid
  // in the encoding.
  static NSString* string();
  static NSString* stringWithString(const NSString* other);
  static NSString* stringWithUTF8String(const char* bytes);
  static NSString* stringWithCString(const char* bytes, NSStringEncoding encoding);
  static NSString* stringWithCharacters(const unichar* characters, NSUInteger length);
  // printf-style format with %@ for objects (their description), always in the C locale.
  static NSString* stringWithFormat(const char* format, ...);
  static NSString* stringWithFormatV(const char* format, va_list arguments);
  // The JVM's modified UTF-8 (U+0000 as C0 80, supplementary characters as surrogate pairs of
  // three bytes each); nil when the bytes are not well formed.
  static NSString* stringWithModifiedUTF8(const char* bytes, std::size_t length);

  // Owned (non-autoreleased) initialisers for alloc()->init...().
  NSString* init() { return this; }
  NSString* initWithUTF16(std::u16string text);
  // nil (and the receiver released) when the data is not valid in the encoding.
  NSString* initWithData(const NSData* data, NSStringEncoding encoding);
  NSString* initWithBytes(const void* bytes, NSUInteger length, NSStringEncoding encoding);

  NSUInteger length() const { return text_.size(); }
  unichar characterAtIndex(NSUInteger index) const;
  const std::u16string& utf16() const { return text_; }

  // Bytes in an encoding, NUL-terminated, valid as long as the string lives; nullptr when the
  // text cannot be represented losslessly.
  const char* cStringUsingEncoding(NSStringEncoding encoding) const;
  const char* UTF8String() const { return cStringUsingEncoding(NSUTF8StringEncoding); }
  NSData* dataUsingEncoding(NSStringEncoding encoding) const;
  // UTF-8 as a std::string (lone surrogates become U+FFFD); for the platform's own use.
  std::string utf8() const;
  // The JVM's modified UTF-8; always succeeds.
  std::string modifiedUTF8() const;

  bool isEqualToString(const NSString* other) const;
  int intValue() const;
  double doubleValue() const;

  NSString* description() const override;
  bool isEqual(const NSObject* other) const override;
  std::size_t hash() const override;

protected:
  // Mutable subclasses call this after changing text_, so cached encodings are not stale.
  void textChanged() { encoded_.clear(); }
  std::u16string text_;

private:
  mutable std::map<NSStringEncoding, std::string> encoded_;
};

class NSMutableString : public NSString {
  NS_OBJECT_CLASS(NSMutableString)

  static NSMutableString* string();
  static NSMutableString* stringWithString(const NSString* other);
  void appendString(const NSString* other);
  void appendFormat(const char* format, ...);
  void setString(const NSString* other);
  void replaceCharactersInRange(NSRange range, const NSString* replacement);
  void deleteCharactersInRange(NSRange range);
};

// Shorthand for a literal: NSSTR("HEADER") is @"HEADER". The string is autoreleased.
NSString* NSSTR(std::string_view utf8);

// UTF-16 <-> UTF-8 helpers shared by the platform.
std::u16string NSUTF8ToUTF16(std::string_view utf8);
std::string NSUTF16ToUTF8(std::u16string_view utf16);
