// Shared Pango plumbing for fonts and text: one Pango context per thread, set up so that one
// Pango unit of size is one point (72 dpi) and layout is independent of the scale factor (glyph
// metrics and positions are not hinted or rounded), which keeps text the same width at scale 1
// and 2 and lets measured sizes match drawn ones.
#pragma once

#include <pango/pangocairo.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/values/NSGeometry.h"

// The calling thread's context for measuring and laying out text.
PangoContext* NSPangoContext();
// How text is smoothed from now on, on every thread, as the desktop's font settings say: an
// empty antialias, hint style ("hintnone" ... "hintfull") or subpixel order ("rgb", "bgr",
// "vrgb", "vbgr", "none") keeps the platform's own choice (greyscale, slight hinting).
void NSSetTextSmoothing(std::optional<bool> antialias, const std::string& hintStyle,
                        const std::string& subpixelOrder);

// Pango units to points and back.
inline CGFloat NSFromPangoUnits(int units) {
  return static_cast<CGFloat>(units) / PANGO_SCALE;
}
inline int NSToPangoUnits(CGFloat points) {
  return static_cast<int>(points * PANGO_SCALE + 0.5);
}

// UTF-16 text as UTF-8 with the byte offset of every UTF-16 index (one entry more than the
// length, so the end maps too). A lone surrogate becomes U+FFFD, which keeps offsets in step.
struct NSUTF8Mapping {
  std::string utf8;
  std::vector<int> byteOffsets;
  // The UTF-16 index of a byte offset (the index whose character starts at or before it).
  std::size_t indexOfByte(int byteOffset) const;
};
NSUTF8Mapping NSMapUTF16ToUTF8(std::u16string_view text);
