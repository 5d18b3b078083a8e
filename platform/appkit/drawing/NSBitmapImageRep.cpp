#include "appkit/drawing/NSBitmapImageRep.h"
#include <cairo.h>

#include "appkit/rendering/PNGEncoding.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "appkit/drawing/NSColor.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/rendering/ImageDecoding.h"

NSBitmapImageRep* NSBitmapImageRep::fail() {
  release();
  return nullptr;
}

NSBitmapImageRep* NSBitmapImageRep::initWithCairoSurface(cairo_surface_t* surface, NSSize size) {
  if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
      cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32)
    return fail();
  surface_ = cairo_surface_reference(surface);
  width_ = cairo_image_surface_get_width(surface);
  height_ = cairo_image_surface_get_height(surface);
  size_ = size;
  return this;
}

NSBitmapImageRep* NSBitmapImageRep::initWithPixelsWide(NSInteger width, NSInteger height) {
  if (width <= 0 || height <= 0 || width > 32767 || height > 32767) return fail();
  cairo_surface_t* surface = cairo_image_surface_create(
      CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height));
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return fail();
  }
  NSBitmapImageRep* result = initWithCairoSurface(
      surface, NSMakeSize(static_cast<CGFloat>(width), static_cast<CGFloat>(height)));
  cairo_surface_destroy(surface);
  return result;
}

NSBitmapImageRep* NSBitmapImageRep::initWithData(const NSData* data) {
  if (!data) return fail();
  std::span<const uint8_t> bytes(data->bytes(), data->length());
  if (NSSniffImageFormat(bytes) != NSImageFormat::PNG) return fail();
  cairo_surface_t* surface = NSDecodePNG(bytes);
  if (!surface) return fail();
  double scale = NSPNGPixelsPerPoint(bytes); // the size in points honours the resolution
  NSBitmapImageRep* result =
      initWithCairoSurface(surface, NSMakeSize(cairo_image_surface_get_width(surface) / scale,
                                               cairo_image_surface_get_height(surface) / scale));
  cairo_surface_destroy(surface);
  return result;
}

NSBitmapImageRep* NSBitmapImageRep::imageRepWithData(const NSData* data) {
  NSBitmapImageRep* rep = NSBitmapImageRep::alloc()->initWithData(data);
  return rep ? static_cast<NSBitmapImageRep*>(rep->autorelease()) : nullptr;
}

NSBitmapImageRep* NSBitmapImageRep::initWithFocusedViewRect(NSRect rect) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context || NSIsEmptyRect(rect)) return fail();
  cairo_t* cairo = context->cairo();
  cairo_surface_t* target = cairo_get_target(cairo);
  if (cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE) return fail();
  cairo_surface_flush(target);
  // The rectangle in device pixels, rounded outward, clipped to the bitmap.
  double x0 = NSMinX(rect), y0 = NSMinY(rect), x1 = NSMaxX(rect), y1 = NSMaxY(rect);
  cairo_user_to_device(cairo, &x0, &y0);
  cairo_user_to_device(cairo, &x1, &y1);
  int targetWidth = cairo_image_surface_get_width(target);
  int targetHeight = cairo_image_surface_get_height(target);
  int left = std::max(0, static_cast<int>(std::floor(std::min(x0, x1) + 1e-6)));
  int top = std::max(0, static_cast<int>(std::floor(std::min(y0, y1) + 1e-6)));
  int right = std::min(targetWidth, static_cast<int>(std::ceil(std::max(x0, x1) - 1e-6)));
  int bottom = std::min(targetHeight, static_cast<int>(std::ceil(std::max(y0, y1) - 1e-6)));
  if (right <= left || bottom <= top) return fail();
  cairo_surface_t* copy =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, right - left, bottom - top);
  cairo_t* copier = cairo_create(copy);
  cairo_set_source_surface(copier, target, -left, -top);
  cairo_set_operator(copier, CAIRO_OPERATOR_SOURCE);
  cairo_paint(copier);
  cairo_destroy(copier);
  NSBitmapImageRep* result = initWithCairoSurface(copy, rect.size);
  cairo_surface_destroy(copy);
  return result;
}

NSBitmapImageRep::~NSBitmapImageRep() {
  if (surface_) cairo_surface_destroy(surface_);
}

NSData* NSBitmapImageRep::representationUsingType(NSBitmapImageFileType type,
                                                  const NSDictionary*) const {
  if (type != NSBitmapImageFileTypePNG || !surface_) return nullptr;
  std::vector<uint8_t> png = encodeSurfaceAsPNG(surface_);
  return png.empty() ? nullptr : NSData::dataWithVector(std::move(png));
}

NSColor* NSBitmapImageRep::colorAtX(NSInteger x, NSInteger y) const {
  if (!surface_ || x < 0 || y < 0 || x >= width_ || y >= height_) return nullptr;
  cairo_surface_flush(surface_);
  const unsigned char* row =
      cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
  uint32_t pixel = reinterpret_cast<const uint32_t*>(row)[x];
  CGFloat alpha = ((pixel >> 24) & 0xFF) / 255.0;
  auto channel = [&](int shift) {
    CGFloat premultiplied = ((pixel >> shift) & 0xFF) / 255.0;
    return alpha > 0 ? std::min<CGFloat>(1, premultiplied / alpha) : 0;
  };
  return NSColor::colorWithDeviceRed(channel(16), channel(8), channel(0), alpha);
}

void NSBitmapImageRep::setColor(const NSColor* color, NSInteger x, NSInteger y) {
  if (!surface_ || !color || x < 0 || y < 0 || x >= width_ || y >= height_) return;
  cairo_surface_flush(surface_);
  unsigned char* row =
      cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
  NSColor::RGBA rgba = color->displayRGBA();
  auto byte = [](CGFloat value) {
    return static_cast<uint32_t>(std::lround(std::clamp<CGFloat>(value, 0, 1) * 255));
  };
  uint32_t alpha = byte(rgba.alpha);
  auto premultiplied = [&](CGFloat value) { return (byte(value) * alpha + 127) / 255; };
  reinterpret_cast<uint32_t*>(row)[x] = (alpha << 24) | (premultiplied(rgba.red) << 16) |
                                        (premultiplied(rgba.green) << 8) | premultiplied(rgba.blue);
  cairo_surface_mark_dirty(surface_);
}

NSString* NSBitmapImageRep::description() const {
  return NSString::stringWithFormat("NSBitmapImageRep %p Size={%g, %g} Pixels=%ldx%ld", this,
                                    size_.width, size_.height, width_, height_);
}
