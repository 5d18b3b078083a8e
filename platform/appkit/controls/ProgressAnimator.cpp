#include "appkit/controls/ProgressAnimator.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "appkit/controls/NSProgressIndicator.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runloop/NSThread.h"

namespace {

constexpr std::chrono::milliseconds kFrameInterval{33};

struct Animator {
  std::mutex mutex;
  std::condition_variable wake;
  std::vector<NSProgressIndicator*> indicators; // main thread reads and writes; thread counts
  std::atomic<bool> framePending{false};
  bool threadStarted = false;

  void deliverFrame() {
    framePending = false;
    std::vector<Ref<NSProgressIndicator>> current;
    {
      std::lock_guard lock(mutex);
      for (NSProgressIndicator* indicator : indicators)
        current.emplace_back(indicator);
    }
    for (auto& indicator : current)
      indicator->advanceAnimation();
  }

  void run() {
    std::unique_lock lock(mutex);
    for (;;) {
      wake.wait(lock, [this] { return !indicators.empty(); });
      lock.unlock();
      std::this_thread::sleep_for(kFrameInterval);
      if (!framePending.exchange(true))
        NSRunLoop::mainRunLoop().performAsync([this] { deliverFrame(); });
      lock.lock();
    }
  }
};

// Lives for the whole process: the thread never ends, and queued frames refer to it.
Animator& animator() {
  static Animator* shared = new Animator;
  return *shared;
}

} // namespace

namespace ProgressAnimator {

void add(NSProgressIndicator* indicator) {
  BRIX_ASSERT_MAIN_THREAD();
  Animator& a = animator();
  std::lock_guard lock(a.mutex);
  if (std::find(a.indicators.begin(), a.indicators.end(), indicator) == a.indicators.end())
    a.indicators.push_back(indicator);
  if (!a.threadStarted) {
    a.threadStarted = true;
    std::thread([&a] { a.run(); }).detach();
  }
  a.wake.notify_all();
}

void remove(NSProgressIndicator* indicator) {
  BRIX_ASSERT_MAIN_THREAD();
  Animator& a = animator();
  std::lock_guard lock(a.mutex);
  std::erase(a.indicators, indicator);
}

int count() {
  Animator& a = animator();
  std::lock_guard lock(a.mutex);
  return static_cast<int>(a.indicators.size());
}

} // namespace ProgressAnimator
