// Snapshots: the pixels of a rendered window at known points (a title bar and its close button,
// a push button's bezel, the default button's accent colour, a text field's border) at scale 1
// and 2, and the whole screen with its menu bar and windows in z-order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ControlsTestSupport.h"
#include "appkit/controls/NSButton.h"
#include "appkit/controls/NSTextField.h"
#include "appkit/drawing/NSColor.h"
#include "appkit/menus/NSMenu.h"
#include "appkit/panels/NSAlert.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "testkit/WindowSnapshot.h"

using namespace controls_test;

namespace {

struct Pixel {
  int red, green, blue, alpha;
};

// The pixel under a point given in window points from the window's top-left corner.
Pixel pixelAt(NSBitmapImageRep* bitmap, double scale, double x, double yFromTop) {
  NSColor* color = bitmap->colorAtX(static_cast<NSInteger>(std::floor(x * scale)),
                                    static_cast<NSInteger>(std::floor(yFromTop * scale)));
  if (!color) return {-1, -1, -1, -1};
  auto byte = [](double v) { return static_cast<int>(std::lround(v * 255)); };
  return {byte(color->redComponent()), byte(color->greenComponent()), byte(color->blueComponent()),
          byte(color->alphaComponent())};
}

bool isGrey(Pixel p, int low, int high) {
  return p.red >= low && p.red <= high && std::abs(p.red - p.green) <= 3 &&
         std::abs(p.red - p.blue) <= 3 && p.alpha == 255;
}

struct SnapshotWindow {
  Ref<NSWindow> window = adopted(makeKeyWindow(400, 200));
  Ref<NSButton> plain = adopted(NSButton::alloc()->initWithFrame(NSMakeRect(20, 20, 110, 30)));
  Ref<NSButton> fallback = adopted(NSButton::alloc()->initWithFrame(NSMakeRect(150, 20, 110, 30)));
  Ref<NSTextField> field =
      adopted(NSTextField::alloc()->initWithFrame(NSMakeRect(20, 100, 200, 22)));
  SnapshotWindow() {
    window->setTitle(NSSTR("Snapshot"));
    plain->setTitle(NSSTR(""));
    fallback->setTitle(NSSTR(""));
    fallback->setKeyEquivalent(NSSTR("\r"));
    for (NSView* view : {static_cast<NSView*>(plain.get()), static_cast<NSView*>(fallback.get()),
                         static_cast<NSView*>(field.get())})
      window->contentView()->addSubview(view);
  }
  ~SnapshotWindow() { window->close(); }
  // Window height in points: content plus title bar.
  double height() const { return window->frame().size.height; }
};

} // namespace

TEST(WindowSnapshot, TitleBarButtonsBezelsAndFieldBorderAtBothScales) {
  NSAutoreleasePool pool;
  SnapshotWindow w;
  for (double scale : {1.0, 2.0}) {
    SCOPED_TRACE(scale);
    NSBitmapImageRep* bitmap = NSWindowSnapshotBitmap(w.window, scale);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->pixelsWide(), static_cast<NSInteger>(400 * scale));
    EXPECT_EQ(bitmap->pixelsHigh(), static_cast<NSInteger>(w.height() * scale));
    // The title bar is light grey, darker than white; the close button is red.
    EXPECT_TRUE(isGrey(pixelAt(bitmap, scale, 300, 4), 215, 245));
    const Pixel close = pixelAt(bitmap, scale, 14, 14);
    EXPECT_GT(close.red, 200);
    EXPECT_LT(close.green, 140);
    // A rounded window corner is transparent.
    EXPECT_EQ(pixelAt(bitmap, scale, 0.5, 0.5).alpha, 0);
    // The plain button's bezel is white inside the window's grey background.
    const double buttonTop = w.height() - 50;
    EXPECT_TRUE(isGrey(pixelAt(bitmap, scale, 75, buttonTop + 15), 250, 255));
    EXPECT_TRUE(isGrey(pixelAt(bitmap, scale, 22, buttonTop + 15), 225, 245));
    // The default button is drawn in the accent colour while its window is key.
    const Pixel accent = pixelAt(bitmap, scale, 205, buttonTop + 15);
    EXPECT_GT(accent.blue, 200);
    EXPECT_LT(accent.red, 120);
    // The text field: a grey border one point wide around a white inside.
    const double fieldTop = w.height() - 122;
    EXPECT_TRUE(isGrey(pixelAt(bitmap, scale, 20.5, fieldTop + 11), 150, 210));
    EXPECT_TRUE(isGrey(pixelAt(bitmap, scale, 22, fieldTop + 11), 250, 255));
  }
}

