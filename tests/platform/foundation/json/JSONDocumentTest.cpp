// JSON read in place: the same texts are accepted and refused as by NSJSONSerialization, with the
// same reasons, and the values read from the document are the ones its objects would hold.
#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "foundation/json/JSONDocument.h"
#include "foundation/json/NSJSONSerialization.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/strings/NSStringEncoding.h"
#include "foundation/values/NSNumber.h"

namespace {

class JSONDocuments : public ::testing::Test {
protected:
  // NSJSONSerialization's failure reason and index (npos without one), or "" when it parses.
  static std::pair<std::string, std::size_t> serializationFailure(std::string_view text,
                                                                  bool fragments) {
    NSError* error = nullptr;
    NSObject* result = NSJSONSerialization::JSONObjectWithData(
        NSData::dataWithBytes(text.data(), text.size()),
        fragments ? NSUInteger{NSJSONReadingFragmentsAllowed} : NSUInteger{0}, &error);
    if (result) return {"", std::string_view::npos};
    auto* reason = ns_cast<NSString>(error->userInfo()->objectForKey(NSDebugDescriptionErrorKey));
    auto* index = ns_cast<NSNumber>(error->userInfo()->objectForKey(NSJSONSerializationErrorIndex));
    return {reason ? reason->utf8() : "(no reason)",
            index ? static_cast<std::size_t>(index->longLongValue()) : std::string_view::npos};
  }

  NSAutoreleasePool pool;
};

std::string nested(std::size_t depth, std::string_view inside = "") {
  return std::string(depth, '[') + std::string(inside) + std::string(depth, ']');
}

std::u16string nestedUnicode(std::size_t depth) {
  return std::u16string(depth, u'[') + std::u16string(depth, u']');
}

TEST_F(JSONDocuments, AcceptAndRefuseAsNSJSONSerializationDoes) {
  std::string objects; // 256 object-in-array pairs: 512 levels
  for (int i = 0; i < 256; ++i)
    objects += "[{\"k\":";
  objects += "0";
  for (int i = 0; i < 256; ++i)
    objects += "}]";
  const std::vector<std::string> texts{
      "[]", "{}", "", "  ", "42", "\"x\"", "[1,]", "{\"a\":1,}", "[,1]", "[1 2]", "[01]",
      "[123456789012345678901234567890]", "[\"\\ud800\"]", "[\"\\q\"]", "[tru]", "\xEF\xBB\xBF[1]",
      std::string("[\"a\x01\"]"), "[\"\xC3\x28\"]", nested(512), nested(512, "1"), nested(513),
      nested(513, "1"), "[" + nested(512) + "]", objects, "[" + objects + "]",
      std::string(100000, '['),
      // UTF-16 with a byte-order mark, and without one, detected from its zero bytes.
      std::string("\xFF\xFE[\0]\0", 6), std::string("[\0]\0", 4)};
  for (const bool fragments : {false, true}) {
    for (const std::string& text : texts) {
      SCOPED_TRACE(text.substr(0, 40) + (fragments ? " (fragments)" : ""));
      JSONDocument document;
      const auto [reason, index] = serializationFailure(text, fragments);
      const bool parsed = document.parse(text, fragments);
      EXPECT_EQ(parsed, reason.empty());
      EXPECT_EQ(parsed ? "" : document.failureReason(), reason);
      EXPECT_EQ(parsed ? std::string_view::npos : document.failureIndex(), index);
    }
  }
}

TEST_F(JSONDocuments, ValuesReadAsTheirFoundationObjects) {
  JSONDocument document;
  ASSERT_TRUE(document.parse(R"([{"k": 1, "s": "\u00e9\ud83d\ude00x", "k": [true], "n": null},
      -7, 4294967297, 18446744073709551615, 3.9, -2.5e10, false, "12ab", "\udbff\udfff"])",
                             false));
  std::vector<JSONValue> elements;
  document.root().forEachElement([&](JSONValue value) { elements.push_back(value); });
  ASSERT_EQ(elements.size(), 9u);

  // Members in the text's order, duplicates included.
  std::vector<std::pair<std::string, JSONValue::Kind>> members;
  elements[0].forEachMember(
      [&](std::string_view key, JSONValue value) { members.emplace_back(key, value.kind()); });
  EXPECT_EQ(members,
            (std::vector<std::pair<std::string, JSONValue::Kind>>{{"k", JSONValue::Kind::Integer},
                                                                  {"s", JSONValue::Kind::String},
                                                                  {"k", JSONValue::Kind::Array},
                                                                  {"n", JSONValue::Kind::Null}}));
  elements[0].forEachMember([&](std::string_view key, JSONValue value) {
    if (key != "s") return;
    EXPECT_EQ(value.utf16(), u"\u00e9\U0001F600x");
    NSString* string = value.newString();
    EXPECT_EQ(string->utf16(), u"\u00e9\U0001F600x");
    string->release();
  });

  // intValue as NSNumber's: the low 32 bits of integers, doubles truncated or INT_MIN.
  const std::string_view numberText = "[-7, 4294967297, 18446744073709551615, 3.9, -2.5e10, false]";
  auto* numbers = ns_cast<NSArray>(NSJSONSerialization::JSONObjectWithData(
      NSData::dataWithBytes(numberText.data(), numberText.size()), 0, nullptr));
  ASSERT_NE(numbers, nullptr);
  for (NSUInteger i = 0; i < 6; ++i) {
    EXPECT_TRUE(elements[i + 1].isNumber()) << i;
    EXPECT_EQ(elements[i + 1].intValue(), ns_cast<NSNumber>(numbers->objectAtIndex(i))->intValue())
        << i;
  }
  // Other kinds read as nothing.
  EXPECT_EQ(elements[7].intValue(), 0);
  EXPECT_FALSE(elements[7].isNumber());
  EXPECT_EQ(elements[1].utf8(), "");
  EXPECT_EQ(elements[1].newString(), nullptr);
  // A surrogate pair escape reads as its one character.
  EXPECT_EQ(elements[8].utf16(), u"\U0010FFFF");
  int visited = 0;
  elements[7].forEachElement([&](JSONValue) { ++visited; });
  elements[7].forEachMember([&](std::string_view, JSONValue) { ++visited; });
  EXPECT_EQ(visited, 0);
}

