// NSTask, NSPipe and NSFileHandle: real children started with posix_spawn, what they inherit,
// and the reaping that keeps zombies away without taking anyone else's children.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdio>
#include <set>

#include "SystemTestSupport.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/system/NSFileHandle.h"
#include "foundation/system/NSLog.h"
#include "foundation/system/NSPipe.h"
#include "foundation/system/NSTask.h"
#include "foundation/system/ProcessReaper.h"

namespace {

std::atomic<int> interruptions = 0;

Ref<NSTask> shellTask(const char* script) {
  auto task = adopted(NSTask::alloc()->init());
  task->setLaunchPath(NSSTR("/bin/sh"));
  task->setArguments(NSArray::arrayWithObjects({NSSTR("-c"), NSSTR(script)}));
  return task;
}

// Runs a script and gives its standard output as bytes.
std::string outputOf(NSTask* task) {
  NSPipe* pipe = NSPipe::pipe();
  task->setStandardOutput(pipe);
  EXPECT_TRUE(task->launch());
  NSData* data = pipe->fileHandleForReading()->readDataToEndOfFile();
  return data ? std::string(data->bytes(), data->bytes() + data->length()) : "<nil>";
}

std::set<std::string> openDescriptors(pid_t pid) {
  std::set<std::string> names;
  for (const auto& entry :
       std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd"))
    names.insert(entry.path().filename().string());
  return names;
}

} // namespace

// --- Launching, output and termination status -----------------------------------------------

TEST(NSTask, RunsTheProgramWithItsArgumentsAndReportsHowItEnded) {
  NSAutoreleasePool pool;
  auto task = adopted(NSTask::alloc()->init());
  task->setLaunchPath(NSSTR("/bin/sh"));
  task->setArguments(NSArray::arrayWithObjects(
      {NSSTR("-c"), NSSTR("printf '%s|' \"$0\" \"$1\"; exit 3"), NSSTR("zero"), NSSTR("one two")}));
  EXPECT_EQ(outputOf(task), "zero|one two|");
  task->waitUntilExit();
  EXPECT_FALSE(task->isRunning());
  EXPECT_EQ(task->terminationStatus(), 3);
  EXPECT_EQ(task->terminationReason(), NSTaskTerminationReasonExit);

  auto killed = shellTask("kill -TERM $$");
  ASSERT_TRUE(killed->launch());
  killed->waitUntilExit();
  EXPECT_EQ(killed->terminationStatus(), SIGTERM);
  EXPECT_EQ(killed->terminationReason(), NSTaskTerminationReasonUncaughtSignal);
}

TEST(NSTask, RefusesToLaunchWhatAProcessCannotReceiveAndSaysWhy) {
  NSAutoreleasePool pool;
  NSLogClearBuffer();
  auto noPath = adopted(NSTask::alloc()->init());
  EXPECT_FALSE(noPath->launch());

  auto notExecutable = adopted(NSTask::alloc()->init());
  notExecutable->setLaunchPath(NSSTR("/etc/hostname"));
  EXPECT_FALSE(notExecutable->launch());

  auto directory = adopted(NSTask::alloc()->init());
  directory->setLaunchPath(NSSTR("/tmp"));
  EXPECT_FALSE(directory->launch());

  // A U+0000 would silently cut the argument short in execve.
  auto withNul = adopted(NSTask::alloc()->init());
  withNul->setLaunchPath(NSSTR("/bin/echo"));
  const unichar cut[] = {u'a', u'\0', u'b'};
  withNul->setArguments(NSArray::arrayWithObjects({NSString::stringWithCharacters(cut, 3)}));
  EXPECT_FALSE(withNul->launch());

  for (NSTask* task : {noPath.get(), notExecutable.get(), directory.get(), withNul.get()}) {
    EXPECT_EQ(task->processIdentifier(), 0);
    EXPECT_FALSE(task->isRunning());
    task->waitUntilExit(); // returns at once
  }
  EXPECT_EQ(NSLogBufferedLines().size(), 4u);

  auto twice = shellTask("exit 0");
  EXPECT_TRUE(twice->launch());
  EXPECT_FALSE(twice->launch());
  twice->waitUntilExit();
}

TEST(NSTask, CopiesItsArgumentsAndRunsInTheGivenDirectory) {
  NSAutoreleasePool pool;
  ScratchDirectory scratch;
  auto task = shellTask("pwd; echo \"$0\"");
  NSMutableArray* arguments = NSMutableArray::array();
  arguments->addObject(NSSTR("-c"));
  arguments->addObject(NSSTR("pwd; echo \"$0\""));
  arguments->addObject(NSSTR("before"));
  task->setArguments(arguments);
  arguments->removeAllObjects();
  task->setCurrentDirectoryPath(NSSTR(scratch.path()));
  EXPECT_EQ(outputOf(task), scratch.path() + "\nbefore\n");
}

// --- What the child inherits ------------------------------------------------------------------

TEST(NSTask, ChildGetsOnlyTheStandardStreamsAndCleanSignals) {
  NSAutoreleasePool pool;
  // A descriptor without close-on-exec, as a careless library in the JVM might leave one.
  int leaked = open("/dev/null", O_RDONLY);
  ASSERT_GE(leaked, 3);
  auto sleeper = adopted(NSTask::alloc()->init());
  sleeper->setLaunchPath(NSSTR("/bin/sleep"));
  sleeper->setArguments(NSArray::arrayWithObjects({NSSTR("30")}));
  ASSERT_TRUE(sleeper->launch());
  // Once exec'd and settled, sleep holds exactly what it was given; a descriptor that leaked
  // through would stay.
  pid_t pid = sleeper->processIdentifier();
  EXPECT_TRUE(eventually(
      [&] {
        return openDescriptors(pid) == std::set<std::string>{"0", "1", "2"};
      },
      5));
  kill(pid, SIGKILL);
  sleeper->waitUntilExit();
  close(leaked);

  // The JVM blocks some signals and ignores others (SIGPIPE); none of that reaches the child.
  // Signals the JVM leaves alone stand in for them here.
  sigset_t blocked, previous;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &blocked, &previous);
  struct sigaction ignore {
  }, previousAction{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGWINCH, &ignore, &previousAction);
  auto status = shellTask("grep -E '^Sig(Blk|Ign)' /proc/self/status");
  std::string masks = outputOf(status);
  sigaction(SIGWINCH, &previousAction, nullptr);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  // Signals 32 and 33 belong to glibc, whose posix_spawn ignores them on purpose; only the
  // standard signals 1 to 31 are checked.
  unsigned long long blockedMask = 0, ignoredMask = 0;
  ASSERT_EQ(std::sscanf(masks.c_str(), "SigBlk:\t%llx\nSigIgn:\t%llx", &blockedMask, &ignoredMask),
            2)
      << masks;
  EXPECT_EQ(blockedMask & 0x7fffffffu, 0u);
  EXPECT_EQ(ignoredMask & 0x7fffffffu, 0u);
}

