// NSJSONSerialization: JSON text to Foundation objects and back.
//
// Reading is strict JSON (RFC 8259) as Foundation reads it: the top level is an array or an
// object unless fragments are allowed; a trailing comma before a closing bracket or brace is
// tolerated; of duplicate keys the last one wins; at most 512 arrays and objects may nest; text
// that is not valid UTF-8 (or UTF-16/UTF-32, detected from a byte-order mark or the pattern of
// zero bytes, as Foundation detects them), raw control characters in strings, leading zeros and
// numbers that overflow a double are errors, and so is an escaped surrogate that is not half of
// a pair ("\ud800" alone, or "\udc00"). Every failure is reported through the error argument,
// never thrown.
//
// Results: arrays are NSMutableArray and objects NSMutableDictionary (with or without the
// mutable-containers option); strings are NSString, or NSMutableString with the mutable-leaves
// option; integers that fit 64 bits are integer NSNumbers (signed, or unsigned above INT64_MAX),
// larger integers and numbers with a fraction or an exponent are double NSNumbers ("-0" is the
// integer 0, "-0.0" the double -0.0); true and false are boolean NSNumbers; null is NSNull.
#pragma once

#include "foundation/system/NSError.h"
#include "foundation/values/NSData.h"

enum NSJSONReadingOptions : NSUInteger {
  NSJSONReadingMutableContainers = 1 << 0,
  NSJSONReadingMutableLeaves = 1 << 1,
  NSJSONReadingFragmentsAllowed = 1 << 2,
  NSJSONReadingAllowFragments = NSJSONReadingFragmentsAllowed,
};

enum NSJSONWritingOptions : NSUInteger {
  NSJSONWritingPrettyPrinted = 1 << 0,
  NSJSONWritingSortedKeys = 1 << 1,
  NSJSONWritingFragmentsAllowed = 1 << 2,
  NSJSONWritingWithoutEscapingSlashes = 1 << 3,
};

// The userInfo key of the byte offset at which reading failed, where it is known.
extern NSString* const NSJSONSerializationErrorIndex;

class NSJSONSerialization : public NSObject {
  NS_OBJECT_CLASS(NSJSONSerialization)

  // The deepest nesting of arrays and objects that reading accepts (and writing produces).
  static constexpr std::size_t kMaximumNestingDepth = 512;

  // The object the text describes, autoreleased; nil and an NSCocoaErrorDomain error (code
  // NSPropertyListReadCorruptError, the reason under NSDebugDescriptionErrorKey) when it does
  // not parse. Nil data is a failure like any other.
  static NSObject* JSONObjectWithData(const NSData* data, NSUInteger options, NSError** error);

  // UTF-8 JSON text for a tree of NSArray, NSDictionary (string keys), NSString, NSNumber
  // (finite) and NSNull, autoreleased; nil and an error (code NSPropertyListWriteInvalidError)
  // for anything else, a top level that is neither an array nor a dictionary without the
  // fragments option, or nesting deeper than kMaximumNestingDepth (which also stops cycles).
  // Compact by default; pretty printing indents by two spaces and writes "key" : value.
  static NSData* dataWithJSONObject(const NSObject* object, NSUInteger options, NSError** error);
  static bool isValidJSONObject(const NSObject* object);
};
