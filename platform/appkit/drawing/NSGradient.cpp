#include "appkit/drawing/NSGradient.h"
#include "appkit/drawing/CairoOperator.h"

#include <algorithm>
#include <cmath>

#include "appkit/drawing/NSBezierPath.h"
#include "appkit/drawing/NSGraphicsContext.h"

NSGradient* NSGradient::fail() {
  release();
  return nullptr;
}

NSGradient* NSGradient::initWithStartingColor(const NSColor* start, const NSColor* end) {
  if (!start || !end) return fail();
  stops_.push_back({const_cast<NSColor*>(start), 0});
  stops_.push_back({const_cast<NSColor*>(end), 1});
  for (Stop& stop : stops_)
    stop.color->retain();
  return this;
}

NSGradient* NSGradient::initWithColors(const NSArray* colors) {
  return initWithColors(colors, nullptr, nullptr);
}

NSGradient* NSGradient::initWithColors(const NSArray* colors, const CGFloat* locations,
                                       const NSColorSpace*) {
  if (!colors || colors->count() < 2) return fail();
  NSUInteger count = colors->count();
  for (NSUInteger i = 0; i < count; ++i) {
    auto* color = ns_cast<NSColor>(colors->objectAtIndex(i));
    if (!color) {
      for (Stop& stop : stops_)
        stop.color->release();
      stops_.clear();
      return fail();
    }
    color->retain();
    stops_.push_back({color, locations ? locations[i] : static_cast<CGFloat>(i) / (count - 1)});
  }
  std::stable_sort(stops_.begin(), stops_.end(),
                   [](const Stop& a, const Stop& b) { return a.location < b.location; });
  return this;
}

NSGradient::~NSGradient() {
  for (Stop& stop : stops_)
    stop.color->release();
}

void NSGradient::getColor(NSColor** color, CGFloat* location, NSInteger index) const {
  if (index < 0 || index >= numberOfColorStops()) return;
  const Stop& stop = stops_[static_cast<std::size_t>(index)];
  if (color) *color = stop.color;
  if (location) *location = stop.location;
}

NSColor* NSGradient::interpolatedColorAtLocation(CGFloat location) const {
  if (stops_.empty()) return nullptr;
  if (location <= stops_.front().location) return stops_.front().color;
  if (location >= stops_.back().location) return stops_.back().color;
  for (std::size_t i = 1; i < stops_.size(); ++i) {
    if (location > stops_[i].location) continue;
    const Stop& a = stops_[i - 1];
    const Stop& b = stops_[i];
    CGFloat span = b.location - a.location;
    CGFloat fraction = span > 0 ? (location - a.location) / span : 1;
    return a.color->blendedColorWithFraction(fraction, b.color);
  }
  return stops_.back().color;
}

void NSGradient::addStops(cairo_pattern_t* pattern) const {
  for (const Stop& stop : stops_) {
    NSColor::RGBA rgba = stop.color->displayRGBA();
    cairo_pattern_add_color_stop_rgba(pattern, std::clamp<CGFloat>(stop.location, 0, 1), rgba.red,
                                      rgba.green, rgba.blue, rgba.alpha);
  }
}

// Fills the current clip with the gradient along the angle across bounds.
void NSGradient::drawClipped(NSRect bounds, CGFloat angle) const {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  cairo_t* cairo = context->cairo();
  double radians = angle * M_PI / 180;
  double dx = std::cos(radians), dy = std::sin(radians);
  // Project the corners onto the axis through the centre: the nearest starts the gradient,
  // the furthest ends it.
  NSPoint center = NSMakePoint(NSMidX(bounds), NSMidY(bounds));
  double halfExtent = std::abs(dx) * bounds.size.width / 2 + std::abs(dy) * bounds.size.height / 2;
  cairo_pattern_t* pattern =
      cairo_pattern_create_linear(center.x - dx * halfExtent, center.y - dy * halfExtent,
                                  center.x + dx * halfExtent, center.y + dy * halfExtent);
  addStops(pattern);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  cairo_set_source(cairo, pattern);
  cairo_set_operator(cairo, NSCairoOperator(context->compositingOperation()));
  cairo_paint(cairo);
  cairo_pattern_destroy(pattern);
}

namespace {
// Limits drawing to rect until the next cairo_restore.
void clipToRect(cairo_t* cairo, NSRect rect) {
  cairo_new_path(cairo);
  cairo_rectangle(cairo, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  cairo_clip(cairo);
}
} // namespace

void NSGradient::drawInRect(NSRect rect, CGFloat angle) const {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context || NSIsEmptyRect(rect)) return;
  cairo_t* cairo = context->cairo();
  cairo_save(cairo);
  clipToRect(cairo, rect);
  drawClipped(rect, angle);
  cairo_restore(cairo);
}

void NSGradient::drawInBezierPath(const NSBezierPath* path, CGFloat angle) const {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context || !path || path->isEmpty()) return;
  cairo_t* cairo = context->cairo();
  cairo_save(cairo);
  path->addClip();
  drawClipped(path->bounds(), angle);
  cairo_restore(cairo);
}

void NSGradient::drawFromPoint(NSPoint start, NSPoint end, NSGradientDrawingOptions options) const {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context) return;
  cairo_t* cairo = context->cairo();
  cairo_save(cairo);
  cairo_pattern_t* pattern = cairo_pattern_create_linear(start.x, start.y, end.x, end.y);
  addStops(pattern);
  bool extend =
      (options & (NSGradientDrawsBeforeStartingLocation | NSGradientDrawsAfterEndingLocation)) != 0;
  cairo_pattern_set_extend(pattern, extend ? CAIRO_EXTEND_PAD : CAIRO_EXTEND_NONE);
  // FIXME: extending on one side only extends both; Cairo's pad has no one-sided form.
  cairo_set_source(cairo, pattern);
  cairo_set_operator(cairo, NSCairoOperator(context->compositingOperation()));
  cairo_paint(cairo);
  cairo_pattern_destroy(pattern);
  cairo_restore(cairo);
}

void NSGradient::drawInRectRelativeCenter(NSRect rect, NSPoint relativeCenter) const {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context || NSIsEmptyRect(rect)) return;
  cairo_t* cairo = context->cairo();
  cairo_save(cairo);
  clipToRect(cairo, rect);
  CGFloat cx = NSMidX(rect) + relativeCenter.x * rect.size.width / 2;
  CGFloat cy = NSMidY(rect) + relativeCenter.y * rect.size.height / 2;
  CGFloat radius = 0;
  for (NSPoint corner :
       {rect.origin, NSMakePoint(NSMaxX(rect), NSMinY(rect)),
        NSMakePoint(NSMinX(rect), NSMaxY(rect)), NSMakePoint(NSMaxX(rect), NSMaxY(rect))})
    radius = std::max(radius, std::hypot(corner.x - cx, corner.y - cy));
  cairo_pattern_t* pattern = cairo_pattern_create_radial(cx, cy, 0, cx, cy, radius);
  addStops(pattern);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  cairo_set_source(cairo, pattern);
  cairo_set_operator(cairo, NSCairoOperator(context->compositingOperation()));
  cairo_paint(cairo);
  cairo_pattern_destroy(pattern);
  cairo_restore(cairo);
}
