#include "appkit/rendering/TextLayout.h"
#include "appkit/rendering/CairoOperator.h"

#include <algorithm>
#include <cmath>

#include "appkit/drawing/NSAttributedString.h"
#include "appkit/drawing/NSColor.h"
#include "appkit/drawing/NSFont.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "foundation/values/NSNumber.h"

namespace {

// The font of text that names none, as NSAttributedString's default.
constexpr CGFloat kDefaultAttributedFontSize = 12;

guint16 colorChannel(CGFloat value) {
  return static_cast<guint16>(std::lround(std::clamp<CGFloat>(value, 0, 1) * 65535));
}

void insertColor(PangoAttrList* list, const NSColor* color, int start, int end, bool background) {
  NSColor::RGBA rgba = color->displayRGBA();
  PangoAttribute* attribute =
      background ? pango_attr_background_new(colorChannel(rgba.red), colorChannel(rgba.green),
                                             colorChannel(rgba.blue))
                 : pango_attr_foreground_new(colorChannel(rgba.red), colorChannel(rgba.green),
                                             colorChannel(rgba.blue));
  attribute->start_index = static_cast<guint>(start);
  attribute->end_index = static_cast<guint>(end);
  pango_attr_list_insert(list, attribute);
  // Pango reads an alpha of 0 as "opaque", so a clear colour gets the smallest alpha it knows.
  guint16 alpha = std::max<guint16>(1, colorChannel(rgba.alpha));
  attribute =
      background ? pango_attr_background_alpha_new(alpha) : pango_attr_foreground_alpha_new(alpha);
  attribute->start_index = static_cast<guint>(start);
  attribute->end_index = static_cast<guint>(end);
  pango_attr_list_insert(list, attribute);
}

void insert(PangoAttrList* list, PangoAttribute* attribute, int start, int end) {
  attribute->start_index = static_cast<guint>(start);
  attribute->end_index = static_cast<guint>(end);
  pango_attr_list_insert(list, attribute);
}

PangoAlignment pangoAlignment(NSTextAlignment alignment) {
  switch (alignment) {
  case NSTextAlignmentRight:
    return PANGO_ALIGN_RIGHT;
  case NSTextAlignmentCenter:
    return PANGO_ALIGN_CENTER;
  default:
    return PANGO_ALIGN_LEFT;
  }
}

} // namespace

TextLayout::TextLayout(const NSAttributedString* text) {
  PangoAttrList* list = pango_attr_list_new();
  std::u16string empty;
  const std::u16string& characters = text ? text->utf16() : empty;
  mapping_ = NSMapUTF16ToUTF8(characters);
  const NSParagraphStyle* style = nullptr;
  if (text && text->length() > 0) {
    NSFont* defaultFont = NSFont::systemFontOfSize(kDefaultAttributedFontSize);
    text->enumerateAttributesInRange(NSMakeRange(0, text->length()), [&](NSDictionary* attributes,
                                                                         NSRange range, bool*) {
      int start = mapping_.byteOffsets[range.location];
      int end = mapping_.byteOffsets[range.location + range.length];
      auto* font = ns_cast<NSFont>(attributes->objectForKey(NSFontAttributeName));
      insert(list, pango_attr_font_desc_new((font ? font : defaultFont)->pangoDescription()), start,
             end);
      auto* color = ns_cast<NSColor>(attributes->objectForKey(NSForegroundColorAttributeName));
      insertColor(list, color ? color : NSColor::blackColor(), start, end, false);
      if (auto* background =
              ns_cast<NSColor>(attributes->objectForKey(NSBackgroundColorAttributeName)))
        insertColor(list, background, start, end, true);
      auto* kern = ns_cast<NSNumber>(attributes->objectForKey(NSKernAttributeName));
      CGFloat kernPoints = kern ? kern->doubleValue() : 0;
      if (kernPoints != 0)
        insert(list, pango_attr_letter_spacing_new(NSToPangoUnits(kernPoints)), start, end);
      if (range.location + range.length == text->length()) trailingKern_ = kernPoints;
      auto* underline = ns_cast<NSNumber>(attributes->objectForKey(NSUnderlineStyleAttributeName));
      if (underline && underline->intValue() != 0)
        insert(list, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE), start, end);
      if (range.location == 0)
        style = ns_cast<NSParagraphStyle>(attributes->objectForKey(NSParagraphStyleAttributeName));
    });
  }
  build(characters, list);
  if (style) {
    setAlignment(style->alignment());
    setLineBreakMode(style->lineBreakMode());
    if (style->lineSpacing() > 0)
      pango_layout_set_spacing(layout_, NSToPangoUnits(style->lineSpacing()));
  }
}

TextLayout::TextLayout(const NSString* text, const NSFont* font, const NSColor* color) {
  PangoAttrList* list = pango_attr_list_new();
  std::u16string_view characters = text ? text->utf16() : std::u16string_view();
  mapping_ = NSMapUTF16ToUTF8(characters);
  const NSFont* used = font ? font : NSFont::systemFontOfSize(0);
  insert(list, pango_attr_font_desc_new(used->pangoDescription()), 0,
         static_cast<int>(mapping_.utf8.size()));
  insertColor(list, color ? color : NSColor::blackColor(), 0,
              static_cast<int>(mapping_.utf8.size()), false);
  build(characters, list);
  // An empty text still has the height of a line of its font.
  pango_layout_set_font_description(layout_, used->pangoDescription());
}

void TextLayout::build(std::u16string_view, PangoAttrList* attributes) {
  layout_ = pango_layout_new(NSPangoContext());
  pango_layout_set_text(layout_, mapping_.utf8.data(), static_cast<int>(mapping_.utf8.size()));
  pango_layout_set_attributes(layout_, attributes);
  pango_attr_list_unref(attributes);
}

