// NSUserDefaults: values survive a new instance (a new process) through the JSON file, the file
// is replaced atomically and stays readable, and what cannot be stored is refused, not lost.
#include <gtest/gtest.h>

#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/json/NSJSONSerialization.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/system/NSUserDefaults.h"
#include "foundation/values/NSNumber.h"

namespace {

namespace fs = std::filesystem;

class UserDefaults : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/brix-defaults-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
    setenv("XDG_CONFIG_HOME", root.c_str(), 1);
    NSUserDefaults::resetStandardUserDefaults();
  }
  void TearDown() override {
    NSUserDefaults::resetStandardUserDefaults();
    unsetenv("XDG_CONFIG_HOME");
    fs::remove_all(root);
  }
  // A fresh instance that reads the file again, as the next run of the process would.
  NSUserDefaults* reopened() {
    NSUserDefaults::resetStandardUserDefaults();
    return NSUserDefaults::standardUserDefaults();
  }
  std::string fileText() {
    std::ifstream in(NSUserDefaults::standardUserDefaults()->filePath());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::vector<std::string> directoryEntries() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root + "/brixdialogs"))
      names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  NSAutoreleasePool pool;
  std::string root;
};

TEST_F(UserDefaults, ValuesPersistAcrossInstancesInTheDomainFile) {
  auto* defaults = NSUserDefaults::standardUserDefaults();
  EXPECT_EQ(defaults->filePath(), root + "/brixdialogs/" + program_invocation_short_name + ".json");
  EXPECT_FALSE(defaults->boolForKey(NSSTR("ApplePersistenceIgnoreState")));
  defaults->setBool(true, NSSTR("ApplePersistenceIgnoreState"));
  defaults->setObject(NSArray::arrayWithObjects({NSSTR("é"), NSNumber::numberWithDouble(0.5)}),
                      NSSTR("list"));
  defaults->setInteger(-3, NSSTR("count"));
  EXPECT_EQ(fileText(), "{\n  \"ApplePersistenceIgnoreState\" : true,\n  \"count\" : -3,\n"
                        "  \"list\" : [\n    \"é\",\n    0.5\n  ]\n}");

  auto* again = reopened();
  EXPECT_TRUE(again->boolForKey(NSSTR("ApplePersistenceIgnoreState")));
  EXPECT_EQ(again->integerForKey(NSSTR("count")), -3);
  auto* list = ns_cast<NSArray>(again->objectForKey(NSSTR("list")));
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(ns_cast<NSString>(list->objectAtIndex(0))->isEqualToString(NSSTR("é")));
  EXPECT_EQ(again->dictionaryRepresentation()->count(), 3u);

  again->removeObjectForKey(NSSTR("count"));
  again->setObject(nullptr, NSSTR("list")); // nil removes too
  EXPECT_EQ(reopened()->dictionaryRepresentation()->count(), 1u);
  // Only the file itself remains: no temporary file is left behind.
  EXPECT_EQ(directoryEntries(),
            std::vector<std::string>{std::string(program_invocation_short_name) + ".json"});
  struct stat info {};
  ASSERT_EQ(stat(NSUserDefaults::standardUserDefaults()->filePath().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(UserDefaults, ACorruptFileIsIgnoredAndKeptAside) {
  fs::create_directories(root + "/brixdialogs");
  const std::string path = NSUserDefaults::standardUserDefaults()->filePath();
  std::ofstream(path) << "[\"not an object\"";
  auto* defaults = reopened();
  EXPECT_EQ(defaults->dictionaryRepresentation()->count(), 0u);
  defaults->setBool(true, NSSTR("flag"));
  EXPECT_TRUE(reopened()->boolForKey(NSSTR("flag")));
  std::ifstream kept(path + ".corrupt");
  std::string corrupt((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
  EXPECT_EQ(corrupt, "[\"not an object\"");
}

TEST_F(UserDefaults, ValuesAreCopiedAndNonPropertyListsRefused) {
  auto* defaults = NSUserDefaults::standardUserDefaults();
  auto* text = NSMutableString::stringWithString(NSSTR("before"));
  defaults->setObject(text, NSSTR("text"));
  text->setString(NSSTR("after"));
  EXPECT_TRUE(defaults->stringForKey(NSSTR("text"))->isEqualToString(NSSTR("before")));

  defaults->setObject(NSData::data(), NSSTR("data"));
  defaults->setDouble(NAN, NSSTR("nan"));
  auto* nestedBad = NSMutableDictionary::dictionary();
  nestedBad->setObject(NSSTR("v"), NSNumber::numberWithInt(1));
  defaults->setObject(nestedBad, NSSTR("numericKey"));
  for (const char* key : {"data", "nan", "numericKey"})
    EXPECT_EQ(defaults->objectForKey(NSSTR(key)), nullptr) << key;
  EXPECT_EQ(reopened()->dictionaryRepresentation()->count(), 1u);
}

TEST_F(UserDefaults, BooleansReadFromStringsAndNumbers) {
  auto* defaults = NSUserDefaults::standardUserDefaults();
  const std::pair<const char*, bool> cases[] = {{"YES", true},   {"true", true},  {"1", true},
                                                {"12abc", true}, {"NO", false},   {"0", false},
                                                {"", false},     {"maybe", false}};
  for (auto [text, expected] : cases) {
    defaults->setObject(NSSTR(text), NSSTR("b"));
    EXPECT_EQ(defaults->boolForKey(NSSTR("b")), expected) << text;
  }
  defaults->setDouble(0.25, NSSTR("b"));
  EXPECT_TRUE(defaults->boolForKey(NSSTR("b")));
  EXPECT_EQ(defaults->stringForKey(NSSTR("missing")), nullptr);
}

TEST_F(UserDefaults, ARelativeConfigHomeIsIgnored) {
  setenv("XDG_CONFIG_HOME", "relative/dir", 1);
  const char* home = std::getenv("HOME");
  setenv("HOME", root.c_str(), 1);
  NSUserDefaults::resetStandardUserDefaults();
  EXPECT_EQ(
      NSUserDefaults::standardUserDefaults()->filePath().rfind(root + "/.config/brixdialogs/", 0),
      0u);
  if (home) setenv("HOME", home, 1);
}

} // namespace
