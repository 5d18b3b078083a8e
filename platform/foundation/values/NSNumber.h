// NSNumber: a boxed boolean, integer or floating-point value.
#pragma once

#include <cstdint>

#include "foundation/strings/NSString.h"

class NSNumber : public NSObject {
  NS_OBJECT_CLASS(NSNumber)

  enum class Kind { Bool, Int, UInt, Double };

  static NSNumber* numberWithBool(bool value);
  static NSNumber* numberWithInt(int value) { return numberWithLongLong(value); }
  static NSNumber* numberWithLongLong(long long value);
  static NSNumber* numberWithUnsignedLongLong(unsigned long long value);
  static NSNumber* numberWithDouble(double value);

  Kind kind() const { return kind_; }
  // As Foundation converts: integers keep their low 32 bits, doubles truncate toward zero,
  // NaN and doubles out of range give INT_MIN (what x86-64 gives), booleans 0 or 1.
  int intValue() const;
  long long longLongValue() const;
  double doubleValue() const;
  bool boolValue() const;

  NSString* description() const override;
  bool isEqual(const NSObject* other) const override;
  std::size_t hash() const override;

private:
  Kind kind_ = Kind::Int;
  union {
    bool b;
    long long i;
    unsigned long long u;
    double d;
  } value_{};
};

// NSNull: the singleton that stands for null inside collections.
class NSNull : public NSObject {
public:
  static NSNull* null();
  const char* className() const override { return "NSNull"; }
  NSString* description() const override;

private:
  NSNull() = default;
};
