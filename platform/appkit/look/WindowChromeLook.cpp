#include "appkit/look/WindowChromeLook.h"

#include <algorithm>
#include <cmath>

#include "appkit/drawing/NSBezierPath.h"
#include "appkit/drawing/NSFont.h"
#include "appkit/drawing/NSGradient.h"
#include "appkit/drawing/NSGraphics.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/look/ControlLook.h"
#include "appkit/panels/NSAlertPanel.h"
#include "appkit/rendering/TextLayout.h"
#include "appkit/windows/NSPanel.h"
#include "appkit/windows/NSThemeFrame.h"
#include "appkit/windows/NSWindow.h"

namespace {

// The title starts clear of the three buttons on the left and keeps as much room on the right.
constexpr CGFloat kTitleSideRoom = 76;
constexpr CGFloat kWindowCornerRadius = 10;
// Diameter of a title-bar button's circle.
constexpr CGFloat kTrafficLightDiameter = 12;

struct TrafficLight {
  int fill[3];
  int border[3];
};
constexpr TrafficLight kTrafficLights[3] = {
    {{255, 95, 87}, {226, 70, 63}},   // close
    {{254, 188, 46}, {225, 161, 22}}, // miniaturize
    {{40, 200, 64}, {18, 172, 40}},   // zoom
};
constexpr TrafficLight kInactiveLight = {{221, 221, 221}, {200, 200, 200}};

// A window whose sheet is key still looks active: the sheet is part of it.
bool looksActive(const NSWindow* window) {
  if (window->isKeyWindow()) return true;
  NSWindow* sheet = window->attachedSheet();
  return sheet && sheet->isKeyWindow();
}

} // namespace

void NSDrawThemeFrame(const NSThemeFrame* view) {
  NSWindow* window = view->window();
  if (!window || !NSGraphicsContext::currentContext()) return;
  const NSRect bounds = view->bounds();
  NSColor::windowBackgroundColor()->setFill();
  NSRectFill(bounds);
  if (!NSWindowShowsTitleBar(window) || window->titlebarAppearsTransparent()) return;
  const CGFloat height = window->titleBarHeight();
  const NSRect bar = NSMakeRect(0, NSMaxY(bounds) - height, bounds.size.width, height);
  if (looksActive(window)) {
    const bool dark = ControlLook::drawsDark();
    Ref<NSGradient> gradient = adopted(NSGradient::alloc()->initWithStartingColor(
        dark ? ControlLook::rgb(62, 62, 62) : ControlLook::rgb(236, 236, 236),
        dark ? ControlLook::rgb(52, 52, 52) : ControlLook::rgb(222, 222, 222)));
    gradient->drawInRect(bar, 270);
  } else {
    ControlLook::shade(ControlLook::rgb(246, 246, 246), ControlLook::rgb(44, 44, 44))->setFill();
    NSRectFill(bar);
  }
  // The separator under the title bar, one device pixel high.
  ControlLook::rgb(0, 0, 0, ControlLook::drawsDark() ? 0.6 : 0.14)->setFill();
  const NSRect line = NSBackingAlignedRect(NSMakeRect(0, bar.origin.y - 0.5, bar.size.width, 0.5));
  NSRectFill(line.size.height > 0 ? line : NSMakeRect(0, bar.origin.y - 1, bar.size.width, 1));
}

void NSDrawStandardButton(const NSWindowStandardButton* button) {
  NSWindow* window = button->window();
  if (!window || !NSGraphicsContext::currentContext()) return;
  if (!NSWindowShowsTitleBar(window)) return;
  const NSRect bounds = button->bounds();
  const NSRect circle = NSMakeRect(NSMidX(bounds) - kTrafficLightDiameter / 2,
                                   NSMidY(bounds) - kTrafficLightDiameter / 2,
                                   kTrafficLightDiameter, kTrafficLightDiameter);
  const bool lit =
      button->isEnabled() && looksActive(window) && button->buttonType() <= NSWindowZoomButton;
  const TrafficLight& colors = lit ? kTrafficLights[button->buttonType()] : kInactiveLight;
  const CGFloat dim = button->isHighlighted() ? 0.8 : 1;
  ControlLook::rgb(static_cast<int>(colors.fill[0] * dim), static_cast<int>(colors.fill[1] * dim),
                   static_cast<int>(colors.fill[2] * dim))
      ->setFill();
  NSBezierPath::bezierPathWithOvalInRect(circle)->fill();
  NSBezierPath* ring = NSBezierPath::bezierPathWithOvalInRect(NSInsetRect(circle, 0.25, 0.25));
  ring->setLineWidth(0.5);
  ControlLook::rgb(colors.border[0], colors.border[1], colors.border[2])->setStroke();
  ring->stroke();
}

bool NSWindowShowsTitleBar(const NSWindow* window) {
  if (!window) return false;
  const NSWindowStyleMask style = window->styleMask();
  return (style & NSWindowStyleMaskTitled) && !(style & NSWindowStyleMaskFullScreen) &&
         !window->sheetParent();
}

void NSDrawWindowTitle(const NSWindow* window) {
  if (!NSWindowShowsTitleBar(window) || !NSGraphicsContext::currentContext()) return;
  NSString* title = window->title();
  if (!title || title->length() == 0) return;
  const NSRect frame = window->frame();
  NSColor* color = looksActive(window) ? NSColor::labelColor() : NSColor::tertiaryLabelColor();
  TextLayout layout(title, NSFont::boldSystemFontOfSize(13), color);
  layout.setLineBreakMode(NSLineBreakByTruncatingTail);
  layout.setWidth(std::max<CGFloat>(0, frame.size.width - 2 * kTitleSideRoom));
  layout.setAlignment(NSTextAlignmentCenter);
  const NSSize size = layout.size();
  const CGFloat y = frame.size.height - window->titleBarHeight() / 2 - size.height / 2;
  layout.drawAtPoint(NSMakePoint(kTitleSideRoom, std::round(y)));
}

double NSWindowCornerRadius(const NSWindow* window) {
  if (!window) return 0;
  if ((window->styleMask() & NSWindowStyleMaskFullScreen)) return 0;
  if ((window->styleMask() & NSWindowStyleMaskTitled) || ns_cast<NSAlertPanel>(window))
    return kWindowCornerRadius;
  return 0;
}
