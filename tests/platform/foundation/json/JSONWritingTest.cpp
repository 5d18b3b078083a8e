// NSJSONSerialization writing: Foundation's output forms, and refusal (not a crash) of what JSON
// cannot hold.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "foundation/json/NSJSONSerialization.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/values/NSNumber.h"

namespace {

class JSONWriting : public ::testing::Test {
protected:
  std::string write(const NSObject* object, NSUInteger options = 0) {
    error = nullptr;
    NSData* data = NSJSONSerialization::dataWithJSONObject(object, options, &error);
    if (!data) return "(nil)";
    return std::string(reinterpret_cast<const char*>(data->bytes()), data->length());
  }

  NSAutoreleasePool pool;
  NSError* error = nullptr;
};

TEST_F(JSONWriting, CompactPrettyAndSorted) {
  auto* object = NSMutableDictionary::dictionary();
  object->setObject(NSArray::arrayWithObjects({NSNumber::numberWithInt(1), NSNull::null()}),
                    NSSTR("b"));
  object->setObject(NSNumber::numberWithBool(true), NSSTR("a"));
  object->setObject(NSArray::array(), NSSTR("c"));
  EXPECT_EQ(write(object), R"({"b":[1,null],"a":true,"c":[]})");
  EXPECT_EQ(write(object, NSJSONWritingPrettyPrinted | NSJSONWritingSortedKeys),
            "{\n  \"a\" : true,\n  \"b\" : [\n    1,\n    null\n  ],\n  \"c\" : [\n\n  ]\n}");
}

TEST_F(JSONWriting, StringsAndNumbersRoundTrip) {
  auto* values = NSArray::arrayWithObjects(
      {NSSTR("a/\"\\\n\x01 é\xF0\x9F\x98\x80"), NSNumber::numberWithDouble(0.1),
       NSNumber::numberWithDouble(2.0), NSNumber::numberWithLongLong(-7),
       NSNumber::numberWithUnsignedLongLong(UINT64_MAX)});
  const std::string text = write(values);
  EXPECT_EQ(text, "[\"a\\/\\\"\\\\\\n\\u0001 é\xF0\x9F\x98\x80\",0.1,2,-7,18446744073709551615]");
  EXPECT_EQ(write(NSArray::arrayWithObjects({NSSTR("a/b")}), NSJSONWritingWithoutEscapingSlashes),
            "[\"a/b\"]");
  auto* back = NSJSONSerialization::JSONObjectWithData(
      NSData::dataWithBytes(text.data(), text.size()), 0, nullptr);
  EXPECT_TRUE(values->isEqual(back));
  // An unpaired surrogate cannot be UTF-8: it is written as U+FFFD, never as broken bytes.
  const unichar lone[] = {u'x', 0xd800, u'\x7f'};
  EXPECT_EQ(write(NSArray::arrayWithObjects({NSString::stringWithCharacters(lone, 3)})),
            "[\"x\xEF\xBF\xBD\x7f\"]");
}

TEST_F(JSONWriting, WhatJSONCannotHoldIsRefused) {
  EXPECT_EQ(write(NSSTR("top")), "(nil)");
  EXPECT_NE(error, nullptr);
  EXPECT_EQ(write(NSSTR("top"), NSJSONWritingFragmentsAllowed), "\"top\"");
  EXPECT_EQ(write(NSArray::arrayWithObjects({NSNumber::numberWithDouble(NAN)})), "(nil)");
  EXPECT_EQ(write(NSArray::arrayWithObjects({NSNumber::numberWithDouble(INFINITY)})), "(nil)");
  auto* numericKey = NSMutableDictionary::dictionary();
  numericKey->setObject(NSSTR("v"), NSNumber::numberWithInt(1));
  EXPECT_EQ(write(numericKey), "(nil)");
  EXPECT_EQ(write(NSArray::arrayWithObjects({NSData::data()})), "(nil)");
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->code(), NSPropertyListWriteInvalidError);
  EXPECT_FALSE(NSJSONSerialization::isValidJSONObject(numericKey));
  EXPECT_TRUE(NSJSONSerialization::isValidJSONObject(NSArray::array()));
}

TEST_F(JSONWriting, ACycleIsAnErrorNotAStackOverflow) {
  auto* cycle = NSMutableArray::array();
  cycle->addObject(cycle);
  EXPECT_EQ(write(cycle), "(nil)");
  ASSERT_NE(error, nullptr);
  cycle->removeAllObjects(); // break the cycle so the pool can free it
}

} // namespace
