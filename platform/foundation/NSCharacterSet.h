// NSCharacterSet: an immutable set of UTF-16 characters, as scanners and trimming use them. The
// predefined sets are Foundation's; others are made from the characters of a string.
#pragma once

#include <string>

#include "foundation/NSString.h"

class NSCharacterSet : public NSObject {
  NS_OBJECT_CLASS(NSCharacterSet)

  // Shared sets that live for the life of the process.
  // Unicode general category Zs plus CHARACTER TABULATION (U+0009).
  static NSCharacterSet* whitespaceCharacterSet();
  // U+000A to U+000D, U+0085, U+2028 and U+2029.
  static NSCharacterSet* newlineCharacterSet();
  // The union of the two.
  static NSCharacterSet* whitespaceAndNewlineCharacterSet();
  // The ASCII digits 0 to 9.
  static NSCharacterSet* decimalDigitCharacterSet();

  // Autoreleased; the set of the characters of the string (empty for nil).
  static NSCharacterSet* characterSetWithCharactersInString(const NSString* characters);

  bool characterIsMember(unichar character) const;
  // Autoreleased: every character that is not in this set.
  NSCharacterSet* invertedSet() const;

private:
  enum class Kind { Characters, Whitespace, Newline, WhitespaceAndNewline, DecimalDigit };
  static NSCharacterSet* shared(Kind kind);

  Kind kind_ = Kind::Characters;
  std::u16string characters_; // sorted, for Kind::Characters
  bool inverted_ = false;
};
