#include "appkit/drawing/NSColor.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "appkit/drawing/NSAppearance.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "foundation/system/NSLog.h"

namespace {

// A string constant that lives for the whole process.
NSString* immortalString(const char16_t* text) {
  return NSString::alloc()->initWithUTF16(text);
}

// Limits to 0...1; NaN, which no colour can show, becomes 0.
CGFloat clampUnit(CGFloat value) {
  return std::isnan(value) ? 0 : std::clamp<CGFloat>(value, 0, 1);
}

// Luma weights for turning an RGB colour into a grey one.
constexpr CGFloat kLumaRed = 0.299, kLumaGreen = 0.587, kLumaBlue = 0.114;

} // namespace

NSString* const NSCalibratedRGBColorSpace = immortalString(u"NSCalibratedRGBColorSpace");
NSString* const NSDeviceRGBColorSpace = immortalString(u"NSDeviceRGBColorSpace");
NSString* const NSCalibratedWhiteColorSpace = immortalString(u"NSCalibratedWhiteColorSpace");
NSString* const NSDeviceWhiteColorSpace = immortalString(u"NSDeviceWhiteColorSpace");
NSString* const NSNamedColorSpace = immortalString(u"NSNamedColorSpace");
NSString* const NSCustomColorSpace = immortalString(u"NSCustomColorSpace");

// MARK: construction

NSColor* NSColor::make(NSColorSpaceID space, CGFloat c0, CGFloat c1, CGFloat c2, CGFloat alpha) {
  auto* color = NSColor::alloc();
  color->space_ = space;
  color->components_[0] = c0;
  color->components_[1] = c1;
  color->components_[2] = c2;
  color->alpha_ = clampUnit(alpha);
  return color;
}

NSColor* NSColor::named(const char* name, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  NSColor* color = make(NSColorSpaceID::Named, red, green, blue, alpha);
  color->catalogName_ = name;
  return color;
}

NSColor* NSColor::named(const char* name, Shade light, Shade dark) {
  NSColor* color = named(name, light.red, light.green, light.blue, light.alpha);
  color->hasDark_ = true;
  color->darkComponents_[0] = dark.red;
  color->darkComponents_[1] = dark.green;
  color->darkComponents_[2] = dark.blue;
  color->darkAlpha_ = clampUnit(dark.alpha);
  return color;
}

const CGFloat* NSColor::liveComponents() const {
  if (hasDark_ && NSAppearance::currentDrawingAppearance()->isDark()) return darkComponents_;
  return components_;
}

CGFloat NSColor::liveAlpha() const {
  if (hasDark_ && NSAppearance::currentDrawingAppearance()->isDark()) return darkAlpha_;
  return alpha_;
}

NSColor* NSColor::colorWithCalibratedRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  return static_cast<NSColor*>(
      make(NSColorSpaceID::CalibratedRGB, red, green, blue, alpha)->autorelease());
}
NSColor* NSColor::colorWithDeviceRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  return static_cast<NSColor*>(
      make(NSColorSpaceID::DeviceRGB, red, green, blue, alpha)->autorelease());
}
NSColor* NSColor::colorWithSRGBRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  return static_cast<NSColor*>(make(NSColorSpaceID::SRGB, red, green, blue, alpha)->autorelease());
}
NSColor* NSColor::colorWithRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  return colorWithSRGBRed(red, green, blue, alpha);
}
NSColor* NSColor::colorWithCalibratedWhite(CGFloat white, CGFloat alpha) {
  return static_cast<NSColor*>(
      make(NSColorSpaceID::CalibratedWhite, white, 0, 0, alpha)->autorelease());
}

NSColor* NSColor::colorWithCGColor(const CGColorRef& color) {
  if (!color) return nullptr;
  return colorWithSRGBRed(color->red, color->green, color->blue, color->alpha);
}

// MARK: spaces and components

