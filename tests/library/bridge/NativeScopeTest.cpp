// The scope of every native method: an autorelease pool per call, and no user-interface work
// off the main thread.
#include <gtest/gtest.h>

#include <thread>

#include "TestJvm.h"
#include "bridge/NativeScope.h"
#include "foundation/NSLog.h"
#include "foundation/NSString.h"
#include "foundation/NSThread.h"

TEST(NativeScope, MainThreadIsTheFirstUserAndOtherThreadsAreRefusedWithALogLine) {
  testJniEnv();
  ASSERT_TRUE(NSThread::isMainThread()); // the test's thread claimed it
  {
    brix::NativeScope scope("sheetifyWindow");
    EXPECT_TRUE(scope.mayRun());
  }
  NSLogClearBuffer();
  bool refused = false;
  std::thread other([&] {
    brix::NativeScope scope("sheetifyWindow");
    refused = !scope.mayRun();
  });
  other.join();
  EXPECT_TRUE(refused);
  const auto lines = NSLogBufferedLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("sheetifyWindow"), std::string::npos);
}

TEST(NativeScope, DrainsWhatTheCallAutoreleased) {
  std::size_t inside = 0;
  {
    brix::NativeScope scope("test");
    NSSTR("temporary");
    inside = NSAutoreleasePool::pendingCount();
  }
  EXPECT_GE(inside, 1u);
  EXPECT_EQ(NSAutoreleasePool::pendingCount(), 0u);
}

TEST(NativeMethod, GivesTheBodysAnswerOrTheNeutralOneAndLetsNoExceptionOut) {
  testJniEnv();
  EXPECT_EQ(brix::nativeMethod("answer", 0, [] { return 7; }), 7);
  int ran = 0;
  EXPECT_EQ(brix::nativeMethod("acts", 1, [&] { ++ran; }), 1);
  EXPECT_EQ(ran, 1);

  NSLogClearBuffer();
  EXPECT_EQ(
      brix::nativeMethod("throws", -1, []() -> int { throw std::runtime_error("no more memory"); }),
      -1);
  EXPECT_EQ(brix::nativeMethod("throwsAnything", 1, []() -> int { throw 42; }), 1);
  EXPECT_EQ(NSLogBufferedLines(),
            (std::vector<std::string>{"throws failed: no more memory", "throwsAnything failed"}));

  int answerOffMain = 0;
  bool bodyRanOffMain = false;
  std::thread other([&] {
    answerOffMain = brix::nativeMethod("initProgressDialog", 1, [&] {
      bodyRanOffMain = true;
      return 5;
    });
  });
  other.join();
  EXPECT_EQ(answerOffMain, 1);
  EXPECT_FALSE(bodyRanOffMain);
}
