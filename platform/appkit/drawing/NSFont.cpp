#include "appkit/drawing/NSFont.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

#include "appkit/rendering/PangoSupport.h"

namespace {

using FontKey = std::tuple<std::string, CGFloat, bool, bool, double>;

// How much larger than their point size the system fonts draw (the desktop's text scale).
std::atomic<double> textScaleOfSystemFonts{1};

// Fonts are shared like AppKit's. The cache is bounded so that a caller asking for endless
// sizes cannot grow it without end; past the bound fonts are made afresh (and autoreleased).
constexpr std::size_t kFontCacheLimit = 512;
std::mutex cacheMutex;
std::map<FontKey, NSFont*>& fontCache() {
  static auto* cache = new std::map<FontKey, NSFont*>(); // immortal, like the fonts it holds
  return *cache;
}

std::string lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The installed family whose name equals the given one, ignoring case and blanks; "" if none.
std::string installedFamily(const std::string& name) {
  auto squeeze = [](const std::string& text) {
    std::string out;
    for (char c : lowercase(text))
      if (c != ' ') out.push_back(c);
    return out;
  };
  std::string wanted = squeeze(name);
  PangoFontFamily** families = nullptr;
  int count = 0;
  pango_font_map_list_families(pango_context_get_font_map(NSPangoContext()), &families, &count);
  std::string found;
  for (int i = 0; i < count && found.empty(); ++i) {
    const char* family = pango_font_family_get_name(families[i]);
    if (squeeze(family) == wanted) found = family;
  }
  g_free(families);
  return found;
}

CGFloat normalisedSize(CGFloat size) {
  return size > 0 ? size : NSFont::systemFontSize();
}

} // namespace

NSFont* NSFont::shared(const std::string& family, CGFloat size, bool bold, bool system) {
  const double textScale = system ? textScaleOfSystemFonts.load() : 1;
  FontKey key{family, size, bold, system, textScale};
  std::lock_guard lock(cacheMutex);
  auto& cache = fontCache();
  if (auto found = cache.find(key); found != cache.end()) return found->second;
  auto* font = NSFont::alloc();
  font->size_ = size;
  font->bold_ = bold;
  font->system_ = system;
  font->description_ = pango_font_description_new();
  pango_font_description_set_family(font->description_, family.c_str());
  pango_font_description_set_weight(font->description_,
                                    bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_absolute_size(font->description_, size * textScale * PANGO_SCALE);
  font->measure();
  if (cache.size() < kFontCacheLimit) {
    cache.emplace(key, font);
    return font;
  }
  return static_cast<NSFont*>(font->autorelease());
}

void NSFont::setSystemTextScale(double scale) {
  textScaleOfSystemFonts = scale > 0 ? scale : 1;
}

double NSFont::systemTextScale() {
  return textScaleOfSystemFonts;
}

void NSFont::measure() {
  PangoContext* context = NSPangoContext();
  PangoFont* font = pango_context_load_font(context, description_);
  if (font) {
    PangoFontMetrics* metrics = pango_font_get_metrics(font, nullptr);
    ascender_ = NSFromPangoUnits(pango_font_metrics_get_ascent(metrics));
    descender_ = -NSFromPangoUnits(pango_font_metrics_get_descent(metrics));
    CGFloat height = NSFromPangoUnits(pango_font_metrics_get_height(metrics));
    leading_ = std::max<CGFloat>(0, height - (ascender_ - descender_));
    pango_font_metrics_unref(metrics);
    g_object_unref(font);
  }
  // Cap and x heights are the ink heights of an "H" and an "x".
  auto inkHeight = [&](const char* glyph) {
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, description_);
    pango_layout_set_text(layout, glyph, -1);
    PangoRectangle ink;
    pango_layout_get_extents(layout, &ink, nullptr);
    g_object_unref(layout);
    return NSFromPangoUnits(ink.height);
  };
  capHeight_ = inkHeight("H");
  xHeight_ = inkHeight("x");
}

NSFont::~NSFont() {
  if (description_) pango_font_description_free(description_);
}

NSFont* NSFont::systemFontOfSize(CGFloat size) {
  return shared(systemFontFamily(), normalisedSize(size), false, true);
}
NSFont* NSFont::boldSystemFontOfSize(CGFloat size) {
  return shared(systemFontFamily(), normalisedSize(size), true, true);
}
NSFont* NSFont::menuFontOfSize(CGFloat size) {
  return systemFontOfSize(size);
}

NSFont* NSFont::fontWithName(const NSString* name, CGFloat size) {
  if (!name || name->length() == 0) return nullptr;
  std::string text = name->utf8();
  size = normalisedSize(size);
  if (text.front() == '.') return systemFontOfSize(size);
  if (std::string family = installedFamily(text); !family.empty())
    return shared(family, size, false, family == systemFontFamily());
  // "Family Bold", "Family-Bold" and "FamilyBold" name the bold face of Family.
  bool bold = false;
  std::string lower = lowercase(text);
  for (std::string suffix : {" bold", "-bold", "bold"}) {
    if (lower.size() > suffix.size() && lower.ends_with(suffix)) {
      bold = true;
      text.resize(text.size() - suffix.size());
      break;
    }
  }
  std::string family = installedFamily(text);
  if (family.empty()) return nullptr;
  return shared(family, size, bold, family == systemFontFamily());
}

NSString* NSFont::familyName() const {
  return NSString::stringWithUTF8String(pango_font_description_get_family(description_));
}

NSString* NSFont::fontName() const {
  std::string name;
  for (const char* c = pango_font_description_get_family(description_); *c; ++c)
    if (*c != ' ') name.push_back(*c);
  if (bold_) name += "-Bold";
  return NSString::stringWithUTF8String(name.c_str());
}

NSString* NSFont::description() const {
  return NSString::stringWithFormat("%@ %.2f pt.", fontName(), size_);
}

bool NSFont::isEqual(const NSObject* other) const {
  const auto* font = ns_cast<NSFont>(other);
  if (!font) return false;
  return font == this || (font->size_ == size_ && font->bold_ == bold_ &&
                          pango_font_description_equal(font->description_, description_));
}

std::size_t NSFont::hash() const {
  return pango_font_description_hash(description_) ^ std::hash<CGFloat>{}(size_);
}
