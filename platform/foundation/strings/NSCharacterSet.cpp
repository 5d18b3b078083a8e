#include "foundation/strings/NSCharacterSet.h"

namespace {

bool isWhitespace(unichar c) {
  return c == 0x09 || c == 0x20 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
         c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isNewline(unichar c) {
  return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

} // namespace

NSCharacterSet* NSCharacterSet::whitespaceAndNewlineCharacterSet() {
  static NSCharacterSet* set = alloc();
  return set;
}

bool NSCharacterSet::characterIsMember(unichar c) const {
  return isWhitespace(c) || isNewline(c);
}
