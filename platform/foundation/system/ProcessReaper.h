// ProcessReaper: waits for the child processes that the platform starts, so that none of them
// stays behind as a zombie. It waits only for the children handed to it, each by its own pid,
// never with waitpid(-1): the JVM and other libraries in the process reap their own children and
// must not lose their exit statuses to us.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

namespace brix {

// How a child ended, shared between its NSTask and the reaper thread.
class ChildExit {
public:
  // Called once, from the reaper thread. A status of -1 means that the child was reaped by
  // someone else (SIGCHLD ignored, or a stray waitpid(-1)), so its status is unknown.
  void record(int waitStatus);
  bool hasExited() const;
  // The wait status as waitpid() gives it; -1 when unknown or not yet exited.
  int waitStatus() const;
  void wait() const;

private:
  mutable std::mutex mutex_;
  mutable std::condition_variable exited_;
  bool hasExited_ = false;
  int waitStatus_ = -1;
};

class ProcessReaper {
public:
  // The process-wide reaper. Its thread starts with the first child and runs for the life of the
  // process; the object is never destroyed, so exit() never waits for or tears down that thread.
  static ProcessReaper& shared();

  // Takes charge of a child this process started: it is reaped as soon as it exits, and exit
  // (which may be null) learns its status.
  void watch(pid_t pid, std::shared_ptr<ChildExit> exit);
  // Children started and not yet reaped; for tests and diagnostics.
  std::size_t watchedCount() const;

  ProcessReaper(const ProcessReaper&) = delete;
  ProcessReaper& operator=(const ProcessReaper&) = delete;

private:
  struct Child {
    pid_t pid;
    int pidfd; // -1 when the kernel offers no pidfd; such a child is polled instead
    std::shared_ptr<ChildExit> exit;
  };

  ProcessReaper();
  void run();
  void reapExitedChildren();
  void wake() const;

  mutable std::mutex mutex_;
  std::vector<Child> children_;
  int wakeFd_ = -1; // an eventfd that interrupts the reaper's poll when a child is added
  bool threadStarted_ = false;
};

} // namespace brix
