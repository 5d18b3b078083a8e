// NSString: UTF-16 lengths, byte encodings that fail with nil instead of truncating, and
// formatting that ignores the process locale.
#include <gtest/gtest.h>

#include <clocale>

#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/runtime/NSCensus.h"
#include "foundation/strings/NSString.h"
#include "foundation/values/NSData.h"
#include "foundation/values/NSGeometry.h"
#include "foundation/values/NSNumber.h"

class StringTest : public ::testing::Test {
  NSAutoreleasePool pool;
};

TEST_F(StringTest, LengthCountsUTF16Units) {
  EXPECT_EQ(NSSTR("Vantrels")->length(), 8u);
  EXPECT_EQ(NSSTR("東京")->length(), 2u);
  EXPECT_EQ(NSSTR("\xF0\x9F\x98\x80")->length(), 2u); // U+1F600 is a surrogate pair
}

TEST_F(StringTest, ASCIIDecodesHighBytesAsLatin1AndEncodingFailsWithNil) {
  NSString* decoded = NSString::stringWithCString("caf\xC3\xA9", NSASCIIStringEncoding);
  ASSERT_NE(decoded, nullptr);
  EXPECT_EQ(decoded->utf16(), u"caf\u00C3\u00A9");
  EXPECT_EQ(NSSTR("café")->cStringUsingEncoding(NSASCIIStringEncoding), nullptr);
  EXPECT_EQ(NSSTR("café")->dataUsingEncoding(NSASCIIStringEncoding), nullptr);
  EXPECT_STREQ(NSSTR("plain")->cStringUsingEncoding(NSASCIIStringEncoding), "plain");
}

TEST_F(StringTest, StrictUTF8RejectsMalformedBytes) {
  EXPECT_EQ(NSString::stringWithUTF8String("\xC0\xAF"), nullptr);         // overlong
  EXPECT_EQ(NSString::stringWithUTF8String("\xED\xA0\x80"), nullptr);     // encoded surrogate
  EXPECT_EQ(NSString::stringWithUTF8String("\xF4\x90\x80\x80"), nullptr); // past U+10FFFF
  EXPECT_EQ(NSString::stringWithUTF8String("ab\xE6\x9D"), nullptr);       // truncated
  EXPECT_EQ(NSString::stringWithUTF8String(nullptr), nullptr);
  auto* data = NSData::dataWithBytes("\xEF\xBB\xBFok", 5);
  auto* withMark = NSString::alloc()->initWithData(data, NSUTF8StringEncoding);
  ASSERT_NE(withMark, nullptr);
  EXPECT_EQ(withMark->utf8(), "ok"); // the byte-order mark is not text
  withMark->release();
  EXPECT_EQ(NSString::alloc()->initWithData(NSData::dataWithBytes("\xFF", 1), NSUTF8StringEncoding),
            nullptr);
  auto* empty = NSString::alloc()->initWithData(NSData::data(), NSUTF8StringEncoding);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->length(), 0u);
  empty->release();
}

TEST_F(StringTest, ModifiedUTF8RoundTripsEveryCharacter) {
  std::u16string text(u"a\u0000\u00E9\u6771\U0001F600_z", 8);
  text[text.size() - 2] = 0xDC00; // a lone surrogate too
  auto* string = NSString::alloc()->initWithUTF16(text);
  const std::string bytes = string->modifiedUTF8();
  EXPECT_EQ(bytes.find('\0'), std::string::npos);
  EXPECT_EQ(bytes.substr(1, 2), "\xC0\x80");
  NSString* back = NSString::stringWithModifiedUTF8(bytes.data(), bytes.size());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->utf16(), text);
  string->release();
  // Standard 4-byte UTF-8 is not modified UTF-8.
  EXPECT_EQ(NSString::stringWithModifiedUTF8("\xF0\x9F\x98\x80", 4), nullptr);
  // A lone surrogate cannot be written as UTF-8 without loss.
  const unichar lone = 0xD800;
  EXPECT_EQ(NSString::stringWithCharacters(&lone, 1)->UTF8String(), nullptr);
}

