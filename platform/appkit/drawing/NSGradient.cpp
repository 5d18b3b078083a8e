#include "appkit/drawing/NSGradient.h"
#include "appkit/rendering/CairoOperator.h"

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
  stops_.push_back({retained(const_cast<NSColor*>(start)), 0});
  stops_.push_back({retained(const_cast<NSColor*>(end)), 1});
  return this;
}

NSGradient* NSGradient::initWithColors(const NSArray* colors, const CGFloat* locations,
                                       const NSColorSpace*) {
  if (!colors || colors->count() < 2) return fail();
  NSUInteger count = colors->count();
  for (NSUInteger i = 0; i < count; ++i) {
    auto* color = ns_cast<NSColor>(colors->objectAtIndex(i));
    if (!color) {
      stops_.clear();
      return fail();
    }
    stops_.push_back(
        {retained(color), locations ? locations[i] : static_cast<CGFloat>(i) / (count - 1)});
  }
  std::stable_sort(stops_.begin(), stops_.end(),
                   [](const Stop& a, const Stop& b) { return a.location < b.location; });
  return this;
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
