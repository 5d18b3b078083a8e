#include "appkit/drawing/NSBezierPath.h"
#include <cairo.h>

#include <algorithm>
#include <atomic>
#include <cmath>

#include "appkit/drawing/NSGraphicsContext.h"

namespace {

std::atomic<double> sharedDefaultLineWidth{1.0};

// Control-point distance, as a fraction of the radius, of a cubic curve that follows a quarter
// circle.
constexpr CGFloat kQuarterCircleKappa = 0.5522847498;

// A scratch Cairo context for geometry questions (bounds, hit tests), with identity transform.
struct ScratchCairo {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cairo = cairo_create(surface);
  ~ScratchCairo() {
    cairo_destroy(cairo);
    cairo_surface_destroy(surface);
  }
};

} // namespace

NSBezierPath* NSBezierPath::bezierPath() {
  return static_cast<NSBezierPath*>(NSBezierPath::alloc()->autorelease());
}

NSBezierPath* NSBezierPath::bezierPathWithRect(NSRect rect) {
  NSBezierPath* path = bezierPath();
  path->appendBezierPathWithRect(rect);
  return path;
}

NSBezierPath* NSBezierPath::bezierPathWithOvalInRect(NSRect rect) {
  NSBezierPath* path = bezierPath();
  path->appendBezierPathWithOvalInRect(rect);
  return path;
}

NSBezierPath* NSBezierPath::bezierPathWithRoundedRect(NSRect rect, CGFloat xRadius,
                                                      CGFloat yRadius) {
  NSBezierPath* path = bezierPath();
  path->appendBezierPathWithRoundedRect(rect, xRadius, yRadius);
  return path;
}

void NSBezierPath::fillRect(NSRect rect) {
  bezierPathWithRect(rect)->fill();
}
void NSBezierPath::strokeRect(NSRect rect) {
  bezierPathWithRect(rect)->stroke();
}

void NSBezierPath::setDefaultLineWidth(CGFloat width) {
  sharedDefaultLineWidth = width;
}
CGFloat NSBezierPath::defaultLineWidth() {
  return sharedDefaultLineWidth;
}

// MARK: construction

void NSBezierPath::moveToPoint(NSPoint point) {
  elements_.push_back({NSBezierPathElementMoveTo, {point}});
  current_ = subpathStart_ = point;
}

void NSBezierPath::lineToPoint(NSPoint point) {
  // AppKit starts a path that begins with a line at the origin of that line; so do we.
  if (elements_.empty()) moveToPoint(current_);
  elements_.push_back({NSBezierPathElementLineTo, {point}});
  current_ = point;
}

void NSBezierPath::curveToPoint(NSPoint point, NSPoint controlPoint1, NSPoint controlPoint2) {
  if (elements_.empty()) moveToPoint(current_);
  elements_.push_back({NSBezierPathElementCurveTo, {controlPoint1, controlPoint2, point}});
  current_ = point;
}

void NSBezierPath::closePath() {
  if (elements_.empty() || elements_.back().type == NSBezierPathElementClosePath) return;
  elements_.push_back({NSBezierPathElementClosePath, {}});
  current_ = subpathStart_;
}

void NSBezierPath::appendBezierPathWithRect(NSRect rect) {
  moveToPoint(rect.origin);
  lineToPoint(NSMakePoint(NSMaxX(rect), NSMinY(rect)));
  lineToPoint(NSMakePoint(NSMaxX(rect), NSMaxY(rect)));
  lineToPoint(NSMakePoint(NSMinX(rect), NSMaxY(rect)));
  closePath();
}

void NSBezierPath::appendBezierPathWithOvalInRect(NSRect rect) {
  appendBezierPathWithRoundedRect(rect, rect.size.width / 2, rect.size.height / 2);
}

void NSBezierPath::appendBezierPathWithRoundedRect(NSRect rect, CGFloat xRadius, CGFloat yRadius) {
  CGFloat rx = std::clamp<CGFloat>(xRadius, 0, std::abs(rect.size.width) / 2);
  CGFloat ry = std::clamp<CGFloat>(yRadius, 0, std::abs(rect.size.height) / 2);
  if (rx <= 0 || ry <= 0) return appendBezierPathWithRect(rect);
  CGFloat x0 = NSMinX(rect), y0 = NSMinY(rect), x1 = NSMaxX(rect), y1 = NSMaxY(rect);
  CGFloat kx = rx * kQuarterCircleKappa, ky = ry * kQuarterCircleKappa;
  // Counter-clockwise from the bottom edge, one quarter curve at each corner.
  moveToPoint(NSMakePoint(x0 + rx, y0));
  lineToPoint(NSMakePoint(x1 - rx, y0));
  curveToPoint(NSMakePoint(x1, y0 + ry), NSMakePoint(x1 - rx + kx, y0),
               NSMakePoint(x1, y0 + ry - ky));
  lineToPoint(NSMakePoint(x1, y1 - ry));
  curveToPoint(NSMakePoint(x1 - rx, y1), NSMakePoint(x1, y1 - ry + ky),
               NSMakePoint(x1 - rx + kx, y1));
  lineToPoint(NSMakePoint(x0 + rx, y1));
  curveToPoint(NSMakePoint(x0, y1 - ry), NSMakePoint(x0 + rx - kx, y1),
               NSMakePoint(x0, y1 - ry + ky));
  lineToPoint(NSMakePoint(x0, y0 + ry));
  curveToPoint(NSMakePoint(x0 + rx, y0), NSMakePoint(x0, y0 + ry - ky),
               NSMakePoint(x0 + rx - kx, y0));
  closePath();
}

