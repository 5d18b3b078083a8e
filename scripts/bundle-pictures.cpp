// Draws the sample bundle's pictures: the application icon at every icon size (PNG files that
// make-bundle-pictures packs into Ixa.icns), the side-panel logo monologo.png and the window
// logo title_logo.png. The logos are drawn at twice their size and marked 144 dpi, so that
// image readers that honour the resolution see them at their size in points and draw them
// sharply on a scale-2 display.
//
//   bundle-pictures <output folder>
#include <pango/pangocairo.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr double kLogoScale = 2;           // pixels per point of the logos
constexpr uint32_t kPixelsPerMetre = 5669; // 144 dpi

// MARK: PNG with a resolution

uint32_t crc32(const uint8_t* bytes, std::size_t length, uint32_t crc = 0xFFFFFFFF) {
  for (std::size_t i = 0; i < length; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return crc;
}

void putBigEndian(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<uint8_t>(value >> shift));
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::vector<uint8_t>*>(closure);
  out->insert(out->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

// Writes the surface as PNG, with a pHYs chunk after IHDR when a resolution is given.
void writePNG(cairo_surface_t* surface, const std::string& path, uint32_t pixelsPerMetre) {
  std::vector<uint8_t> png;
  cairo_surface_write_to_png_stream(surface, appendBytes, &png);
  if (pixelsPerMetre) {
    std::vector<uint8_t> chunk;
    putBigEndian(chunk, 9);
    for (char c : std::string("pHYs"))
      chunk.push_back(static_cast<uint8_t>(c));
    putBigEndian(chunk, pixelsPerMetre);
    putBigEndian(chunk, pixelsPerMetre);
    chunk.push_back(1); // unit: metre
    putBigEndian(chunk, crc32(chunk.data() + 4, chunk.size() - 4) ^ 0xFFFFFFFF);
    constexpr std::size_t kAfterHeader = 8 + 4 + 4 + 13 + 4; // signature, IHDR chunk
    png.insert(png.begin() + kAfterHeader, chunk.begin(), chunk.end());
  }
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

// MARK: shapes

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void text(cairo_t* cr, const char* words, const char* font, double x, double baseline,
          double letterSpacing) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  pango_cairo_context_set_resolution(pango_layout_get_context(layout), 72);
  pango_layout_context_changed(layout);
  PangoFontDescription* description = pango_font_description_from_string(font);
  pango_layout_set_font_description(layout, description);
  PangoAttrList* attributes = pango_attr_list_new();
  pango_attr_list_insert(
      attributes, pango_attr_letter_spacing_new(static_cast<int>(letterSpacing * PANGO_SCALE)));
  pango_layout_set_attributes(layout, attributes);
  pango_layout_set_text(layout, words, -1);
  cairo_move_to(cr, x, baseline - pango_layout_get_baseline(layout) / double(PANGO_SCALE));
  pango_cairo_show_layout(cr, layout);
  pango_attr_list_unref(attributes);
  pango_font_description_free(description);
  g_object_unref(layout);
}

// The mark shared by the icon and the logos: a small dialog window, 1 x 0.8 units, with a title
// bar of three dots, two lines of text and a default button. Painted with the current (solid)
// source; the details are cut out of it.
void dialogMark(cairo_t* cr, double x, double y, double unit) {
  cairo_pattern_t* source = cairo_pattern_reference(cairo_get_source(cr));
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, unit, unit);
  cairo_push_group(cr);
  roundedRect(cr, 0, 0, 1, 0.8, 0.1);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_fill(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  for (int i = 0; i < 3; ++i) {
    cairo_arc(cr, 0.12 + i * 0.09, 0.11, 0.032, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  cairo_rectangle(cr, 0, 0.2, 1, 0.035);
  cairo_fill(cr);
  roundedRect(cr, 0.12, 0.33, 0.6, 0.07, 0.035);
  roundedRect(cr, 0.12, 0.46, 0.42, 0.07, 0.035);
  cairo_fill(cr);
  roundedRect(cr, 0.6, 0.6, 0.28, 0.11, 0.055);
  cairo_fill(cr);
  cairo_pattern_t* shape = cairo_pop_group(cr);
  cairo_set_source(cr, source);
  cairo_mask(cr, shape);
  cairo_pattern_destroy(shape);
  cairo_restore(cr);
  cairo_pattern_destroy(source);
}

// MARK: pictures

// The application icon at size pixels: a rounded square with a purple gradient, a soft shadow
// and the white dialog mark, on the macOS icon grid (the square is 80 % of the canvas).
void drawIcon(cairo_t* cr, double size) {
  double inset = size * 0.1, side = size * 0.8, radius = side * 0.225;
  for (int i = 4; i >= 1; --i) { // shadow: a few widening translucent layers
    roundedRect(cr, inset - i * size * 0.004, inset + size * 0.012 - i * size * 0.002,
                side + i * size * 0.008, side + i * size * 0.008, radius + i * size * 0.004);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.05);
    cairo_fill(cr);
  }
  roundedRect(cr, inset, inset, side, side, radius);
  cairo_pattern_t* fill = cairo_pattern_create_linear(0, inset, 0, inset + side);
  cairo_pattern_add_color_stop_rgb(fill, 0, 0.69, 0.36, 0.85);
  cairo_pattern_add_color_stop_rgb(fill, 1, 0.42, 0.13, 0.62);
  cairo_set_source(cr, fill);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(fill);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.25); // a faint rim of light along the edge
  cairo_set_line_width(cr, std::max(1.0, size / 256));
  cairo_stroke(cr);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.95);
  dialogMark(cr, size * 0.26, size * 0.3, size * 0.48);
}

void writeIcon(const std::string& folder, int size) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
  cairo_t* cr = cairo_create(surface);
  drawIcon(cr, size);
  cairo_destroy(cr);
  writePNG(surface, folder + "/icon_" + std::to_string(size) + ".png", 0);
  cairo_surface_destroy(surface);
}

// A logo of width x height points: the mark and the word IXA in the given colours.
void writeLogo(const std::string& path, double width, double height, double markRed,
               double markGreen, double markBlue, double wordRed, double wordGreen,
               double wordBlue) {
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width * kLogoScale),
                                 static_cast<int>(height * kLogoScale));
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, kLogoScale, kLogoScale);
  double markSide = height * 0.9;
  cairo_set_source_rgb(cr, markRed, markGreen, markBlue);
  dialogMark(cr, 0, (height - markSide * 0.8) / 2, markSide);
  cairo_set_source_rgb(cr, wordRed, wordGreen, wordBlue);
  std::string font = "DejaVu Sans Bold " + std::to_string(static_cast<int>(height * 0.62)) + "px";
  text(cr, "IXA", font.c_str(), markSide * 1.2, height * 0.78, height * 0.08);
  cairo_destroy(cr);
  writePNG(surface, path, kPixelsPerMetre);
  cairo_surface_destroy(surface);
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  std::string folder = argv[1];
  for (int size : {16, 32, 48, 128, 256, 512})
    writeIcon(folder, size);
  // White on transparent, for the dark side panel.
  writeLogo(folder + "/monologo.png", 120, 40, 1, 1, 1, 1, 1, 1);
  // Purple mark and dark grey word, for the light window background.
  writeLogo(folder + "/title_logo.png", 150, 25, 0.5, 0, 0.5, 0.25, 0.25, 0.25);
  return 0;
}
