// Geometry in points, origin at the lower left, as AppKit has it.
#pragma once

#include "foundation/strings/NSString.h"

using CGFloat = double;

struct NSPoint {
  CGFloat x = 0, y = 0;
  bool operator==(const NSPoint&) const = default;
};
struct NSSize {
  CGFloat width = 0, height = 0;
  bool operator==(const NSSize&) const = default;
};
struct NSRect {
  NSPoint origin;
  NSSize size;
  bool operator==(const NSRect&) const = default;
};
using CGPoint = NSPoint;
using CGSize = NSSize;
using CGRect = NSRect;

constexpr NSRect NSZeroRect{};
constexpr NSPoint NSZeroPoint{};
constexpr NSSize NSZeroSize{};

constexpr NSPoint NSMakePoint(CGFloat x, CGFloat y) {
  return {x, y};
}
constexpr NSSize NSMakeSize(CGFloat w, CGFloat h) {
  return {w, h};
}
constexpr NSRect NSMakeRect(CGFloat x, CGFloat y, CGFloat w, CGFloat h) {
  return {{x, y}, {w, h}};
}
constexpr CGFloat NSMinX(NSRect r) {
  return r.origin.x;
}
constexpr CGFloat NSMinY(NSRect r) {
  return r.origin.y;
}
constexpr CGFloat NSMaxX(NSRect r) {
  return r.origin.x + r.size.width;
}
constexpr CGFloat NSMaxY(NSRect r) {
  return r.origin.y + r.size.height;
}
constexpr CGFloat NSMidX(NSRect r) {
  return r.origin.x + r.size.width / 2;
}
constexpr CGFloat NSMidY(NSRect r) {
  return r.origin.y + r.size.height / 2;
}
bool NSPointInRect(NSPoint point, NSRect rect);
NSRect NSIntersectionRect(NSRect a, NSRect b);
NSRect NSOffsetRect(NSRect rect, CGFloat dx, CGFloat dy);
NSRect NSInsetRect(NSRect rect, CGFloat dx, CGFloat dy);
bool NSIsEmptyRect(NSRect rect);

// "{{x, y}, {w, h}}" with each number in the shortest form that reads back exactly, as
// Foundation prints them ("{{0, 0}, {400, 178}}", 0.1 as 0.10000000000000001).
NSString* NSStringFromRect(NSRect rect);
