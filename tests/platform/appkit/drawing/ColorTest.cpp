// NSColor: colour spaces, components, conversions and the current drawing colour, as AppKit
// defines them.
#include <cmath>

#include "DrawingTestSupport.h"
#include "foundation/system/NSLog.h"

// MARK: constructors keep their space and components

TEST_F(DrawingTest, ConstructorsTagTheirColourSpace) {
  EXPECT_TRUE(NSColor::colorWithCalibratedRed(1, 0.5, 0, 1)
                  ->colorSpaceName()
                  ->isEqualToString(NSCalibratedRGBColorSpace));
  EXPECT_TRUE(NSColor::colorWithDeviceRed(1, 0.5, 0, 1)
                  ->colorSpaceName()
                  ->isEqualToString(NSDeviceRGBColorSpace));
  // colorWithRed: is sRGB, a colour-space colour, as since 10.7.
  NSColor* srgb = NSColor::colorWithRed(1, 0.5, 0, 1);
  EXPECT_TRUE(srgb->colorSpaceName()->isEqualToString(NSCustomColorSpace));
  EXPECT_EQ(srgb->colorSpace(), NSColorSpace::sRGBColorSpace());
  EXPECT_TRUE(NSColor::colorWithCalibratedWhite(0.5, 1)->colorSpaceName()->isEqualToString(
      NSCalibratedWhiteColorSpace));
}

TEST_F(DrawingTest, ComponentsKeepFloatPrecisionAndExtendedRange) {
  // The library divides 8-bit values in single precision and widens them.
  CGFloat fifty_one = static_cast<double>(51.0f / 255.0f);
  NSColor* color = NSColor::colorWithCalibratedRed(fifty_one, 1.2, -0.1, 1);
  EXPECT_EQ(color->redComponent(), fifty_one);
  EXPECT_EQ(color->greenComponent(), 1.2); // not clamped: colour-panel values can exceed 1
  EXPECT_EQ(color->blueComponent(), -0.1);
  EXPECT_EQ(NSColor::colorWithDeviceRed(0, 0, 0, 7)->alphaComponent(), 1); // alpha is clamped
}

// MARK: fixed colours

TEST_F(DrawingTest, FixedColoursHaveAppKitValues) {
  NSColor* gray = NSColor::grayColor();
  EXPECT_TRUE(gray->colorSpaceName()->isEqualToString(NSCalibratedWhiteColorSpace));
  EXPECT_EQ(gray->whiteComponent(), 0.5);
  NSColor* purple = NSColor::purpleColor();
  EXPECT_TRUE(purple->colorSpaceName()->isEqualToString(NSCalibratedRGBColorSpace));
  EXPECT_EQ(purple->redComponent(), 0.5);
  EXPECT_EQ(purple->greenComponent(), 0);
  EXPECT_EQ(purple->blueComponent(), 0.5);
  NSColor* clear = NSColor::clearColor();
  EXPECT_EQ(clear->whiteComponent(), 0);
  EXPECT_EQ(clear->alphaComponent(), 0);
  EXPECT_EQ(clear->CGColor(), (CGColor{0, 0, 0, 0}));
  EXPECT_EQ(NSColor::grayColor(), NSColor::grayColor()); // shared instances
}

// MARK: components of the wrong space

TEST_F(DrawingTest, RGBComponentsOfAGreyColourAreRefusedWithALogLine) {
  NSLogClearBuffer();
  EXPECT_EQ(NSColor::grayColor()->redComponent(), 0);
  auto lines = NSLogBufferedLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("-redComponent not valid for the NSColor NSCalibratedWhiteColorSpace "
                          "0.5 1; need to first convert colorspace."),
            std::string::npos)
      << lines[0];
  NSLogClearBuffer();
  EXPECT_EQ(NSColor::selectedControlColor()->blueComponent(), 0); // named: convert first
  EXPECT_EQ(NSLogBufferedLines().size(), 1u);
}

// MARK: conversions

TEST_F(DrawingTest, ConversionReturnsTheReceiverInItsOwnSpace) {
  NSColor* color = NSColor::colorWithCalibratedRed(0.1, 0.2, 0.3, 0.4);
  EXPECT_EQ(color->colorUsingColorSpaceName(NSCalibratedRGBColorSpace), color);
}

TEST_F(DrawingTest, WhiteConvertsToRGBExactlyAndBackByLuma) {
  NSColor* rgb = NSColor::grayColor()->colorUsingColorSpaceName(NSCalibratedRGBColorSpace);
  ASSERT_NE(rgb, nullptr);
  EXPECT_EQ(rgb->redComponent(), 0.5);
  EXPECT_EQ(rgb->greenComponent(), 0.5);
  EXPECT_EQ(rgb->blueComponent(), 0.5);
  EXPECT_EQ(rgb->alphaComponent(), 1);
  NSColor* grey = NSColor::purpleColor()->colorUsingColorSpaceName(NSDeviceWhiteColorSpace);
  ASSERT_NE(grey, nullptr);
  EXPECT_NEAR(grey->whiteComponent(), 0.5 * 0.299 + 0.5 * 0.114, 1e-12);
}

