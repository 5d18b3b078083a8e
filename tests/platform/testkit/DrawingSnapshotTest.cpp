// Off-screen rendering for snapshots: pixel sizes at any scale, AppKit's lower-left origin in
// the PNG, and the current context put back afterwards.
#include "DrawingTestSupport.h"
#include "appkit/rendering/BitmapDrawing.h"

TEST_F(DrawingTest, SnapshotPNGHasThePixelsOfTheScale) {
  NSGraphicsContext* seen = nullptr;
  NSData* png = NSPNGDataFromDrawing(NSMakeSize(30, 20), 2, [&](NSGraphicsContext* context) {
    seen = context;
    EXPECT_EQ(NSGraphicsContext::currentContext(), context);
    EXPECT_EQ(context->backingScaleFactor(), 2);
    NSColor::redColor()->setFill();
    NSRectFill(NSMakeRect(0, 0, 10, 10)); // the lower-left corner
  });
  ASSERT_NE(png, nullptr);
  EXPECT_NE(seen, nullptr);
  EXPECT_EQ(NSGraphicsContext::currentContext(), nullptr);
  NSBitmapImageRep* bitmap = NSBitmapImageRep::imageRepWithData(png);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->pixelsWide(), 60);
  EXPECT_EQ(bitmap->pixelsHigh(), 40);
  EXPECT_EQ(bitmap->colorAtX(0, 39)->redComponent(), 1); // bottom row of the PNG
  EXPECT_EQ(bitmap->colorAtX(0, 0)->alphaComponent(), 0);
  EXPECT_EQ(bitmap->colorAtX(20, 39)->alphaComponent(), 0);
}

TEST_F(DrawingTest, SnapshotSizesRoundUpToWholePixelsAndRefuseNonsense) {
  NSBitmapImageRep* bitmap = NSBitmapFromDrawing(NSMakeSize(1440, 900), 1.5, nullptr);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->pixelsWide(), 2160);
  EXPECT_EQ(bitmap->pixelsHigh(), 1350);
  EXPECT_EQ(NSBitmapFromDrawing(NSMakeSize(10, 10), 0.333, nullptr)->pixelsWide(), 4);
  EXPECT_EQ(NSBitmapFromDrawing(NSMakeSize(0, 10), 1, nullptr), nullptr);
  EXPECT_EQ(NSBitmapFromDrawing(NSMakeSize(10, 10), 0, nullptr), nullptr);
  EXPECT_EQ(NSBitmapFromDrawing(NSMakeSize(10, 10), -1, nullptr), nullptr);
}

TEST_F(DrawingTest, NestedSnapshotsRestoreTheOuterContext) {
  NSBitmapFromDrawing(NSMakeSize(10, 10), 1, [](NSGraphicsContext* outer) {
    NSColor::blueColor()->set();
    NSBitmapFromDrawing(NSMakeSize(5, 5), 1,
                        [](NSGraphicsContext*) { NSColor::redColor()->set(); });
    EXPECT_EQ(NSGraphicsContext::currentContext(), outer);
    EXPECT_EQ(outer->fillColor(), NSColor::blueColor());
  });
}
