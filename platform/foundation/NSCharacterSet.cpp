#include "foundation/NSCharacterSet.h"

#include <algorithm>

namespace {

bool isWhitespace(unichar c) {
  return c == 0x09 || c == 0x20 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
         c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isNewline(unichar c) {
  return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

} // namespace

NSCharacterSet* NSCharacterSet::shared(Kind kind) {
  auto* set = alloc();
  set->kind_ = kind;
  return set;
}

NSCharacterSet* NSCharacterSet::whitespaceCharacterSet() {
  static NSCharacterSet* set = shared(Kind::Whitespace);
  return set;
}

NSCharacterSet* NSCharacterSet::newlineCharacterSet() {
  static NSCharacterSet* set = shared(Kind::Newline);
  return set;
}

NSCharacterSet* NSCharacterSet::whitespaceAndNewlineCharacterSet() {
  static NSCharacterSet* set = shared(Kind::WhitespaceAndNewline);
  return set;
}

NSCharacterSet* NSCharacterSet::decimalDigitCharacterSet() {
  static NSCharacterSet* set = shared(Kind::DecimalDigit);
  return set;
}

NSCharacterSet* NSCharacterSet::characterSetWithCharactersInString(const NSString* characters) {
  auto* set = alloc();
  if (characters) {
    set->characters_ = characters->utf16();
    std::sort(set->characters_.begin(), set->characters_.end());
  }
  return static_cast<NSCharacterSet*>(set->autorelease());
}

bool NSCharacterSet::characterIsMember(unichar c) const {
  bool member = false;
  switch (kind_) {
  case Kind::Characters:
    member = std::binary_search(characters_.begin(), characters_.end(), c);
    break;
  case Kind::Whitespace:
    member = isWhitespace(c);
    break;
  case Kind::Newline:
    member = isNewline(c);
    break;
  case Kind::WhitespaceAndNewline:
    member = isWhitespace(c) || isNewline(c);
    break;
  case Kind::DecimalDigit:
    member = c >= u'0' && c <= u'9';
    break;
  }
  return member != inverted_;
}

NSCharacterSet* NSCharacterSet::invertedSet() const {
  auto* set = alloc();
  set->kind_ = kind_;
  set->characters_ = characters_;
  set->inverted_ = !inverted_;
  return static_cast<NSCharacterSet*>(set->autorelease());
}
