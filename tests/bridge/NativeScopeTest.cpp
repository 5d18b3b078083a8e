// The scope of every native method: an autorelease pool per call, and no user-interface work
// off the main thread.
#include <gtest/gtest.h>

#include <thread>

#include "NSLog.h"
#include "NSString.h"
#include "NSThread.h"
#include "NativeScope.h"
#include "TestJvm.h"

TEST(NativeScope, MainThreadIsTheFirstUserAndOtherThreadsAreRefusedWithALogLine) {
  testJniEnv();
  ASSERT_TRUE(NSThread::isMainThread()); // the test's thread claimed it
  {
    brix::NativeScope scope("sheetifyWindow");
    EXPECT_TRUE(scope.onMainThread());
  }
  NSLogClearBuffer();
  bool refused = false;
  std::thread other([&] {
    brix::NativeScope scope("sheetifyWindow");
    refused = !scope.onMainThread();
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
