// x-screenshot FILE.png: writes what the X server that DISPLAY names shows on its first screen
// (its root window, pop-ups included) as a PNG. make demo-live adds these to the gallery.
#include <cairo.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: x-screenshot FILE.png\n");
    return 2;
  }
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    std::fprintf(stderr, "x-screenshot: no X server at DISPLAY\n");
    return 1;
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const int width = screen->width_in_pixels, height = screen->height_in_pixels;
  if (screen->root_depth != 24) {
    std::fprintf(stderr, "x-screenshot: the screen is not 24 bits deep\n");
    return 1;
  }
  cairo_surface_t* png = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_surface_flush(png);
  unsigned char* data = cairo_image_surface_get_data(png);
  const int stride = cairo_image_surface_get_stride(png);
  // In bands of rows, so that no reply passes the server's request limit.
  constexpr int kRowsPerBand = 256;
  for (int top = 0; top < height; top += kRowsPerBand) {
    const int rows = top + kRowsPerBand > height ? height - top : kRowsPerBand;
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, 0, static_cast<int16_t>(top),
                      static_cast<uint16_t>(width), static_cast<uint16_t>(rows), ~0u),
        nullptr);
    if (!image || xcb_get_image_data_length(image) < width * rows * 4) {
      std::fprintf(stderr, "x-screenshot: the server did not send the screen's pixels\n");
      std::free(image);
      return 1;
    }
    // Both are 32-bit pixels with blue in the lowest byte (the X byte unused).
    const uint8_t* pixels = xcb_get_image_data(image);
    for (int row = 0; row < rows; ++row)
      std::memcpy(data + static_cast<std::size_t>(top + row) * stride,
                  pixels + static_cast<std::size_t>(row) * width * 4,
                  static_cast<std::size_t>(width) * 4);
    std::free(image);
  }
  cairo_surface_mark_dirty(png);
  const cairo_status_t status = cairo_surface_write_to_png(png, argv[1]);
  cairo_surface_destroy(png);
  xcb_disconnect(c);
  if (status != CAIRO_STATUS_SUCCESS) {
    std::fprintf(stderr, "x-screenshot: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
