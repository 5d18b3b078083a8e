// NSGradient: a linear (or radial) blend of colours at locations 0...1.
//
// drawInRect:angle: follows AppKit: the angle is in degrees, counter-clockwise from the +x axis
// of the current user space; 0 runs from left to right, 90 from bottom to top, 270 from top to
// bottom in a non-flipped view. The gradient axis passes through the rectangle's centre and
// reaches exactly to the corners furthest along it, so the start colour fills the starting corner
// and the end colour the opposite one. Outside the axis the end colours extend; drawing is
// clipped to the rectangle (or path).
#pragma once

#include "appkit/rendering/CairoTypes.h"

#include <vector>

#include "appkit/drawing/NSColor.h"
#include "foundation/collections/NSArray.h"

class NSBezierPath;

enum NSGradientDrawingOptions : NSUInteger {
  NSGradientDrawsBeforeStartingLocation = 1,
  NSGradientDrawsAfterEndingLocation = 2,
};

class NSGradient : public NSObject {
  NS_OBJECT_CLASS(NSGradient)

  // nil (and the receiver released) for a nil colour.
  NSGradient* initWithStartingColor(const NSColor* start, const NSColor* end);
  // Colours at the given locations (count must match); nil locations space them evenly.
  NSGradient* initWithColors(const NSArray* colors, const CGFloat* locations,
                             const NSColorSpace* space);

  NSInteger numberOfColorStops() const { return static_cast<NSInteger>(stops_.size()); }
  // The blended colour at a location, in calibrated RGB.
  NSColor* interpolatedColorAtLocation(CGFloat location) const;

  void drawInRect(NSRect rect, CGFloat angle) const;
  void drawInBezierPath(const NSBezierPath* path, CGFloat angle) const;

private:
  struct Stop {
    Ref<NSColor> color;
    CGFloat location;
  };
  std::vector<Stop> stops_;

  NSGradient* fail();
  void addStops(cairo_pattern_t* pattern) const;
  void drawClipped(NSRect bounds, CGFloat angle) const;
};
