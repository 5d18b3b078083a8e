#include "appkit/panels/NSColorPanelContentView.h"
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "appkit/application/NSEvent.h"
#include "appkit/drawing/NSBezierPath.h"
#include "appkit/drawing/NSGradient.h"
#include "appkit/drawing/NSGraphics.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/panels/NSColorPanel.h"

namespace {

// Layout, in points from the view's edges.
constexpr CGFloat kMargin = 10;
constexpr CGFloat kWellHeight = 24;
constexpr CGFloat kWellTopInset = 10;
constexpr CGFloat kMagnifierWidth = 26;
constexpr CGFloat kWheelGapBelowWell = 12;
constexpr CGFloat kSliderHeight = 12;
constexpr CGFloat kSliderBottom = 44;
constexpr CGFloat kSwatchBottom = 12;
constexpr CGFloat kSwatchSize = 20;
constexpr CGFloat kWheelGapAboveSlider = 14;

struct HSV {
  double hue = 0, saturation = 0, value = 0;
};

HSV hsvFromRGB(double red, double green, double blue) {
  red = std::clamp(red, 0.0, 1.0), green = std::clamp(green, 0.0, 1.0);
  blue = std::clamp(blue, 0.0, 1.0);
  const double max = std::max({red, green, blue}), min = std::min({red, green, blue});
  const double delta = max - min;
  HSV hsv;
  hsv.value = max;
  hsv.saturation = max > 0 ? delta / max : 0;
  if (delta <= 0) return hsv;
  double hue = max == red     ? (green - blue) / delta
               : max == green ? 2 + (blue - red) / delta
                              : 4 + (red - green) / delta;
  hue /= 6;
  hsv.hue = hue < 0 ? hue + 1 : hue;
  return hsv;
}

void rgbFromHSV(double hue, double saturation, double value, double rgb[3]) {
  const double h = (hue - std::floor(hue)) * 6;
  const int sector = static_cast<int>(h) % 6;
  const double f = h - std::floor(h);
  const double p = value * (1 - saturation), q = value * (1 - saturation * f),
               t = value * (1 - saturation * (1 - f));
  const double table[6][3] = {{value, t, p}, {q, value, p}, {p, value, t},
                              {p, q, value}, {t, p, value}, {value, p, q}};
  std::copy(table[sector], table[sector] + 3, rgb);
}

// The wheel as device pixels: hue by angle (red to the right, counter-clockwise), saturation by
// distance from the centre, at one brightness; anti-aliased at the rim. The last one made is
// kept, since the panel redraws at the same size and brightness most of the time.
cairo_surface_t* wheelSurface(int diameter, double brightness) {
  static cairo_surface_t* cached = nullptr;
  static int cachedDiameter = 0;
  static double cachedBrightness = -1;
  if (cached && cachedDiameter == diameter && cachedBrightness == brightness) return cached;
  if (cached) cairo_surface_destroy(cached);
  cached = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, diameter, diameter);
  cachedDiameter = diameter, cachedBrightness = brightness;
  unsigned char* data = cairo_image_surface_get_data(cached);
  const int stride = cairo_image_surface_get_stride(cached);
  const double radius = diameter / 2.0;
  for (int row = 0; row < diameter; ++row) {
    auto* pixels = reinterpret_cast<uint32_t*>(data + row * stride);
    for (int column = 0; column < diameter; ++column) {
      const double dx = column + 0.5 - radius, dy = radius - (row + 0.5);
      const double distance = std::hypot(dx, dy);
      const double coverage = std::clamp(radius - distance + 0.5, 0.0, 1.0);
      if (coverage <= 0) {
        pixels[column] = 0;
        continue;
      }
      double hue = std::atan2(dy, dx) / (2 * std::numbers::pi);
      if (hue < 0) hue += 1;
      double rgb[3];
      rgbFromHSV(hue, std::min(distance / radius, 1.0), brightness, rgb);
      // Premultiplied ARGB, as Cairo keeps it.
      auto channel = [coverage](double c) {
        return static_cast<uint32_t>(std::lround(c * coverage * 255));
      };
      pixels[column] =
          channel(1) << 24 | channel(rgb[0]) << 16 | channel(rgb[1]) << 8 | channel(rgb[2]);
    }
  }
  cairo_surface_mark_dirty(cached);
  return cached;
}

