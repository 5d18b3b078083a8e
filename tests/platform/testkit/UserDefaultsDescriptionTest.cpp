// The screen description's "userDefaults": every key of the standard user defaults with its value
// as the JSON type it was stored with, so that a test can tell YES from 1 and "1".
#include <gtest/gtest.h>
#include <simdjson.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "foundation/collections/NSDictionary.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/system/NSUserDefaults.h"
#include "foundation/values/NSNumber.h"
#include "testkit/ScreenDescription.h"

namespace {

class UserDefaultsDescription : public ::testing::Test {
protected:
  // Defaults of their own, so that nothing of other tests or runs shows.
  void SetUp() override {
    char pattern[] = "/tmp/brix-described-defaults-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
    if (const char* previous = std::getenv("XDG_CONFIG_HOME")) saved = previous;
    setenv("XDG_CONFIG_HOME", root.c_str(), 1);
    NSUserDefaults::resetStandardUserDefaults();
  }
  void TearDown() override {
    if (saved.empty())
      unsetenv("XDG_CONFIG_HOME");
    else
      setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    NSUserDefaults::resetStandardUserDefaults();
    std::filesystem::remove_all(root);
  }
  simdjson::dom::element described() {
    text = ScreenDescription::describe();
    return parser.parse(text)["userDefaults"];
  }

  NSAutoreleasePool pool;
  std::string root, saved, text;
  simdjson::dom::parser parser;
};

} // namespace

TEST_F(UserDefaultsDescription, EmptyDefaultsAreAnEmptyObject) {
  simdjson::dom::object defaults;
  ASSERT_EQ(described().get(defaults), simdjson::SUCCESS) << text;
  EXPECT_EQ(defaults.size(), 0u);
}

TEST_F(UserDefaultsDescription, EveryValueKeepsItsType) {
  NSUserDefaults* defaults = NSUserDefaults::standardUserDefaults();
  defaults->setBool(true, NSSTR("ApplePersistenceIgnoreState"));
  defaults->setInteger(-42, NSSTR("count"));
  defaults->setDouble(2.5, NSSTR("ratio"));
  defaults->setObject(NSSTR("1 \"quoted\" \u00e9"), NSSTR("name"));
  NSMutableArray* list = NSMutableArray::array();
  list->addObject(NSNumber::numberWithBool(false));
  list->addObject(NSSTR("two"));
  defaults->setObject(list, NSSTR("list"));
  NSMutableDictionary* nested = NSMutableDictionary::dictionary();
  nested->setObject(NSNumber::numberWithInt(3), NSSTR("three"));
  nested->setObject(NSMutableArray::array(), NSSTR("empty"));
  defaults->setObject(nested, NSSTR("nested"));

  simdjson::dom::element root = described();
  simdjson::dom::object fields;
  ASSERT_EQ(root.get(fields), simdjson::SUCCESS) << text;
  // In the order the keys were first set.
  std::string keys;
  for (auto field : fields)
    keys += std::string(field.key) + " ";
  EXPECT_EQ(keys, "ApplePersistenceIgnoreState count ratio name list nested ");
  EXPECT_EQ(bool(root["ApplePersistenceIgnoreState"]), true);
  EXPECT_EQ(int64_t(root["count"]), -42);
  EXPECT_EQ(double(root["ratio"]), 2.5);
  EXPECT_EQ(std::string_view(root["name"]), "1 \"quoted\" \u00e9");
  EXPECT_EQ(bool(root["list"].at(0)), false);
  EXPECT_EQ(std::string_view(root["list"].at(1)), "two");
  EXPECT_EQ(int64_t(root["nested"]["three"]), 3);
  EXPECT_TRUE(root["nested"]["empty"].is_array());
}
