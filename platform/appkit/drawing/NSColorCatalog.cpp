// NSColor's fixed colours and the system (catalogue) colours of the light appearance.
#include <mutex>

#include "appkit/drawing/NSColor.h"

namespace {

// macOS's light-appearance accent (the default blue) and the highlight behind selections.
constexpr CGFloat kDefaultAccent[3] = {0.0, 0.478, 1.0};
constexpr CGFloat kDefaultHighlight[3] = {0.70, 0.84, 1.00};
// A selection highlight is the accent colour lightened this far toward white.
constexpr CGFloat kHighlightWhiteFraction = 0.7;

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
  if (suppliedAccent)
    return static_cast<NSColor*>(named("controlAccentColor", suppliedAccent->components_[0],
                                       suppliedAccent->components_[1],
                                       suppliedAccent->components_[2], 1)
                                     ->autorelease());
  NS_SHARED_COLOR(
      named("controlAccentColor", kDefaultAccent[0], kDefaultAccent[1], kDefaultAccent[2], 1));
}

NSColor* NSColor::selectedControlColor() {
  std::lock_guard lock(accentMutex);
  if (suppliedAccent) {
    auto lighten = [](CGFloat c) {
      return c * (1 - kHighlightWhiteFraction) + kHighlightWhiteFraction;
    };
    return static_cast<NSColor*>(
        named("selectedControlColor", lighten(suppliedAccent->components_[0]),
              lighten(suppliedAccent->components_[1]), lighten(suppliedAccent->components_[2]), 1)
            ->autorelease());
  }
  NS_SHARED_COLOR(named("selectedControlColor", kDefaultHighlight[0], kDefaultHighlight[1],
                        kDefaultHighlight[2], 1));
}

NSColor* NSColor::selectedTextBackgroundColor() {
  NSColor* highlight = selectedControlColor();
  return static_cast<NSColor*>(named("selectedTextBackgroundColor", highlight->components_[0],
                                     highlight->components_[1], highlight->components_[2], 1)
                                   ->autorelease());
}

// The light appearance's system colours, as sRGB values.
NSColor* NSColor::controlTextColor() {
  NS_SHARED_COLOR(named("controlTextColor", 0, 0, 0, 0.85));
}
NSColor* NSColor::disabledControlTextColor() {
  NS_SHARED_COLOR(named("disabledControlTextColor", 0, 0, 0, 0.25));
}
NSColor* NSColor::windowBackgroundColor() {
  NS_SHARED_COLOR(named("windowBackgroundColor", 0.925, 0.925, 0.925, 1));
}
NSColor* NSColor::textBackgroundColor() {
  NS_SHARED_COLOR(named("textBackgroundColor", 1, 1, 1, 1));
}
NSColor* NSColor::labelColor() {
  NS_SHARED_COLOR(named("labelColor", 0, 0, 0, 0.85));
}
NSColor* NSColor::tertiaryLabelColor() {
  NS_SHARED_COLOR(named("tertiaryLabelColor", 0, 0, 0, 0.26));
}
NSColor* NSColor::alternateSelectedControlTextColor() {
  NS_SHARED_COLOR(named("alternateSelectedControlTextColor", 1, 1, 1, 1));
}

#undef NS_SHARED_COLOR
