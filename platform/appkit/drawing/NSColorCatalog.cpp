// NSColor's fixed colours and the system (catalogue) colours, light and dark.
#include <mutex>

#include "appkit/drawing/NSColor.h"

namespace {

// macOS's accent (the default blue) and the highlight behind selections, light and dark.
constexpr NSColor::Shade kDefaultAccent{0.0, 0.478, 1.0, 1},
    kDefaultDarkAccent{0.039, 0.518, 1.0, 1};
constexpr NSColor::Shade kDefaultHighlight{0.70, 0.84, 1.00, 1};
constexpr NSColor::Shade kDefaultDarkHighlight{0.247, 0.388, 0.545, 1};
// A selection highlight is the accent colour lightened this far toward white; in the dark, the
// accent colour at this strength over black.
constexpr CGFloat kHighlightWhiteFraction = 0.7, kDarkHighlightStrength = 0.55;

std::mutex accentMutex;
NSColor* suppliedAccent = nullptr; // retained; nil = the default accent

} // namespace

// An immortal colour made once, on first use, by the given expression.
#define NS_SHARED_COLOR(expression)                                                                \
  static NSColor* const shared = (expression);                                                     \
  return shared

NSColor* NSColor::blackColor() {
  NS_SHARED_COLOR(make(NSColorSpaceID::CalibratedWhite, 0, 0, 0, 1));
}
NSColor* NSColor::grayColor() {
  NS_SHARED_COLOR(make(NSColorSpaceID::CalibratedWhite, 0.5, 0, 0, 1));
}
NSColor* NSColor::whiteColor() {
  NS_SHARED_COLOR(make(NSColorSpaceID::CalibratedWhite, 1, 0, 0, 1));
}
NSColor* NSColor::clearColor() {
  NS_SHARED_COLOR(make(NSColorSpaceID::CalibratedWhite, 0, 0, 0, 0));
}
NSColor* NSColor::redColor() {
  NS_SHARED_COLOR(make(NSColorSpaceID::CalibratedRGB, 1, 0, 0, 1));
}
NSColor* NSColor::blueColor() {
  NS_SHARED_COLOR(make(NSColorSpaceID::CalibratedRGB, 0, 0, 1, 1));
}
NSColor* NSColor::purpleColor() {
  NS_SHARED_COLOR(make(NSColorSpaceID::CalibratedRGB, 0.5, 0, 0.5, 1));
}

void NSColor::setAccentColor(NSColor* color) {
  NSColor* rgb = color ? color->colorUsingColorSpace(NSColorSpace::sRGBColorSpace()) : nullptr;
  if (rgb) rgb->retain();
  std::lock_guard lock(accentMutex);
  if (suppliedAccent) suppliedAccent->release();
  suppliedAccent = rgb;
}

NSColor* NSColor::controlAccentColor() {
  std::lock_guard lock(accentMutex);
  if (suppliedAccent) {
    const Shade accent{suppliedAccent->components_[0], suppliedAccent->components_[1],
                       suppliedAccent->components_[2], 1};
    return static_cast<NSColor*>(named("controlAccentColor", accent, accent)->autorelease());
  }
  NS_SHARED_COLOR(named("controlAccentColor", kDefaultAccent, kDefaultDarkAccent));
}

NSColor* NSColor::selectedControlColor() {
  std::lock_guard lock(accentMutex);
  if (suppliedAccent) {
    const CGFloat* accent = suppliedAccent->components_;
    auto lighten = [](CGFloat c) {
      return c * (1 - kHighlightWhiteFraction) + kHighlightWhiteFraction;
    };
    auto darken = [](CGFloat c) { return c * kDarkHighlightStrength; };
    return static_cast<NSColor*>(
        named("selectedControlColor",
              Shade{lighten(accent[0]), lighten(accent[1]), lighten(accent[2]), 1},
              Shade{darken(accent[0]), darken(accent[1]), darken(accent[2]), 1})
            ->autorelease());
  }
  NS_SHARED_COLOR(named("selectedControlColor", kDefaultHighlight, kDefaultDarkHighlight));
}

NSColor* NSColor::selectedTextBackgroundColor() {
  NSColor* highlight = selectedControlColor();
  const CGFloat* light = highlight->components_;
  const CGFloat* dark = highlight->darkComponents_;
  return static_cast<NSColor*>(named("selectedTextBackgroundColor",
                                     Shade{light[0], light[1], light[2], 1},
                                     Shade{dark[0], dark[1], dark[2], 1})
                                   ->autorelease());
}

// The system colours as sRGB values, light and dark as macOS gives them.
NSColor* NSColor::controlTextColor() {
  NS_SHARED_COLOR(named("controlTextColor", {0, 0, 0, 0.85}, {1, 1, 1, 0.85}));
}
NSColor* NSColor::disabledControlTextColor() {
  NS_SHARED_COLOR(named("disabledControlTextColor", {0, 0, 0, 0.25}, {1, 1, 1, 0.25}));
}
NSColor* NSColor::windowBackgroundColor() {
  NS_SHARED_COLOR(
      named("windowBackgroundColor", {0.925, 0.925, 0.925, 1}, {0.196, 0.196, 0.196, 1}));
}
NSColor* NSColor::textBackgroundColor() {
  NS_SHARED_COLOR(named("textBackgroundColor", {1, 1, 1, 1}, {0.118, 0.118, 0.118, 1}));
}
NSColor* NSColor::labelColor() {
  NS_SHARED_COLOR(named("labelColor", {0, 0, 0, 0.85}, {1, 1, 1, 0.85}));
}
NSColor* NSColor::tertiaryLabelColor() {
  NS_SHARED_COLOR(named("tertiaryLabelColor", {0, 0, 0, 0.26}, {1, 1, 1, 0.25}));
}
NSColor* NSColor::alternateSelectedControlTextColor() {
  NS_SHARED_COLOR(named("alternateSelectedControlTextColor", {1, 1, 1, 1}, {1, 1, 1, 1}));
}

#undef NS_SHARED_COLOR
