// NSFont: a font of a family, size and weight, laid out by Pango.
//
// The system font is DejaVu Sans, which every Debian system has (fonts-dejavu-core); its bold
// face is the bold system font. Sizes are in points; a size of 0 or less means the system font
// size, 13, as AppKit has it. Fonts are immutable and shared: asking twice for the same font
// gives the same instance.
#pragma once

#include "foundation/values/NSGeometry.h"

// Pango's font description, as pango.h declares it.
typedef struct _PangoFontDescription PangoFontDescription;

class NSFont : public NSObject {
  NS_OBJECT_CLASS(NSFont)

  static NSFont* systemFontOfSize(CGFloat size);
  static NSFont* boldSystemFontOfSize(CGFloat size);
  // The font AppKit uses for menus (the system font).
  static NSFont* menuFontOfSize(CGFloat size);
  // A font by family name ("DejaVu Serif") or PostScript-style name ("DejaVuSans-Bold",
  // "DejaVu Sans Bold"); names that begin with a dot are the system font. nil for a name whose
  // family is not installed, as AppKit gives nil for unknown fonts.
  static NSFont* fontWithName(const NSString* name, CGFloat size);

  // How much larger than their point size system fonts draw: the desktop's text scale, as the
  // display reports it. Their pointSize stays as asked, so frames computed from point sizes stay
  // as they are; text measured by layout grows. Fonts made before a change keep their size.
  static void setSystemTextScale(double scale);
  static double systemTextScale();

  static CGFloat systemFontSize() { return 13; }
  // The family behind the system font.
  static const char* systemFontFamily() { return "DejaVu Sans"; }

  ~NSFont() override;

  // "DejaVuSans" or "DejaVuSans-Bold".
  NSString* fontName() const;
  // "DejaVu Sans".
  NSString* familyName() const;
  CGFloat pointSize() const { return size_; }
  bool isBold() const { return bold_; }
  bool isSystemFont() const { return system_; }

  // Metrics in points. descender is negative (below the baseline), as AppKit gives it.
  CGFloat ascender() const { return ascender_; }
  CGFloat descender() const { return descender_; }
  CGFloat leading() const { return leading_; }
  CGFloat capHeight() const { return capHeight_; }
  CGFloat xHeight() const { return xHeight_; }
  // The height of one line of text in this font (ascender - descender + leading).
  CGFloat defaultLineHeight() const { return ascender_ - descender_ + leading_; }

  const PangoFontDescription* pangoDescription() const { return description_; }

  NSString* description() const override; // "DejaVuSans-Bold 10.00 pt."
  bool isEqual(const NSObject* other) const override;
  std::size_t hash() const override;

private:
  PangoFontDescription* description_ = nullptr;
  bool system_ = false;
  CGFloat size_ = 13;
  bool bold_ = false;
  CGFloat ascender_ = 0, descender_ = 0, leading_ = 0, capHeight_ = 0, xHeight_ = 0;

  static NSFont* shared(const std::string& family, CGFloat size, bool bold, bool system);
  void measure();
};
