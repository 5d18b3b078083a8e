// The relaunch shell's command line: its exact text, the quoting that keeps every argument
// literal, and the task that carries it. The relaunch itself, which ends the process, is
// exercised from Java in a child JVM.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "SystemTestSupport.h"
#include "appkit/application/NSApplication.h"
#include "bridge/Bridge.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "system/RelaunchTask.h"
#include "system/System.h"

namespace {

NSArray* words(const std::vector<std::string>& texts) {
  NSMutableArray* array = NSMutableArray::array();
  for (const std::string& text : texts)
    array->addObject(NSSTR(text));
  return array;
}

const std::vector<std::string> kAwkward = {
    "plain",          "two words",   "it's",       "\"double\"", "$HOME", "${PATH}",   "`id`",
    "$(id)",          "back\\slash", "trailing\\", "'",          "''",    "",          "*",
    "semi; rm -rf x", "a\nnewline",  "tab\there",  "é ü 😀",      "-n",    "&& exit 1", "|",
    "#comment",       "~",           "!bang"};

// A safety net: the relaunch tests run with this variable set, and the shells they start
// inherit it. Should one of those shells escape and start this binary again, the copy ends
// before it runs a single test, so it can never relaunch itself in turn.
constexpr const char* kRelaunchGuard = "BRIX_SYSTEM_TEST_RELAUNCHED";
[[maybe_unused]] const bool relaunchGuardChecked = [] {
  if (std::getenv(kRelaunchGuard) != nullptr) _exit(0);
  return true;
}();

// The relaunch shells this process has started, as pid and command line, each killed before its
// sleep ends: left alone, it would start this test binary again.
std::vector<std::pair<pid_t, std::string>> killRelaunchShells() {
  std::vector<std::pair<pid_t, std::string>> shells;
  const std::string prefix = std::string("/bin/sh\0-c\0", 11) + "sleep ";
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    pid_t pid = std::atoi(entry.path().filename().c_str());
    auto stat = pid > 0 ? readProcessStat(pid) : std::nullopt;
    if (!stat || stat->parent != getpid() || stat->state == 'Z') continue;
    // posix_spawn returns as soon as the new program replaces the old one, which is a moment
    // before the kernel shows the new arguments.
    std::string commandLine;
    eventually([&] { return !(commandLine = readFile(entry.path() / "cmdline")).empty(); }, 5);
    if (commandLine.rfind(prefix, 0) != 0) continue;
    EXPECT_EQ(stat->session, pid) << "the relaunch shell must lead its own session";
    kill(-pid, SIGKILL); // the whole session: the shell and its sleep
    shells.emplace_back(pid, commandLine);
  }
  // Gone only once reaped; until then a killed shell still shows in /proc.
  for (const auto& shell : shells) {
    pid_t pid = shell.first;
    EXPECT_TRUE(eventually([pid] {
      auto stat = readProcessStat(pid);
      return !stat || stat->parent != getpid();
    })) << "the killed relaunch shell was not reaped";
  }
  return shells;
}

class CancellingDelegate : public NSApplicationDelegate {
public:
  NSApplicationTerminateReply applicationShouldTerminate(NSApplication*) override {
    ++asked;
    return NSTerminateCancel;
  }
  int asked = 0;
};

} // namespace

extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_relaunchThyself(JNIEnv*, jclass);

TEST(RelaunchCommand, TextIsSleepWithSixDecimalsThenEveryWordSingleQuoted) {
  NSAutoreleasePool pool;
  EXPECT_EQ(
      brix::relaunchCommandText(2.0, words({"/usr/bin/java", "-cp", "a b.jar", "Main"}))->utf8(),
      "sleep 2.000000; '/usr/bin/java' '-cp' 'a b.jar' 'Main'");
  EXPECT_EQ(brix::relaunchCommandText(0.5, words({"/opt/it's/$x/`y`/back\\slash/\"q\""}))->utf8(),
            "sleep 0.500000; '/opt/it'\\''s/$x/`y`/back\\slash/\"q\"'");
  EXPECT_EQ(brix::relaunchCommandText(2.0f, words({"", "''"}))->utf8(),
            "sleep 2.000000; '' ''\\'''\\'''");
}

TEST(RelaunchCommand, TheShellReceivesEveryAwkwardWordExactlyAsItWas) {
  NSAutoreleasePool pool;
  std::vector<std::string> command = {"printf", "[%s]\\n"};
  command.insert(command.end(), kAwkward.begin(), kAwkward.end());
  // The same text the relaunch hands to /bin/sh, with a program that shows what it received.
  NSString* text = brix::relaunchCommandText(0.0, words(command));
  ASSERT_EQ(text->utf8().rfind("sleep 0.000000; 'printf' ", 0), 0u);
  std::string expected;
  for (const std::string& word : kAwkward)
    expected += "[" + word + "]\n";
  NSString* output = runCommand(text);
  ASSERT_NE(output, nullptr);
  EXPECT_EQ(output->utf8(), expected);
}

TEST(RelaunchCommand, CommandLineIsThisProcessesOwn) {
  NSAutoreleasePool pool;
  NSArray* commandLine = brix::currentCommandLine();
  ASSERT_NE(commandLine, nullptr);
  ASSERT_GE(commandLine->count(), 1u);
  std::string program = ns_cast<NSString>(commandLine->objectAtIndex(0))->utf8();
  EXPECT_EQ(std::filesystem::path(program).filename(), "test_system");
  std::string raw = readFile("/proc/self/cmdline");
  std::string joined;
  for (NSObject* word : *commandLine)
    joined += ns_cast<NSString>(word)->utf8() + '\0';
  EXPECT_EQ(joined, raw);
}

// --- The relaunch itself ----------------------------------------------------------------------

TEST(RelaunchAfterDelay, StartsTheShellFirstThenAsksTheApplicationToTerminate) {
  NSAutoreleasePool pool;
  ScopedEnvironment guard(kRelaunchGuard, "1");
  std::vector<std::pair<pid_t, std::string>> shells;
  int terminations = 0;
  // Instead of exiting, look for the shell, which must already be running, and stop it.
  NSApplication::setTerminationHandler([&] {
    ++terminations;
    shells = killRelaunchShells();
  });
  relaunchAfterDelay(60.0f);
  NSApplication::setTerminationHandler(nullptr);
  EXPECT_EQ(terminations, 1);
  ASSERT_EQ(shells.size(), 1u);
  std::string expected = std::string("/bin/sh\0-c\0", 11) +
                         brix::relaunchCommandText(60.0, brix::currentCommandLine())->utf8() + '\0';
  EXPECT_EQ(shells[0].second, expected);
}

TEST(RelaunchAfterDelay, ACancelledTerminationReturnsOneAndTheShellStillRuns) {
  NSAutoreleasePool pool;
  ScopedEnvironment guard(kRelaunchGuard, "1");
  NSApplication* application = NSApplication::sharedApplication();
  CancellingDelegate delegate;
  application->setDelegate(&delegate);
  int terminations = 0;
  NSApplication::setTerminationHandler([&] { ++terminations; });
  jint result = Java_ixa_IxaDialogs_relaunchThyself(nullptr, nullptr);
  auto shells = killRelaunchShells();
  NSApplication::setTerminationHandler(nullptr);
  application->setDelegate(nullptr);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(delegate.asked, 1);
  EXPECT_EQ(terminations, 0);
  ASSERT_EQ(shells.size(), 1u);
  EXPECT_NE(shells[0].second.find("sleep 2.000000; '"), std::string::npos);
}
