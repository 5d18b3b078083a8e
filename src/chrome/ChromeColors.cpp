#include "chrome/ChromeColors.h"

#include "foundation/strings/NSScanner.h"
#include "foundation/system/NSBundle.h"

namespace brix {

namespace {
// The quotient is computed in single precision on purpose: 51 gives 0.2f, which widens to
// 0.20000000298023224, and the colours of the band are defined by those values.
CGFloat component(std::uint8_t value) {
  return static_cast<CGFloat>(value / 255.0f);
}
} // namespace

NSColor* colorFromCalibratedRGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return NSColor::colorWithCalibratedRed(component(red), component(green), component(blue), 1.0);
}

NSColor* colorFromRGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return NSColor::colorWithRed(component(red), component(green), component(blue), 1.0);
}

} // namespace brix

extern "C" {

NSImage* getImage(NSString* name) {
  NSString* path = NSBundle::mainBundle()->pathForResource(name, NSSTR("png"));
  if (!path) return nullptr;
  return NSImage::alloc()->initWithContentsOfFile(path);
}

NSColor* colorWithHexColorString(NSString* hexColorString) {
  unsigned value = 0;
  // A text that does not scan leaves the value 0, which is black; the scan's answer is not
  // needed for that.
  if (hexColorString) NSScanner::scannerWithString(hexColorString)->scanHexInt(&value);
  const unsigned red = (value >> 16) & 0xFF;
  const unsigned green = (value >> 8) & 0xFF;
  const unsigned blue = value & 0xFF;
  return NSColor::colorWithCalibratedRed(red / 255.0, green / 255.0, blue / 255.0, 1.0);
}

} // extern "C"
