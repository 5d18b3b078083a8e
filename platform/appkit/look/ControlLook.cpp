#include "appkit/look/ControlLook.h"

#include <algorithm>
#include <cmath>

#include "appkit/drawing/NSAppearance.h"
#include "appkit/drawing/NSBezierPath.h"
#include "appkit/drawing/NSGradient.h"
#include "appkit/drawing/NSGraphics.h"
#include "appkit/drawing/NSGraphicsContext.h"

namespace ControlLook {

NSColor* rgb(int red, int green, int blue, CGFloat alpha) {
  return NSColor::colorWithSRGBRed(red / 255.0, green / 255.0, blue / 255.0, alpha);
}

bool drawsDark() {
  return NSAppearance::currentDrawingAppearance()->isDark();
}

NSColor* shade(NSColor* light, NSColor* dark) {
  return drawsDark() ? dark : light;
}

NSColor* accent() {
  return NSColor::controlAccentColor();
}

NSBezierPath* alignedRoundedRect(NSRect rect, CGFloat radius) {
  return NSBezierPath::bezierPathWithRoundedRect(NSBackingAlignedRect(rect), radius, radius);
}

NSRect pushButtonBezelRect(NSRect bounds, bool flipped) {
  const CGFloat height = std::min(kPushButtonBezelHeight, bounds.size.height);
  const CGFloat inset = std::min(kPushButtonSideInset, bounds.size.width / 4);
  // The bezel sits one point above the middle, leaving its shadow room below.
  CGFloat y = NSMidY(bounds) - height / 2;
  y += flipped ? -0.5 : 0.5;
  return NSBackingAlignedRect(
      NSMakeRect(bounds.origin.x + inset, y, bounds.size.width - 2 * inset, height));
}

void drawPushButtonBezel(NSRect bezel, bool isDefault, bool highlighted, bool enabled,
                         bool windowIsKey) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context) return;
  const bool flipped = context->isFlipped();
  // A soft shadow one point below the bezel.
  NSRect shadowRect = NSOffsetRect(bezel, 0, flipped ? 0.5 : -0.5);
  rgb(0, 0, 0, (enabled ? 0.12 : 0.06) * (drawsDark() ? 2.5 : 1))->setFill();
  alignedRoundedRect(shadowRect, kPushButtonCornerRadius)->fill();

  NSBezierPath* shape = alignedRoundedRect(bezel, kPushButtonCornerRadius);
  if (isDefault && enabled && windowIsKey) {
    NSColor* top = highlighted ? rgb(28, 103, 222) : rgb(72, 148, 255);
    NSColor* bottom = highlighted ? rgb(16, 88, 205) : rgb(27, 113, 246);
    Ref<NSGradient> gradient = adopted(NSGradient::alloc()->initWithStartingColor(top, bottom));
    gradient->drawInBezierPath(shape, flipped ? 90 : 270);
  } else {
    shade(highlighted ? rgb(222, 222, 222) : NSColor::whiteColor(),
          highlighted ? rgb(124, 124, 124) : rgb(101, 101, 101))
        ->setFill();
    shape->fill();
    NSBezierPath* border =
        alignedRoundedRect(NSInsetRect(bezel, 0.25, 0.25), kPushButtonCornerRadius - 0.25);
    border->setLineWidth(0.5);
    shade(rgb(0, 0, 0, enabled ? 0.22 : 0.12), rgb(255, 255, 255, enabled ? 0.14 : 0.07))
        ->setStroke();
    border->stroke();
  }
}

void drawTextFieldBezel(NSRect rect, bool focused, bool enabled) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context) return;
  const NSRect aligned = NSBackingAlignedRect(rect);
  NSBezierPath* border = NSBezierPath::bezierPathWithRect(NSStrokeRectInside(aligned, 1));
  border->setLineWidth(1);
  shade(rgb(0, 0, 0, enabled ? 0.26 : 0.14), rgb(255, 255, 255, enabled ? 0.24 : 0.12))
      ->setStroke();
  border->stroke();
  if (!focused) return;
  NSColor* ring = accent()->colorWithAlphaComponent(0.55);
  NSBezierPath* ringPath = NSBezierPath::bezierPathWithRoundedRect(
      NSInsetRect(aligned, kFocusRingWidth / 2, kFocusRingWidth / 2), 2.5, 2.5);
  ringPath->setLineWidth(kFocusRingWidth);
  ring->setStroke();
  ringPath->stroke();
}

void drawFocusRing(NSRect shape, CGFloat radius) {
  if (!NSGraphicsContext::currentContext()) return;
  const CGFloat outset = kFocusRingWidth / 2;
  NSBezierPath* ring = NSBezierPath::bezierPathWithRoundedRect(
      NSInsetRect(NSBackingAlignedRect(shape), -outset, -outset), radius + outset, radius + outset);
  ring->setLineWidth(kFocusRingWidth);
  accent()->colorWithAlphaComponent(0.55)->setStroke();
  ring->stroke();
}

void drawPlainBorder(NSRect rect) {
  if (!NSGraphicsContext::currentContext()) return;
  NSColor::blackColor()->setFill();
  NSFrameRect(NSBackingAlignedRect(rect));
}

void drawProgressTrack(NSRect rect) {
  if (!NSGraphicsContext::currentContext()) return;
  const CGFloat radius = rect.size.height / 2;
  shade(rgb(0, 0, 0, 0.09), rgb(255, 255, 255, 0.12))->setFill();
  alignedRoundedRect(rect, radius)->fill();
  NSBezierPath* border = alignedRoundedRect(NSInsetRect(rect, 0.25, 0.25), radius - 0.25);
  border->setLineWidth(0.5);
  shade(rgb(0, 0, 0, 0.12), rgb(255, 255, 255, 0.1))->setStroke();
  border->stroke();
}

void drawProgressFill(NSRect track, CGFloat fraction) {
  if (!NSGraphicsContext::currentContext() || !(fraction > 0)) return;
  fraction = std::min<CGFloat>(fraction, 1);
  NSRect filled = track;
  filled.size.width = std::max(track.size.height, track.size.width * fraction);
  accent()->setFill();
  alignedRoundedRect(filled, track.size.height / 2)->fill();
}

void drawIndeterminateStripes(NSRect track, CGFloat phase) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context) return;
  context->saveGState();
  alignedRoundedRect(track, track.size.height / 2)->addClip();
  // A highlight a third of the track wide sweeps from left to right.
  const CGFloat width = track.size.width / 3;
  const CGFloat x = track.origin.x - width + (track.size.width + width) * phase;
  NSColor* clear = accent()->colorWithAlphaComponent(0);
  const CGFloat locations[] = {0, 0.5, 1};
  Ref<NSGradient> gradient = adopted(NSGradient::alloc()->initWithColors(
      NSArray::arrayWithObjects({clear, accent(), clear}), locations, nullptr));
  gradient->drawInRect(NSMakeRect(x, track.origin.y, width, track.size.height), 0);
  context->restoreGState();
}

} // namespace ControlLook
