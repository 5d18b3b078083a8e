// NSImage from each format (PNG, ICNS, PDF), drawing with AppKit's flipping rules, lockFocus with
// a focused-rect capture, and NSBitmapImageRep's PNG round trip.
#include <cstring>
#include <fstream>

#include "DrawingTestSupport.h"
#include "appkit/drawing/NSFont.h"
#include "appkit/drawing/NSImage.h"
#include "appkit/rendering/ImageDecoding.h"
#include "appkit/rendering/PDFDrawing.h"
#include "appkit/rendering/TextLayout.h"
#include "foundation/system/NSLog.h"

namespace {

constexpr Pixel kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255};

NSString* resource(const char* name) {
  return NSSTR(std::string(BRIX_SOURCE_DIR) + "/resources/Ixa.app/Contents/Resources/" + name);
}

// A 10 x 10 image, red above and blue below, made by drawing into it.
Ref<NSImage> twoToneImage() {
  auto image = adopted(NSImage::alloc()->initWithSize(NSMakeSize(10, 10)));
  image->lockFocus();
  NSColor::redColor()->setFill();
  NSRectFill(NSMakeRect(0, 5, 10, 5));
  NSColor::blueColor()->setFill();
  NSRectFill(NSMakeRect(0, 0, 10, 5));
  image->unlockFocus();
  return image;
}

} // namespace

// MARK: loading

TEST_F(DrawingTest, PNGImageTakesItsSizeFromItsResolution) {
  auto logo = adopted(NSImage::alloc()->initWithContentsOfFile(resource("monologo.png")));
  ASSERT_NE(logo.get(), nullptr);
  EXPECT_EQ(logo->size(), NSMakeSize(120, 40)); // 240 x 80 pixels at 144 dpi
  EXPECT_EQ(logo->sourceName()->utf8(), "monologo.png");
  auto bitmap = render(120, 40, 2, [&] { logo->drawInRect(NSMakeRect(0, 0, 120, 40)); });
  EXPECT_EQ(pixelAt(bitmap, 119, 39).alpha, 0); // transparent around a white mark
  EXPECT_TRUE(near(pixelAt(bitmap, 4, 20), {255, 255, 255, 255}, 2));
}

TEST_F(DrawingTest, IconFamilyKeepsEveryRepresentationAndDrawsTheFittingOne) {
  auto icon = adopted(NSImage::alloc()->initWithContentsOfFile(resource("Ixa.icns")));
  ASSERT_NE(icon.get(), nullptr);
  EXPECT_EQ(icon->size(), NSMakeSize(512, 512));
  EXPECT_EQ(icon->representationCount(), 6u);
  EXPECT_EQ(icon->sourceName()->utf8(), "Ixa.icns");
  auto bitmap = render(64, 64, 2, [&] { icon->drawInRect(NSMakeRect(0, 0, 64, 64)); });
  EXPECT_EQ(pixelAt(bitmap, 1, 1).alpha, 0);
  Pixel body = pixelAt(bitmap, 10, 32); // the purple square, left of the white mark
  EXPECT_EQ(body.alpha, 255);
  EXPECT_GT(body.red, body.green + 50);
  EXPECT_GT(body.blue, body.green + 80);
}

TEST_F(DrawingTest, AnIconFamilyDecodedAgainGivesPicturesOfItsOwn) {
  NSData* icns = NSData::dataWithContentsOfFile(resource("Ixa.icns"));
  const std::span<const uint8_t> bytes(static_cast<const uint8_t*>(icns->bytes()), icns->length());
  std::vector<cairo_surface_t*> first = NSDecodeICNS(bytes);
  ASSERT_EQ(first.size(), 6u);
  // The caller owns what it got: red paint over the first pictures stays there.
  for (cairo_surface_t* image : first) {
    cairo_t* cairo = cairo_create(image);
    cairo_set_source_rgb(cairo, 1, 0, 0);
    cairo_paint(cairo);
    cairo_destroy(cairo);
  }
  // A damaged family in between decodes to nothing.
  EXPECT_TRUE(NSDecodeICNS(bytes.first(100)).empty());
  std::vector<cairo_surface_t*> second = NSDecodeICNS(bytes);
  std::vector<cairo_surface_t*> third = NSDecodeICNS(bytes);
  ASSERT_EQ(second.size(), 6u);
  ASSERT_EQ(third.size(), 6u);
  for (std::size_t i = 0; i < second.size(); ++i) {
    const int width = cairo_image_surface_get_width(second[i]);
    const int height = cairo_image_surface_get_height(second[i]);
    EXPECT_EQ(width, cairo_image_surface_get_width(first[i]));
    EXPECT_NE(cairo_image_surface_get_data(second[i]), cairo_image_surface_get_data(third[i]));
    EXPECT_EQ(
        std::memcmp(cairo_image_surface_get_data(second[i]), cairo_image_surface_get_data(third[i]),
                    static_cast<std::size_t>(cairo_image_surface_get_stride(second[i])) * height),
        0);
    // The purple square left of the white mark, premultiplied ARGB, not the red paint.
    const auto* row = reinterpret_cast<const uint32_t*>(
        cairo_image_surface_get_data(second[i]) +
        static_cast<std::size_t>(cairo_image_surface_get_stride(second[i])) * (height / 2));
    const uint32_t pixel = row[width * 10 / 64];
    const int red = (pixel >> 16) & 0xff, green = (pixel >> 8) & 0xff, blue = pixel & 0xff;
    EXPECT_GT(blue, green + 80) << "picture " << i;
    EXPECT_GT(red, green + 50) << "picture " << i;
  }
  for (const auto* pictures : {&first, &second, &third})
    for (cairo_surface_t* image : *pictures)
      cairo_surface_destroy(image);
}

