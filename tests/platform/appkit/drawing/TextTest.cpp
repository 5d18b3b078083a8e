// NSFont metrics, NSAttributedString's attribute runs over UTF-16 ranges, and text drawn by
// Pango where AppKit puts it, with kerning after every character.
#include "DrawingTestSupport.h"
#include "appkit/drawing/NSAttributedString.h"
#include "appkit/drawing/NSFont.h"
#include "appkit/rendering/TextLayout.h"
#include "foundation/system/NSLog.h"
#include "foundation/values/NSNumber.h"

namespace {

Ref<NSMutableAttributedString> mutableText(const NSString* text) {
  return adopted(static_cast<NSMutableAttributedString*>(
      NSMutableAttributedString::alloc()->initWithString(text)));
}

NSMutableAttributedString* styled(const char* text, NSFont* font, NSColor* color) {
  auto* piece = static_cast<NSMutableAttributedString*>(
      NSMutableAttributedString::alloc()->initWithString(NSSTR(text))->autorelease());
  piece->addAttribute(NSForegroundColorAttributeName, color, NSMakeRange(0, piece->length()));
  piece->addAttribute(NSFontAttributeName, font, NSMakeRange(0, piece->length()));
  return piece;
}

// The columns (in points) between which the bitmap has ink.
std::pair<CGFloat, CGFloat> inkColumns(const NSBitmapImageRep* bitmap) {
  CGFloat scale = bitmap->pixelsWide() / bitmap->size().width;
  NSInteger first = -1, last = -1;
  for (NSInteger x = 0; x < bitmap->pixelsWide(); ++x)
    for (NSInteger y = 0; y < bitmap->pixelsHigh(); ++y)
      if (bitmap->colorAtX(x, y)->alphaComponent() > 0.3) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  return {first / scale, (last + 1) / scale};
}

} // namespace

// MARK: fonts

TEST_F(DrawingTest, SystemFontsAreSharedAndSized) {
  NSFont* font = NSFont::systemFontOfSize(13);
  EXPECT_EQ(font, NSFont::systemFontOfSize(13));
  EXPECT_EQ(NSFont::systemFontOfSize(0), font); // 0 means the system size
  EXPECT_EQ(font->familyName()->utf8(), "DejaVu Sans");
  EXPECT_EQ(font->pointSize(), 13);
  EXPECT_FALSE(font->isBold());
  NSFont* bold = NSFont::boldSystemFontOfSize(10);
  EXPECT_TRUE(bold->isBold());
  EXPECT_EQ(bold->fontName()->utf8(), "DejaVuSans-Bold");
  EXPECT_FALSE(bold->isEqual(NSFont::systemFontOfSize(10)));
}

TEST_F(DrawingTest, FontMetricsAreProportionalToTheSize) {
  for (CGFloat size : {10.0, 13.0, 40.0}) {
    NSFont* font = NSFont::systemFontOfSize(size);
    EXPECT_NEAR(font->ascender() / size, 0.93, 0.05);
    EXPECT_NEAR(font->descender() / size, -0.24, 0.05);
    EXPECT_NEAR(font->capHeight() / size, 0.73, 0.05);
    EXPECT_NEAR(font->xHeight() / size, 0.55, 0.05);
    EXPECT_GE(font->defaultLineHeight(), font->ascender() - font->descender());
  }
}

TEST_F(DrawingTest, FontWithNameFindsInstalledFamiliesOnly) {
  NSFont* serif = NSFont::fontWithName(NSSTR("DejaVu Serif"), 12);
  ASSERT_NE(serif, nullptr);
  EXPECT_EQ(serif->familyName()->utf8(), "DejaVu Serif");
  NSFont* bold = NSFont::fontWithName(NSSTR("DejaVuSans-Bold"), 12);
  ASSERT_NE(bold, nullptr);
  EXPECT_TRUE(bold->isBold());
  EXPECT_EQ(bold, NSFont::boldSystemFontOfSize(12));
  EXPECT_EQ(NSFont::fontWithName(NSSTR(".AppleSystemUIFont"), 12), NSFont::systemFontOfSize(12));
  EXPECT_EQ(NSFont::fontWithName(NSSTR("No Such Font"), 12), nullptr);
  EXPECT_EQ(NSFont::fontWithName(nullptr, 12), nullptr);
}

// MARK: attribute runs

