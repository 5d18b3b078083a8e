#include "appkit/rendering/PNGEncoding.h"
#include <cairo.h>

#include <png.h>

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

// One row of Cairo's native-endian, premultiplied ARGB as straight RGBA.
void unpremultiplyRow(const uint32_t* in, uint8_t* out, int width, bool hasAlpha) {
  for (int x = 0; x < width; ++x) {
    const uint32_t pixel = in[x];
    const uint32_t alpha = hasAlpha ? pixel >> 24 : 255;
    uint32_t red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
    if (alpha != 255 && alpha != 0) {
      red = (red * 255 + alpha / 2) / alpha;
      green = (green * 255 + alpha / 2) / alpha;
      blue = (blue * 255 + alpha / 2) / alpha;
    }
    out[4 * x] = static_cast<uint8_t>(red);
    out[4 * x + 1] = static_cast<uint8_t>(green);
    out[4 * x + 2] = static_cast<uint8_t>(blue);
    out[4 * x + 3] = static_cast<uint8_t>(alpha);
  }
}

} // namespace

std::vector<uint8_t> encodeSurfaceAsPNG(cairo_surface_t* surface) {
  std::vector<uint8_t> out;
  if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return out;
  const cairo_format_t format = cairo_image_surface_get_format(surface);
  if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) return out;
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  if (!data || width <= 0 || height <= 0) return out;

  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return out;
  }
  std::vector<uint8_t> row(static_cast<std::size_t>(width) * 4);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, appendBytes, nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  // Fastest deflate with the one cheap filter that still pays off on flat user-interface art.
  png_set_compression_level(png, 1);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    unpremultiplyRow(
        reinterpret_cast<const uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride),
        row.data(), width, format == CAIRO_FORMAT_ARGB32);
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}
