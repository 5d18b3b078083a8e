// The brand text near the right end of the header band: the maker's name in grey capitals and
// the product's name in bold purple, letter-spaced, on one line.
#pragma once

#include "appkit/drawing/NSAttributedString.h"
#include "appkit/drawing/NSColor.h"
#include "appkit/drawing/NSFont.h"
#include "appkit/views/NSView.h"
#include "bridge/Export.h"

class BRIX_EXPORT VantrelsBrandLogoView : public NSView {
  NS_OBJECT_CLASS(VantrelsBrandLogoView)

  // Only initialises the view: the text is built by setup, which the creator sends.
  VantrelsBrandLogoView* initWithFrame(NSRect frame) override;
  ~VantrelsBrandLogoView() override;

  // Appends text to target in the font and colour.
  void appendString(NSString* text, NSMutableAttributedString* target, NSFont* font,
                    NSColor* color);
  // Sets the kerning of the whole string, replacing any kerning already there.
  void setKerning(float kerning, NSMutableAttributedString* string);
  // Builds the brand text afresh; a second call replaces the first text.
  void setup();
  void drawRect(NSRect dirtyRect) override;

  // The brand text; nil until setup.
  NSMutableAttributedString* logoString() const { return _logoString; }

private:
  NSMutableAttributedString* _logoString = nullptr; // owned
};