TEST_F(JSONDocuments, NamedMembersAreTheLastOfEqualKeys) {
  JSONDocument document;
  ASSERT_TRUE(document.parse(R"([{"a": 1, "b": "x", "a": [2], "c": null}, [1], "s"])", false));
  std::vector<JSONValue> elements;
  document.root().forEachElement([&](JSONValue value) { elements.push_back(value); });
  ASSERT_EQ(elements.size(), 3u);

  const std::string_view keys[] = {"a", "b", "missing", "c"};
  std::optional<JSONValue> values[std::size(keys)];
  elements[0].membersNamed(keys, values);
  ASSERT_TRUE(values[0] && values[1] && values[3]);
  EXPECT_EQ(values[0]->kind(), JSONValue::Kind::Array); // the later "a" replaces the number
  EXPECT_EQ(values[1]->utf8(), "x");
  EXPECT_FALSE(values[2]);
  EXPECT_EQ(values[3]->kind(), JSONValue::Kind::Null);

  // Anything but an object has no members; values left from an earlier object are cleared.
  for (const JSONValue& notAnObject : {elements[1], elements[2]}) {
    elements[0].membersNamed(keys, values);
    notAnObject.membersNamed(keys, values);
    for (const auto& value : values)
      EXPECT_FALSE(value);
  }
}

TEST_F(JSONDocuments, StringsKeepEveryCharacterAroundRunsOfASCII) {
  // A character outside ASCII at every place of texts around the eight-byte runs.
  const std::u16string decoded[] = {u"\u00e9", u"\u20ac", u"\U0001F600"};
  for (std::size_t length = 0; length <= 19; ++length) {
    for (std::size_t at = 0; at <= length; ++at) {
      for (std::size_t k = 0; k < std::size(decoded); ++k) {
        std::u16string expected;
        for (std::size_t i = 0; i < length; ++i)
          expected += static_cast<char16_t>(u'a' + i);
        expected.insert(at, decoded[k]);
        NSString* text = NSString::stringWithCharacters(expected.data(), expected.size());
        const std::string json = "[\"" + std::string(text->UTF8String()) + "\"]";
        JSONDocument document;
        ASSERT_TRUE(document.parse(json, false));
        std::u16string read;
        document.root().forEachElement([&](JSONValue value) { read = value.utf16(); });
        EXPECT_EQ(read, expected) << length << " " << at << " " << k;
      }
    }
  }
}

// What a document holds, for comparing two reads of one text: each top-level element's kind and
// text (a string's, or a member's key and string).
std::vector<std::pair<int, std::u16string>> contents(const JSONDocument& document) {
  std::vector<std::pair<int, std::u16string>> out;
  const JSONValue root = document.root();
  if (root.isString()) out.emplace_back(static_cast<int>(root.kind()), root.utf16());
  root.forEachElement(
      [&](JSONValue value) { out.emplace_back(static_cast<int>(value.kind()), value.utf16()); });
  return out;
}

// A surrogate on its own, which UTF-8 cannot hold.
std::u16string lone(char16_t surrogate) {
  return std::u16string(1, surrogate);
}

