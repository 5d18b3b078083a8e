// NSLog: Foundation's banner on standard error, one line per message, and the buffer the
// testkit reads.
#include <gtest/gtest.h>

#include <regex>

#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/strings/NSString.h"
#include "foundation/system/NSLog.h"

TEST(Log, BannerFormatAndBuffer) {
  NSAutoreleasePool pool;
  NSLogClearBuffer();
  testing::internal::CaptureStderr();
  NSLog("ID: %@", NSSTR("SHEET-1"));
  NSLog("%s", ""); // empty messages are dropped
  NSLog("ends with newline\n");
  const std::string err = testing::internal::GetCapturedStderr();
  const std::regex line(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} [^\[ ]+\[\d+:\d+\] ID: SHEET-1
\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} [^\[ ]+\[\d+:\d+\] ends with newline
)");
  EXPECT_TRUE(std::regex_match(err, line)) << err;
  EXPECT_EQ(NSLogBufferedLines(), (std::vector<std::string>{"ID: SHEET-1", "ends with newline"}));
}

TEST(Log, BufferIsBounded) {
  NSLogClearBuffer();
  testing::internal::CaptureStderr();
  for (std::size_t i = 0; i < kNSLogBufferCapacity + 5; ++i)
    NSLog("%zu", i);
  testing::internal::GetCapturedStderr();
  const auto lines = NSLogBufferedLines();
  ASSERT_EQ(lines.size(), kNSLogBufferCapacity);
  EXPECT_EQ(lines.front(), "5");
  NSLogClearBuffer();
}
