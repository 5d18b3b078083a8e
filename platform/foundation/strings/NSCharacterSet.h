// NSCharacterSet: an immutable set of UTF-16 characters, as scanners and trimming use them. The
// one set the platform needs is Foundation's whitespace-and-newline set.
#pragma once

#include "foundation/strings/NSString.h"

class NSCharacterSet : public NSObject {
  NS_OBJECT_CLASS(NSCharacterSet)

  // Shared, lives for the life of the process: Unicode general category Zs, CHARACTER
  // TABULATION (U+0009), U+000A to U+000D, U+0085, U+2028 and U+2029.
  static NSCharacterSet* whitespaceAndNewlineCharacterSet();

  bool characterIsMember(unichar character) const;
};
