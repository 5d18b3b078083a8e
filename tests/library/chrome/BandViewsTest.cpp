// The header band's views and colour functions: colours made in single precision, hexadecimal
// colour texts as Foundation's scanner reads them, the brand text's characters and attributes,
// the visibility flag and logo view shared by every side panel, and what each view paints.
#include <cstdlib>
#include <filesystem>

#include "ChromeTestSupport.h"
#include "appkit/drawing/NSAttributedString.h"
#include "chrome/ChromeColors.h"
#include "chrome/QVGradView.h"
#include "chrome/VantrelsBrandLogoView.h"
#include "foundation/values/NSNumber.h"

namespace {

// MARK: colours from 8-bit components: single-precision quotients, widened

TEST_F(ChromeTest, ComponentsAreDividedInSinglePrecision) {
  NSColor* dark = brix::colorFromRGB(51, 51, 51);
  EXPECT_EQ(dark->redComponent(), 0.20000000298023224);
  EXPECT_EQ(dark->blueComponent(), static_cast<double>(51 / 255.0f));
  EXPECT_EQ(dark->alphaComponent(), 1.0);
  EXPECT_TRUE(dark->colorSpaceName()->isEqualToString(NSCustomColorSpace)); // sRGB

  NSColor* light = brix::colorFromCalibratedRGB(235, 235, 235);
  EXPECT_EQ(light->greenComponent(), static_cast<double>(0.92156863f));
  EXPECT_NE(light->greenComponent(), 235 / 255.0);
  EXPECT_TRUE(light->colorSpaceName()->isEqualToString(NSCalibratedRGBColorSpace));
}

// MARK: hexadecimal colour texts

struct Hex {
  const char* text;
  double red, green, blue;
};

TEST_F(ChromeTest, HexColourTextsScanAsFoundationDoes) {
  const double orangeGreen = 128 / 255.0;
  const Hex cases[] = {
      {"FF8000", 1, orangeGreen, 0},
      {"0xFF8000", 1, orangeGreen, 0},
      {"0XFF8000", 1, orangeGreen, 0},
      {"AAFF8000", 1, orangeGreen, 0}, // top byte dropped
      {" \n ff8000", 1, orangeGreen, 0},
      {"FF8000zz", 1, orangeGreen, 0},
      {"#FF8000", 0, 0, 0},
      {"", 0, 0, 0},
      {"zz", 0, 0, 0},
      {"0x", 0, 0, 0},
      {"123456789", 1, 1, 1}, // overflow scans as 0xFFFFFFFF
      {"0000FF", 0, 0, 1},
  };
  for (const Hex& hex : cases) {
    SCOPED_TRACE(hex.text);
    NSColor* color = colorWithHexColorString(NSSTR(hex.text));
    ASSERT_NE(color, nullptr);
    EXPECT_TRUE(color->colorSpaceName()->isEqualToString(NSCalibratedRGBColorSpace));
    EXPECT_DOUBLE_EQ(color->redComponent(), hex.red);
    EXPECT_DOUBLE_EQ(color->greenComponent(), hex.green);
    EXPECT_DOUBLE_EQ(color->blueComponent(), hex.blue);
    EXPECT_EQ(color->alphaComponent(), 1.0);
  }
  NSColor* fromNil = colorWithHexColorString(nullptr);
  ASSERT_NE(fromNil, nullptr);
  EXPECT_EQ(fromNil->redComponent() + fromNil->greenComponent() + fromNil->blueComponent(), 0.0);
  EXPECT_EQ(fromNil->alphaComponent(), 1.0);
}

// MARK: images from the bundle

TEST_F(ChromeTest, GetImageLoadsPngResourcesAndGivesNilForMissingOnes) {
  namespace fs = std::filesystem;
  const fs::path bundle =
      fs::temp_directory_path() / ("brix-chrome-bundle-" + std::to_string(::getpid()));
  fs::create_directories(bundle / "Contents/Resources");
  auto bitmap = adopted(NSBitmapImageRep::alloc()->initWithPixelsWide(4, 3));
  bitmap->representationUsingType(NSBitmapImageFileTypePNG, nullptr)
      ->writeToFile(NSSTR((bundle / "Contents/Resources/monologo.png").string()), true);
  const char* previous = std::getenv("BRIX_MAIN_BUNDLE");
  const std::string saved = previous ? previous : "";
  setenv("BRIX_MAIN_BUNDLE", bundle.c_str(), 1);

  auto image = adopted(getImage(NSSTR("monologo")));
  ASSERT_NE(image.get(), nullptr);
  EXPECT_EQ(image->size(), NSMakeSize(4, 3));
  EXPECT_EQ(getImage(NSSTR("no-such-image")), nullptr);
  EXPECT_EQ(getImage(NSSTR("monologo.png")), nullptr); // the name is without its extension

  // A panel made without the resource gets an image view that shows nothing.
  setenv("BRIX_MAIN_BUNDLE", (bundle / "missing").c_str(), 1);
  auto panel = adopted(QVRectView::alloc()->initWithFrame(NSMakeRect(0, 0, 300, 50)));
  ASSERT_NE(brix::_iv, nullptr);
  EXPECT_EQ(brix::_iv->image(), nullptr);

  if (previous)
    setenv("BRIX_MAIN_BUNDLE", saved.c_str(), 1);
  else
    unsetenv("BRIX_MAIN_BUNDLE");
  fs::remove_all(bundle);
}

// MARK: the brand text

TEST_F(ChromeTest, BrandTextIsGreyMakerThenBoldPurpleProductAllKerned) {
  auto brand = adopted(VantrelsBrandLogoView::alloc()->initWithFrame(NSMakeRect(0, 0, 170, 30)));
  EXPECT_EQ(brand->logoString(), nullptr); // initWithFrame does not build the text
  auto blank = renderView(brand, 1);       // and drawing without it draws nothing
  for (CGFloat x = 0; x < 170; x += 2)
    ASSERT_EQ(pixelAt(blank, x, 10).alpha, 0);
  for (int round = 0; round < 2; ++round) { // a second setup rebuilds, it does not append
    SCOPED_TRACE(round);
    brand->setup();
    NSMutableAttributedString* text = brand->logoString();
    ASSERT_NE(text, nullptr);
    ASSERT_EQ(text->length(), 18u);
    EXPECT_TRUE(text->string()->isEqualToString(NSSTR("THE VANTRELS : IXA")));

    NSRange kernRange;
    auto* kern = ns_cast<NSNumber>(text->attributeAtIndex(NSKernAttributeName, 0, &kernRange));
    ASSERT_NE(kern, nullptr);
    EXPECT_EQ(kern->doubleValue(), 2.0);
    EXPECT_EQ(kernRange.length, 18u);

    NSRange makerRange, productRange;
    auto* makerFont = ns_cast<NSFont>(text->attributeAtIndex(NSFontAttributeName, 0, &makerRange));
    auto* productFont =
        ns_cast<NSFont>(text->attributeAtIndex(NSFontAttributeName, 17, &productRange));
    EXPECT_EQ(makerFont, NSFont::systemFontOfSize(10));
    EXPECT_EQ(productFont, NSFont::boldSystemFontOfSize(10));
    EXPECT_EQ(makerRange.location, 0u);
    EXPECT_EQ(makerRange.length, 15u);
    EXPECT_EQ(productRange.location, 15u);
    EXPECT_EQ(productRange.length, 3u);
    EXPECT_EQ(text->attributeAtIndex(NSForegroundColorAttributeName, 14, nullptr),
              NSColor::grayColor());
    EXPECT_EQ(text->attributeAtIndex(NSForegroundColorAttributeName, 15, nullptr),
              NSColor::purpleColor());
  }
}

// MARK: the side panels' shared flag and logo view

TEST_F(ChromeTest, VisibilityFlagIsSharedAndTheNewestLogoViewMoves) {
  auto older = adopted(QVRectView::alloc()->initWithFrame(NSMakeRect(0, 0, 300, 50)));
  // Held here: an older logo view that no panel shows goes away when the next panel is made.
  const Ref<NSImageView> olderLogo = retained(brix::_iv);
  auto newer = adopted(QVRectView::alloc()->initWithFrame(NSMakeRect(0, 0, 300, 50)));
  NSImageView* newerLogo = brix::_iv;
  ASSERT_NE(olderLogo, newerLogo);
  EXPECT_EQ(newerLogo->frame(), NSMakeRect(238, 18, 83, 32));
  EXPECT_EQ(newerLogo->superview(), nullptr); // only setVisible adds it
  EXPECT_FALSE(brix::_visible);

  older->setVisible(true);
  EXPECT_TRUE(brix::_visible);
  EXPECT_EQ(newerLogo->superview(), older.get()); // the newest logo view, in the older panel
  EXPECT_EQ(older->subviewList().back().get(), newerLogo);
  EXPECT_EQ(olderLogo->superview(), nullptr);

  newer->setVisible(false); // hides through any panel, and takes the logo view from the other
  EXPECT_FALSE(brix::_visible);
  EXPECT_EQ(newerLogo->superview(), nullptr);

  newer->setVisible(true);
  EXPECT_EQ(newerLogo->superview(), newer.get());
  EXPECT_TRUE(older->subviewList().empty());
}

TEST_F(ChromeTest, PanelPaintsNothingWhileHiddenAndHalfItsRuleAtScale1) {
  auto panel = adopted(QVRectView::alloc()->initWithFrame(NSMakeRect(0, 0, 300, 50)));
  brix::_iv->setImage(nullptr); // only the panel's own painting is looked at
  auto hidden = renderView(panel, 1);
  EXPECT_EQ(pixelAt(hidden, 150, 25).alpha, 0);
  EXPECT_EQ(pixelAt(hidden, 299.5, 25).alpha, 0);
  panel->setVisible(true);
  auto shown = renderView(panel, 1);
  EXPECT_TRUE(near(pixelAt(shown, 150, 25), {51, 51, 51, 255}, 1));
  // The rule is centred on x = 300: its inner half covers half of the last pixel column.
  EXPECT_TRUE(near(pixelAt(shown, 299.5, 25), {56, 56, 56, 255}, 2));
}

} // namespace
