// NSJSONSerialization reading: the contract Foundation's reader keeps (strict JSON with its
// tolerated trailing commas, last duplicate wins, 512 levels, fragments only on request) and the
// failures it reports through the error argument instead of crashing.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "foundation/json/NSJSONSerialization.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/values/NSNumber.h"

namespace {

class JSONReading : public ::testing::Test {
protected:
  NSObject* parse(std::string_view text, NSUInteger options = 0) {
    error = nullptr;
    return NSJSONSerialization::JSONObjectWithData(NSData::dataWithBytes(text.data(), text.size()),
                                                   options, &error);
  }
  // The failure's debug description, or "" when the text parsed.
  std::string failure(std::string_view text, NSUInteger options = 0) {
    NSObject* result = parse(text, options);
    if (result) return "";
    EXPECT_NE(error, nullptr);
    if (!error) return "(no error)";
    EXPECT_TRUE(error->domain()->isEqualToString(NSCocoaErrorDomain));
    EXPECT_EQ(error->code(), NSPropertyListReadCorruptError);
    auto* reason = ns_cast<NSString>(error->userInfo()->objectForKey(NSDebugDescriptionErrorKey));
    return reason ? reason->utf8() : "(no reason)";
  }
  NSArray* array(std::string_view text) {
    auto* result = ns_cast<NSArray>(parse(text));
    EXPECT_NE(result, nullptr) << text << ": " << (error ? error->description()->utf8() : "");
    return result;
  }
  NSNumber* onlyNumber(std::string_view text) {
    auto* elements = array(text);
    return elements ? ns_cast<NSNumber>(elements->objectAtIndex(0)) : nullptr;
  }
  std::u16string onlyString(std::string_view text) {
    auto* elements = array(text);
    auto* string = elements ? ns_cast<NSString>(elements->objectAtIndex(0)) : nullptr;
    return std::u16string(string ? string->utf16() : u"(none)");
  }

  NSAutoreleasePool pool;
  NSError* error = nullptr;
};

std::string nested(std::size_t depth) {
  return std::string(depth, '[') + std::string(depth, ']');
}

TEST_F(JSONReading, TopLevelMustBeArrayOrObjectUnlessFragmentsAreAllowed) {
  EXPECT_NE(ns_cast<NSArray>(parse(" [1] ")), nullptr);
  EXPECT_NE(ns_cast<NSDictionary>(parse("{\"a\":1}")), nullptr);
  for (const char* fragment : {"1", "\"x\"", "true", "null", "  -2.5"}) {
    EXPECT_EQ(failure(fragment), "JSON text did not start with array or object and option to "
                                 "allow fragments not set.")
        << fragment;
    EXPECT_NE(parse(fragment, NSJSONReadingFragmentsAllowed), nullptr) << fragment;
  }
  EXPECT_NE(ns_cast<NSNull>(parse("null", NSJSONReadingAllowFragments)), nullptr);
}

TEST_F(JSONReading, EmptyNilAndTrailingTextFail) {
  EXPECT_NE(failure(""), "");
  EXPECT_NE(failure(" \n\t "), "");
  EXPECT_NE(failure("[1] x"), "");
  EXPECT_NE(failure("[1]\f"), ""); // form feed is not JSON white space
  EXPECT_NE(failure("[1"), "");
  error = nullptr;
  EXPECT_EQ(NSJSONSerialization::JSONObjectWithData(nullptr, 0, &error), nullptr);
  ASSERT_NE(error, nullptr);
  // A caller that does not ask for the error still gets nil and no crash.
  EXPECT_EQ(NSJSONSerialization::JSONObjectWithData(NSData::data(), 0, nullptr), nullptr);
}

TEST_F(JSONReading, TrailingCommasAreToleratedOnlyAfterAValue) {
  EXPECT_EQ(array("[1,2,]")->count(), 2u);
  EXPECT_EQ(ns_cast<NSDictionary>(parse("{\"a\":1 , \n}"))->count(), 1u);
  auto* inner = ns_cast<NSArray>(array("[[\"x\",],{\"k\":[],},]")->objectAtIndex(0));
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->count(), 1u);
  // Commas inside strings are text, escaped quotes included.
  EXPECT_EQ(onlyString("[\"a,]\\\",]\",]"), u"a,]\",]");
  for (const char* bad : {"[,]", "[1,,]", "{,}", "{\"a\":,}", "{\"a\",}", "[1,]]", "[1 2]"})
    EXPECT_NE(failure(bad), "") << bad;
}

TEST_F(JSONReading, LastDuplicateKeyWins) {
  auto* object = ns_cast<NSDictionary>(parse("{\"a\":1,\"b\":2,\"a\":3}"));
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->count(), 2u);
  EXPECT_EQ(ns_cast<NSNumber>(object->objectForKey(NSSTR("a")))->intValue(), 3);
}

