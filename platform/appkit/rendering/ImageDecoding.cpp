#include "appkit/rendering/ImageDecoding.h"

// libicns declares its functions without C linkage for C++.
extern "C" {
#include <icns.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace {

struct ReadCursor {
  std::span<const uint8_t> bytes;
  std::size_t offset = 0;
};

cairo_status_t readFromCursor(void* closure, unsigned char* data, unsigned int length) {
  auto* cursor = static_cast<ReadCursor*>(closure);
  if (cursor->bytes.size() - cursor->offset < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, cursor->bytes.data() + cursor->offset, length);
  cursor->offset += length;
  return CAIRO_STATUS_SUCCESS;
}

uint32_t bigEndian32(const uint8_t* bytes) {
  return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) |
         uint32_t(bytes[3]);
}

// The 32-bit representations libicns can decode, largest first.
constexpr icns_type_t kIconTypes[] = {
    ICNS_1024x1024_32BIT_ARGB_DATA, ICNS_512x512_32BIT_ARGB_DATA, ICNS_256x256_32BIT_ARGB_DATA,
    ICNS_128X128_32BIT_DATA,        ICNS_48x48_32BIT_DATA,        ICNS_32x32_32BIT_DATA,
    ICNS_16x16_32BIT_DATA,
};

// Straight RGBA bytes to a premultiplied ARGB32 surface.
cairo_surface_t* surfaceFromRGBA(const uint8_t* rgba, int width, int height) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = rgba + (static_cast<std::size_t>(y) * width + x) * 4;
      uint32_t a = p[3];
      auto premultiply = [a](uint32_t c) { return (c * a + 127) / 255; };
      row[x] = (a << 24) | (premultiply(p[0]) << 16) | (premultiply(p[1]) << 8) | premultiply(p[2]);
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

} // namespace

NSImageFormat NSSniffImageFormat(std::span<const uint8_t> bytes) {
  static constexpr uint8_t kPNG[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() >= 8 && std::equal(std::begin(kPNG), std::end(kPNG), bytes.begin()))
    return NSImageFormat::PNG;
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), "icns", 4) == 0) return NSImageFormat::ICNS;
  // A PDF may have a little junk before its header; readers accept it within the first 1 KiB.
  std::size_t window = std::min<std::size_t>(bytes.size(), 1024);
  for (std::size_t i = 0; i + 5 <= window; ++i)
    if (std::memcmp(bytes.data() + i, "%PDF-", 5) == 0) return NSImageFormat::PDF;
  return NSImageFormat::Unknown;
}

cairo_surface_t* NSCopyAsARGB32(cairo_surface_t* source) {
  if (!source || cairo_surface_status(source) != CAIRO_STATUS_SUCCESS) return nullptr;
  int width = cairo_image_surface_get_width(source);
  int height = cairo_image_surface_get_height(source);
  cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (cairo_surface_status(copy) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(copy);
    return nullptr;
  }
  cairo_t* cairo = cairo_create(copy);
  cairo_set_source_surface(cairo, source, 0, 0);
  cairo_set_operator(cairo, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cairo);
  cairo_destroy(cairo);
  return copy;
}

cairo_surface_t* NSDecodePNG(std::span<const uint8_t> bytes) {
  ReadCursor cursor{bytes};
  cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(readFromCursor, &cursor);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  if (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32) return surface;
  cairo_surface_t* copy = NSCopyAsARGB32(surface);
  cairo_surface_destroy(surface);
  return copy;
}

double NSPNGPixelsPerPoint(std::span<const uint8_t> bytes) {
  constexpr double kMetresPerInch = 0.0254, kPointsPerInch = 72;
  std::size_t offset = 8; // past the signature
  while (offset + 12 <= bytes.size()) {
    uint32_t length = bigEndian32(bytes.data() + offset);
    const uint8_t* type = bytes.data() + offset + 4;
    if (std::memcmp(type, "IDAT", 4) == 0 || length > bytes.size() - offset - 12) break;
    if (std::memcmp(type, "pHYs", 4) == 0 && length == 9 && bytes[offset + 16] == 1) {
      double pixelsPerPoint =
          bigEndian32(bytes.data() + offset + 8) * kMetresPerInch / kPointsPerInch;
      double nearest = std::round(pixelsPerPoint);
      if (nearest >= 1 && std::abs(pixelsPerPoint - nearest) < 0.01) return nearest;
      return pixelsPerPoint > 0 ? pixelsPerPoint : 1;
    }
    offset += 12 + length;
  }
  return 1;
}

