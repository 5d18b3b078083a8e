// NSApplication: the application's icon, which alerts show and a live display shows with every
// window (in a window manager's title bars and window lists). The display reads no images itself:
// it asks for the icon's pixels through the hook installed here when its first window opens.
#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "appkit/application/NSApplication.h"
#include "appkit/drawing/NSImage.h"
#include "display/DisplayBackend.h"
#include "foundation/runtime/NSAutoreleasePool.h"

namespace {

// Larger images are left out: every window carries its own copy of the icon, and window managers
// show icons far smaller than this.
constexpr int kLargestIconPixels = 256;

// The image's pixels as 0xAARRGGBB with the colour no longer premultiplied by alpha.
DisplayIconImage iconImageOf(cairo_surface_t* surface) {
  DisplayIconImage image;
  cairo_surface_flush(surface);
  image.width = cairo_image_surface_get_width(surface);
  image.height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  image.pixels.reserve(static_cast<std::size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    const auto* row =
        reinterpret_cast<const uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < image.width; ++x) {
      const uint32_t pixel = row[x];
      const uint32_t alpha = pixel >> 24;
      auto channel = [&](int shift) {
        const uint32_t value = (pixel >> shift) & 0xff;
        return alpha ? std::min<uint32_t>(255, (value * 255 + alpha / 2) / alpha) : 0;
      };
      image.pixels.push_back(alpha << 24 | channel(16) << 16 | channel(8) << 8 | channel(0));
    }
  }
  return image;
}

// One image of each size the bundle's icon holds, up to the largest kept.
std::vector<DisplayIconImage> applicationIconImages() {
  NSAutoreleasePool pool;
  std::vector<DisplayIconImage> images;
  NSImage* icon = NSImage::imageNamed(NSImageNameApplicationIcon);
  if (!icon) return images;
  for (const Ref<NSBitmapImageRep>& bitmap : icon->representations()) {
    cairo_surface_t* surface = bitmap->cairoSurface();
    if (!surface || cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) continue;
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    if (width > kLargestIconPixels || height > kLargestIconPixels) continue;
    const bool sizeTaken = std::any_of(images.begin(), images.end(), [&](const auto& image) {
      return image.width == width && image.height == height;
    });
    if (!sizeTaken) images.push_back(iconImageOf(surface));
  }
  return images;
}

// Installed as the library loads, before any display opens.
const bool installed = [] {
  DisplayBackend::setApplicationIcon(applicationIconImages);
  return true;
}();

} // namespace

NSImage* NSApplication::applicationIconImage() const {
  return iconImage_ ? iconImage_.get() : NSImage::imageNamed(NSImageNameApplicationIcon);
}