TEST_F(JSONReading, NestingStopsAt512LevelsWithoutExhaustingTheStack) {
  EXPECT_NE(parse(nested(512)), nullptr);
  EXPECT_NE(parse(std::string(512, '[') + "1" + std::string(512, ']')), nullptr);
  EXPECT_EQ(failure(nested(513)), "Too many nested arrays or dictionaries around character 512.");
  ASSERT_NE(error, nullptr);
  auto* index = ns_cast<NSNumber>(error->userInfo()->objectForKey(NSJSONSerializationErrorIndex));
  ASSERT_NE(index, nullptr);
  EXPECT_EQ(index->intValue(), 512);
  // Objects count as levels too: 256 object-in-array pairs are 512 levels.
  std::string mixed;
  for (int i = 0; i < 256; ++i)
    mixed += "[{\"k\":";
  mixed += "0";
  for (int i = 0; i < 256; ++i)
    mixed += "}]";
  EXPECT_NE(parse(mixed), nullptr);
  EXPECT_NE(failure("[" + mixed + "]"), "");
  EXPECT_NE(failure(std::string(513, '[') + "1" + std::string(513, ']')), "");
  EXPECT_NE(failure(std::string(1000000, '[')), "");
}

TEST_F(JSONReading, NumbersKeepTheirKind) {
  EXPECT_EQ(onlyNumber("[42]")->kind(), NSNumber::Kind::Int);
  EXPECT_EQ(onlyNumber("[-9223372036854775808]")->longLongValue(), INT64_MIN);
  auto* big = onlyNumber("[18446744073709551615]");
  EXPECT_EQ(big->kind(), NSNumber::Kind::UInt);
  EXPECT_EQ(static_cast<unsigned long long>(big->longLongValue()), UINT64_MAX);
  auto* minusZero = onlyNumber("[-0]");
  EXPECT_EQ(minusZero->kind(), NSNumber::Kind::Int);
  EXPECT_EQ(minusZero->longLongValue(), 0);
  auto* minusZeroDouble = onlyNumber("[-0.0]");
  EXPECT_EQ(minusZeroDouble->kind(), NSNumber::Kind::Double);
  EXPECT_TRUE(std::signbit(minusZeroDouble->doubleValue()));
  EXPECT_EQ(onlyNumber("[1E2]")->kind(), NSNumber::Kind::Double);
  EXPECT_EQ(onlyNumber("[1E2]")->doubleValue(), 100.0);
  EXPECT_EQ(onlyNumber("[true]")->kind(), NSNumber::Kind::Bool);
  EXPECT_NE(ns_cast<NSNull>(array("[null]")->objectAtIndex(0)), nullptr);
  // A long fraction is one number, never mistaken for an oversized integer.
  EXPECT_DOUBLE_EQ(onlyNumber("[0.1234567890123456789012345]")->doubleValue(),
                   0.1234567890123456789012345);
}

TEST_F(JSONReading, IntegersBeyond64BitsBecomeTheNearestDouble) {
  auto* above = onlyNumber("[18446744073709551616]");
  EXPECT_EQ(above->kind(), NSNumber::Kind::Double);
  EXPECT_EQ(above->doubleValue(), 18446744073709551616.0);
  EXPECT_EQ(onlyNumber("[-9223372036854775809]")->doubleValue(), -9223372036854775809.0);
  EXPECT_EQ(onlyNumber("[123456789012345678901234567890,]")->doubleValue(),
            123456789012345678901234567890.0);
  EXPECT_NE(failure(std::string("[").append(400, '9').append("]")), ""); // beyond any double
}

TEST_F(JSONReading, MalformedNumbersFail) {
  for (const char* bad : {"[01]", "[1.]", "[.5]", "[-]", "[+1]", "[1e]", "[1e999]", "[0x10]",
                          "[NaN]", "[Infinity]", "[-01]"})
    EXPECT_NE(failure(bad), "") << bad;
}

TEST_F(JSONReading, EscapesAndUnicode) {
  EXPECT_EQ(onlyString(R"(["\" \\ \/ \b \f \n \r \t"])"), u"\" \\ / \b \f \n \r \t");
  EXPECT_EQ(onlyString(R"(["caf\u00e9 \u20AC"])"), u"café €");
  EXPECT_EQ(onlyString(R"(["\ud83d\ude00"])"), u"\U0001F600");
  EXPECT_EQ(onlyString(R"(["a\u0000b"])"), std::u16string(u"a\0b", 3));
  EXPECT_EQ(onlyString("[\"\xC3\xA9\xF0\x9F\x98\x80\"]"), u"é\U0001F600");
  EXPECT_EQ(onlyString("\xEF\xBB\xBF[\"bom\"]"), u"bom");
}

