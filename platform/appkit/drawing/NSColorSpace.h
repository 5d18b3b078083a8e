// NSColorSpace: the colour spaces the platform knows. The display has no colour profile, so the
// RGB spaces differ only in name (see NSColor.h).
#pragma once

#include "foundation/strings/NSString.h"

enum class NSColorSpaceID {
  CalibratedRGB,
  DeviceRGB,
  SRGB,
  CalibratedWhite,
  DeviceWhite,
  GenericGray,
  Named
};

enum NSColorSpaceModel : NSInteger {
  NSColorSpaceModelUnknown = -1,
  NSColorSpaceModelGray = 0,
  NSColorSpaceModelRGB = 1,
};

class NSColorSpace : public NSObject {
  NS_OBJECT_CLASS(NSColorSpace)

  // Shared, immortal instances.
  static NSColorSpace* genericRGBColorSpace(); // the calibrated RGB space
  static NSColorSpace* deviceRGBColorSpace();
  static NSColorSpace* sRGBColorSpace();
  static NSColorSpace* genericGrayColorSpace(); // the calibrated white space
  static NSColorSpace* deviceGrayColorSpace();
  static NSColorSpace* forID(NSColorSpaceID id);

  NSColorSpaceID spaceID() const { return id_; }
  NSColorSpaceModel colorSpaceModel() const;
  // "Generic RGB", "Device RGB", "sRGB IEC61966-2.1", "Generic Gray", ...
  NSString* localizedName() const;
  NSString* description() const override;

private:
  NSColorSpaceID id_ = NSColorSpaceID::SRGB;
};