bool NSColor::isRGB() const {
  return space_ == NSColorSpaceID::CalibratedRGB || space_ == NSColorSpaceID::DeviceRGB ||
         space_ == NSColorSpaceID::SRGB;
}

bool NSColor::isWhite() const {
  return space_ == NSColorSpaceID::CalibratedWhite || space_ == NSColorSpaceID::DeviceWhite ||
         space_ == NSColorSpaceID::GenericGray;
}

NSString* NSColor::colorSpaceName() const {
  switch (space_) {
  case NSColorSpaceID::CalibratedRGB:
    return NSCalibratedRGBColorSpace;
  case NSColorSpaceID::DeviceRGB:
    return NSDeviceRGBColorSpace;
  case NSColorSpaceID::CalibratedWhite:
    return NSCalibratedWhiteColorSpace;
  case NSColorSpaceID::DeviceWhite:
    return NSDeviceWhiteColorSpace;
  case NSColorSpaceID::Named:
    return NSNamedColorSpace;
  case NSColorSpaceID::SRGB:
  case NSColorSpaceID::GenericGray:
    break;
  }
  return NSCustomColorSpace;
}

NSColorSpace* NSColor::colorSpace() const {
  return NSColorSpace::forID(space_);
}

CGFloat NSColor::rgbComponent(int index, const char* selector) const {
  if (isRGB()) return components_[index];
  // AppKit raises here; we never throw, so the caller learns of its mistake from the log.
  NSLog("*** -%s not valid for the NSColor %@; need to first convert colorspace.", selector,
        description());
  return 0;
}

CGFloat NSColor::redComponent() const {
  return rgbComponent(0, "redComponent");
}
CGFloat NSColor::greenComponent() const {
  return rgbComponent(1, "greenComponent");
}
CGFloat NSColor::blueComponent() const {
  return rgbComponent(2, "blueComponent");
}

CGFloat NSColor::whiteComponent() const {
  if (isWhite()) return components_[0];
  NSLog("*** -whiteComponent not valid for the NSColor %@; need to first convert colorspace.",
        description());
  return 0;
}

NSInteger NSColor::numberOfComponents() const {
  if (isRGB()) return 4;
  if (isWhite()) return 2;
  return 0;
}

NSColor* NSColor::colorUsingColorSpace(const NSColorSpace* space) const {
  if (!space) return nullptr;
  NSColorSpaceID target = space->spaceID();
  if (target == space_) return const_cast<NSColor*>(this);
  NSColor* converted = nullptr;
  const CGFloat* c = liveComponents();
  const CGFloat alpha = liveAlpha();
  switch (space->colorSpaceModel()) {
  case NSColorSpaceModelRGB:
    // Components convert as they are, extended range included; grey spreads to all three.
    converted =
        isWhite() ? make(target, c[0], c[0], c[0], alpha) : make(target, c[0], c[1], c[2], alpha);
    break;
  case NSColorSpaceModelGray: {
    CGFloat white = isWhite() ? c[0] : kLumaRed * c[0] + kLumaGreen * c[1] + kLumaBlue * c[2];
    converted = make(target, white, 0, 0, alpha);
    break;
  }
  default:
    return nullptr;
  }
  return static_cast<NSColor*>(converted->autorelease());
}

NSColor* NSColor::colorUsingColorSpaceName(const NSString* name) const {
  if (!name) return nullptr;
  if (name->isEqualToString(colorSpaceName())) return const_cast<NSColor*>(this);
  if (name->isEqualToString(NSCalibratedRGBColorSpace))
    return colorUsingColorSpace(NSColorSpace::genericRGBColorSpace());
  if (name->isEqualToString(NSDeviceRGBColorSpace))
    return colorUsingColorSpace(NSColorSpace::deviceRGBColorSpace());
  if (name->isEqualToString(NSCalibratedWhiteColorSpace))
    return colorUsingColorSpace(NSColorSpace::genericGrayColorSpace());
  if (name->isEqualToString(NSDeviceWhiteColorSpace))
    return colorUsingColorSpace(NSColorSpace::deviceGrayColorSpace());
  return nullptr;
}

