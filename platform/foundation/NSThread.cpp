#include "foundation/NSThread.h"

#include <atomic>
#include <thread>

namespace {
std::atomic<std::thread::id> mainThread{std::thread::id()};
}

bool NSThread::isMainThread() {
  const auto self = std::this_thread::get_id();
  auto expected = std::thread::id();
  if (mainThread.compare_exchange_strong(expected, self)) return true;
  return expected == self;
}

bool NSThread::hasMainThread() {
  return mainThread.load() != std::thread::id();
}
