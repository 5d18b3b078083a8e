// NSBundle: the main bundle named by BRIX_MAIN_BUNDLE or the working directory, and resources
// looked up in Contents/Resources.
#include <gtest/gtest.h>

#include "SystemTestSupport.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/system/NSBundle.h"

namespace {
void touch(const std::string& path) {
  std::ofstream(path) << "x";
}
std::string utf8(const NSString* string) {
  return string ? string->utf8() : "<nil>";
}
} // namespace

TEST(NSBundle, MainBundleIsTheConfiguredDirectoryOrTheWorkingDirectory) {
  NSAutoreleasePool pool;
  ScratchDirectory scratch;
  {
    ScopedEnvironment bundle("BRIX_MAIN_BUNDLE", scratch.path() + "/App.app/");
    EXPECT_EQ(utf8(NSBundle::mainBundle()->bundlePath()), scratch.path() + "/App.app");
    EXPECT_EQ(NSBundle::mainBundle(), NSBundle::mainBundle());
    EXPECT_EQ(utf8(NSBundle::mainBundle()->resourcePath()),
              scratch.path() + "/App.app/Contents/Resources");
  }
  std::string cwd = std::filesystem::current_path().string();
  {
    ScopedEnvironment bundle("BRIX_MAIN_BUNDLE", "relative/Ixa.app");
    EXPECT_EQ(utf8(NSBundle::mainBundle()->bundlePath()), cwd + "/relative/Ixa.app");
  }
  for (std::optional<std::string> unset :
       {std::optional<std::string>(), std::optional<std::string>("")}) {
    ScopedEnvironment bundle("BRIX_MAIN_BUNDLE", unset);
    EXPECT_EQ(utf8(NSBundle::mainBundle()->bundlePath()), cwd);
  }
}

TEST(NSBundle, ResourcesAreFilesThatExistInContentsResources) {
  NSAutoreleasePool pool;
  ScratchDirectory scratch;
  std::string resources = scratch.path() + "/Ixa.app/Contents/Resources";
  std::filesystem::create_directories(resources);
  touch(resources + "/monologo.png");
  touch(resources + "/b.icns");
  touch(resources + "/a.icns");
  touch(resources + "/README");
  NSBundle* bundle = NSBundle::bundleWithPath(NSSTR(scratch.path() + "/Ixa.app"));
  ASSERT_NE(bundle, nullptr);
  EXPECT_EQ(utf8(bundle->pathForResource(NSSTR("monologo"), NSSTR("png"))),
            resources + "/monologo.png");
  EXPECT_EQ(utf8(bundle->pathForResource(NSSTR("monologo"), NSSTR(".png"))),
            resources + "/monologo.png");
  EXPECT_EQ(utf8(bundle->pathForResource(NSSTR("monologo.png"), nullptr)),
            resources + "/monologo.png");
  EXPECT_EQ(utf8(bundle->pathForResource(NSSTR("README"), NSSTR(""))), resources + "/README");
  EXPECT_EQ(utf8(bundle->pathForResource(nullptr, NSSTR("icns"))), resources + "/a.icns");
  EXPECT_EQ(bundle->pathForResource(NSSTR("monologo"), NSSTR("jpg")), nullptr);
  EXPECT_EQ(bundle->pathForResource(NSSTR("title_logo"), NSSTR("png")), nullptr);
  EXPECT_EQ(bundle->pathForResource(nullptr, nullptr), nullptr);

  EXPECT_EQ(NSBundle::bundleWithPath(NSSTR(scratch.path() + "/missing")), nullptr);
  EXPECT_EQ(NSBundle::bundleWithPath(NSSTR(resources + "/README")), nullptr);
  EXPECT_EQ(NSBundle::bundleWithPath(nullptr), nullptr);
}
