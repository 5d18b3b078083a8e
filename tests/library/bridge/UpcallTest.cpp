// The upcall's lookups in a real JVM: a class or method that cannot be found costs the action,
// one log line that names what was missing, and nothing else; no Error is left behind for the Java
// caller, and the next upcall goes through.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LibraryTesting.h"
#include "TestJvm.h"
#include "bridge/Bridge.h"
#include "bridge/Upcall.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/system/NSLog.h"

namespace {

// Records what each lookup found, as the diagnostic lines of a chosen menu item do.
class LookupRecorder final : public brix::UpcallObserver {
public:
  void classFound(jclass ixa) const override { classes.push_back(ixa != nullptr); }
  void methodFound(jmethodID method) const override { methods.push_back(method != nullptr); }
  mutable std::vector<bool> classes, methods;
};

class UpcallLookup : public ::testing::Test {
protected:
  void SetUp() override {
    env = testJniEnv();
    brix::_env = env;
    recordUpcalls("ITEM");
    drainUpcalls();
    NSLogClearBuffer();
  }
  void TearDown() override { expectNoPendingException(env); }

  // After a failed lookup: nothing pending, exactly one log line, and it names what was missing.
  void expectOneLineNaming(const std::string& missing) {
    EXPECT_FALSE(env->ExceptionCheck());
    const auto lines = NSLogBufferedLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(missing), std::string::npos) << lines[0];
    NSLogClearBuffer();
  }

  JNIEnv* env = nullptr;
  NSAutoreleasePool pool;
};

} // namespace

TEST_F(UpcallLookup, AMissingClassIsLoggedClearedAndSkipped) {
  const brix::UpcallTarget missingClass{"ixa/NoSuchIxa", "callNamedRunnable"};
  LookupRecorder lookups;
  brix::callStaticStringMethod(missingClass, NSSTR("ITEM"), &lookups);
  expectOneLineNaming("ixa/NoSuchIxa");
  EXPECT_EQ(lookups.classes, std::vector<bool>{false});
  EXPECT_TRUE(lookups.methods.empty()); // no method is looked up in no class

  brix::callStaticStringMethod(missingClass, NSSTR("ITEM"), NSSTR("value"));
  expectOneLineNaming("ixa/NoSuchIxa");
  EXPECT_EQ(drainUpcalls(), "");
}

TEST_F(UpcallLookup, AMissingMethodIsLoggedWithItsSignatureClearedAndSkipped) {
  const brix::UpcallTarget missingMethod{"ixa/Ixa", "noSuchRunnable"};
  LookupRecorder lookups;
  brix::callStaticStringMethod(missingMethod, NSSTR("ITEM"), &lookups);
  expectOneLineNaming("noSuchRunnable(Ljava/lang/String;)V");
  EXPECT_EQ(lookups.classes, std::vector<bool>{true});
  EXPECT_EQ(lookups.methods, std::vector<bool>{false});

  // A method that exists, but only with one string: the two-string lookup fails.
  const brix::UpcallTarget oneStringOnly{"ixa/testing/UpcallRecorder", "record"};
  brix::callStaticStringMethod(oneStringOnly, NSSTR("ITEM"), NSSTR("value"));
  expectOneLineNaming("record(Ljava/lang/String;Ljava/lang/String;)V");
  EXPECT_EQ(drainUpcalls(), "");
}

TEST_F(UpcallLookup, TheNextUpcallAfterAFailedLookupGoesThrough) {
  // Were the lookup's error left pending, this upcall would be skipped as after a throwing
  // handler, and the Java caller would see an Error from a call that returned normally.
  brix::callStaticStringMethod({"ixa/NoSuchIxa", "callNamedRunnable"}, NSSTR("ITEM"));
  brix::callStaticStringMethod({"ixa/Ixa", "noSuchRunnable"}, NSSTR("ITEM"), NSSTR("x"));
  brix::callNamedRunnable(NSSTR("ITEM"));
  brix::callNamedRunnable(NSSTR("ITEM"), NSSTR("value"));
  EXPECT_FALSE(env->ExceptionCheck());
  EXPECT_EQ(drainUpcalls(), "ITEM\nITEM|value");
  EXPECT_EQ(NSLogBufferedLines().size(), 2u);
}

TEST_F(UpcallLookup, TheRealTargetIsFoundWithoutALogLine) {
  LookupRecorder lookups;
  brix::callNamedRunnable(NSSTR("ITEM"), &lookups);
  EXPECT_EQ(lookups.classes, std::vector<bool>{true});
  EXPECT_EQ(lookups.methods, std::vector<bool>{true});
  EXPECT_EQ(drainUpcalls(), "ITEM");
  EXPECT_TRUE(NSLogBufferedLines().empty());
}
