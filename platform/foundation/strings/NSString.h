// NSString: immutable Unicode text held as UTF-16 code units, so lengths and ranges count what
// Foundation counts. A string made with its text at hand keeps the text in the object's own block
// of memory, behind the object, so that a string costs one block however long it is. Conversions to
// and from bytes name their encoding; an encoding that cannot represent the text fails with
// nil/nullptr, as Foundation's do, never truncating silently.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/runtime/NSObject.h"

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
// The same for a reference the caller hands over: an immutable string is taken as it is.
Ref<NSString> copiedStringOrEmpty(Ref<NSString>&& text);

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

  // A new string owned by the caller (as alloc()->init... gives it) whose text, of length units,
  // fill writes into the string's own storage.
  template <class Fill> static NSString* newWithLength(NSUInteger length, Fill&& fill) {
    NSString* string = newWithRoom(length);
    fill(const_cast<char16_t*>(string->chars_));
    return string;
  }
  // The same for text of at most room units, whose length fill returns: for a caller that knows a
  // bound sooner than the length, such as the byte count of UTF-8.
  template <class Fill> static NSString* newWithRoomFilled(NSUInteger room, Fill&& fill) {
    NSString* string = newWithRoom(room);
    string->length_ = fill(const_cast<char16_t*>(string->chars_));
    return string;
  }
  // A new string owned by the caller holding a copy of text.
  static NSString* newWithCharacters(std::u16string_view text);

  // Owned (non-autoreleased) initialisers for alloc()->init...().
  NSString* init() { return this; }
  NSString* initWithUTF16(std::u16string_view text);
  // nil (and the receiver released) when the data is not valid in the encoding.
  NSString* initWithData(const NSData* data, NSStringEncoding encoding);
  NSString* initWithBytes(const void* bytes, NSUInteger length, NSStringEncoding encoding);

  NSUInteger length() const { return length_; }
  unichar characterAtIndex(NSUInteger index) const;
  std::u16string_view utf16() const { return {chars_, length_}; }

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

  // Every string's block records its own size in front of the object, since a string with its
  // text behind it is larger than its class.
  static void* operator new(std::size_t size) { return allocateWithHeader(size); }
  static void operator delete(void* string) { freeWithHeader(string); }

protected:
  // Mutable subclasses show their own storage through this after every change, which also drops
  // the cached encodings.
  void textChanged(std::u16string_view text) {
    chars_ = text.data();
    length_ = text.size();
    encoded_.reset();
  }

private:
  struct InlineText {
    NSUInteger length;
  };
  static void* operator new(std::size_t size, InlineText text) {
    return allocateWithHeader(size + text.length * sizeof(char16_t));
  }
  static void operator delete(void* string, InlineText) { freeWithHeader(string); }
  // A string of length units, to be written, in the string's own block. One block instead of two
  // buys: BM_JavaToNSString/20/1 66 ns, 87 with the text apart; BM_LibraryRoundTrip/20/1 169 ns,
  // 187 (bench_string_bridge, medians of 10 runs interleaved off and on).
  static NSString* newWithRoom(NSUInteger length);
  static void* allocateWithHeader(std::size_t size);
  static void freeWithHeader(void* string) noexcept;

  const char16_t* chars_ = u"";
  std::size_t length_ = 0;
  // Text handed to an initialiser after alloc(), which could not make room for it.
  std::unique_ptr<char16_t[]> separateText_;
  using EncodedTexts = std::map<NSStringEncoding, std::string>;
  mutable std::unique_ptr<EncodedTexts> encoded_;
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

private:
  std::u16string text_;
};

// Shorthand for a literal: NSSTR("HEADER") is @"HEADER". The string is autoreleased.
NSString* NSSTR(std::string_view utf8);

// UTF-16 <-> UTF-8 helpers shared by the platform.
std::u16string NSUTF8ToUTF16(std::string_view utf8);
std::string NSUTF16ToUTF8(std::u16string_view utf16);
