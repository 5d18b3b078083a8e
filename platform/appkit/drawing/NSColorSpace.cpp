#include "appkit/drawing/NSColorSpace.h"

#include <array>

NSColorSpace* NSColorSpace::forID(NSColorSpaceID id) {
  // One immortal instance per space, made on first use: AppKit's shared spaces never go away.
  static const std::array<NSColorSpace*, 6> instances = [] {
    std::array<NSColorSpace*, 6> made{};
    for (std::size_t i = 0; i < made.size(); ++i) {
      made[i] = NSColorSpace::alloc();
      made[i]->id_ = static_cast<NSColorSpaceID>(i);
    }
    return made;
  }();
  auto index = static_cast<std::size_t>(id);
  return index < instances.size() ? instances[index] : nullptr;
}

NSColorSpace* NSColorSpace::genericRGBColorSpace() {
  return forID(NSColorSpaceID::CalibratedRGB);
}
NSColorSpace* NSColorSpace::deviceRGBColorSpace() {
  return forID(NSColorSpaceID::DeviceRGB);
}
NSColorSpace* NSColorSpace::sRGBColorSpace() {
  return forID(NSColorSpaceID::SRGB);
}
NSColorSpace* NSColorSpace::genericGrayColorSpace() {
  return forID(NSColorSpaceID::CalibratedWhite);
}
NSColorSpace* NSColorSpace::deviceGrayColorSpace() {
  return forID(NSColorSpaceID::DeviceWhite);
}

NSColorSpaceModel NSColorSpace::colorSpaceModel() const {
  switch (id_) {
  case NSColorSpaceID::CalibratedRGB:
  case NSColorSpaceID::DeviceRGB:
  case NSColorSpaceID::SRGB:
    return NSColorSpaceModelRGB;
  case NSColorSpaceID::CalibratedWhite:
  case NSColorSpaceID::DeviceWhite:
  case NSColorSpaceID::GenericGray:
    return NSColorSpaceModelGray;
  case NSColorSpaceID::Named:
    break;
  }
  return NSColorSpaceModelUnknown;
}

NSString* NSColorSpace::localizedName() const {
  switch (id_) {
  case NSColorSpaceID::CalibratedRGB:
    return NSSTR("Generic RGB");
  case NSColorSpaceID::DeviceRGB:
    return NSSTR("Device RGB");
  case NSColorSpaceID::SRGB:
    return NSSTR("sRGB IEC61966-2.1");
  case NSColorSpaceID::CalibratedWhite:
    return NSSTR("Generic Gray");
  case NSColorSpaceID::DeviceWhite:
    return NSSTR("Device Gray");
  case NSColorSpaceID::GenericGray:
    return NSSTR("Generic Gray Gamma 2.2");
  case NSColorSpaceID::Named:
    break;
  }
  return NSSTR("Named");
}

NSString* NSColorSpace::description() const {
  return NSString::stringWithFormat("%@ colorspace", localizedName());
}
