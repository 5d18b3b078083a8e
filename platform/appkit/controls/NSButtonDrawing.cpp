// NSButton: its look. Push buttons draw a white rounded bezel with a soft shadow, the default
// button the accent colour with a white title; check boxes and radio buttons draw their box or
// circle left of the title.
#include <algorithm>
#include <cmath>

#include "appkit/controls/NSButton.h"
#include "appkit/drawing/NSBezierPath.h"
#include "appkit/drawing/NSGraphics.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/look/ControlLook.h"
#include "appkit/rendering/TextLayout.h"
#include "appkit/windows/NSWindow.h"

namespace {

// Side of a check box, and diameter of a radio button.
constexpr CGFloat kCheckBoxSize = 14;
// Room between the box (or circle) and the title.
constexpr CGFloat kCheckBoxTitleGap = 5;

} // namespace

void NSButton::drawRect(NSRect) {
  if (!NSGraphicsContext::currentContext()) return;
  const NSRect bounds = this->bounds();
  if (buttonType_ == NSButtonTypeSwitch || buttonType_ == NSButtonTypeRadio)
    return drawCheckOrRadio(bounds, buttonType_ == NSButtonTypeRadio);
  drawPushButton(bounds);
}

void NSButton::drawTitle(NSRect rect, NSColor* color, NSTextAlignment alignment) {
  if (title_->length() == 0) return;
  TextLayout layout(title_, font(), color);
  layout.setLineBreakMode(NSLineBreakByTruncatingTail);
  layout.setWidth(rect.size.width);
  layout.setAlignment(alignment);
  const NSSize size = layout.size();
  // Centre the line box vertically; the flipped flag of the context places it right either way.
  const CGFloat y = NSMidY(rect) + (isFlipped() ? -size.height / 2 : -size.height / 2);
  layout.drawAtPoint(NSMakePoint(rect.origin.x, std::round(y * 2) / 2));
}

void NSButton::drawPushButton(NSRect bounds) {
  const bool key = windowIsKey();
  const bool isDefault = isDefaultButton();
  const bool pressed =
      highlighted_ ||
      (state_ == NSControlStateValueOn &&
       (buttonType_ == NSButtonTypePushOnPushOff || buttonType_ == NSButtonTypeOnOff));
  NSRect content = bounds;
  if (bordered_) {
    content = ControlLook::pushButtonBezelRect(bounds, isFlipped());
    ControlLook::drawPushButtonBezel(content, isDefault, pressed, isEnabled(), key);
  }
  if (showsFocusRing()) ControlLook::drawFocusRing(bordered_ ? content : bounds, 5);
  NSColor* color = !isEnabled()                      ? NSColor::disabledControlTextColor()
                   : (isDefault && key && bordered_) ? NSColor::alternateSelectedControlTextColor()
                                                     : NSColor::controlTextColor();
  NSImage* picture = (pressed && alternateImage_) ? alternateImage_.get() : image_.get();
  NSRect titleRect = NSInsetRect(content, 8, 0);
  if (picture) {
    const NSSize size = picture->size();
    const CGFloat side = std::min({content.size.height - 4, size.height, size.width});
    const CGFloat scale = side / std::max<CGFloat>(1, std::max(size.width, size.height));
    const NSSize drawn = NSMakeSize(size.width * scale, size.height * scale);
    const bool alone = title_->length() == 0;
    const CGFloat x = alone ? NSMidX(content) - drawn.width / 2 : titleRect.origin.x;
    picture->drawInRect(NSBackingAlignedRect(NSMakeRect(x, NSMidY(content) - drawn.height / 2,
                                                        drawn.width, drawn.height)),
                        NSZeroRect, NSCompositingOperationSourceOver, isEnabled() ? 1 : 0.5, true,
                        nullptr);
    if (!alone) {
      titleRect.origin.x += drawn.width + 4;
      titleRect.size.width -= drawn.width + 4;
    }
  }
  drawTitle(titleRect, color, picture ? NSTextAlignmentLeft : NSTextAlignmentCenter);
}

void NSButton::drawCheckOrRadio(NSRect bounds, bool radio) {
  const bool on = state_ == NSControlStateValueOn;
  const bool mixed = state_ == NSControlStateValueMixed;
  const NSRect box = NSBackingAlignedRect(NSMakeRect(
      bounds.origin.x + 1, NSMidY(bounds) - kCheckBoxSize / 2, kCheckBoxSize, kCheckBoxSize));
  const CGFloat radius = radio ? kCheckBoxSize / 2 : 3.5;
  NSBezierPath* shape = ControlLook::alignedRoundedRect(box, radius);
  if ((on || mixed) && isEnabled()) {
    (highlighted_ ? ControlLook::rgb(16, 88, 205) : ControlLook::accent())->setFill();
    shape->fill();
  } else {
    ControlLook::shade(highlighted_ ? ControlLook::rgb(222, 222, 222) : NSColor::whiteColor(),
                       highlighted_ ? ControlLook::rgb(124, 124, 124)
                                    : ControlLook::rgb(90, 90, 90))
        ->setFill();
    shape->fill();
    NSBezierPath* border = ControlLook::alignedRoundedRect(NSInsetRect(box, 0.25, 0.25), radius);
    border->setLineWidth(0.5);
    ControlLook::shade(ControlLook::rgb(0, 0, 0, 0.35), ControlLook::rgb(255, 255, 255, 0.2))
        ->setStroke();
    border->stroke();
  }
  if (showsFocusRing()) ControlLook::drawFocusRing(box, radius);
  NSColor* mark = isEnabled() && (on || mixed) ? NSColor::whiteColor() : NSColor::grayColor();
  if (radio && on) {
    mark->setFill();
    NSBezierPath::bezierPathWithOvalInRect(NSInsetRect(box, 4.5, 4.5))->fill();
  } else if (mixed) {
    mark->setFill();
    NSRectFill(NSBackingAlignedRect(NSMakeRect(box.origin.x + 3.5, NSMidY(box) - 1, 7, 2)));
  } else if (on) {
    // A check mark drawn in the box's own orientation.
    const CGFloat sign = isFlipped() ? -1 : 1;
    const NSPoint mid = NSMakePoint(NSMidX(box), NSMidY(box));
    NSBezierPath* check = NSBezierPath::bezierPath();
    check->moveToPoint(NSMakePoint(mid.x - 3.8, mid.y + sign * 0.2));
    check->lineToPoint(NSMakePoint(mid.x - 1.2, mid.y - sign * 2.6));
    check->lineToPoint(NSMakePoint(mid.x + 3.8, mid.y + sign * 3.0));
    check->setLineWidth(2);
    check->setLineCapStyle(NSLineCapStyleRound);
    check->setLineJoinStyle(NSLineJoinStyleRound);
    mark->setStroke();
    check->stroke();
  }
  NSRect titleRect = bounds;
  titleRect.origin.x = NSMaxX(box) + kCheckBoxTitleGap;
  titleRect.size.width = std::max<CGFloat>(0, NSMaxX(bounds) - titleRect.origin.x);
  drawTitle(titleRect,
            isEnabled() ? NSColor::controlTextColor() : NSColor::disabledControlTextColor(),
            NSTextAlignmentLeft);
}