TEST_F(JSONReading, BadStringsFail) {
  const std::string cases[] = {R"(["\x"])",
                               R"(["\u12"])",
                               "[\"a\x01\"]",
                               "[\"tab\there\"]",
                               "[\"\xFF\"]",
                               "[\"\xC0\x80\"]",
                               "[\"\xED\xA0\x80\"]",
                               "[\"\xE2\x82\"]",
                               "[\"\xF4\x90\x80\x80\"]",
                               std::string("[\"a\0b\"]", 7),
                               "[\"unterminated]"};
  for (const auto& bad : cases)
    EXPECT_NE(failure(bad), "") << bad;
}

// An escaped surrogate stands for a character only as half of a pair; alone it is refused, as
// any invalid text is.
TEST_F(JSONReading, LoneSurrogateEscapesAreRefused) {
  for (const char* lone : {R"(["\ud800"])", R"(["\uDC00"])", R"(["\ud800\u0041"])",
                           R"(["\ud800x"])", R"(["abc\udfff"])", R"(["\udc00\ud800"])",
                           R"(["\ud800\ud83d\ude00"])", R"({"k\udbff": 1})", R"(["\ud800", 1,])"}) {
    EXPECT_EQ(failure(lone), "Invalid string: an unknown escape, a malformed \\u escape or an "
                             "escaped surrogate without its other half.")
        << lone;
  }
  // A pair is one supplementary character, in values and keys, beside the tolerated forms.
  EXPECT_EQ(onlyString(R"(["\ud83d\ude00"])"), u"\U0001F600");
  auto* object = ns_cast<NSDictionary>(parse(R"({"k\uDBFF\uDFFF": ["x", 18446744073709551616,]})"));
  ASSERT_NE(object, nullptr) << (error ? error->description()->utf8() : "");
  EXPECT_NE(object->objectForKey(NSString::alloc()->initWithUTF16(u"k\U0010FFFF")->autorelease()),
            nullptr);
  // An escaped backslash before "ud800" is text, not an escape.
  EXPECT_EQ(onlyString(R"(["\\ud800"])"), u"\\ud800");
}

TEST_F(JSONReading, WideEncodingsAreDetected) {
  const std::u16string text = u"[\"é\U0001F600\"]";
  std::string le, be;
  for (char16_t unit : text) {
    le += static_cast<char>(unit & 0xFF), le += static_cast<char>(unit >> 8);
    be += static_cast<char>(unit >> 8), be += static_cast<char>(unit & 0xFF);
  }
  EXPECT_EQ(onlyString(le), u"é\U0001F600");
  EXPECT_EQ(onlyString("\xFF\xFE" + le), u"é\U0001F600");
  EXPECT_EQ(onlyString(be), u"é\U0001F600");
  std::string utf32le;
  for (char32_t c : std::u32string(U"[\"\U0001F600\"]"))
    for (int shift = 0; shift < 32; shift += 8)
      utf32le += static_cast<char>((c >> shift) & 0xFF);
  EXPECT_EQ(onlyString(utf32le), u"\U0001F600");
  EXPECT_NE(failure(std::string("[\0\"\0\x00\xD8\"\0]\0", 10)), ""); // unpaired surrogate
  EXPECT_NE(failure(std::string("[\0\"", 3)), "");                   // odd length
}

TEST_F(JSONReading, OptionsChooseMutableLeaves) {
  auto* plain = array("[\"x\", {\"k\": \"v\"}]");
  EXPECT_EQ(ns_cast<NSMutableString>(plain->objectAtIndex(0)), nullptr);
  auto* leaves = ns_cast<NSArray>(parse("[\"x\"]", NSJSONReadingMutableLeaves));
  ASSERT_NE(leaves, nullptr);
  EXPECT_NE(ns_cast<NSMutableString>(leaves->objectAtIndex(0)), nullptr);
  EXPECT_NE(ns_cast<NSMutableArray>(parse("[]", NSJSONReadingMutableContainers)), nullptr);
}

TEST_F(JSONReading, SharedKeysServeEveryObject) {
  std::string text = "[";
  for (int i = 0; i < 2000; ++i)
    text += "{\"HEADER\":\"" + std::to_string(i) + "\",\"key" + std::to_string(i) +
            "\":" + std::to_string(i) + "},";
  text += "{}]";
  auto* records = array(text);
  ASSERT_NE(records, nullptr);
  ASSERT_EQ(records->count(), 2001u);
  auto* last = ns_cast<NSDictionary>(records->objectAtIndex(1999));
  EXPECT_TRUE(
      ns_cast<NSString>(last->objectForKey(NSSTR("HEADER")))->isEqualToString(NSSTR("1999")));
  EXPECT_EQ(ns_cast<NSNumber>(last->objectForKey(NSSTR("key1999")))->intValue(), 1999);
}

} // namespace