TEST(WindowSnapshot, InactiveWindowLosesAccentAndPngIsEncoded) {
  NSAutoreleasePool pool;
  SnapshotWindow w;
  Ref<NSWindow> other = adopted(makeKeyWindow(100, 100));
  ASSERT_FALSE(w.window->isKeyWindow());
  NSBitmapImageRep* bitmap = NSWindowSnapshotBitmap(w.window, 1);
  EXPECT_TRUE(isGrey(pixelAt(bitmap, 1, 205, w.height() - 35), 250, 255));
  EXPECT_TRUE(isGrey(pixelAt(bitmap, 1, 14, 14), 200, 230)); // grey, not red
  NSData* png = NSWindowSnapshotPNG(w.window, 2);
  ASSERT_NE(png, nullptr);
  const unsigned char signature[] = {0x89, 'P', 'N', 'G'};
  EXPECT_EQ(std::memcmp(png->bytes(), signature, 4), 0);
  EXPECT_EQ(NSWindowSnapshotPNG(nullptr, 1), nullptr);
  other->close();
}

TEST(ScreenSnapshot, MenuBarAndWindowsInZOrder) {
  NSAutoreleasePool pool;
  SnapshotWindow w;
  NSBitmapImageRep* bitmap = NSScreenSnapshotBitmap(1);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->pixelsWide(), 1440);
  EXPECT_EQ(bitmap->pixelsHigh(), 900);
  const Pixel menuBar = pixelAt(bitmap, 1, 700, 5); // light, over the blue desktop
  EXPECT_GT(std::min({menuBar.red, menuBar.green, menuBar.blue}), 220);
  EXPECT_LT(pixelAt(bitmap, 1, 700, 400).red, 200);
  // The window's close button, at its place on the screen (screen origin at the lower left).
  const NSRect frame = w.window->frame();
  const Pixel close = pixelAt(bitmap, 1, frame.origin.x + 14, 900 - NSMaxY(frame) + 14);
  EXPECT_GT(close.red, 200);
  EXPECT_LT(close.green, 140);
  // A window in front covers it.
  Ref<NSWindow> front = adopted(NSWindow::alloc()->initWithContentRect(
      NSMakeRect(frame.origin.x, frame.origin.y, 300, 300), NSWindowStyleMaskBorderless,
      NSBackingStoreBuffered, false));
  front->setReleasedWhenClosed(false); // the Ref owns it
  front->orderFront(nullptr);
  bitmap = NSScreenSnapshotBitmap(1);
  EXPECT_TRUE(isGrey(pixelAt(bitmap, 1, frame.origin.x + 14, 900 - NSMaxY(frame) + 14), 225, 245));
  front->close();
}

// A menu far longer than the screen: the rows on the screen are drawn, the first and the last
// there included, however many lie beyond it.
TEST(ScreenSnapshot, AMenuLongerThanTheScreenDrawsTheRowsOnIt) {
  NSAutoreleasePool pool;
  NSMenu* menu = static_cast<NSMenu*>(NSMenu::alloc()->initWithTitle(NSSTR(""))->autorelease());
  for (int i = 0; i < 2000; ++i)
    menu->addItemWithTitle(NSString::stringWithFormat("Row %d", i), nullptr, NSSTR(""));
  Ref<NSBitmapImageRep> bitmap;
  NSRunLoop::mainRunLoop().performAsync([&] {
    bitmap = retained(NSScreenSnapshotBitmap(1));
    menu->cancelTrackingWithoutAnimation();
  });
  // The menu's top-left corner 20 points below the screen's top; rows of 22 points after 5 of
  // padding, so the screen holds rows 0 to 38 whole.
  menu->popUpMenuPositioningItem(nullptr, NSMakePoint(100, 880), nullptr);
  ASSERT_TRUE(bitmap);
  auto inkInRow = [&](int row) {
    const double rowTopFromTop = 20 + 5 + 22.0 * row;
    int dark = 0;
    for (double x = 122; x < 170; ++x)
      for (double y = rowTopFromTop + 4; y < rowTopFromTop + 18; ++y)
        dark += pixelAt(bitmap, 1, x, y).red < 215; // the grey of a disabled title on 250
    return dark;
  };
  EXPECT_GT(inkInRow(0), 10);
  EXPECT_GT(inkInRow(20), 10);
  EXPECT_GT(inkInRow(38), 10);
}
