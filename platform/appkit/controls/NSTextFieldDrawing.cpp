// NSTextField: its look. Bezeled fields draw a white box with a thin border and, while they
// edit in the key window, the focus ring; labels draw only their text, from the top edge.
#include <algorithm>
#include <cmath>

#include "appkit/controls/NSTextField.h"
#include "appkit/drawing/NSGraphics.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/look/ControlLook.h"
#include "appkit/rendering/TextLayout.h"
#include "appkit/windows/NSWindow.h"

namespace {

// Room between a bezel (or border) and the text, horizontally.
constexpr CGFloat kBezelTextInsetX = 4;
// Room between a label's frame and its text, horizontally; labels start at the top edge.
constexpr CGFloat kLabelTextInsetX = 2;

} // namespace

NSRect NSTextField::textRect() const {
  const NSRect bounds = this->bounds();
  if (!bezeled_ && !bordered_)
    return NSInsetRect(bounds, std::min(kLabelTextInsetX, bounds.size.width / 2), 0);
  // One line, centred vertically in the box.
  const CGFloat lineHeight = std::ceil(font()->defaultLineHeight());
  const CGFloat top = std::max<CGFloat>(1, std::floor((bounds.size.height - lineHeight) / 2));
  return NSMakeRect(bounds.origin.x + kBezelTextInsetX, bounds.origin.y + top,
                    std::max<CGFloat>(0, bounds.size.width - 2 * kBezelTextInsetX),
                    std::max<CGFloat>(0, bounds.size.height - 2 * top));
}

NSUInteger NSTextField::indexForPoint(NSPoint pointInView) const {
  const NSRect rect = textRect();
  TextLayout layout(NSString::stringWithCharacters(editor_.text().data(), editor_.text().size()),
                    font(), textColor_);
  return layout.indexForPoint(
      NSMakePoint(pointInView.x - rect.origin.x + scrollOffset_, pointInView.y - rect.origin.y));
}

void NSTextField::drawRect(NSRect) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context) return;
  const NSRect bounds = this->bounds();
  const bool focused = editing_ && windowIsKey();
  if (drawsBackground_ && backgroundColor_) {
    backgroundColor_->setFill();
    NSRectFill(bezeled_ ? NSInsetRect(bounds, 0.5, 0.5) : bounds);
  }
  if (bezeled_)
    ControlLook::drawTextFieldBezel(bounds, focused, isEnabled());
  else if (bordered_)
    ControlLook::drawPlainBorder(bounds);

  const NSRect rect = textRect();
  const bool showPlaceholder =
      stringValue()->length() == 0 && (!editing_ || editor_.text().empty());
  NSColor* color = isEnabled() ? textColor_.get() : NSColor::disabledControlTextColor();
  const NSString* text =
      editing_ ? NSString::stringWithCharacters(editor_.text().data(), editor_.text().size())
               : stringValue();
  if (showPlaceholder && placeholder_) {
    text = placeholder_;
    color = NSColor::tertiaryLabelColor();
  }
  TextLayout layout(text, font(), color);
  layout.setAlignment(alignment());
  const bool wraps = !editable_ && !bezeled_ && rect.size.height >= 2 * font()->defaultLineHeight();
  if (wraps) {
    layout.setWidth(rect.size.width);
  } else {
    layout.setLineBreakMode(NSLineBreakByClipping);
    if (alignment() == NSTextAlignmentRight || alignment() == NSTextAlignmentCenter)
      layout.setWidth(rect.size.width);
  }

  context->saveGState();
  NSRectClip(rect);
  CGFloat offset = 0;
  if (editing_) {
    // Keep the caret in view when the text is wider than the field.
    const NSRect caret = layout.caretRectForIndex(editor_.caret());
    offset = std::max<CGFloat>(0, caret.origin.x + 1 - rect.size.width);
    const NSRange selection = editor_.selectedRange();
    if (selection.length > 0 && !showPlaceholder) {
      (focused ? NSColor::selectedTextBackgroundColor()
               : ControlLook::shade(ControlLook::rgb(220, 220, 220), ControlLook::rgb(70, 70, 70)))
          ->setFill();
      for (NSRect r : layout.selectionRectsForRange(selection))
        NSRectFill(NSOffsetRect(r, rect.origin.x - offset, rect.origin.y));
    }
  }
  scrollOffset_ = offset;
  layout.drawAtPoint(NSMakePoint(rect.origin.x - offset, rect.origin.y));
  if (focused && editor_.selectedRange().length == 0) {
    const NSRect caret = layout.caretRectForIndex(editor_.caret());
    color->setFill();
    NSRectFill(
        NSBackingAlignedRect(NSMakeRect(rect.origin.x - offset + caret.origin.x,
                                        rect.origin.y + caret.origin.y, 1, caret.size.height)));
  }
  context->restoreGState();
}
