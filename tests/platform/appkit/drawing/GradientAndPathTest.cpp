// NSGradient's angle convention, NSBezierPath's fills and centred strokes, and the pixel
// alignment helpers, checked on real pixels at scale 1 and 2.
#include "DrawingTestSupport.h"
#include "appkit/drawing/NSBezierPath.h"
#include "appkit/drawing/NSGradient.h"

namespace {

constexpr Pixel kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255};

Ref<NSBitmapImageRep> redToBlue(CGFloat angle, CGFloat scale) {
  return render(40, 40, scale, [angle] {
    auto gradient = adopted(
        NSGradient::alloc()->initWithStartingColor(NSColor::redColor(), NSColor::blueColor()));
    gradient->drawInRect(NSMakeRect(0, 0, 40, 40), angle);
  });
}

} // namespace

// MARK: gradient angles: 0 left to right, 90 bottom to top, 270 top to bottom

TEST_F(DrawingTest, GradientAnglesFollowAppKitAtBothScales) {
  for (CGFloat scale : {1.0, 2.0}) {
    SCOPED_TRACE(scale);
    auto across = redToBlue(0, scale);
    EXPECT_TRUE(near(pixelAt(across, 0, 20), kRed, 8));
    EXPECT_TRUE(near(pixelAt(across, 39.9, 20), kBlue, 8));
    auto up = redToBlue(90, scale);
    EXPECT_TRUE(near(pixelAt(up, 20, 0), kRed, 8));
    EXPECT_TRUE(near(pixelAt(up, 20, 39.9), kBlue, 8));
    auto down = redToBlue(270, scale);
    EXPECT_TRUE(near(pixelAt(down, 20, 39.9), kRed, 8));
    EXPECT_TRUE(near(pixelAt(down, 20, 0), kBlue, 8));
    // 45 degrees starts in the lower-left corner and ends in the upper-right one.
    auto diagonal = redToBlue(45, scale);
    EXPECT_TRUE(near(pixelAt(diagonal, 0, 0), kRed, 8));
    EXPECT_TRUE(near(pixelAt(diagonal, 39.9, 39.9), kBlue, 8));
    EXPECT_TRUE(near(pixelAt(diagonal, 0, 39.9), pixelAt(diagonal, 39.9, 0), 2));
  }
}

TEST_F(DrawingTest, FadingStripIsClearAtTheTopAndOpaqueGreyAtTheBottom) {
  CGFloat grey = static_cast<double>(235.0f / 255.0f);
  auto strip = render(100, 50, 2, [grey] {
    NSColor* base = NSColor::colorWithCalibratedRed(grey, grey, grey, 1);
    auto gradient = adopted(NSGradient::alloc()->initWithStartingColor(
        base->colorWithAlphaComponent(0), base->colorWithAlphaComponent(1)));
    gradient->drawInRect(NSMakeRect(0, 0, 100, 50), 270);
  });
  EXPECT_LE(pixelAt(strip, 50, 49.9).alpha, 3);
  EXPECT_TRUE(near(pixelAt(strip, 50, 0), {235, 235, 235, 255}, 3));
  EXPECT_TRUE(near(pixelAt(strip, 50, 25), {235, 235, 235, 128}, 4));
}

TEST_F(DrawingTest, GradientIsClippedToItsRectangle) {
  auto bitmap = render(40, 40, 1, [] {
    auto gradient = adopted(
        NSGradient::alloc()->initWithStartingColor(NSColor::redColor(), NSColor::redColor()));
    gradient->drawInRect(NSMakeRect(10, 10, 20, 20), 90);
  });
  EXPECT_EQ(pixelAt(bitmap, 5, 5).alpha, 0);
  EXPECT_TRUE(near(pixelAt(bitmap, 15, 15), kRed, 0));
  EXPECT_EQ(NSGradient::alloc()->initWithStartingColor(nullptr, NSColor::redColor()), nullptr);
}

TEST_F(DrawingTest, InterpolatedColourBlendsTheStops) {
  auto gradient = adopted(
      NSGradient::alloc()->initWithStartingColor(NSColor::blackColor(), NSColor::whiteColor()));
  NSColor* middle = gradient->interpolatedColorAtLocation(0.25);
  EXPECT_NEAR(middle->redComponent(), 0.25, 1e-12);
  EXPECT_EQ(gradient->numberOfColorStops(), 2);
}

// MARK: strokes are centred on the path