NSColor* NSColor::colorWithAlphaComponent(CGFloat alpha) const {
  NSColor* copy = make(space_, components_[0], components_[1], components_[2], alpha);
  copy->catalogName_ = catalogName_;
  copy->hasDark_ = hasDark_;
  std::copy(std::begin(darkComponents_), std::end(darkComponents_), copy->darkComponents_);
  copy->darkAlpha_ = copy->alpha_;
  return static_cast<NSColor*>(copy->autorelease());
}

NSColor* NSColor::blendedColorWithFraction(CGFloat fraction, const NSColor* other) const {
  if (!other) return nullptr;
  NSColor* from = colorUsingColorSpace(NSColorSpace::genericRGBColorSpace());
  NSColor* to = other->colorUsingColorSpace(NSColorSpace::genericRGBColorSpace());
  if (!from || !to) return nullptr;
  fraction = clampUnit(fraction);
  auto mix = [fraction](CGFloat a, CGFloat b) { return a * (1 - fraction) + b * fraction; };
  return colorWithCalibratedRed(
      mix(from->components_[0], to->components_[0]), mix(from->components_[1], to->components_[1]),
      mix(from->components_[2], to->components_[2]), mix(from->alpha_, to->alpha_));
}

NSColor::RGBA NSColor::displayRGBA() const {
  // The display shows 0...1 only: extended components are limited here, not in the colour.
  const CGFloat* c = liveComponents();
  const CGFloat alpha = liveAlpha();
  if (isWhite()) {
    CGFloat white = clampUnit(c[0]);
    return {white, white, white, alpha};
  }
  return {clampUnit(c[0]), clampUnit(c[1]), clampUnit(c[2]), alpha};
}

CGColorRef NSColor::CGColor() const {
  RGBA rgba = displayRGBA();
  return ::CGColor{rgba.red, rgba.green, rgba.blue, rgba.alpha};
}

// MARK: drawing

void NSColor::set() const {
  if (NSGraphicsContext* context = NSGraphicsContext::currentContext()) {
    context->setFillColor(this);
    context->setStrokeColor(this);
  }
}

void NSColor::setFill() const {
  if (NSGraphicsContext* context = NSGraphicsContext::currentContext()) context->setFillColor(this);
}

void NSColor::setStroke() const {
  if (NSGraphicsContext* context = NSGraphicsContext::currentContext())
    context->setStrokeColor(this);
}

// MARK: identity

NSString* NSColor::description() const {
  if (space_ == NSColorSpaceID::Named)
    return NSString::stringWithFormat("Catalog color: System %s", catalogName_);
  // Custom spaces print their own description, the named AppKit spaces their name.
  NSString* space = (space_ == NSColorSpaceID::SRGB || space_ == NSColorSpaceID::GenericGray)
                        ? colorSpace()->description()
                        : colorSpaceName();
  if (isWhite()) return NSString::stringWithFormat("%@ %g %g", space, components_[0], alpha_);
  return NSString::stringWithFormat("%@ %g %g %g %g", space, components_[0], components_[1],
                                    components_[2], alpha_);
}

bool NSColor::isEqual(const NSObject* other) const {
  const auto* color = ns_cast<NSColor>(other);
  if (!color) return false;
  if (color == this) return true;
  bool sameName = catalogName_ == color->catalogName_ ||
                  (catalogName_ && color->catalogName_ &&
                   std::string_view(catalogName_) == color->catalogName_);
  return space_ == color->space_ && sameName && alpha_ == color->alpha_ &&
         std::equal(std::begin(components_), std::end(components_), color->components_);
}

std::size_t NSColor::hash() const {
  std::size_t seed = static_cast<std::size_t>(space_);
  for (CGFloat value : components_)
    seed = seed * 31 + std::hash<CGFloat>{}(value);
  return seed * 31 + std::hash<CGFloat>{}(alpha_);
}