TEST_F(DrawingTest, BadSourcesGiveNil) {
  EXPECT_EQ(NSImage::alloc()->initWithContentsOfFile(nullptr), nullptr);
  EXPECT_EQ(NSImage::alloc()->initWithContentsOfFile(resource("missing.png")), nullptr);
  EXPECT_EQ(NSImage::alloc()->initWithData(nullptr), nullptr);
  EXPECT_EQ(NSImage::alloc()->initWithData(NSData::dataWithBytes("GIF89a", 6)), nullptr);
  // Damaged files of each format: a cut PNG, an icon family that claims more than it has, a
  // PDF header with nothing behind it.
  NSData* png = NSData::dataWithContentsOfFile(resource("monologo.png"));
  EXPECT_EQ(NSImage::alloc()->initWithData(NSData::dataWithBytes(png->bytes(), 60)), nullptr);
  NSData* icns = NSData::dataWithContentsOfFile(resource("Ixa.icns"));
  EXPECT_EQ(NSImage::alloc()->initWithData(NSData::dataWithBytes(icns->bytes(), 100)), nullptr);
  EXPECT_EQ(NSImage::alloc()->initWithData(NSData::dataWithBytes("%PDF-1.5\n", 9)), nullptr);
}

TEST_F(DrawingTest, ImageNamedFindsBundleResourcesAndSharesThem) {
  NSImage* logo = NSImage::imageNamed(NSSTR("monologo"));
  ASSERT_NE(logo, nullptr);
  EXPECT_EQ(NSImage::imageNamed(NSSTR("monologo")), logo);
  EXPECT_EQ(NSImage::imageNamed(NSSTR("title_logo"))->size(), NSMakeSize(150, 25));
  NSImage* icon = NSImage::imageNamed(NSImageNameApplicationIcon);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->sourceName()->utf8(), "Ixa.icns");
  EXPECT_EQ(NSImage::imageNamed(NSImageNameCaution)->size(), NSMakeSize(64, 64));
  EXPECT_EQ(NSImage::imageNamed(NSSTR("no such picture")), nullptr);
}

// MARK: PDF

TEST_F(DrawingTest, PDFDataReadsBackAsAnImageOfTheRectangle) {
  // A rectangle away from the origin, as a view's frame in its window would be.
  NSData* pdf = NSDataFromPDFDrawing(NSMakeRect(200, 200, 200, 30), [](NSRect rect) {
    NSColor::redColor()->setFill();
    NSRectFill(NSMakeRect(rect.origin.x, rect.origin.y, rect.size.width, 15));
  });
  ASSERT_NE(pdf, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(pdf->bytes()), 5), "%PDF-");
  auto image = adopted(NSImage::alloc()->initWithData(pdf));
  ASSERT_NE(image.get(), nullptr);
  EXPECT_EQ(image->size(), NSMakeSize(200, 30));
  EXPECT_EQ(image->sourceName(), nullptr);
  auto bitmap = render(200, 30, 2, [&] { image->drawInRect(NSMakeRect(0, 0, 200, 30)); });
  EXPECT_TRUE(near(pixelAt(bitmap, 100, 5), kRed, 1));
  EXPECT_EQ(pixelAt(bitmap, 100, 25).alpha, 0);
  EXPECT_EQ(NSDataFromPDFDrawing(NSZeroRect, nullptr), nullptr);
  EXPECT_EQ(NSGraphicsContext::currentContext(), nullptr); // the PDF context is gone again
}

TEST_F(DrawingTest, TextSurvivesTheTripThroughPDF) {
  NSData* pdf = NSDataFromPDFDrawing(NSMakeRect(0, 0, 200, 30), [](NSRect) {
    TextLayout(NSSTR("A test button"), NSFont::systemFontOfSize(13), nullptr)
        .drawAtPoint(NSMakePoint(10, 8));
  });
  auto image = adopted(NSImage::alloc()->initWithData(pdf));
  ASSERT_NE(image.get(), nullptr);
  auto bitmap = render(200, 30, 2, [&] { image->drawInRect(NSMakeRect(0, 0, 200, 30)); });
  int inked = 0;
  for (NSInteger x = 0; x < bitmap->pixelsWide(); ++x)
    for (NSInteger y = 0; y < bitmap->pixelsHigh(); ++y)
      if (bitmap->colorAtX(x, y)->alphaComponent() > 0.5) ++inked;
  EXPECT_GT(inked, 300);                      // the glyphs came back as glyphs, not as nothing
  EXPECT_EQ(pixelAt(bitmap, 5, 15).alpha, 0); // and stayed where they were drawn
  EXPECT_EQ(pixelAt(bitmap, 195, 15).alpha, 0);
}