// UTF-8 of every length of sequence; lone surrogates (at the end, before a non-surrogate, a low
// one first) fail UTF8String and become U+FFFD in utf8().
TEST_F(StringTest, UTF8EncodesEverySequenceLength) {
  const std::u16string text(u"a\u00E9\u07FF\u0800\uFFFF\U0001F600\U0010FFFF\u0000z", 11);
  NSString* whole = NSString::stringWithCharacters(text.data(), text.size());
  const std::string expected("a\xC3\xA9\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x9F\x98\x80"
                             "\xF4\x8F\xBF\xBF\0z",
                             21);
  EXPECT_EQ(whole->utf8(), expected);
  ASSERT_NE(whole->UTF8String(), nullptr);
  EXPECT_EQ(std::string(whole->UTF8String(), expected.size()), expected);

  std::u16string broken = u"xx_y_";
  broken[2] = 0xD800; // a high surrogate before a letter
  broken[4] = 0xDBFF; // a high surrogate at the end
  broken[0] = 0xDC00; // a low surrogate first
  NSString* lone = NSString::stringWithCharacters(broken.data(), broken.size());
  EXPECT_EQ(lone->UTF8String(), nullptr);
  EXPECT_EQ(lone->utf8(), "\xEF\xBF\xBDx\xEF\xBF\xBDy\xEF\xBF\xBD");
}

// Plain ASCII is encoded in runs; a character of every other length (and a lone surrogate) at
// every place in a longer text, a pair across the runs' boundaries too, ends its run exactly.
TEST_F(StringTest, UTF8OfLongerTextsKeepsEveryCharacterInPlace) {
  const std::pair<std::u16string, std::string> kinds[] = {
      {u"\u00E9", "\xC3\xA9"},
      {u"\u20AC", "\xE2\x82\xAC"},
      {u"\U0001F600", "\xF0\x9F\x98\x80"},
      {std::u16string(1, char16_t{0xDC00}), "\xEF\xBF\xBD"},
      {std::u16string(1, u'\0'), std::string(1, '\0')}};
  const std::string ascii = "abcdefghijklmnopqrstuvwxyz0123";
  for (const auto& [unit, encoded] : kinds)
    for (std::size_t at = 0; at <= ascii.size(); ++at) {
      const std::u16string before(ascii.begin(), ascii.begin() + static_cast<long>(at));
      const std::u16string after(ascii.begin() + static_cast<long>(at), ascii.end());
      const std::u16string text = before + unit + after;
      NSString* string = NSString::stringWithCharacters(text.data(), text.size());
      EXPECT_EQ(string->utf8(), ascii.substr(0, at) + encoded + ascii.substr(at)) << at;
    }
}

TEST_F(StringTest, EncodingCacheFollowsMutation) {
  auto* string = NSMutableString::stringWithString(NSSTR("abc"));
  EXPECT_STREQ(string->UTF8String(), "abc");
  string->appendString(NSSTR("déf"));
  EXPECT_STREQ(string->UTF8String(), "abcdéf");
  string->deleteCharactersInRange(NSMakeRange(0, 3));
  EXPECT_STREQ(string->UTF8String(), "déf");
}

TEST_F(StringTest, FormatUsesCLocaleAndDescribesObjects) {
  const char* previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  EXPECT_EQ(NSString::stringWithFormat("sleep %f; ", 2.0)->utf8(), "sleep 2.000000; ");
  if (previous) std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(NSString::stringWithFormat("ID: %@", NSSTR("東京"))->utf8(), "ID: 東京");
  EXPECT_EQ(
      NSString::stringWithFormat("%@|%s|%d|%lu|%02X|%5.1f|%%", nullptr, "x", -3, 7ul, 0x118u, 2.25)
          ->utf8(),
      "(null)|x|-3|7|118|  2.2|%");
  EXPECT_EQ(NSString::stringWithFormat("%@", NSNumber::numberWithInt(42))->utf8(), "42");
}

TEST_F(StringTest, IntValueScansLikeFoundation) {
  EXPECT_EQ(NSSTR("  42abc")->intValue(), 42);
  EXPECT_EQ(NSSTR("-7")->intValue(), -7);
  EXPECT_EQ(NSSTR("2.9")->intValue(), 2);
  EXPECT_EQ(NSSTR("0x10")->intValue(), 0);
  EXPECT_EQ(NSSTR("x2")->intValue(), 0);
  EXPECT_EQ(NSSTR("99999999999")->intValue(), INT_MAX);
  EXPECT_EQ(NSSTR("-99999999999")->intValue(), INT_MIN);
}

