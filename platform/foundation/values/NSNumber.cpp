#include "foundation/values/NSNumber.h"

#include <climits>
#include <cmath>
#include <functional>

namespace {
NSNumber* boxed(NSNumber* number) {
  return static_cast<NSNumber*>(number->autorelease());
}
} // namespace

NSNumber* NSNumber::numberWithBool(bool value) {
  auto* n = alloc();
  n->kind_ = Kind::Bool;
  n->value_.b = value;
  return boxed(n);
}

NSNumber* NSNumber::numberWithLongLong(long long value) {
  auto* n = alloc();
  n->kind_ = Kind::Int;
  n->value_.i = value;
  return boxed(n);
}

NSNumber* NSNumber::numberWithUnsignedLongLong(unsigned long long value) {
  auto* n = alloc();
  n->kind_ = Kind::UInt;
  n->value_.u = value;
  return boxed(n);
}

NSNumber* NSNumber::numberWithDouble(double value) {
  auto* n = alloc();
  n->kind_ = Kind::Double;
  n->value_.d = value;
  return boxed(n);
}

int NSNumber::intValue() const {
  switch (kind_) {
  case Kind::Bool:
    return value_.b ? 1 : 0;
  case Kind::Int:
    return static_cast<int>(static_cast<unsigned long long>(value_.i) & 0xFFFFFFFFull);
  case Kind::UInt:
    return static_cast<int>(value_.u & 0xFFFFFFFFull);
  case Kind::Double: {
    const double d = value_.d;
    if (std::isnan(d) || d >= 2147483648.0 || d <= -2147483649.0) return INT_MIN;
    return static_cast<int>(d);
  }
  }
  return 0;
}

long long NSNumber::longLongValue() const {
  switch (kind_) {
  case Kind::Bool:
    return value_.b;
  case Kind::Int:
    return value_.i;
  case Kind::UInt:
    return static_cast<long long>(value_.u);
  case Kind::Double:
    if (std::isnan(value_.d) || std::fabs(value_.d) >= 9.2e18) return LLONG_MIN;
    return static_cast<long long>(value_.d);
  }
  return 0;
}

double NSNumber::doubleValue() const {
  switch (kind_) {
  case Kind::Bool:
    return value_.b;
  case Kind::Int:
    return static_cast<double>(value_.i);
  case Kind::UInt:
    return static_cast<double>(value_.u);
  case Kind::Double:
    return value_.d;
  }
  return 0;
}

bool NSNumber::boolValue() const {
  return kind_ == Kind::Double ? value_.d != 0 : longLongValue() != 0;
}

NSString* NSNumber::description() const {
  switch (kind_) {
  case Kind::Bool:
    return NSString::stringWithFormat("%d", value_.b ? 1 : 0);
  case Kind::Int:
    return NSString::stringWithFormat("%lld", value_.i);
  case Kind::UInt:
    return NSString::stringWithFormat("%llu", value_.u);
  case Kind::Double:
    return NSString::stringWithFormat("%.17g", value_.d);
  }
  return NSString::string();
}

bool NSNumber::isEqual(const NSObject* other) const {
  auto* number = ns_cast<NSNumber>(other);
  if (!number) return false;
  if (kind_ == Kind::Double || number->kind_ == Kind::Double)
    return doubleValue() == number->doubleValue();
  if (kind_ == Kind::UInt || number->kind_ == Kind::UInt)
    return longLongValue() == number->longLongValue() &&
           (longLongValue() >= 0 || kind_ == number->kind_);
  return longLongValue() == number->longLongValue();
}

std::size_t NSNumber::hash() const {
  return std::hash<double>{}(doubleValue());
}

NSNull* NSNull::null() {
  // The one instance lives for the life of the process.
  static NSNull* instance = new NSNull();
  return instance;
}

NSString* NSNull::description() const {
  return NSSTR("<null>");
}