TEST_F(DrawingTest, RGBSpacesShareTheirNumbers) {
  NSColor* srgb = NSColor::colorWithSRGBRed(0.25, 0.5, 0.75, 0.5);
  NSColor* calibrated = srgb->colorUsingColorSpaceName(NSCalibratedRGBColorSpace);
  ASSERT_NE(calibrated, nullptr);
  EXPECT_EQ(calibrated->redComponent(), 0.25);
  EXPECT_EQ(calibrated->blueComponent(), 0.75);
  EXPECT_EQ(calibrated->alphaComponent(), 0.5);
}

TEST_F(DrawingTest, ImpossibleConversionsGiveNil) {
  NSColor* red = NSColor::redColor();
  EXPECT_EQ(red->colorUsingColorSpaceName(NSNamedColorSpace), nullptr);
  EXPECT_EQ(red->colorUsingColorSpaceName(NSSTR("NSPatternColorSpace")), nullptr);
  EXPECT_EQ(red->colorUsingColorSpaceName(nullptr), nullptr);
  EXPECT_EQ(red->colorUsingColorSpace(nullptr), nullptr);
}

TEST_F(DrawingTest, SelectedControlColorConvertsToTheDefaultHighlight) {
  NSColor* highlight = NSColor::selectedControlColor();
  EXPECT_TRUE(highlight->colorSpaceName()->isEqualToString(NSNamedColorSpace));
  NSColor* rgb = highlight->colorUsingColorSpaceName(NSCalibratedRGBColorSpace);
  ASSERT_NE(rgb, nullptr);
  EXPECT_EQ(rgb->redComponent(), 0.70);
  EXPECT_EQ(rgb->greenComponent(), 0.84);
  EXPECT_EQ(rgb->blueComponent(), 1.0);
  EXPECT_EQ(rgb->alphaComponent(), 1.0);
}

TEST_F(DrawingTest, SuppliedAccentColourLightensIntoTheHighlight) {
  NSColor::setAccentColor(NSColor::colorWithSRGBRed(1, 0, 0, 1));
  NSColor* rgb = NSColor::selectedControlColor()->colorUsingColorSpaceName(NSDeviceRGBColorSpace);
  NSColor::setAccentColor(nullptr);
  ASSERT_NE(rgb, nullptr);
  EXPECT_NEAR(rgb->redComponent(), 1.0, 1e-12);
  EXPECT_NEAR(rgb->greenComponent(), 0.7, 1e-12);
  EXPECT_EQ(NSColor::selectedControlColor()
                ->colorUsingColorSpaceName(NSDeviceRGBColorSpace)
                ->redComponent(),
            0.70);
}

// MARK: alpha, equality, description

TEST_F(DrawingTest, ColorWithAlphaComponentKeepsSpaceAndComponents) {
  CGFloat grey = static_cast<double>(235.0f / 255.0f);
  NSColor* base = NSColor::colorWithCalibratedRed(grey, grey, grey, 1);
  NSColor* clear = base->colorWithAlphaComponent(0);
  EXPECT_TRUE(clear->colorSpaceName()->isEqualToString(NSCalibratedRGBColorSpace));
  EXPECT_EQ(clear->redComponent(), grey);
  EXPECT_EQ(clear->alphaComponent(), 0);
  EXPECT_EQ(base->colorWithAlphaComponent(2)->alphaComponent(), 1);
  EXPECT_EQ(base->alphaComponent(), 1); // the receiver is unchanged
  EXPECT_TRUE(base->colorWithAlphaComponent(1)->isEqual(base));
  EXPECT_FALSE(clear->isEqual(base));
}

TEST_F(DrawingTest, DescriptionNamesSpaceAndComponents) {
  EXPECT_EQ(NSColor::colorWithCalibratedRed(1, 0.5, 0, 1)->description()->utf8(),
            "NSCalibratedRGBColorSpace 1 0.5 0 1");
  EXPECT_EQ(NSColor::grayColor()->description()->utf8(), "NSCalibratedWhiteColorSpace 0.5 1");
  EXPECT_EQ(NSColor::selectedControlColor()->description()->utf8(),
            "Catalog color: System selectedControlColor");
}

// MARK: set, setFill, setStroke

TEST_F(DrawingTest, SetChoosesFillAndStrokeOfTheCurrentContext) {
  NSColor::redColor()->set(); // without a context: nothing happens, nothing fails
  render(4, 4, 1, [] {
    NSGraphicsContext* context = NSGraphicsContext::currentContext();
    EXPECT_TRUE(context->fillColor()->isEqual(NSColor::blackColor()));
    NSColor::redColor()->set();
    EXPECT_EQ(context->fillColor(), NSColor::redColor());
    EXPECT_EQ(context->strokeColor(), NSColor::redColor());
    NSGraphicsContext::saveGraphicsState();
    NSColor::blueColor()->setStroke();
    EXPECT_EQ(context->fillColor(), NSColor::redColor());
    EXPECT_EQ(context->strokeColor(), NSColor::blueColor());
    NSGraphicsContext::restoreGraphicsState();
    EXPECT_EQ(context->strokeColor(), NSColor::redColor());
  });
}