TextLayout::~TextLayout() {
  if (layout_) g_object_unref(layout_);
}

void TextLayout::setWidth(CGFloat width) {
  hasWidth_ = width > 0;
  pango_layout_set_width(layout_, hasWidth_ ? NSToPangoUnits(width) : -1);
  setLineBreakMode(lineBreakMode_);
}

void TextLayout::setLineBreakMode(NSLineBreakMode mode) {
  lineBreakMode_ = mode;
  PangoEllipsizeMode ellipsize = PANGO_ELLIPSIZE_NONE;
  switch (mode) {
  case NSLineBreakByCharWrapping:
    pango_layout_set_wrap(layout_, PANGO_WRAP_CHAR);
    break;
  case NSLineBreakByTruncatingHead:
    ellipsize = PANGO_ELLIPSIZE_START;
    break;
  case NSLineBreakByTruncatingTail:
    ellipsize = PANGO_ELLIPSIZE_END;
    break;
  case NSLineBreakByTruncatingMiddle:
    ellipsize = PANGO_ELLIPSIZE_MIDDLE;
    break;
  default:
    pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
    break;
  }
  pango_layout_set_ellipsize(layout_, ellipsize);
  // Clipping keeps one line: a width that does not wrap.
  if (mode == NSLineBreakByClipping && hasWidth_) pango_layout_set_width(layout_, -1);
}

void TextLayout::setAlignment(NSTextAlignment alignment) {
  pango_layout_set_alignment(layout_, pangoAlignment(alignment));
  pango_layout_set_justify(layout_, alignment == NSTextAlignmentJustified);
}

NSSize TextLayout::size() const {
  PangoRectangle logical;
  pango_layout_get_extents(layout_, nullptr, &logical);
  CGFloat width = NSFromPangoUnits(logical.width);
  // AppKit's kern follows the last character too; Pango only spaces between characters.
  if (pango_layout_get_line_count(layout_) == 1) width += trailingKern_;
  return NSMakeSize(width, NSFromPangoUnits(logical.height));
}

NSUInteger TextLayout::lineCount() const {
  return static_cast<NSUInteger>(pango_layout_get_line_count(layout_));
}

void TextLayout::show(cairo_t* cairo) const {
  // The shared Pango context keeps its identity transform (no pango_cairo_update_layout): Cairo
  // renders the glyphs for the device transform anyway, and the layout stays what was measured.
  cairo_move_to(cairo, 0, 0);
  pango_cairo_show_layout(cairo, layout_);
}

void TextLayout::drawAtPoint(NSPoint point) const {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context || !layout_) return;
  cairo_t* cairo = context->cairo();
  cairo_save(cairo);
  cairo_set_operator(cairo, NSCairoOperator(context->compositingOperation()));
  if (context->isFlipped()) {
    cairo_translate(cairo, point.x, point.y);
  } else {
    // Layout space grows downward from the box's top edge, which lies one height above.
    cairo_translate(cairo, point.x, point.y + size().height);
    cairo_scale(cairo, 1, -1);
  }
  show(cairo);
  cairo_restore(cairo);
}

NSRect TextLayout::caretRectForIndex(NSUInteger index) const {
  index = std::min<NSUInteger>(index, mapping_.byteOffsets.size() - 1);
  PangoRectangle strong;
  pango_layout_get_cursor_pos(layout_, mapping_.byteOffsets[index], &strong, nullptr);
  return NSMakeRect(NSFromPangoUnits(strong.x), NSFromPangoUnits(strong.y), 0,
                    NSFromPangoUnits(strong.height));
}

NSUInteger TextLayout::indexForPoint(NSPoint point) const {
  int byte = 0, trailing = 0;
  pango_layout_xy_to_index(layout_, NSToPangoUnits(point.x), NSToPangoUnits(point.y), &byte,
                           &trailing);
  // trailing counts characters past the one hit: step over them in UTF-8.
  const char* text = mapping_.utf8.c_str();
  const char* position = text + byte;
  for (int i = 0; i < trailing && *position; ++i)
    position = g_utf8_next_char(position);
  return mapping_.indexOfByte(static_cast<int>(position - text));
}

std::vector<NSRect> TextLayout::selectionRectsForRange(NSRange range) const {
  std::vector<NSRect> rects;
  NSUInteger end =
      std::min<NSUInteger>(range.location + range.length, mapping_.byteOffsets.size() - 1);
  if (range.location >= end) return rects;
  int startByte = mapping_.byteOffsets[range.location], endByte = mapping_.byteOffsets[end];
  PangoLayoutIter* iter = pango_layout_get_iter(layout_);
  do {
    PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
    int lineStart = line->start_index, lineEnd = line->start_index + line->length;
    if (endByte <= lineStart || startByte > lineEnd) continue;
    PangoRectangle lineRect;
    pango_layout_iter_get_line_extents(iter, nullptr, &lineRect);
    int* ranges = nullptr;
    int count = 0;
    pango_layout_line_get_x_ranges(line, std::max(startByte, lineStart), std::min(endByte, lineEnd),
                                   &ranges, &count);
    for (int i = 0; i < count; ++i)
      rects.push_back(NSMakeRect(NSFromPangoUnits(ranges[2 * i]), NSFromPangoUnits(lineRect.y),
                                 NSFromPangoUnits(ranges[2 * i + 1] - ranges[2 * i]),
                                 NSFromPangoUnits(lineRect.height)));
    g_free(ranges);
  } while (pango_layout_iter_next_line(iter));
  pango_layout_iter_free(iter);
  return rects;
}