TEST_F(DrawingTest, LockFocusOnAPDFImageLetsTheFocusedRectBeCaptured) {
  NSData* pdf = NSDataFromPDFDrawing(NSMakeRect(0, 0, 200, 30), [](NSRect) {
    NSColor::blueColor()->setFill();
    NSRectFill(NSMakeRect(0, 0, 100, 30));
  });
  auto image = adopted(NSImage::alloc()->initWithData(pdf));
  image->lockFocus();
  NSSize size = image->size();
  auto bitmap = adopted(NSBitmapImageRep::alloc()->initWithFocusedViewRect(
      NSMakeRect(0, 0, size.width, size.height)));
  image->unlockFocus();
  ASSERT_NE(bitmap.get(), nullptr);
  EXPECT_EQ(bitmap->pixelsWide(), 200);
  EXPECT_EQ(bitmap->pixelsHigh(), 30);
  EXPECT_TRUE(near(pixelAt(bitmap, 50, 15), kBlue, 1));
  EXPECT_EQ(pixelAt(bitmap, 150, 15).alpha, 0);
  EXPECT_EQ(NSGraphicsContext::currentContext(), nullptr);
  EXPECT_EQ(image->representationCount(), 1u);
  // Without a focus there is nothing to capture.
  EXPECT_EQ(NSBitmapImageRep::alloc()->initWithFocusedViewRect(NSMakeRect(0, 0, 5, 5)), nullptr);
}

TEST_F(DrawingTest, LockFocusOnAnEmptyImageIsRefusedWithALogLine) {
  auto image = adopted(NSImage::alloc()->initWithSize(NSZeroSize));
  NSLogClearBuffer();
  image->lockFocus();
  EXPECT_EQ(NSGraphicsContext::currentContext(), nullptr);
  image->unlockFocus();
  auto lines = NSLogBufferedLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("because it is size zero"), std::string::npos);
}

// MARK: drawing rules

TEST_F(DrawingTest, FlippedContextsKeepImagesUprightOnlyWhenAsked) {
  Ref<NSImage> image = twoToneImage();
  auto draw = [&](bool respectFlipped) {
    return render(10, 10, 1, [&] {
      NSGraphicsContext::currentContext()->flipWithinHeight(10);
      image->drawInRect(NSMakeRect(0, 0, 10, 10), NSZeroRect, NSCompositingOperationSourceOver, 1,
                        respectFlipped, nullptr);
    });
  };
  auto upright = draw(true);
  EXPECT_TRUE(near(pixelAt(upright, 5, 9), kRed, 0));
  EXPECT_TRUE(near(pixelAt(upright, 5, 1), kBlue, 0));
  auto upsideDown = draw(false); // AppKit's old drawing call ignores the flip
  EXPECT_TRUE(near(pixelAt(upsideDown, 5, 9), kBlue, 0));
}

TEST_F(DrawingTest, FromRectAndFractionSelectAndFade) {
  Ref<NSImage> image = twoToneImage();
  auto bitmap = render(20, 20, 1, [&] {
    image->drawInRect(NSMakeRect(0, 0, 20, 20), NSMakeRect(0, 5, 10, 5),
                      NSCompositingOperationSourceOver, 0.5);
  });
  EXPECT_TRUE(near(pixelAt(bitmap, 10, 2), {255, 0, 0, 128}, 2)); // only the red half, faded
  EXPECT_TRUE(near(pixelAt(bitmap, 10, 18), {255, 0, 0, 128}, 2));
}

// MARK: bitmaps

TEST_F(DrawingTest, BitmapsRoundTripThroughPNG) {
  auto bitmap = render(8, 4, 2, [] {
    NSColor::colorWithDeviceRed(0, 0.5, 1, 0.5)->setFill();
    NSRectFill(NSMakeRect(0, 0, 4, 4));
  });
  NSData* png = bitmap->representationUsingType(NSBitmapImageFileTypePNG, nullptr);
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(bitmap->representationUsingType(NSBitmapImageFileTypeJPEG, nullptr), nullptr);
  NSBitmapImageRep* back = NSBitmapImageRep::imageRepWithData(png);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->pixelsWide(), 16);
  EXPECT_EQ(back->pixelsHigh(), 8);
  EXPECT_TRUE(near(pixelAt(back, 1, 1), {0, 128, 255, 128}, 2));
  EXPECT_EQ(back->colorAtX(15, 0)->alphaComponent(), 0);
  EXPECT_EQ(back->colorAtX(16, 0), nullptr);
  EXPECT_EQ(NSBitmapImageRep::imageRepWithData(NSData::dataWithBytes("x", 1)), nullptr);
}
