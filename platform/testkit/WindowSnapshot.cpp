#include "testkit/WindowSnapshot.h"
#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "appkit/application/NSApplication.h"
#include "appkit/drawing/NSBezierPath.h"
#include "appkit/drawing/NSFont.h"
#include "appkit/drawing/NSGradient.h"
#include "appkit/drawing/NSGraphics.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/look/ControlLook.h"
#include "appkit/look/MenuDrawing.h"
#include "appkit/look/WindowChromeLook.h"
#include "appkit/rendering/TextLayout.h"
#include "appkit/windows/NSWindowDrawing.h"
#include "display/DisplayBackend.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/system/NSBundle.h"
#include "testkit/MenuUser.h"

namespace {

// The screen's menu bar, and the depth of window shadows.
constexpr CGFloat kShadowRadius = 14;
constexpr CGFloat kShadowOffset = 6;

double clampScale(double scale) {
  if (std::isnan(scale)) return 1;
  return std::clamp(scale, kSnapshotMinScale, kSnapshotMaxScale);
}

// A bitmap of size points at scale, with a graphics context current while draw runs.
NSBitmapImageRep* renderBitmap(NSSize size, double scale, const std::function<void()>& draw) {
  const auto width = static_cast<NSInteger>(std::ceil(size.width * scale));
  const auto height = static_cast<NSInteger>(std::ceil(size.height * scale));
  NSBitmapImageRep* bitmap = NSBitmapImageRep::alloc()->initWithPixelsWide(
      std::max<NSInteger>(1, width), std::max<NSInteger>(1, height));
  if (!bitmap) return nullptr;
  bitmap->setSize(size);
  bitmap->autorelease();
  NSGraphicsContext::saveGraphicsState();
  NSGraphicsContext::setCurrentContext(
      NSGraphicsContext::graphicsContextWithBitmapImageRep(bitmap));
  draw();
  NSGraphicsContext::currentContext()->flushGraphics();
  NSGraphicsContext::restoreGraphicsState();
  return bitmap;
}

// A soft shadow under the window: stacked translucent outlines, wider and fainter outward.
void drawShadow(NSWindow* window) {
  const NSRect frame = window->frame();
  const double radius = NSWindowCornerRadius(window);
  const CGFloat strength = window->isKeyWindow() ? 1 : 0.6;
  for (int ring = 0; ring < 7; ++ring) {
    const CGFloat grow = kShadowRadius * (ring + 1) / 7;
    const NSRect rect = NSMakeRect(-grow, -grow - kShadowOffset, frame.size.width + 2 * grow,
                                   frame.size.height + 2 * grow);
    ControlLook::rgb(0, 0, 0, 0.035 * strength)->setFill();
    NSBezierPath::bezierPathWithRoundedRect(rect, radius + grow, radius + grow)->fill();
  }
}

void drawDesktop(NSRect screen) {
  Ref<NSGradient> gradient = adopted(NSGradient::alloc()->initWithStartingColor(
      ControlLook::rgb(96, 140, 196), ControlLook::rgb(170, 196, 226)));
  gradient->drawInRect(screen, 270);
}

// "Ixa" for ".../Ixa.app/".
NSString* applicationName() {
  NSString* path = NSBundle::mainBundle()->bundlePath();
  if (!path) return nullptr;
  std::u16string name(path->utf16());
  while (!name.empty() && name.back() == u'/')
    name.pop_back();
  name = name.substr(name.find_last_of(u'/') == std::u16string::npos ? 0
                                                                     : name.find_last_of(u'/') + 1);
  if (name.size() > 4 && name.ends_with(u".app")) name.resize(name.size() - 4);
  return NSString::stringWithCharacters(name.data(), name.size());
}

// The menu bar: translucent white (dark grey in the dark) across the top, with the application's
// name in bold.
void drawMenuBar(NSRect screen) {
  const NSRect bar =
      NSMakeRect(0, NSMaxY(screen) - kMenuBarHeight, screen.size.width, kMenuBarHeight);
  ControlLook::shade(ControlLook::rgb(246, 246, 246, 0.92), ControlLook::rgb(40, 40, 40, 0.92))
      ->setFill();
  NSRectFill(bar);
  ControlLook::rgb(0, 0, 0, ControlLook::drawsDark() ? 0.5 : 0.12)->setFill();
  NSRectFill(NSMakeRect(0, bar.origin.y, bar.size.width, 1));
  NSString* name = applicationName();
  if (!name || name->length() == 0) return;
  TextLayout layout(name, NSFont::boldSystemFontOfSize(13), NSColor::labelColor());
  const NSSize size = layout.size();
  layout.drawAtPoint(NSMakePoint(20, std::round(NSMidY(bar) - size.height / 2)));
}

} // namespace

NSBitmapImageRep* NSWindowSnapshotBitmap(NSWindow* window, double scale) {
  BRIX_ASSERT_MAIN_THREAD();
  if (!window) return nullptr;
  return renderBitmap(window->frame().size, clampScale(scale), [window] {
    NSDrawWindow(window);
    // An attached sheet belongs to the picture of its window, at its place over the window.
    NSGraphicsContext* context = NSGraphicsContext::currentContext();
    const NSRect frame = window->frame();
    for (NSWindow* sheet = window->attachedSheet(); sheet && sheet->isVisible();
         sheet = sheet->attachedSheet()) {
      const NSRect sheetFrame = sheet->frame();
      context->saveGState();
      cairo_translate(context->cairo(), sheetFrame.origin.x - frame.origin.x,
                      sheetFrame.origin.y - frame.origin.y);
      drawShadow(sheet);
      NSDrawWindow(sheet);
      context->restoreGState();
    }
  });
}

NSBitmapImageRep* NSScreenSnapshotBitmap(double scale) {
  BRIX_ASSERT_MAIN_THREAD();
  const NSRect screen = DisplayBackend::current().screenFrame();
  return renderBitmap(screen.size, clampScale(scale), [screen] {
    NSGraphicsContext* context = NSGraphicsContext::currentContext();
    drawDesktop(screen);
    const std::vector<NSWindow*> stack = NSApplication::sharedApplication()->screenList();
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
      NSWindow* window = *it;
      if (!window->isVisible()) continue;
      const NSRect frame = window->frame();
      context->saveGState();
      cairo_translate(context->cairo(), frame.origin.x - screen.origin.x,
                      frame.origin.y - screen.origin.y);
      drawShadow(window);
      NSDrawWindow(window);
      context->restoreGState();
    }
    drawMenuBar(screen);
    NSDrawOpenMenu(MenuUser::lastContextMenu(), screen);
  });
}

NSData* NSWindowSnapshotPNG(NSWindow* window, double scale) {
  NSBitmapImageRep* bitmap = NSWindowSnapshotBitmap(window, scale);
  return bitmap ? bitmap->representationUsingType(NSBitmapImageFileTypePNG, nullptr) : nullptr;
}

NSData* NSScreenSnapshotPNG(double scale) {
  NSBitmapImageRep* bitmap = NSScreenSnapshotBitmap(scale);
  return bitmap ? bitmap->representationUsingType(NSBitmapImageFileTypePNG, nullptr) : nullptr;
}
