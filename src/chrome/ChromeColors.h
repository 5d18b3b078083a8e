// Colours and images of the header band: colours from 8-bit components, a parser of hexadecimal
// colour texts, and PNG images from the application bundle's resources.
#pragma once

#include <cstdint>

#include "appkit/drawing/NSColor.h"
#include "appkit/drawing/NSImage.h"
#include "bridge/Export.h"

namespace brix {
// Each component divided by 255 in single precision, widened to CGFloat, alpha 1. The first
// makes a calibrated RGB colour, the second an sRGB colour (colorWithRed:green:blue:alpha:).
NSColor* colorFromCalibratedRGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
NSColor* colorFromRGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
} // namespace brix

extern "C" {
// The PNG resource of the main bundle with that name (without its extension) as a new image
// owned by the caller; nil when the bundle has no such resource or it does not load.
BRIX_EXPORT NSImage* getImage(NSString* name);

// An opaque calibrated RGB colour from a hexadecimal text such as "FF8000" or "0xFF8000": the
// scanner passes over leading white space and an optional 0x or 0X, and reads one unsigned
// 32-bit number whose low three bytes are red, green and blue (a top byte is ignored). nil, or
// a text in which no hexadecimal digit comes first ("#FF8000"), gives black.
BRIX_EXPORT NSColor* colorWithHexColorString(NSString* hexColorString);
}
