// NSColor: an immutable colour tagged with the colour space it was made in, as AppKit's are.
//
// Colour spaces. Calibrated RGB (AppKit's generic RGB), device RGB and sRGB are the three RGB
// spaces; calibrated white and device white are the grey spaces; the named (catalogue) colours of
// the system, such as selectedControlColor, live in the named space until converted. The headless
// display has no colour profile, so the three RGB spaces share one set of numbers: converting
// between them keeps the components, and every RGB colour draws with its components as stored.
// White converts to RGB exactly (r = g = b = white); RGB converts to white by its luma.
//
// Components. redComponent, greenComponent and blueComponent are defined only for colours in an
// RGB space (whiteComponent only for the grey spaces). AppKit raises for the others; we never
// throw, so such a call logs AppKit's complaint and answers 0. Convert first with
// colorUsingColorSpaceName / colorUsingColorSpace, which give nil when no conversion exists.
#pragma once

#include <optional>

#include "appkit/drawing/NSColorSpace.h"
#include "foundation/values/NSGeometry.h"

// Core Graphics' view of a colour, as layers hold it: RGBA components of the display's RGB
// space. An empty optional stands for a NULL CGColorRef.
struct CGColor {
  CGFloat red = 0, green = 0, blue = 0, alpha = 0;
  bool operator==(const CGColor&) const = default;
};
using CGColorRef = std::optional<CGColor>;

// Colour space names, spelled as AppKit spells them.
extern NSString* const NSCalibratedRGBColorSpace;
extern NSString* const NSDeviceRGBColorSpace;
extern NSString* const NSCalibratedWhiteColorSpace;
extern NSString* const NSDeviceWhiteColorSpace;
extern NSString* const NSNamedColorSpace;
extern NSString* const NSCustomColorSpace; // colours made with an NSColorSpace, such as sRGB

class NSColor : public NSObject {
  NS_OBJECT_CLASS(NSColor)

  // Autoreleased constructors. Components are kept as given, also outside 0...1 (extended
  // range, as AppKit keeps them since 10.12); alpha is clamped to 0...1.
  static NSColor* colorWithCalibratedRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
  static NSColor* colorWithDeviceRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
  static NSColor* colorWithSRGBRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
  // colorWithRed:green:blue:alpha: makes an sRGB colour, as it does since 10.7.
  static NSColor* colorWithRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
  static NSColor* colorWithCalibratedWhite(CGFloat white, CGFloat alpha);
  // The RGB colour of a Core Graphics colour; nil for NULL.
  static NSColor* colorWithCGColor(const CGColorRef& color);

  // Fixed colours, as AppKit defines them (each a shared, immortal instance).
  static NSColor* blackColor();  // white 0
  static NSColor* grayColor();   // white 0.5
  static NSColor* whiteColor();  // white 1
  static NSColor* clearColor();  // white 0, alpha 0
  static NSColor* redColor();    // RGB 1, 0, 0
  static NSColor* blueColor();   // RGB 0, 0, 1
  static NSColor* purpleColor(); // RGB 0.5, 0, 0.5

  // System (named) colours. Each has a light and a dark value, and takes the one of the
  // appearance it is drawn or converted in (NSAppearance::currentDrawingAppearance), as AppKit's
  // dynamic colours do. selectedControlColor follows the display's accent colour when one was
  // supplied (setAccentColor), else macOS's default blue highlight.
  static NSColor* selectedControlColor();
  static NSColor* controlAccentColor();
  static NSColor* selectedTextBackgroundColor();
  static NSColor* controlTextColor();
  static NSColor* disabledControlTextColor();
  static NSColor* windowBackgroundColor();
  static NSColor* textBackgroundColor();
  static NSColor* labelColor();
  static NSColor* tertiaryLabelColor();
  static NSColor* alternateSelectedControlTextColor(); // text on the accent colour
  // The accent colour behind selectedControlColor and controlAccentColor, in sRGB; nil restores
  // the default. The display calls this when it knows the user's accent colour.
  static void setAccentColor(NSColor* color);

  // The space's name (NSCalibratedRGBColorSpace, ...). sRGB colours answer NSCustomColorSpace.
  NSString* colorSpaceName() const;
  // The colour space object; nil for named colours, as AppKit has it.
  NSColorSpace* colorSpace() const;

  // RGB components: valid for the RGB spaces only (see above).
  CGFloat redComponent() const;
  CGFloat greenComponent() const;
  CGFloat blueComponent() const;
  // Grey component: valid for the white spaces only.
  CGFloat whiteComponent() const;
  // Alpha is valid for every colour.
  CGFloat alphaComponent() const { return alpha_; }
  // Components including alpha, as AppKit counts them: 4 for RGB, 2 for grey, 0 for named.
  NSInteger numberOfComponents() const;

  // The receiver when it is already in that space, a converted colour otherwise, nil when no
  // conversion exists (an unknown name, or the named space as target).
  NSColor* colorUsingColorSpaceName(const NSString* name) const;
  NSColor* colorUsingColorSpace(const NSColorSpace* space) const;
  // The same colour with another alpha, clamped to 0...1.
  NSColor* colorWithAlphaComponent(CGFloat alpha) const;
  // AppKit's blend: (1 - fraction) * receiver + fraction * other, in calibrated RGB; nil when
  // either colour cannot be converted.
  NSColor* blendedColorWithFraction(CGFloat fraction, const NSColor* other) const;

  // Make this the fill and stroke colour (set), or only one of them, of the current graphics
  // context; nothing happens when there is none.
  void set() const;
  void setFill() const;
  void setStroke() const;

  // The colour as Core Graphics sees it (RGBA, named and grey colours resolved).
  CGColorRef CGColor() const;
  // RGBA as drawn on the display, whatever the space, each limited to 0...1.
  struct RGBA {
    CGFloat red, green, blue, alpha;
  };
  RGBA displayRGBA() const;
  // RGBA of a named colour in the light or in the dark appearance.
  struct Shade {
    CGFloat red, green, blue, alpha;
  };

  // "NSCalibratedRGBColorSpace 1 0.5 0 1", as AppKit describes a colour.
  NSString* description() const override;
  bool isEqual(const NSObject* other) const override;
  std::size_t hash() const override;

private:
  NSColorSpaceID space_ = NSColorSpaceID::CalibratedWhite;
  CGFloat components_[3] = {0, 0, 0}; // RGB, or white in [0]
  CGFloat alpha_ = 1;
  const char* catalogName_ = nullptr; // named colours only
  // A named colour's values in a dark appearance.
  bool hasDark_ = false;
  CGFloat darkComponents_[3] = {0, 0, 0};
  CGFloat darkAlpha_ = 1;

  static NSColor* make(NSColorSpaceID space, CGFloat c0, CGFloat c1, CGFloat c2, CGFloat alpha);
  static NSColor* named(const char* name, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
  static NSColor* named(const char* name, Shade light, Shade dark);
  // The components and alpha to draw or convert with now: a named colour's dark values in a dark
  // appearance, else the stored ones.
  const CGFloat* liveComponents() const;
  CGFloat liveAlpha() const;
  bool isRGB() const;
  bool isWhite() const;
  CGFloat rgbComponent(int index, const char* selector) const;
};
