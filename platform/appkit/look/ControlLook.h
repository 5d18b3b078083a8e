// ControlLook: the shared pieces of the platform's standard look, a clean style after current
// macOS, light or dark by the appearance drawn in: push-button bezels, text-field bezels, focus
// rings, progress tracks, and the colours they use. Everything draws into the current graphics
// context in the caller's user space (either orientation) and keeps to the device-pixel grid, so
// edges are sharp at scale 1 and 2. Nothing is drawn when there is no current context.
#pragma once

#include "appkit/drawing/NSColor.h"

class NSBezierPath;

namespace ControlLook {

// Height of the drawn bezel of a regular push button; the frame around it leaves room for the
// focus ring and the shadow.
constexpr CGFloat kPushButtonBezelHeight = 21;
// Horizontal room between a push button's frame and its bezel.
constexpr CGFloat kPushButtonSideInset = 6;
constexpr CGFloat kPushButtonCornerRadius = 5.5;
// Width of the keyboard focus ring around a text field.
constexpr CGFloat kFocusRingWidth = 3;

// An sRGB colour from 8-bit components.
NSColor* rgb(int red, int green, int blue, CGFloat alpha = 1);
// Whether drawing happens in a dark appearance now (NSAppearance::currentDrawingAppearance).
bool drawsDark();
// The light or the dark colour, by the appearance drawing happens in now.
NSColor* shade(NSColor* light, NSColor* dark);
// The accent colour of default buttons, focus rings and determinate progress.
NSColor* accent();

// The push button's bezel rectangle inside its bounds (kept at the bounds' vertical middle).
NSRect pushButtonBezelRect(NSRect bounds, bool flipped);
void drawPushButtonBezel(NSRect bezel, bool isDefault, bool highlighted, bool enabled,
                         bool windowIsKey);
// The flat, square-cornered bezel of an editable text field; focused adds the focus ring inside
// the rectangle.
void drawTextFieldBezel(NSRect rect, bool focused, bool enabled);
// The keyboard focus ring around a control's shape (a rounded rectangle of that corner radius),
// drawn just outside it.
void drawFocusRing(NSRect shape, CGFloat radius);
// A plain one-point black border (bordered, not bezeled).
void drawPlainBorder(NSRect rect);
// A rounded progress track, and its filled part from the left up to fraction (0...1).
void drawProgressTrack(NSRect rect);
void drawProgressFill(NSRect track, CGFloat fraction);
// Moving stripes of an indeterminate bar, phase in 0...1.
void drawIndeterminateStripes(NSRect track, CGFloat phase);

// A rounded rectangle path whose edges sit on device-pixel boundaries.
NSBezierPath* alignedRoundedRect(NSRect rect, CGFloat radius);

} // namespace ControlLook
