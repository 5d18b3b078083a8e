// TextLayout: one laid-out piece of text, for controls and for NSAttributedString's drawing.
//
// Layout space has its origin at the top-left corner of the text's box and y growing downward,
// in points; drawAtPoint and drawInRect place that box in the current graphics context the way
// AppKit places text (lower-left corner at the point in a non-flipped context, upper-left in a
// flipped one). Kerning (NSKernAttributeName) is added after every character, the last one too,
// as AppKit does: Pango spaces the glyphs, and size() adds the kern that follows the last one.
//
//   TextLayout label(NSSTR("Cancel"), NSFont::systemFontOfSize(13), NSColor::labelColor());
//   NSSize size = label.size();
//   label.drawAtPoint(NSMakePoint(x, y));
#pragma once

#include <pango/pango.h>

#include <vector>

#include "appkit/drawing/NSParagraphStyle.h"
#include "appkit/rendering/PangoSupport.h"

class NSAttributedString;
class NSColor;
class NSFont;

class TextLayout {
public:
  // Attributed text; paragraph style (alignment, line breaking) is taken from its first
  // character.
  explicit TextLayout(const NSAttributedString* text);
  // Plain text in one font and colour; nil font is the system font, nil colour black.
  TextLayout(const NSString* text, const NSFont* font, const NSColor* color);
  ~TextLayout();
  TextLayout(const TextLayout&) = delete;
  TextLayout& operator=(const TextLayout&) = delete;

  // Lines longer than the width wrap (or truncate, or clip, by the line break mode); 0 or less
  // lays every paragraph out on one line.
  void setWidth(CGFloat width);
  void setLineBreakMode(NSLineBreakMode mode);
  void setAlignment(NSTextAlignment alignment);

  // The size of the text's box.
  NSSize size() const;
  NSUInteger lineCount() const;

  void drawAtPoint(NSPoint point) const;

  // Editing support, in layout space and UTF-16 indices. The caret before the character at
  // index (index == length: after the last one), as a zero-width rectangle one line high.
  NSRect caretRectForIndex(NSUInteger index) const;
  // The index of the caret position closest to the point.
  NSUInteger indexForPoint(NSPoint point) const;
  // The rectangles that cover the characters of the range, one per line.
  std::vector<NSRect> selectionRectsForRange(NSRange range) const;

private:
  PangoLayout* layout_ = nullptr;
  NSUTF8Mapping mapping_;
  CGFloat trailingKern_ = 0;
  NSLineBreakMode lineBreakMode_ = NSLineBreakByWordWrapping;
  bool hasWidth_ = false;

  void build(std::u16string_view text, PangoAttrList* attributes);
  void show(cairo_t* cairo) const;
};