TEST_F(DrawingTest, ALineOnThePanelEdgeShowsItsInnerHalfAsALighterRule) {
  for (CGFloat scale : {1.0, 2.0}) {
    SCOPED_TRACE(scale);
    auto panel = render(300, 50, scale, [] {
      NSColor::colorWithRed(0.2, 0.2, 0.2, 1)->setFill();
      NSRectFill(NSMakeRect(0, 0, 300, 50));
      NSBezierPath* path = NSBezierPath::bezierPath();
      path->setLineWidth(1.0);
      path->moveToPoint(NSMakePoint(300, 0));
      path->lineToPoint(NSMakePoint(300, 400));
      NSColor::colorWithRed(60 / 255.0, 60 / 255.0, 60 / 255.0, 1)->set();
      path->stroke();
    });
    EXPECT_TRUE(near(pixelAt(panel, 150, 25), {51, 51, 51, 255}, 0));
    // Half a point of the line lies inside: half a pixel at scale 1, a whole one at scale 2.
    Pixel edge = pixelAt(panel, 299.9, 25);
    EXPECT_TRUE(near(edge, scale == 1 ? Pixel{56, 56, 56, 255} : Pixel{60, 60, 60, 255}, 1));
  }
}

TEST_F(DrawingTest, StrokeRectInsideIsCrispAtBothScales) {
  for (CGFloat scale : {1.0, 2.0}) {
    SCOPED_TRACE(scale);
    auto bitmap = render(40, 40, scale, [] {
      NSColor::blackColor()->setStroke();
      NSBezierPath::strokeRect(NSStrokeRectInside(NSMakeRect(10, 10, 20, 20), 1));
    });
    EXPECT_EQ(pixelAt(bitmap, 10.2, 20).alpha, 255); // the border's pixels are fully covered
    EXPECT_EQ(pixelAt(bitmap, 29.8, 20).alpha, 255);
    EXPECT_EQ(pixelAt(bitmap, 9.8, 20).alpha, 0); // and nothing bleeds outside or inside
    EXPECT_EQ(pixelAt(bitmap, 11.2, 20).alpha, 0);
  }
}

TEST_F(DrawingTest, FrameRectDrawsInsideTheRectangle) {
  auto bitmap = render(20, 20, 2, [] {
    NSColor::redColor()->set();
    NSFrameRectWithWidth(NSMakeRect(2, 2, 16, 16), 1);
  });
  EXPECT_TRUE(near(pixelAt(bitmap, 2.2, 10), kRed, 0));
  EXPECT_TRUE(near(pixelAt(bitmap, 10, 17.8), kRed, 0));
  EXPECT_EQ(pixelAt(bitmap, 3.2, 10).alpha, 0);
  EXPECT_EQ(pixelAt(bitmap, 1.8, 10).alpha, 0);
}

// MARK: path geometry, clipping and flipping

TEST_F(DrawingTest, RoundedRectangleHasRoundCorners) {
  NSBezierPath* path = NSBezierPath::bezierPathWithRoundedRect(NSMakeRect(0, 0, 20, 20), 5, 5);
  EXPECT_TRUE(path->containsPoint(NSMakePoint(10, 10)));
  EXPECT_TRUE(path->containsPoint(NSMakePoint(10, 0.5)));
  EXPECT_FALSE(path->containsPoint(NSMakePoint(0.5, 0.5)));
  NSRect bounds = path->bounds();
  EXPECT_NEAR(bounds.size.width, 20, 1e-6);
  // Radii beyond half the size are limited: the result is a circle, not a bulge.
  NSBezierPath* pill = NSBezierPath::bezierPathWithRoundedRect(NSMakeRect(0, 0, 40, 20), 50, 50);
  EXPECT_NEAR(pill->bounds().size.height, 20, 1e-6);
  EXPECT_EQ(NSBezierPath::bezierPath()->lineWidth(), 1.0);
}

TEST_F(DrawingTest, AddClipLimitsLaterDrawingUntilTheStateIsRestored) {
  auto bitmap = render(20, 20, 1, [] {
    NSColor::redColor()->set();
    NSGraphicsContext::saveGraphicsState();
    NSBezierPath::bezierPathWithRect(NSMakeRect(0, 0, 10, 20))->addClip();
    NSRectFill(NSMakeRect(0, 0, 20, 10));
    NSGraphicsContext::restoreGraphicsState();
    NSRectFill(NSMakeRect(0, 10, 20, 10));
  });
  EXPECT_TRUE(near(pixelAt(bitmap, 5, 5), kRed, 0));
  EXPECT_EQ(pixelAt(bitmap, 15, 5).alpha, 0);
  EXPECT_TRUE(near(pixelAt(bitmap, 15, 15), kRed, 0));
}

TEST_F(DrawingTest, FlippedContextPutsTheOriginAtTheTop) {
  auto bitmap = render(20, 20, 2, [] {
    NSGraphicsContext* context = NSGraphicsContext::currentContext();
    EXPECT_FALSE(context->isFlipped());
    context->flipWithinHeight(20);
    EXPECT_TRUE(context->isFlipped());
    NSColor::blueColor()->setFill();
    NSRectFill(NSMakeRect(0, 0, 20, 5));
  });
  EXPECT_TRUE(near(pixelAt(bitmap, 10, 18), kBlue, 0));
  EXPECT_EQ(pixelAt(bitmap, 10, 2).alpha, 0);
}