TEST_F(DrawingTest, AttributeRunsFollowAppendedPieces) {
  auto text = mutableText(NSSTR(""));
  NSFont* regular = NSFont::systemFontOfSize(10);
  NSFont* bold = NSFont::boldSystemFontOfSize(10);
  text->appendAttributedString(styled("THE VANTRELS : ", regular, NSColor::grayColor()));
  text->addAttribute(NSKernAttributeName, NSNumber::numberWithDouble(2.0f),
                     NSMakeRange(0, text->length()));
  text->appendAttributedString(styled("IXA", bold, NSColor::purpleColor()));
  text->addAttribute(NSKernAttributeName, NSNumber::numberWithDouble(2.0f),
                     NSMakeRange(0, text->length()));
  ASSERT_EQ(text->length(), 18u);

  NSRange range{};
  NSDictionary* first = text->attributesAtIndex(3, &range);
  EXPECT_EQ(range.location, 0u);
  EXPECT_EQ(range.length, 15u);
  EXPECT_EQ(first->objectForKey(NSFontAttributeName), regular);
  EXPECT_EQ(first->objectForKey(NSForegroundColorAttributeName), NSColor::grayColor());
  NSDictionary* last = text->attributesAtIndex(17, &range);
  EXPECT_EQ(range.location, 15u);
  EXPECT_EQ(range.length, 3u);
  EXPECT_EQ(last->objectForKey(NSFontAttributeName), bold);
  // The kern is one value over the whole text, across the two runs.
  auto* kern = ns_cast<NSNumber>(text->attributeAtIndex(NSKernAttributeName, 16, &range));
  ASSERT_NE(kern, nullptr);
  EXPECT_EQ(kern->doubleValue(), 2.0);
  EXPECT_EQ(range.location, 0u);
  EXPECT_EQ(range.length, 18u);
  EXPECT_EQ(text->attributesAtIndex(18, nullptr), nullptr);
}

TEST_F(DrawingTest, SetAttributesReplacesAndRunsMergeAgain) {
  auto text = mutableText(NSSTR("abcdef"));
  text->addAttribute(NSForegroundColorAttributeName, NSColor::redColor(), NSMakeRange(2, 2));
  NSRange range{};
  text->attributesAtIndex(0, &range);
  EXPECT_EQ(range.length, 2u);
  text->setAttributes(nullptr, NSMakeRange(1, 4));
  EXPECT_EQ(text->attributesAtIndex(3, &range)->count(), 0u);
  EXPECT_EQ(range.location, 0u);
  EXPECT_EQ(range.length, 6u); // all runs equal again: one run
}

TEST_F(DrawingTest, ReplacedCharactersTakeTheAttributesOfTheFirstReplacedOne) {
  auto text = mutableText(NSSTR("abc"));
  text->addAttribute(NSForegroundColorAttributeName, NSColor::redColor(), NSMakeRange(1, 1));
  text->replaceCharactersInRange(NSMakeRange(1, 1), NSSTR("XYZ"));
  EXPECT_EQ(text->string()->utf8(), "aXYZc");
  NSRange range{};
  EXPECT_EQ(text->attributeAtIndex(NSForegroundColorAttributeName, 2, &range), NSColor::redColor());
  EXPECT_EQ(range.location, 1u);
  EXPECT_EQ(range.length, 3u);
  text->deleteCharactersInRange(NSMakeRange(0, 2));
  EXPECT_EQ(text->string()->utf8(), "YZc");
  EXPECT_EQ(text->attributeAtIndex(NSForegroundColorAttributeName, 0, nullptr),
            NSColor::redColor());
}

TEST_F(DrawingTest, RangesCountUTF16UnitsAndOutOfRangeCallsAreLoggedAndIgnored) {
  // U+1F600 is two UTF-16 units.
  auto* characters =
      static_cast<NSString*>(NSString::alloc()->initWithUTF16(u"a\U0001F600b")->autorelease());
  auto text = mutableText(characters);
  EXPECT_EQ(text->length(), 4u);
  NSLogClearBuffer();
  text->addAttribute(NSKernAttributeName, NSNumber::numberWithDouble(1), NSMakeRange(3, 2));
  EXPECT_EQ(NSLogBufferedLines().size(), 1u);
  EXPECT_EQ(text->attributesAtIndex(3, nullptr)->count(), 0u);
  text->addAttribute(NSKernAttributeName, NSNumber::numberWithDouble(1), NSMakeRange(1, 2));
  NSRange range{};
  text->attributesAtIndex(2, &range);
  EXPECT_EQ(range.location, 1u);
  EXPECT_EQ(range.length, 2u);
  EXPECT_GT(text->size().width, 0); // lays out without trouble
}

// MARK: measuring and drawing