namespace {

// A copy of an image surface that shares nothing with it.
cairo_surface_t* copyOfImage(cairo_surface_t* image) {
  const int width = cairo_image_surface_get_width(image);
  const int height = cairo_image_surface_get_height(image);
  const cairo_format_t format = cairo_image_surface_get_format(image);
  cairo_surface_t* copy = cairo_image_surface_create(format, width, height);
  if (cairo_surface_status(copy) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(copy);
    return nullptr;
  }
  cairo_surface_flush(image);
  cairo_surface_flush(copy);
  // Same format and width, so the same stride.
  std::memcpy(cairo_image_surface_get_data(copy), cairo_image_surface_get_data(image),
              static_cast<std::size_t>(cairo_image_surface_get_stride(image)) * height);
  cairo_surface_mark_dirty(copy);
  return copy;
}

std::vector<cairo_surface_t*> decodeICNS(std::span<const uint8_t> bytes) {
  std::vector<cairo_surface_t*> images;
  if (bytes.size() < 8 || std::memcmp(bytes.data(), "icns", 4) != 0) return images;
  // The family's own length must fit in the data, or libicns would read past it.
  uint32_t declared = bigEndian32(bytes.data() + 4);
  if (declared < 8 || declared > bytes.size()) return images;
  static std::once_flag quiet;
  std::call_once(quiet, [] { icns_set_print_errors(0); });
  std::vector<icns_byte_t> copy(bytes.begin(), bytes.begin() + declared);
  icns_family_t* family = nullptr;
  if (icns_import_family_data(static_cast<icns_size_t>(copy.size()), copy.data(), &family) !=
          ICNS_STATUS_OK ||
      !family)
    return images;
  for (icns_type_t type : kIconTypes) {
    icns_element_t* element = nullptr;
    if (icns_get_element_from_family(family, type, &element) != ICNS_STATUS_OK || !element)
      continue;
    std::free(element);
    icns_image_t image{};
    if (icns_get_image32_with_mask_from_family(family, type, &image) == ICNS_STATUS_OK &&
        image.imageData && image.imageChannels == 4 && image.imagePixelDepth == 8 &&
        image.imageDataSize >= uint64_t(image.imageWidth) * image.imageHeight * 4) {
      if (cairo_surface_t* surface =
              surfaceFromRGBA(image.imageData, static_cast<int>(image.imageWidth),
                              static_cast<int>(image.imageHeight)))
        images.push_back(surface);
    }
    icns_free_image(&image);
  }
  std::free(family);
  return images;
}

// The icon family decoded last. An application shows its own icon in every alert, and decoding
// every size of it (up to 1024 x 1024 pixels) takes tens of milliseconds each time; the pictures
// of the same bytes are decoded once and each caller gets copies of its own, which take about a
// millisecond. Made once and kept for the life of the process.
struct LastIconFamily {
  std::mutex lock;
  std::vector<uint8_t> bytes;
  std::vector<cairo_surface_t*> images;
};

LastIconFamily& lastIconFamily() {
  static auto* family = new LastIconFamily;
  return *family;
}

} // namespace

std::vector<cairo_surface_t*> NSDecodeICNS(std::span<const uint8_t> bytes) {
  LastIconFamily& last = lastIconFamily();
  std::lock_guard<std::mutex> hold(last.lock);
  if (!std::equal(bytes.begin(), bytes.end(), last.bytes.begin(), last.bytes.end())) {
    std::vector<cairo_surface_t*> images = decodeICNS(bytes);
    for (cairo_surface_t* image : last.images)
      cairo_surface_destroy(image);
    last.images = std::move(images);
    last.bytes.assign(bytes.begin(), bytes.end());
  }
  std::vector<cairo_surface_t*> copies;
  for (cairo_surface_t* image : last.images)
    if (cairo_surface_t* copy = copyOfImage(image)) copies.push_back(copy);
  return copies;
}
