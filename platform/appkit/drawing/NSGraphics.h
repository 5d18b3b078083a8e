// Drawing functions and constants of AppKit's NSGraphics: compositing operations and the
// rectangle fills and frames that controls draw with. All of them draw into the current
// NSGraphicsContext and do nothing when there is none.
#pragma once

#include "foundation/values/NSGeometry.h"

enum NSCompositingOperation : NSUInteger {
  NSCompositingOperationClear = 0,
  NSCompositingOperationCopy = 1,
  NSCompositingOperationSourceOver = 2,
  NSCompositingOperationSourceIn = 3,
  NSCompositingOperationSourceOut = 4,
  NSCompositingOperationSourceAtop = 5,
  NSCompositingOperationDestinationOver = 6,
  NSCompositingOperationDestinationIn = 7,
  NSCompositingOperationDestinationOut = 8,
  NSCompositingOperationDestinationAtop = 9,
  NSCompositingOperationXOR = 10,
  NSCompositingOperationPlusDarker = 11,
  NSCompositingOperationPlusLighter = 13,
  NSCompositingOperationMultiply = 14,
  NSCompositingOperationScreen = 15,
  NSCompositingOperationOverlay = 16,
  NSCompositingOperationDarken = 17,
  NSCompositingOperationLighten = 18,
  NSCompositingOperationColorDodge = 19,
  NSCompositingOperationColorBurn = 20,
  NSCompositingOperationSoftLight = 21,
  NSCompositingOperationHardLight = 22,
  NSCompositingOperationDifference = 23,
  NSCompositingOperationExclusion = 24,
  NSCompositingOperationHue = 25,
  NSCompositingOperationSaturation = 26,
  NSCompositingOperationColor = 27,
  NSCompositingOperationLuminosity = 28,
};
// The older names, still common in AppKit code.
constexpr NSCompositingOperation NSCompositeClear = NSCompositingOperationClear;
constexpr NSCompositingOperation NSCompositeCopy = NSCompositingOperationCopy;
constexpr NSCompositingOperation NSCompositeSourceOver = NSCompositingOperationSourceOver;

// Fills the rectangle with the current fill colour, compositing with the context's current
// operation (NSRectFill) or the given one.
void NSRectFill(NSRect rect);
void NSRectFillUsingOperation(NSRect rect, NSCompositingOperation operation);
// Frames the rectangle with a border of the given width drawn inside it, in the current fill
// colour, as AppKit does (four fills, so the border is crisp when the rectangle is aligned).
void NSFrameRect(NSRect rect);
void NSFrameRectWithWidth(NSRect rect, CGFloat width);
// Intersects the current clip with the rectangle.
void NSRectClip(NSRect rect);

// Pixel alignment for sharp drawing at every scale factor. The rectangle with its edges moved
// to the nearest device-pixel boundaries of the current context (unchanged without one).
NSRect NSBackingAlignedRect(NSRect rect);
// The path to stroke for a border of lineWidth that lies inside rect and covers whole device
// pixels: rect aligned to device pixels, then inset by half the line width. A 1-point line then
// runs along pixel centres at scale 1 and over two whole pixel rows at scale 2.
NSRect NSStrokeRectInside(NSRect rect, CGFloat lineWidth);
