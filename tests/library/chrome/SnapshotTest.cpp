// The restyled window and the colour panel as the screen shows them: pixels of snapshots at
// known points of the band (the strip's clear top and light-grey bottom, the dark side panel and
// its lighter rule, the grey and purple brand text) and of the panel (the picked colour).
#include "ChromeTestSupport.h"
#include "appkit/panels/NSColorPanel.h"
#include "appkit/panels/NSColorPanelContentView.h"
#include "dialogs/ColorPopover.h"
#include "testkit/WindowSnapshot.h"

extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_modifyWindows(JNIEnv*, jclass);
extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_showSideRect(JNIEnv*, jclass);
extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_hideSideRect(JNIEnv*, jclass);

namespace {

constexpr NSRect kContent{{200, 150}, {700, 400}};
// The window is 28 points taller than its content: the title bar, covered by the band.
constexpr CGFloat kWidth = 700, kHeight = 428;

bool isNeutral(const Pixel& pixel, int level, int tolerance) {
  return near(pixel, {level, level, level, 255}, tolerance);
}

TEST_F(ChromeTest, RestyledWindowShowsTheBandOverTheTranslucentContent) {
  NSWindow* window = openToolkitWindow(kContent);
  Java_ixa_IxaDialogs_modifyWindows(nullptr, nullptr);

  for (double scale : {1.0, 2.0}) {
    SCOPED_TRACE(scale);
    NSBitmapImageRep* snapshot = NSWindowSnapshotBitmap(window, scale);
    ASSERT_NE(snapshot, nullptr);
    ASSERT_EQ(snapshot->pixelsWide(), static_cast<NSInteger>(kWidth * scale));
    // Below the band only the material shows; the strip adds nothing at its top edge (the title
    // bar is transparent) and is opaque light grey at its bottom edge.
    const Pixel material = pixelAt(snapshot, 400, 200);
    EXPECT_EQ(material.alpha, 255);
    EXPECT_TRUE(near(pixelAt(snapshot, 400, kHeight - 2), material, 3)); // below the hairline
    EXPECT_TRUE(isNeutral(pixelAt(snapshot, 400, kHeight - 49.6), 235, 2));
    // The side panel starts hidden: the strip shows through it.
    EXPECT_TRUE(
        near(pixelAt(snapshot, 150, kHeight - 49.6), pixelAt(snapshot, 400, kHeight - 49.6), 1));
  }

  Java_ixa_IxaDialogs_showSideRect(nullptr, nullptr);
  NSBitmapImageRep* shown = NSWindowSnapshotBitmap(window, 2);
  EXPECT_TRUE(isNeutral(pixelAt(shown, 100, kHeight - 40), 51, 1));
  EXPECT_TRUE(isNeutral(pixelAt(shown, 299.75, kHeight - 40), 60, 1));   // the rule's inner half
  EXPECT_TRUE(isNeutral(pixelAt(shown, 300.25, kHeight - 40), 235, 20)); // the strip beside it

  // The brand text near the right edge: grey capitals, then bold purple.
  bool grey = false, purple = false;
  for (CGFloat x = kWidth - 157; x < kWidth; x += 0.5)
    for (CGFloat y = kHeight - 30; y < kHeight; y += 0.5) {
      const Pixel pixel = pixelAt(shown, x, y);
      grey = grey || isNeutral(pixel, 128, 8);
      purple = purple || near(pixel, {128, 0, 128, 255}, 10);
    }
  EXPECT_TRUE(grey);
  EXPECT_TRUE(purple);

  Java_ixa_IxaDialogs_hideSideRect(nullptr, nullptr);
  NSBitmapImageRep* hidden = NSWindowSnapshotBitmap(window, 2);
  EXPECT_TRUE(near(pixelAt(hidden, 100, kHeight - 40), pixelAt(hidden, 400, kHeight - 40), 1));
}

TEST_F(ChromeTest, ColourPanelShowsThePickedColourInItsWell) {
  brix::showColorPanel();
  NSColorPanel* panel = NSColorPanel::sharedColorPanel();
  panel->setTarget(nullptr);
  panel->pickColor(NSColor::colorWithCalibratedRed(1, 0.5, 0, 1));
  auto* content = ns_cast<NSColorPanelContentView>(panel->contentView());
  ASSERT_NE(content, nullptr);
  NSBitmapImageRep* snapshot = NSWindowSnapshotBitmap(panel, 2);
  ASSERT_NE(snapshot, nullptr);
  const NSRect well = content->colorWellRect();
  EXPECT_TRUE(near(pixelAt(snapshot, NSMidX(well), NSMidY(well)), {255, 128, 0, 255}, 1));
  // The wheel: red to the right of its centre, at the colour's full brightness.
  const NSRect wheel = content->wheelRect();
  EXPECT_TRUE(near(pixelAt(snapshot, NSMaxX(wheel) - 3, NSMidY(wheel)), {255, 0, 0, 255}, 12));
  EXPECT_TRUE(near(pixelAt(snapshot, NSMidX(wheel), NSMidY(wheel)), {255, 255, 255, 255}, 12));

  // A click on a swatch picks its colour.
  const NSRect swatch = content->swatchRect(0);
  EXPECT_TRUE(near(pixelAt(snapshot, NSMidX(swatch), NSMidY(swatch)), {255, 0, 0, 255}, 1));
  NSColor* swatchColour = content->colorAtPoint({NSMidX(swatch), NSMidY(swatch)});
  ASSERT_NE(swatchColour, nullptr);
  EXPECT_EQ(swatchColour->redComponent(), 1.0);
  EXPECT_EQ(content->colorAtPoint({1, 1}), nullptr);
}

} // namespace