TEST_F(DrawingTest, KernIsAddedAfterEveryCharacter) {
  NSFont* bold = NSFont::boldSystemFontOfSize(10);
  NSMutableAttributedString* plain = styled("IXA", bold, NSColor::purpleColor());
  NSMutableAttributedString* kerned = styled("IXA", bold, NSColor::purpleColor());
  kerned->addAttribute(NSKernAttributeName, NSNumber::numberWithDouble(2), NSMakeRange(0, 3));
  EXPECT_NEAR(kerned->size().width - plain->size().width, 6.0, 0.01);
  EXPECT_NEAR(kerned->size().height, plain->size().height, 0.01);
  EXPECT_NEAR(plain->size().height, bold->ascender() - bold->descender(), 1.0);
}

TEST_F(DrawingTest, DrawAtPointPutsTheBoxLowerLeftAtThePoint) {
  NSFont* font = NSFont::systemFontOfSize(20);
  NSMutableAttributedString* text = styled("H", font, NSColor::purpleColor());
  auto bitmap = render(60, 60, 2, [text] { text->drawAtPoint(NSMakePoint(10, 10)); });
  CGFloat baseline = 10 - font->descender();
  // Ink sits on the baseline and reaches up to the cap height, in the text's colour.
  Pixel stem = pixelAt(bitmap, 10 + font->pointSize() * 0.15, baseline + 2);
  EXPECT_TRUE(near(stem, {128, 0, 128, 255}, 10));
  EXPECT_EQ(pixelAt(bitmap, 15, baseline - 1).alpha, 0);
  EXPECT_EQ(pixelAt(bitmap, 15, baseline + font->capHeight() + 1).alpha, 0);
}

TEST_F(DrawingTest, TextHasTheSameWidthAtScaleOneAndTwo) {
  TextLayout layout(NSSTR("Cancel the operation"), NSFont::systemFontOfSize(13),
                    NSColor::blackColor());
  auto draw = [&] { layout.drawAtPoint(NSMakePoint(5, 5)); };
  auto one = inkColumns(render(200, 30, 1, draw));
  auto two = inkColumns(render(200, 30, 2, draw));
  EXPECT_NEAR(one.first, two.first, 1.0);
  EXPECT_NEAR(one.second, two.second, 1.0);
  EXPECT_NEAR(two.second - 5, layout.size().width, 1.5);
}

TEST_F(DrawingTest, TextLayoutWrapsAndFindsCaretPositions) {
  TextLayout layout(NSSTR("one two three four five six"), NSFont::systemFontOfSize(13), nullptr);
  EXPECT_EQ(layout.lineCount(), 1u);
  CGFloat oneLine = layout.size().height;
  layout.setWidth(60);
  EXPECT_GT(layout.lineCount(), 2u);
  EXPECT_NEAR(layout.size().height, oneLine * layout.lineCount(), 1.0);
  TextLayout field(NSSTR("abc"), NSFont::systemFontOfSize(13), nullptr);
  NSRect start = field.caretRectForIndex(0), end = field.caretRectForIndex(3);
  EXPECT_EQ(start.origin.x, 0);
  EXPECT_NEAR(end.origin.x, field.size().width, 0.01);
  EXPECT_EQ(field.indexForPoint(NSMakePoint(-5, 5)), 0u);
  EXPECT_EQ(field.indexForPoint(NSMakePoint(end.origin.x + 20, 5)), 3u);
  EXPECT_EQ(field.selectionRectsForRange(NSMakeRange(0, 3)).size(), 1u);
}

TEST_F(DrawingTest, ParagraphStyleAlignsAndTruncates) {
  auto text = mutableText(NSSTR("A long title that will not fit"));
  NSMutableParagraphStyle* style = NSMutableParagraphStyle::paragraphStyle();
  style->setAlignment(NSTextAlignmentCenter);
  style->setLineBreakMode(NSLineBreakByTruncatingTail);
  text->addAttribute(NSParagraphStyleAttributeName, style, NSMakeRange(0, text->length()));
  TextLayout layout(text.get());
  CGFloat natural = layout.size().width;
  layout.setWidth(80);
  EXPECT_EQ(layout.lineCount(), 1u);
  EXPECT_LE(layout.size().width, 80);
  EXPECT_LT(layout.size().width, natural);
  TextLayout centred(mutableText(NSSTR("Hi")).get());
  centred.setAlignment(NSTextAlignmentCenter);
  centred.setWidth(100);
  EXPECT_NEAR(centred.caretRectForIndex(0).origin.x, (100 - centred.size().width) / 2, 1.0);
}

TEST_F(DrawingTest, DescriptionListsEachRunWithItsAttributes) {
  auto text = mutableText(NSSTR("ab"));
  text->addAttribute(NSKernAttributeName, NSNumber::numberWithDouble(2), NSMakeRange(1, 1));
  EXPECT_EQ(text->description()->utf8(), "a{\n}b{\n    NSKern = 2;\n}");
}
