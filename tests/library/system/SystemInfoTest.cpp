// getMiscMacInfo: the two keys, exact and case-sensitive, the colour text and the Application
// Support directory with and without XDG_DATA_HOME, answered through a real JVM.
#include <gtest/gtest.h>

#include <pwd.h>

#include <regex>

#include "SystemTestSupport.h"
#include "TestJvm.h"
#include "appkit/drawing/NSColor.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/system/NSPathUtilities.h"

extern "C" JNIEXPORT jstring JNICALL Java_ixa_IxaDialogs_getMiscMacInfo(JNIEnv*, jclass, jstring);

namespace {

// One call in a local frame of its own, as a call from Java would have.
std::u16string ask(const std::u16string& key) {
  JNIEnv* env = testJniEnv();
  env->PushLocalFrame(8);
  std::u16string answer = testJavaStringValue(
      env, Java_ixa_IxaDialogs_getMiscMacInfo(env, nullptr, testJavaString(env, key)));
  expectNoPendingException(env);
  env->PopLocalFrame(nullptr);
  return answer;
}

std::string askUTF8(const std::u16string& key) {
  std::u16string answer = ask(key);
  return std::string(answer.begin(), answer.end()); // ASCII answers only
}

std::u16string fromUTF8(const std::string& text) {
  return NSUTF8ToUTF16(text);
}

// The colour text computed independently from the platform's highlight colour.
std::string expectedHighlightText() {
  NSAutoreleasePool pool;
  NSColor* colour =
      NSColor::selectedControlColor()->colorUsingColorSpaceName(NSCalibratedRGBColorSpace);
  if (colour == nullptr) return "<no RGB form>";
  char text[160];
  std::snprintf(text, sizeof text, "{\"R\":%f,\"G\":%f,\"B\":%f,\"A\":%f}", colour->redComponent(),
                colour->greenComponent(), colour->blueComponent(), colour->alphaComponent());
  return text;
}

} // namespace

// --- Keys -------------------------------------------------------------------------------------

TEST(MiscMacInfo, OnlyTheExactKeysAnswer) {
  for (const char16_t* key :
       {u"", u"highlightcolour", u"HighlightColour", u"HIGHLIGHTCOLOR", u"HIGHLIGHTCOLOUR ",
        u" HIGHLIGHTCOLOUR", u"applicationsupportdirectory", u"APPLICATIONSUPPORTDIRECTORY\n",
        u"APPLICATION_SUPPORT_DIRECTORY"}) {
    EXPECT_EQ(ask(key), u"<null>");
  }
  std::u16string withNul = std::u16string(u"HIGHLIGHTCOLOUR") + char16_t(0);
  EXPECT_EQ(ask(withNul), u"<null>");
  JNIEnv* env = testJniEnv();
  EXPECT_EQ(Java_ixa_IxaDialogs_getMiscMacInfo(env, nullptr, nullptr), nullptr);
  expectNoPendingException(env);
}

// --- HIGHLIGHTCOLOUR --------------------------------------------------------------------------

TEST(MiscMacInfo, HighlightColourIsCompactJSONWithSixDecimalsInRGBAOrder) {
  std::string answer = askUTF8(u"HIGHLIGHTCOLOUR");
  EXPECT_TRUE(std::regex_match(
      answer,
      std::regex(R"(\{"R":-?\d+\.\d{6},"G":-?\d+\.\d{6},"B":-?\d+\.\d{6},"A":1\.000000\})")))
      << answer;
  EXPECT_EQ(answer, expectedHighlightText());
}

TEST(MiscMacInfo, HighlightColourFollowsTheAccentColourAndIsReadAfresh) {
  std::string standard = askUTF8(u"HIGHLIGHTCOLOUR");
  {
    NSAutoreleasePool pool;
    NSColor::setAccentColor(NSColor::colorWithSRGBRed(0.8, 0.1, 0.3, 1));
  }
  std::string accented = askUTF8(u"HIGHLIGHTCOLOUR");
  std::string expected = expectedHighlightText();
  NSColor::setAccentColor(nullptr);
  EXPECT_EQ(accented, expected);
  EXPECT_NE(accented, standard);
  EXPECT_EQ(askUTF8(u"HIGHLIGHTCOLOUR"), standard);
}

// --- APPLICATIONSUPPORTDIRECTORY --------------------------------------------------------------

TEST(MiscMacInfo, ApplicationSupportIsAnAbsoluteXDGDataHome) {
  ScratchDirectory scratch;
  std::string notCreated = scratch.path() + "/data home";
  {
    ScopedEnvironment xdg("XDG_DATA_HOME", notCreated + "//");
    EXPECT_EQ(ask(u"APPLICATIONSUPPORTDIRECTORY"), fromUTF8(notCreated));
  }
  EXPECT_FALSE(std::filesystem::exists(notCreated));
  // Characters outside ASCII, a supplementary one included, reach Java unchanged.
  std::string unicode = scratch.path() + "/Dätä ☃ 😀";
  ScopedEnvironment xdg("XDG_DATA_HOME", unicode);
  EXPECT_EQ(ask(u"APPLICATIONSUPPORTDIRECTORY"), fromUTF8(unicode));
}

TEST(MiscMacInfo, ApplicationSupportFallsBackToLocalShareInTheHomeDirectory) {
  ScratchDirectory scratch;
  ScopedEnvironment home("HOME", scratch.path() + "/");
  for (std::optional<std::string> xdg :
       std::initializer_list<std::optional<std::string>>{std::nullopt, "", "relative/data"}) {
    ScopedEnvironment unusable("XDG_DATA_HOME", xdg);
    EXPECT_EQ(ask(u"APPLICATIONSUPPORTDIRECTORY"), fromUTF8(scratch.path() + "/.local/share"));
  }
}

TEST(MiscMacInfo, WithoutAUsableHomeThePasswordEntryDecides) {
  ScopedEnvironment xdg("XDG_DATA_HOME", std::nullopt);
  passwd* entry = getpwuid(getuid());
  ASSERT_NE(entry, nullptr);
  std::string home = entry->pw_dir;
  std::string expected = (home == "/" ? "" : home) + "/.local/share";
  {
    ScopedEnvironment noHome("HOME", std::nullopt);
    EXPECT_EQ(ask(u"APPLICATIONSUPPORTDIRECTORY"), fromUTF8(expected));
  }
  ScopedEnvironment relativeHome("HOME", "not/absolute");
  EXPECT_EQ(ask(u"APPLICATIONSUPPORTDIRECTORY"), fromUTF8(expected));
}