TEST(NSTask, NewSessionDetachesTheChildFromOurs) {
  NSAutoreleasePool pool;
  auto ordinary = shellTask("exit 0");
  auto detached = shellTask("sleep 30");
  detached->setStartsNewSession(true);
  ASSERT_TRUE(ordinary->launch());
  ASSERT_TRUE(detached->launch());
  pid_t pid = detached->processIdentifier();
  auto stat = readProcessStat(pid);
  ASSERT_TRUE(stat);
  EXPECT_EQ(stat->session, pid);
  EXPECT_NE(stat->session, getsid(0));
  kill(-pid, SIGKILL); // the shell and its sleep
  detached->waitUntilExit();
  ordinary->waitUntilExit();
}

// --- Pipes and reading to end of file ---------------------------------------------------------

TEST(NSFileHandle, ReadsLargeOutputWholeAndSurvivesInterruptedReads) {
  NSAutoreleasePool pool;
  // A handler without SA_RESTART makes a blocked read fail with EINTR each time it runs. SIGURG
  // is one signal the JVM has no use for.
  struct sigaction interrupt {
  }, previous{};
  interrupt.sa_handler = [](int) { ++interruptions; };
  sigaction(SIGURG, &interrupt, &previous);
  pthread_t reader = pthread_self();
  std::atomic<bool> reading = true;
  std::thread interrupter([&] {
    while (reading) {
      pthread_kill(reader, SIGURG);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  auto task = shellTask("i=0; while [ $i -lt 20 ]; do head -c 65536 /dev/zero; sleep 0.01; "
                        "i=$((i+1)); done");
  std::string output = outputOf(task);
  reading = false;
  interrupter.join();
  sigaction(SIGURG, &previous, nullptr);
  EXPECT_GT(interruptions, 0);
  EXPECT_EQ(output.size(), 20u * 65536u);
  EXPECT_EQ(output.find_first_not_of('\0'), std::string::npos);
}

TEST(NSFileHandle, ClosedHandlesRefuseWithALogLineAndPipesCloseTheirEnds) {
  NSAutoreleasePool pool;
  NSPipe* pipe = NSPipe::pipe();
  ASSERT_NE(pipe, nullptr);
  NSFileHandle* writing = pipe->fileHandleForWriting();
  EXPECT_TRUE(writing->writeData(NSData::dataWithBytes("abc", 3)));
  writing->closeFile();
  writing->closeFile();
  EXPECT_EQ(writing->fileDescriptor(), -1);
  NSData* data = pipe->fileHandleForReading()->readDataToEndOfFile();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::string(data->bytes(), data->bytes() + data->length()), "abc");

  NSLogClearBuffer();
  EXPECT_FALSE(writing->writeData(NSData::dataWithBytes("x", 1)));
  pipe->fileHandleForReading()->closeFile();
  EXPECT_EQ(pipe->fileHandleForReading()->readDataToEndOfFile(), nullptr);
  EXPECT_EQ(NSLogBufferedLines().size(), 2u);

  // The standard streams are never closed by their handles.
  NSFileHandle::fileHandleWithStandardError()->closeFile();
  EXPECT_NE(fcntl(2, F_GETFD), -1);
}

// --- Reaping ----------------------------------------------------------------------------------

TEST(ProcessReaper, ManyCommandsLeaveNoZombieAndOthersKeepTheirChildren) {
  // A child that is not ours to reap: its status must still be there for its own parent code.
  pid_t foreign = 0;
  char* foreignArgs[] = {const_cast<char*>("/bin/sh"), const_cast<char*>("-c"),
                         const_cast<char*>("exit 42"), nullptr};
  ASSERT_EQ(posix_spawn(&foreign, "/bin/sh", nullptr, nullptr, foreignArgs, environ), 0);

  for (int i = 0; i < 300; ++i) {
    NSAutoreleasePool pool;
    auto task = shellTask(i % 2 ? "exit 1" : "echo out");
    outputOf(task);
  }
  EXPECT_TRUE(eventually([] { return brix::ProcessReaper::shared().watchedCount() == 0; }));
  EXPECT_TRUE(eventually([] { return zombieChildCount() <= 1; })); // only the foreign one

  int status = 0;
  ASSERT_EQ(waitpid(foreign, &status, 0), foreign);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 42);
  EXPECT_EQ(zombieChildCount(), 0);
}

TEST(ProcessReaper, ReapsChildrenNobodyWaitsFor) {
  {
    NSAutoreleasePool pool;
    // Launched and forgotten at once, as the relaunch shell is.
    for (int i = 0; i < 20; ++i)
      shellTask("sleep 0.05")->launch();
  }
  EXPECT_TRUE(eventually([] { return brix::ProcessReaper::shared().watchedCount() == 0; }));
  EXPECT_TRUE(eventually([] { return zombieChildCount() == 0; }));
}
