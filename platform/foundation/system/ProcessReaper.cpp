#include "foundation/system/ProcessReaper.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <system_error>
#include <thread>

#include "foundation/system/NSLog.h"

namespace brix {

namespace {
// Without pidfds (kernels before 5.3, or a seccomp filter) exits are noticed by polling.
constexpr int kPollIntervalMilliseconds = 50;

int openPidfd(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  return -1;
#endif
}
} // namespace

void ChildExit::record(int waitStatus) {
  {
    std::lock_guard lock(mutex_);
    hasExited_ = true;
    waitStatus_ = waitStatus;
  }
  exited_.notify_all();
}

bool ChildExit::hasExited() const {
  std::lock_guard lock(mutex_);
  return hasExited_;
}

int ChildExit::waitStatus() const {
  std::lock_guard lock(mutex_);
  return waitStatus_;
}

void ChildExit::wait() const {
  std::unique_lock lock(mutex_);
  exited_.wait(lock, [this] { return hasExited_; });
}

ProcessReaper& ProcessReaper::shared() {
  // Deliberately leaked: the reaper thread may still be in poll() while the process exits.
  static ProcessReaper* reaper = new ProcessReaper();
  return *reaper;
}

ProcessReaper::ProcessReaper() : wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void ProcessReaper::watch(pid_t pid, std::shared_ptr<ChildExit> exit) {
  // A pidfd can be opened even when the child has already exited: until it is reaped, it exists.
  int pidfd = openPidfd(pid);
  {
    std::lock_guard lock(mutex_);
    children_.push_back({pid, pidfd, std::move(exit)});
    if (!threadStarted_) {
      try {
        std::thread([this] { run(); }).detach();
        threadStarted_ = true;
      } catch (const std::system_error& error) {
        NSLog("*** ProcessReaper: cannot start its thread (%s); children will be reaped later",
              error.what());
      }
    }
  }
  wake();
}

std::size_t ProcessReaper::watchedCount() const {
  std::lock_guard lock(mutex_);
  return children_.size();
}

void ProcessReaper::wake() const {
  if (wakeFd_ >= 0) {
    uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(wakeFd_, &one, sizeof one);
  }
}

void ProcessReaper::run() {
  std::vector<pollfd> descriptors;
  for (;;) {
    bool anyPolled = wakeFd_ < 0;
    descriptors.assign(1, pollfd{wakeFd_, POLLIN, 0});
    {
      std::lock_guard lock(mutex_);
      for (const Child& child : children_) {
        if (child.pidfd >= 0)
          descriptors.push_back({child.pidfd, POLLIN, 0});
        else
          anyPolled = true;
      }
    }
    // poll() skips the entry of a missing eventfd (a negative descriptor).
    int ready =
        poll(descriptors.data(), descriptors.size(), anyPolled ? kPollIntervalMilliseconds : -1);
    if (ready < 0 && errno != EINTR) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollIntervalMilliseconds));
    }
    if (wakeFd_ >= 0 && (descriptors[0].revents & POLLIN)) {
      uint64_t count;
      [[maybe_unused]] ssize_t drained = read(wakeFd_, &count, sizeof count);
    }
    reapExitedChildren();
  }
}

void ProcessReaper::reapExitedChildren() {
  std::vector<std::pair<std::shared_ptr<ChildExit>, int>> ended;
  {
    std::lock_guard lock(mutex_);
    for (auto child = children_.begin(); child != children_.end();) {
      int status = 0;
      pid_t result = waitpid(child->pid, &status, WNOHANG);
      if (result == child->pid || (result < 0 && errno == ECHILD)) {
        ended.emplace_back(std::move(child->exit), result == child->pid ? status : -1);
        if (child->pidfd >= 0) close(child->pidfd);
        child = children_.erase(child);
      } else {
        ++child;
      }
    }
  }
  for (auto& [exit, status] : ended) {
    if (exit) exit->record(status);
  }
}

} // namespace brix
