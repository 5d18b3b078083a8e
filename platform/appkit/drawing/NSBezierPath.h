// NSBezierPath: a path of lines and cubic curves in user space, filled and stroked in the
// current graphics context with its fill and stroke colours (NSColor set).
//
// A stroke is centred on the path, as in AppKit: a 1-point line along an integral coordinate
// covers two half pixels at scale 1. For crisp borders place lines on pixel centres, for
// instance with NSStrokeRectInside (NSGraphics.h).
#pragma once

#include "appkit/rendering/CairoTypes.h"

#include <vector>

#include "foundation/values/NSGeometry.h"

enum NSLineCapStyle : NSUInteger {
  NSLineCapStyleButt = 0,
  NSLineCapStyleRound = 1,
  NSLineCapStyleSquare = 2
};
enum NSLineJoinStyle : NSUInteger {
  NSLineJoinStyleMiter = 0,
  NSLineJoinStyleRound = 1,
  NSLineJoinStyleBevel = 2
};
enum NSWindingRule : NSUInteger { NSWindingRuleNonZero = 0, NSWindingRuleEvenOdd = 1 };
enum NSBezierPathElement : NSUInteger {
  NSBezierPathElementMoveTo = 0,
  NSBezierPathElementLineTo = 1,
  NSBezierPathElementCurveTo = 2,
  NSBezierPathElementClosePath = 3,
};

class NSBezierPath : public NSObject {
  NS_OBJECT_CLASS(NSBezierPath)

  // Autoreleased paths.
  static NSBezierPath* bezierPath();
  static NSBezierPath* bezierPathWithRect(NSRect rect);
  static NSBezierPath* bezierPathWithOvalInRect(NSRect rect);
  // Radii are limited to half the rectangle's width and height, as AppKit limits them.
  static NSBezierPath* bezierPathWithRoundedRect(NSRect rect, CGFloat xRadius, CGFloat yRadius);

  // Immediate drawing with the current colours and the default line width.
  static void fillRect(NSRect rect);
  static void strokeRect(NSRect rect);
  static void setDefaultLineWidth(CGFloat width);
  static CGFloat defaultLineWidth();

  void moveToPoint(NSPoint point);
  void lineToPoint(NSPoint point);
  void curveToPoint(NSPoint point, NSPoint controlPoint1, NSPoint controlPoint2);
  void closePath();
  void appendBezierPathWithRect(NSRect rect);
  void appendBezierPathWithOvalInRect(NSRect rect);
  void appendBezierPathWithRoundedRect(NSRect rect, CGFloat xRadius, CGFloat yRadius);

  CGFloat lineWidth() const { return lineWidth_; }
  void setLineWidth(CGFloat width) { lineWidth_ = width; }
  NSLineCapStyle lineCapStyle() const { return lineCap_; }
  void setLineCapStyle(NSLineCapStyle style) { lineCap_ = style; }
  NSLineJoinStyle lineJoinStyle() const { return lineJoin_; }
  void setLineJoinStyle(NSLineJoinStyle style) { lineJoin_ = style; }
  NSWindingRule windingRule() const { return windingRule_; }
  void setWindingRule(NSWindingRule rule) { windingRule_ = rule; }

  bool isEmpty() const { return elements_.empty(); }
  // The bounds of the curve itself.
  NSRect bounds() const;
  // Whether the point lies inside the filled area (by the winding rule).
  bool containsPoint(NSPoint point) const;

  void fill() const;
  void stroke() const;
  // Intersects the current clip with the path's area.
  void addClip() const;
  // Replaces the current path in the Cairo context with this one.
  void appendToCairo(cairo_t* cairo) const;

private:
  struct Element {
    NSBezierPathElement type;
    NSPoint points[3];
  };
  std::vector<Element> elements_;
  NSPoint current_;
  NSPoint subpathStart_;
  CGFloat lineWidth_ = defaultLineWidth();
  NSLineCapStyle lineCap_ = NSLineCapStyleButt;
  NSLineJoinStyle lineJoin_ = NSLineJoinStyleMiter;
  NSWindingRule windingRule_ = NSWindingRuleNonZero;

  void applyStrokeSettings(cairo_t* cairo) const;
};
