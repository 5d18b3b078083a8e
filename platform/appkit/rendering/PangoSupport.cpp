#include "appkit/rendering/PangoSupport.h"
#include <cairo.h>

#include "foundation/runloop/NSThread.h"
#include "foundation/strings/NSStringEncoding.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace {

// The desktop's text smoothing, and how often it changed, which each thread's context checks.
struct TextSmoothing {
  std::optional<bool> antialias;
  std::string hintStyle, subpixelOrder;
};
std::mutex smoothingMutex;
TextSmoothing smoothing; // under smoothingMutex
std::atomic<unsigned> smoothingGeneration{0};

cairo_hint_style_t hintStyleNamed(const std::string& name) {
  if (name == "hintnone") return CAIRO_HINT_STYLE_NONE;
  if (name == "hintmedium") return CAIRO_HINT_STYLE_MEDIUM;
  if (name == "hintfull") return CAIRO_HINT_STYLE_FULL;
  return CAIRO_HINT_STYLE_SLIGHT;
}

cairo_subpixel_order_t subpixelOrderNamed(const std::string& name) {
  if (name == "rgb") return CAIRO_SUBPIXEL_ORDER_RGB;
  if (name == "bgr") return CAIRO_SUBPIXEL_ORDER_BGR;
  if (name == "vrgb") return CAIRO_SUBPIXEL_ORDER_VRGB;
  if (name == "vbgr") return CAIRO_SUBPIXEL_ORDER_VBGR;
  return CAIRO_SUBPIXEL_ORDER_DEFAULT;
}

// Unhinted metrics and unrounded positions always: text keeps its width at every scale factor
// and under every smoothing; the rest follows the desktop.
void applySmoothing(PangoContext* context) {
  TextSmoothing wanted;
  {
    std::lock_guard lock(smoothingMutex);
    wanted = smoothing;
  }
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, hintStyleNamed(wanted.hintStyle));
  const cairo_subpixel_order_t order = subpixelOrderNamed(wanted.subpixelOrder);
  cairo_antialias_t antialias = CAIRO_ANTIALIAS_GRAY;
  if (wanted.antialias == false)
    antialias = CAIRO_ANTIALIAS_NONE;
  else if (order != CAIRO_SUBPIXEL_ORDER_DEFAULT)
    antialias = CAIRO_ANTIALIAS_SUBPIXEL;
  cairo_font_options_set_antialias(options, antialias);
  cairo_font_options_set_subpixel_order(options, order);
  pango_cairo_context_set_font_options(context, options);
  cairo_font_options_destroy(options);
}

// The per-thread font map and context. Pango's font maps are not meant to be shared between
// threads, so each thread that draws text gets its own, released when the thread ends.
struct ThreadPango {
  PangoFontMap* fontMap = nullptr;
  PangoContext* context = nullptr;
  unsigned generation = 0; // of the smoothing applied

  ThreadPango() {
    fontMap = pango_cairo_font_map_new();
    context = pango_font_map_create_context(fontMap);
    pango_cairo_context_set_resolution(context, 72);
    // Unhinted metrics and unrounded positions: text keeps its width at every scale factor.
    pango_context_set_round_glyph_positions(context, FALSE);
    generation = smoothingGeneration.load();
    applySmoothing(context);
  }
  ~ThreadPango() {
    g_object_unref(context);
    g_object_unref(fontMap);
  }
  ThreadPango(const ThreadPango&) = delete;
  ThreadPango& operator=(const ThreadPango&) = delete;
};

// Lays out a line of text once, before the main thread serves: the shaper registers its exit
// handlers on first use, and registered before the platform's own exit stop they would free its
// tables while the main thread still shapes. The fonts are loaded before the first window, too.
void prepareTextOnTheMainThread() {
  PangoLayout* layout = pango_layout_new(NSPangoContext());
  pango_layout_set_text(layout, "Hx", -1);
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  g_object_unref(layout);
}

// Arranged as the drawing library loads, which is before any of it can start the main thread.
[[maybe_unused]] const bool textPreparedAtStart =
    NSThread::addStartHook(prepareTextOnTheMainThread);

} // namespace

PangoContext* NSPangoContext() {
  thread_local ThreadPango pango;
  if (const unsigned now = smoothingGeneration.load(); now != pango.generation) {
    pango.generation = now;
    applySmoothing(pango.context);
  }
  return pango.context;
}

void NSSetTextSmoothing(std::optional<bool> antialias, const std::string& hintStyle,
                        const std::string& subpixelOrder) {
  {
    std::lock_guard lock(smoothingMutex);
    if (smoothing.antialias == antialias && smoothing.hintStyle == hintStyle &&
        smoothing.subpixelOrder == subpixelOrder)
      return;
    smoothing = {antialias, hintStyle, subpixelOrder};
  }
  ++smoothingGeneration;
}

NSUTF8Mapping NSMapUTF16ToUTF8(std::u16string_view text) {
  NSUTF8Mapping mapping;
  mapping.utf8.reserve(text.size());
  mapping.byteOffsets.reserve(text.size() + 1);
  auto append = [&](char32_t c) { appendUTF8(mapping.utf8, c); };
  for (std::size_t i = 0; i < text.size(); ++i) {
    mapping.byteOffsets.push_back(static_cast<int>(mapping.utf8.size()));
    char16_t unit = text[i];
    bool high = unit >= 0xD800 && unit <= 0xDBFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      append(0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
      // The low surrogate has no character of its own: it maps to the end of the pair.
      mapping.byteOffsets.push_back(static_cast<int>(mapping.utf8.size()));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      append(0xFFFD);
    } else {
      append(unit);
    }
  }
  mapping.byteOffsets.push_back(static_cast<int>(mapping.utf8.size()));
  return mapping;
}

std::size_t NSUTF8Mapping::indexOfByte(int byteOffset) const {
  auto it = std::upper_bound(byteOffsets.begin(), byteOffsets.end(), byteOffset);
  if (it == byteOffsets.begin()) return 0;
  return static_cast<std::size_t>(it - byteOffsets.begin() - 1);
}
