// Running shell commands: what runCommand gives back, when it returns, and the native method
// runCommandAsNSTask that Java calls.
#include <gtest/gtest.h>

#include <signal.h>

#include <thread>

#include "SystemTestSupport.h"
#include "TestJvm.h"
#include "bridge/NativeScope.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/system/NSLog.h"
#include "system/System.h"

extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_runCommandAsNSTask(JNIEnv*, jclass, jstring);

namespace {
std::u16string textOf(const NSString* string) {
  return std::u16string(string ? string->utf16() : u"<nil>");
}
} // namespace

// --- runCommand's result ----------------------------------------------------------------------

TEST(RunCommand, GivesStandardOutputDecodedAsUTF8WhateverTheExitStatus) {
  NSAutoreleasePool pool;
  EXPECT_EQ(textOf(runCommand(NSSTR("printf 'a\\nb'"))), u"a\nb");
  EXPECT_EQ(textOf(runCommand(NSSTR("printf 'caf\\303\\251 \\360\\237\\230\\200'"))),
            u"café \U0001F600");
  EXPECT_EQ(textOf(runCommand(NSSTR("echo partial; exit 7"))), u"partial\n");
  EXPECT_EQ(textOf(runCommand(NSSTR("no-such-command-brix 2>/dev/null"))), u"");
  // Output only on standard error: nothing captured, and an empty string rather than nil.
  NSString* silent = runCommand(NSSTR("echo to-stderr >&2"));
  ASSERT_NE(silent, nullptr);
  EXPECT_EQ(silent->length(), 0u);
}

TEST(RunCommand, NilForOutputThatIsNotUTF8) {
  NSAutoreleasePool pool;
  EXPECT_EQ(runCommand(NSSTR("printf 'ok \\377'")), nullptr);
  EXPECT_EQ(runCommand(NSSTR("printf '\\300\\200'")), nullptr);      // overlong NUL
  EXPECT_EQ(runCommand(NSSTR("printf '\\355\\240\\200'")), nullptr); // encoded surrogate
  EXPECT_EQ(runCommand(NSSTR("printf '\\342\\202'")), nullptr);      // cut short
}

TEST(RunCommand, NothingRunsForNilOrForTextAProcessCannotReceive) {
  NSAutoreleasePool pool;
  ScratchDirectory scratch;
  std::string marker = scratch.path() + "/ran";
  EXPECT_EQ(runCommand(nullptr), nullptr);
  // Cut at the U+0000 this would be "touch <marker>"; it must not run at all.
  std::u16string withNul =
      u"touch " + std::u16string(marker.begin(), marker.end()) + char16_t(0) + u"; exit 1";
  EXPECT_EQ(runCommand(NSString::stringWithCharacters(withNul.data(), withNul.size())), nullptr);
  EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST(RunCommand, WaitsForEveryProcessThatHoldsTheOutputButNoLonger) {
  NSAutoreleasePool pool;
  // The background process still holds standard output when the shell exits.
  EXPECT_EQ(textOf(runCommand(NSSTR("(sleep 0.3; echo late) & echo early"))), u"early\nlate\n");
  // One that gave its output away is not waited for: it is still running afterwards.
  NSString* pid = runCommand(NSSTR("sleep 30 >/dev/null & echo $!"));
  ASSERT_NE(pid, nullptr);
  pid_t sleeper = pid->intValue();
  ASSERT_GT(sleeper, 0);
  EXPECT_EQ(kill(sleeper, 0), 0);
  kill(sleeper, SIGKILL);
}

TEST(RunCommand, StandardErrorIsTheApplications) {
  NSAutoreleasePool pool;
  ScratchDirectory scratch;
  std::string errors = scratch.path() + "/stderr";
  int saved = dup(2);
  FILE* file = std::fopen(errors.c_str(), "w");
  dup2(fileno(file), 2);
  NSString* output = runCommand(NSSTR("echo out; echo err >&2"));
  dup2(saved, 2);
  close(saved);
  std::fclose(file);
  EXPECT_EQ(textOf(output), u"out\n");
  EXPECT_EQ(readFile(errors), "err\n");
}

// --- The native method ------------------------------------------------------------------------

// Commands touch no user interface, so any thread may run them.
TEST(RunCommandAsNSTask, RunsOnAnyThread) {
  testJniEnv();
  ScratchDirectory scratch;
  std::string marker = scratch.path() + "/ran";
  std::string command = "touch " + marker;
  NSLogClearBuffer();
  jint result = 0;
  std::thread other([&] {
    JNIEnv* env = testJniEnv();
    result = Java_ixa_IxaDialogs_runCommandAsNSTask(
        env, nullptr, testJavaString(env, std::u16string(command.begin(), command.end())));
    testJavaVm()->DetachCurrentThread();
  });
  other.join();
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(std::filesystem::exists(marker));
  EXPECT_EQ(NSLogBufferedLines().size(), 0u);
}