// MARK: questions

NSRect NSBezierPath::bounds() const {
  if (elements_.empty()) return NSZeroRect;
  ScratchCairo scratch;
  appendToCairo(scratch.cairo);
  double x0, y0, x1, y1;
  cairo_path_extents(scratch.cairo, &x0, &y0, &x1, &y1);
  return NSMakeRect(x0, y0, x1 - x0, y1 - y0);
}

bool NSBezierPath::containsPoint(NSPoint point) const {
  if (elements_.empty()) return false;
  ScratchCairo scratch;
  appendToCairo(scratch.cairo);
  cairo_set_fill_rule(scratch.cairo, windingRule_ == NSWindingRuleEvenOdd
                                         ? CAIRO_FILL_RULE_EVEN_ODD
                                         : CAIRO_FILL_RULE_WINDING);
  return cairo_in_fill(scratch.cairo, point.x, point.y);
}

// MARK: drawing

void NSBezierPath::appendToCairo(cairo_t* cairo) const {
  cairo_new_path(cairo);
  for (const Element& element : elements_) {
    const NSPoint* p = element.points;
    switch (element.type) {
    case NSBezierPathElementMoveTo:
      cairo_move_to(cairo, p[0].x, p[0].y);
      break;
    case NSBezierPathElementLineTo:
      cairo_line_to(cairo, p[0].x, p[0].y);
      break;
    case NSBezierPathElementCurveTo:
      cairo_curve_to(cairo, p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y);
      break;
    case NSBezierPathElementClosePath:
      cairo_close_path(cairo);
      break;
    }
  }
}

void NSBezierPath::applyStrokeSettings(cairo_t* cairo) const {
  double width = lineWidth_;
  if (width == 0) {
    // AppKit's zero width is the thinnest line the device shows: one device pixel.
    double dy = 0;
    width = 1;
    cairo_device_to_user_distance(cairo, &width, &dy);
    width = std::hypot(width, dy);
  }
  cairo_set_line_width(cairo, width);
  cairo_set_line_cap(cairo, lineCap_ == NSLineCapStyleRound    ? CAIRO_LINE_CAP_ROUND
                            : lineCap_ == NSLineCapStyleSquare ? CAIRO_LINE_CAP_SQUARE
                                                               : CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cairo, lineJoin_ == NSLineJoinStyleRound   ? CAIRO_LINE_JOIN_ROUND
                             : lineJoin_ == NSLineJoinStyleBevel ? CAIRO_LINE_JOIN_BEVEL
                                                                 : CAIRO_LINE_JOIN_MITER);
  cairo_set_dash(cairo, nullptr, 0, 0);
}

void NSBezierPath::fill() const {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context || elements_.empty()) return;
  cairo_t* cairo = context->cairo();
  cairo_save(cairo);
  appendToCairo(cairo);
  cairo_set_fill_rule(cairo, windingRule_ == NSWindingRuleEvenOdd ? CAIRO_FILL_RULE_EVEN_ODD
                                                                  : CAIRO_FILL_RULE_WINDING);
  context->useFillColor();
  cairo_fill(cairo);
  cairo_restore(cairo);
}

void NSBezierPath::stroke() const {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context || elements_.empty() || lineWidth_ < 0) return;
  cairo_t* cairo = context->cairo();
  cairo_save(cairo);
  appendToCairo(cairo);
  applyStrokeSettings(cairo);
  context->useStrokeColor();
  cairo_stroke(cairo);
  cairo_restore(cairo);
}

void NSBezierPath::addClip() const {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context) return;
  cairo_t* cairo = context->cairo();
  appendToCairo(cairo);
  cairo_set_fill_rule(cairo, windingRule_ == NSWindingRuleEvenOdd ? CAIRO_FILL_RULE_EVEN_ODD
                                                                  : CAIRO_FILL_RULE_WINDING);
  cairo_clip(cairo);
}