TEST_F(JSONDocuments, UnicodeTextReadsAsItsUTF8WithLoneSurrogatesReplaced) {
  const std::u16string texts[] = {
      u"[\"caf\u00e9\", \"\U0001F600\", \"\u20ac\", 1, true, null]",
      u"[\"a" + lone(0xD800) + u"b\", \"" + lone(0xDC00) + u"\", \"" + lone(0xDBFF) + u"\"]",
      std::u16string(u"[\"a\0b\"]", 7), // a raw NUL: refused as in bytes
      u"\uFEFF[1]",                     // a byte-order mark
      u"  [\"x\"]  ",
      u"[1,]",
      u"{\"a\":1}",
      u"",
      u"42",
      u"[\"\\ud800\"]",
      u"[\"" + std::u16string(5000, u'\u00e9') + u"\"]",
      nestedUnicode(600)};
  for (const bool fragments : {false, true}) {
    for (const std::u16string& text : texts) {
      SCOPED_TRACE(std::to_string(text.size()) + (fragments ? " (fragments)" : ""));
      JSONDocument fromUnicode, fromBytes;
      const bool parsed = fromUnicode.parseUnicode(text, fragments);
      EXPECT_EQ(parsed, fromBytes.parse(*encodeUTF8(text, true), fragments));
      EXPECT_EQ(fromUnicode.failureReason(), fromBytes.failureReason());
      EXPECT_EQ(fromUnicode.failureIndex(), fromBytes.failureIndex());
      if (parsed) {
        EXPECT_EQ(contents(fromUnicode), contents(fromBytes));
      }
    }
  }
  // A lone surrogate in the text costs one character; escaped, it is refused as in bytes.
  JSONDocument replaced;
  ASSERT_TRUE(replaced.parseUnicode(u"[\"a" + lone(0xD800) + u"b" + lone(0xDC00) + u"\"]", false));
  EXPECT_EQ(contents(replaced).at(0).second, u"a\uFFFDb\uFFFD");
  EXPECT_FALSE(JSONDocument().parseUnicode(u"[\"\\ud800\"]", false));
}

TEST_F(JSONDocuments, LargeAndSmallTextsInTurnReadWhole) {
  // A text far beyond the parser's first room, then a short one, then the large one again: the
  // thread's parser and encoding buffer grow for the first and serve the others, and each
  // document reads exactly its own text, whatever the one before it left behind.
  std::u16string large = u"[";
  for (int i = 0; i < 200000; ++i)
    large += (i ? u",\"" : u"\"") + std::u16string(i % 7 == 0 ? u"\u00e9t\u00e9 " : u"item ") +
             std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u"\"";
  large += u"]";
  const std::u16string small = u"[\"only\"]";
  const std::u16string* const turns[] = {&large, &small, &large, &small};
  for (const std::u16string* text : turns) {
    JSONDocument document;
    ASSERT_TRUE(document.parseUnicode(*text, false));
    const auto read = contents(document);
    if (text == &small) {
      ASSERT_EQ(read.size(), 1u);
      EXPECT_EQ(read[0].second, u"only");
      continue;
    }
    ASSERT_EQ(read.size(), 200000u);
    EXPECT_EQ(read[0].second, u"\u00e9t\u00e9 a");
    EXPECT_EQ(read[1].second, u"item b");
    EXPECT_EQ(read[199999].second,
              u"item " + std::u16string(1, static_cast<char16_t>(u'a' + 199999 % 26)));
  }
}

TEST_F(JSONDocuments, StringsAroundTheShortTextBoundHoldExactlyTheirText) {
  // Short strings are decoded into room for a unit per byte, longer ones counted first; both must
  // end up with exactly their text, equal to the same text made any other way.
  const std::u16string pieces[] = {u"a", u"\u00e9", u"\u20ac", u"\U0001F600"};
  for (const std::u16string& piece : pieces) {
    for (std::size_t count = 0; count <= 40; ++count) {
      std::u16string expected;
      for (std::size_t i = 0; i < count; ++i)
        expected += piece;
      const std::string json = "[\"" + *encodeUTF8(expected, false) + "\"]";
      JSONDocument document;
      ASSERT_TRUE(document.parse(json, false));
      Ref<NSString> read;
      document.root().forEachElement([&](JSONValue value) { read = adopted(value.newString()); });
      ASSERT_NE(read.get(), nullptr);
      NSString* same = NSString::stringWithCharacters(expected.data(), expected.size());
      EXPECT_EQ(read->length(), expected.size()) << json.size();
      EXPECT_EQ(read->utf16(), expected) << json.size();
      EXPECT_TRUE(read->isEqual(same));
      EXPECT_EQ(read->hash(), same->hash());
    }
  }
}

TEST_F(JSONDocuments, ADocumentReadWhileAnotherIsOpenLeavesItIntact) {
  JSONDocument outer;
  ASSERT_TRUE(outer.parse(R"(["outer", [1, 2]])", false));
  {
    JSONDocument inner;
    ASSERT_TRUE(inner.parse(R"(["inner", {"a": "b"}, 3, 4, 5, 6])", false));
    // NSJSONSerialization in between, too.
    EXPECT_NE(NSJSONSerialization::JSONObjectWithData(NSData::dataWithBytes("[\"third\"]", 9), 0,
                                                      nullptr),
              nullptr);
    std::vector<std::string> innerStrings;
    inner.root().forEachElement([&](JSONValue v) { innerStrings.emplace_back(v.utf8()); });
    EXPECT_EQ(innerStrings.front(), "inner");
  }
  std::vector<std::string> strings;
  outer.root().forEachElement([&](JSONValue value) { strings.emplace_back(value.utf8()); });
  EXPECT_EQ(strings, (std::vector<std::string>{"outer", ""}));
  // The thread's parser serves the next document once both are closed.
  JSONDocument later;
  EXPECT_TRUE(later.parse("[\"later\"]", false));
}

} // namespace
