#include "foundation/runloop/NSThread.h"

#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "foundation/runtime/NSCensus.h"
#include "foundation/runtime/SmallObjectMemory.h"

namespace {

std::atomic<bool> started{false};
std::atomic<bool> exiting{false};
std::atomic<bool> parked{false};
// The main thread has run the start hooks (it tells through parkSignal()).
std::atomic<bool> hooksDone{false};
// How deep the main thread is in calls out of the platform (NSThread::CallingOut).
std::atomic<int> callingOut{0};
std::atomic<void (*)()> wakeMainThread{nullptr};
// Set once, before the main thread runs anything that could read it.
std::once_flag startOnce;

thread_local bool onMainThread = false;

// Immortal: exit waits on them after it has begun destroying static objects. Also how the main
// thread says it has run the start hooks.
struct ParkSignal {
  std::mutex mutex;
  std::condition_variable parked;
};
ParkSignal& parkSignal() {
  static auto* const signal = new ParkSignal();
  return *signal;
}

void stopServingAtExit() {
  // Registered twice (see startMainThread): the first run waits, the second has nothing to do.
  static std::atomic<bool> stopped{false};
  if (!stopped.exchange(true)) NSThread::stopServingForExit();
}

// The start hooks: added as libraries load, run once by the main thread as it starts.
constexpr int kMaxStartHooks = 8;
std::mutex startHooksMutex;
void (*startHooks[kMaxStartHooks])() = {};
int startHookCount = 0;

void runStartHooks() {
  std::lock_guard lock(startHooksMutex);
  for (int i = 0; i < startHookCount; ++i)
    startHooks[i]();
}

} // namespace

bool NSThread::isMainThread() {
  return onMainThread;
}

bool NSThread::hasMainThread() {
  return started.load();
}

void NSThread::startMainThread(void (*serve)(), void (*wake)()) {
  std::call_once(startOnce, [serve, wake] {
    wakeMainThread = wake;
    parkSignal();
    // Registered before the thread exists: exit stops the serving before it destroys the
    // objects that served work might touch. (Objects made later are destroyed before this
    // runs; those that served work uses are immortal.)
    std::atexit(stopServingAtExit);
    std::thread thread([serve] {
      onMainThread = true;
      pthread_setname_np(pthread_self(), "brix-main");
      runStartHooks();
      {
        // Notified under the lock: the waiter cannot go on before this thread is done with it.
        std::lock_guard lock(parkSignal().mutex);
        hooksDone = true;
        parkSignal().parked.notify_all();
      }
      serve();
    });
    // The thread runs for the life of the process.
    thread.detach();
    {
      std::unique_lock lock(parkSignal().mutex);
      parkSignal().parked.wait(lock, [] { return hooksDone.load(); });
    }
    // Again, now after the exit handlers that the hooks' first use of libraries registered.
    std::atexit(stopServingAtExit);
    started = true;
  });
}

bool NSThread::addStartHook(void (*hook)()) {
  std::lock_guard lock(startHooksMutex);
  if (started || hooksDone) return false;
  if (startHookCount == kMaxStartHooks) std::abort(); // a platform library's mistake
  startHooks[startHookCount++] = hook;
  return true;
}

bool NSThread::isExiting() {
  return exiting.load(std::memory_order_relaxed);
}

void NSThread::stopServingForExit(std::chrono::milliseconds limit) {
  exiting = true;
  if (!started || onMainThread) return;
  if (auto wake = wakeMainThread.load()) wake();
  ParkSignal& signal = parkSignal();
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::unique_lock lock(signal.mutex);
  // Looked at in short waits: the main thread may start calling out while this waits.
  while (!parked && callingOut.load() == 0 && std::chrono::steady_clock::now() < deadline)
    signal.parked.wait_for(lock, std::chrono::milliseconds(10));
}

void NSThread::parkForExit() {
  ParkSignal& signal = parkSignal();
  {
    std::lock_guard lock(signal.mutex);
    parked = true;
  }
  signal.parked.notify_all();
  while (true)
    std::this_thread::sleep_for(std::chrono::hours(24));
}

NSThread::CallingOut::CallingOut() : counted_(onMainThread) {
  if (counted_) callingOut.fetch_add(1);
}

NSThread::CallingOut::~CallingOut() {
  if (counted_) callingOut.fetch_sub(1);
}
