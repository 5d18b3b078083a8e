#include "chrome/VantrelsBrandLogoView.h"

#include "foundation/values/NSNumber.h"

namespace {

constexpr CGFloat kBrandFontSize = 10.0;
constexpr float kBrandKerning = 2.0f;
// The text's lower-left corner, 2 points above the view's bottom edge.
constexpr NSPoint kTextOrigin{0.0, 2.0};

// The upper-case form of an ASCII text, as uppercaseString gives it for ASCII. The brand text
// is a fixed ASCII literal, so no other case mapping is needed here.
NSString* uppercaseASCII(const NSString* text) {
  std::u16string upper(text->utf16());
  for (char16_t& unit : upper)
    if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - u'a' + u'A');
  return static_cast<NSString*>(NSString::alloc()->initWithUTF16(std::move(upper))->autorelease());
}

} // namespace

VantrelsBrandLogoView* VantrelsBrandLogoView::initWithFrame(NSRect frame) {
  NSView::initWithFrame(frame);
  return this;
}

VantrelsBrandLogoView::~VantrelsBrandLogoView() {
  if (_logoString) _logoString->release();
}

void VantrelsBrandLogoView::appendString(NSString* text, NSMutableAttributedString* target,
                                         NSFont* font, NSColor* color) {
  auto* piece = static_cast<NSMutableAttributedString*>(
      NSMutableAttributedString::alloc()->initWithString(text));
  const NSRange whole = NSMakeRange(0, text ? text->length() : 0);
  piece->addAttribute(NSForegroundColorAttributeName, color, whole);
  piece->addAttribute(NSFontAttributeName, font, whole);
  if (target) target->appendAttributedString(piece);
  piece->release();
}

void VantrelsBrandLogoView::setKerning(float kerning, NSMutableAttributedString* string) {
  if (!string) return;
  string->addAttribute(NSKernAttributeName, NSNumber::numberWithDouble(kerning),
                       NSMakeRange(0, string->length()));
}

void VantrelsBrandLogoView::setup() {
  if (_logoString) _logoString->release();
  _logoString = static_cast<NSMutableAttributedString*>(
      NSMutableAttributedString::alloc()->initWithString(NSSTR("")));
  NSFont* regular = NSFont::systemFontOfSize(kBrandFontSize);
  NSFont* bold = NSFont::boldSystemFontOfSize(kBrandFontSize);
  appendString(uppercaseASCII(NSSTR("The Vantrels : ")), _logoString, regular,
               NSColor::grayColor());
  setKerning(kBrandKerning, _logoString);
  appendString(NSSTR("IXA"), _logoString, bold, NSColor::purpleColor());
  setKerning(kBrandKerning, _logoString);
}

void VantrelsBrandLogoView::drawRect(NSRect dirtyRect) {
  NSView::drawRect(dirtyRect);
  // A view whose setup never ran has no text to draw.
  if (_logoString) _logoString->drawAtPoint(kTextOrigin);
}
