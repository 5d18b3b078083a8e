// NSData: an immutable run of bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/strings/NSString.h"

class NSData : public NSObject {
  NS_OBJECT_CLASS(NSData)

  static NSData* data();
  static NSData* dataWithBytes(const void* bytes, NSUInteger length);
  static NSData* dataWithVector(std::vector<uint8_t> bytes);
  // nil when the file cannot be read.
  static NSData* dataWithContentsOfFile(const NSString* path);
  NSData* initWithBytes(const void* bytes, NSUInteger length);

  const uint8_t* bytes() const { return bytes_.data(); }
  NSUInteger length() const { return bytes_.size(); }
  bool writeToFile(const NSString* path, bool atomically) const;

  bool isEqual(const NSObject* other) const override;

protected:
  std::vector<uint8_t> bytes_;
};

class NSMutableData : public NSData {
  NS_OBJECT_CLASS(NSMutableData)
  static NSMutableData* data();
  void appendBytes(const void* bytes, NSUInteger length);
};