void drawWheel(NSRect rect, double brightness) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context) return;
  const int diameter =
      std::max(1, static_cast<int>(std::lround(rect.size.width * context->backingScaleFactor())));
  cairo_t* cairo = context->cairo();
  cairo_save(cairo);
  // Pixel row 0 is the wheel's top edge; user space grows upward.
  cairo_translate(cairo, rect.origin.x, rect.origin.y + rect.size.height);
  cairo_scale(cairo, rect.size.width / diameter, -rect.size.height / diameter);
  cairo_set_source_surface(cairo, wheelSurface(diameter, brightness), 0, 0);
  cairo_paint(cairo);
  cairo_restore(cairo);
}

void drawMagnifier(NSRect rect) {
  NSColor::labelColor()->set();
  const NSPoint centre{rect.origin.x + 11, rect.origin.y + rect.size.height / 2 + 2};
  NSBezierPath* lens =
      NSBezierPath::bezierPathWithOvalInRect(NSMakeRect(centre.x - 6, centre.y - 6, 12, 12));
  lens->setLineWidth(1.5);
  lens->stroke();
  NSBezierPath* handle = NSBezierPath::bezierPath();
  handle->setLineWidth(2.5);
  handle->setLineCapStyle(NSLineCapStyleRound);
  handle->moveToPoint({centre.x + 4.5, centre.y - 4.5});
  handle->lineToPoint({centre.x + 9, centre.y - 9});
  handle->stroke();
}

NSColor* swatchColor(int index) {
  static const CGFloat colours[NSColorPanelContentView::kSwatchCount][3] = {
      {1, 0, 0},   {1, 0.5, 0},   {1, 0.85, 0},    {0.2, 0.75, 0.2},
      {0, 0.6, 1}, {0.5, 0, 0.5}, {0.5, 0.5, 0.5}, {0, 0, 0}};
  return NSColor::colorWithCalibratedRed(colours[index][0], colours[index][1], colours[index][2],
                                         1);
}

} // namespace

NSColorPanelContentView* NSColorPanelContentView::initWithFrame(NSRect frame) {
  NSView::initWithFrame(frame);
  setAutoresizingMask(NSViewWidthSizable | NSViewHeightSizable);
  return this;
}

NSRect NSColorPanelContentView::colorWellRect() const {
  const NSRect b = bounds();
  const CGFloat x = b.origin.x + kMargin + kMagnifierWidth;
  return NSMakeRect(x, NSMaxY(b) - kWellTopInset - kWellHeight, NSMaxX(b) - kMargin - x,
                    kWellHeight);
}

NSRect NSColorPanelContentView::wheelRect() const {
  const NSRect b = bounds();
  const CGFloat top = NSMinY(colorWellRect()) - kWheelGapBelowWell;
  const CGFloat bottom = b.origin.y + kSliderBottom + kSliderHeight + kWheelGapAboveSlider;
  const CGFloat diameter = std::max<CGFloat>(0, std::min(b.size.width - 4 * kMargin, top - bottom));
  return NSMakeRect(NSMidX(b) - diameter / 2, bottom + (top - bottom - diameter) / 2, diameter,
                    diameter);
}

NSRect NSColorPanelContentView::brightnessSliderRect() const {
  const NSRect b = bounds();
  return NSMakeRect(b.origin.x + 2 * kMargin, b.origin.y + kSliderBottom,
                    std::max<CGFloat>(0, b.size.width - 4 * kMargin), kSliderHeight);
}

NSRect NSColorPanelContentView::swatchRect(int index) const {
  const NSRect b = bounds();
  const CGFloat available = b.size.width - 2 * kMargin;
  const CGFloat gap = (available - kSwatchCount * kSwatchSize) / (kSwatchCount - 1);
  return NSMakeRect(b.origin.x + kMargin + index * (kSwatchSize + gap), b.origin.y + kSwatchBottom,
                    kSwatchSize, kSwatchSize);
}