TEST_F(StringTest, RectsPrintAsFoundationPrintsThem) {
  EXPECT_EQ(NSStringFromRect(NSMakeRect(0, 0, 400, 178))->utf8(), "{{0, 0}, {400, 178}}");
  EXPECT_EQ(NSStringFromRect(NSMakeRect(0.5, -2, 1440, 50))->utf8(), "{{0.5, -2}, {1440, 50}}");
  EXPECT_EQ(NSStringFromRect(NSMakeRect(0.1, 0, 1, 1))->utf8(),
            "{{0.10000000000000001, 0}, {1, 1}}");
}

TEST_F(StringTest, NumbersConvertAsFoundationDoes) {
  EXPECT_EQ(NSNumber::numberWithDouble(2.9)->intValue(), 2);
  EXPECT_EQ(NSNumber::numberWithDouble(-2.9)->intValue(), -2);
  EXPECT_EQ(NSNumber::numberWithDouble(1e300)->intValue(), INT_MIN);
  EXPECT_EQ(NSNumber::numberWithLongLong(3000000000LL)->intValue(), -1294967296);
  EXPECT_EQ(NSNumber::numberWithBool(true)->intValue(), 1);
  EXPECT_TRUE(NSNumber::numberWithInt(1)->isEqual(NSNumber::numberWithDouble(1.0)));
}

// A string keeps its text in its own block when made with the text at hand, and apart when an
// initialiser after alloc() receives it; a mutable string keeps its own. All read the same, for
// every unit: NUL, a lone surrogate, a supplementary character, and a long text.
TEST_F(StringTest, TextInTheObjectOrApartReadsTheSame) {
  std::u16string text(u"a\u0000\u00E9_\U0001F600\u6771", 7);
  text[3] = 0xDBFF;
  for (const std::u16string& sample : {text, std::u16string(), std::u16string(140000, u'\u00E9')}) {
    auto inside = adopted(NSString::newWithCharacters(sample));
    auto apart = adopted(NSString::alloc()->initWithUTF16(sample));
    NSMutableString* growing = NSMutableString::string();
    growing->appendString(NSString::stringWithCharacters(sample.data(), sample.size() / 2));
    growing->appendString(NSString::stringWithCharacters(sample.data() + sample.size() / 2,
                                                         sample.size() - sample.size() / 2));
    for (const NSString* string : {inside.get(), apart.get(), static_cast<NSString*>(growing)}) {
      EXPECT_EQ(string->length(), sample.size());
      EXPECT_EQ(string->utf16(), sample);
      EXPECT_TRUE(string->isEqual(inside));
      EXPECT_TRUE(inside->isEqual(string));
      EXPECT_EQ(string->hash(), inside->hash());
      EXPECT_EQ(string->utf8(), NSUTF16ToUTF8(sample));
    }
  }
  // Copying an immutable string shares it; copying a mutable one takes the text at that moment.
  NSMutableString* changing = NSMutableString::stringWithString(NSSTR("before"));
  Ref<NSString> copy = copiedStringOrEmpty(changing);
  changing->setString(NSSTR("after, and longer than before"));
  EXPECT_EQ(copy->utf8(), "before");
  EXPECT_EQ(copiedStringOrEmpty(copy).get(), copy.get());
  EXPECT_EQ(copiedStringOrEmpty(nullptr)->length(), 0u);
  // A mutable string initialised with text keeps it through its first changes.
  auto initialised = adopted(
      static_cast<NSMutableString*>(NSMutableString::alloc()->initWithUTF16(u"\U0001F600 abc")));
  initialised->appendString(initialised);
  EXPECT_EQ(initialised->utf16(), u"\U0001F600 abc\U0001F600 abc");
  initialised->deleteCharactersInRange(NSMakeRange(0, 3));
  EXPECT_EQ(initialised->utf8(), "abc\U0001F600 abc");
}

TEST_F(StringTest, EveryWayOfMakingAStringIsCounted) {
  const long before = NSCensus::liveObjects("NSString");
  {
    auto inside = adopted(NSString::newWithCharacters(u"counted"));
    auto apart = adopted(NSString::alloc()->initWithUTF16(u"counted"));
    EXPECT_EQ(NSCensus::liveObjects("NSString"), before + 2);
  }
  EXPECT_EQ(NSCensus::liveObjects("NSString"), before);
}