void NSColorPanelContentView::drawRect(NSRect) {
  auto* panel = ns_cast<NSColorPanel>(window());
  NSColor* colour = panel ? panel->color() : NSColor::whiteColor();
  const NSColor::RGBA rgba = colour->displayRGBA();
  const HSV hsv = hsvFromRGB(rgba.red, rgba.green, rgba.blue);

  NSColor::windowBackgroundColor()->set();
  NSRectFill(bounds());

  // The well: the current colour, framed.
  const NSRect well = colorWellRect();
  drawMagnifier(
      NSMakeRect(bounds().origin.x + kMargin, well.origin.y, kMagnifierWidth, well.size.height));
  colour->set();
  NSRectFill(well);
  NSColor::colorWithCalibratedWhite(0.6, 1)->set();
  NSFrameRect(well);

  // The wheel, with a ring on the current hue and saturation.
  const NSRect wheel = wheelRect();
  if (wheel.size.width > 0) {
    drawWheel(wheel, hsv.value);
    const CGFloat radius = wheel.size.width / 2;
    const double angle = hsv.hue * 2 * std::numbers::pi;
    const NSPoint marker{NSMidX(wheel) + std::cos(angle) * hsv.saturation * radius,
                         NSMidY(wheel) + std::sin(angle) * hsv.saturation * radius};
    NSBezierPath* ring =
        NSBezierPath::bezierPathWithOvalInRect(NSMakeRect(marker.x - 4, marker.y - 4, 8, 8));
    NSColor::whiteColor()->set();
    ring->setLineWidth(2);
    ring->stroke();
    NSColor::colorWithCalibratedWhite(0.2, 1)->set();
    ring->setLineWidth(0.75);
    ring->stroke();
  }

  // The brightness slider: black to the colour at full brightness, with its knob.
  const NSRect slider = brightnessSliderRect();
  double full[3];
  rgbFromHSV(hsv.hue, hsv.saturation, 1, full);
  NSBezierPath* track =
      NSBezierPath::bezierPathWithRoundedRect(slider, kSliderHeight / 2, kSliderHeight / 2);
  if (NSGradient* gradient = NSGradient::alloc()->initWithStartingColor(
          NSColor::blackColor(), NSColor::colorWithCalibratedRed(full[0], full[1], full[2], 1))) {
    gradient->drawInBezierPath(track, 0);
    gradient->release();
  }
  NSColor::colorWithCalibratedWhite(0.6, 1)->set();
  track->setLineWidth(0.5);
  track->stroke();
  const CGFloat knobX =
      slider.origin.x + kSliderHeight / 2 + hsv.value * (slider.size.width - kSliderHeight);
  NSBezierPath* knob = NSBezierPath::bezierPathWithOvalInRect(NSMakeRect(
      knobX - kSliderHeight / 2 - 1, slider.origin.y - 1, kSliderHeight + 2, kSliderHeight + 2));
  NSColor::whiteColor()->set();
  knob->fill();
  NSColor::colorWithCalibratedWhite(0.45, 1)->set();
  knob->setLineWidth(0.75);
  knob->stroke();

  // The swatches.
  for (int index = 0; index < kSwatchCount; ++index) {
    const NSRect swatch = swatchRect(index);
    swatchColor(index)->set();
    NSRectFill(swatch);
    NSColor::colorWithCalibratedWhite(0.55, 1)->set();
    NSFrameRect(swatch);
  }
}

NSColor* NSColorPanelContentView::colorAtPoint(NSPoint point) const {
  for (int index = 0; index < kSwatchCount; ++index)
    if (NSPointInRect(point, swatchRect(index))) return swatchColor(index);
  const NSRect wheel = wheelRect();
  const CGFloat radius = wheel.size.width / 2;
  const double dx = point.x - NSMidX(wheel), dy = point.y - NSMidY(wheel);
  const double distance = std::hypot(dx, dy);
  if (radius <= 0 || distance > radius) return nullptr;
  auto* panel = ns_cast<NSColorPanel>(window());
  const NSColor::RGBA current = panel ? panel->color()->displayRGBA() : NSColor::RGBA{1, 1, 1, 1};
  double hue = std::atan2(dy, dx) / (2 * std::numbers::pi);
  if (hue < 0) hue += 1;
  double rgb[3];
  rgbFromHSV(hue, distance / radius, hsvFromRGB(current.red, current.green, current.blue).value,
             rgb);
  return NSColor::colorWithCalibratedRed(rgb[0], rgb[1], rgb[2], 1);
}

void NSColorPanelContentView::mouseDown(NSEvent* event) {
  auto* panel = ns_cast<NSColorPanel>(window());
  NSColor* picked = colorAtPoint(convertPointFromView(event->locationInWindow(), nullptr));
  if (panel && picked) panel->pickColor(picked);
}
