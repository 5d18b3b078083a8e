#include "dispatch/dispatch.h"

#include <chrono>
#include <limits>

#include "foundation/runloop/NSRunLoop.h"
#include "foundation/system/NSLog.h"

struct dispatch_queue_s {
  const char* label;
};

namespace {

dispatch_queue_s mainQueue{"com.apple.main-thread"};

dispatch_time_t nowNanoseconds() {
  const auto since = NSRunLoop::Clock::now().time_since_epoch();
  // 0 means "now" to dispatch_time, so a real time is never 0.
  return static_cast<dispatch_time_t>(
             std::chrono::duration_cast<std::chrono::nanoseconds>(since).count()) +
         1;
}

NSRunLoop::Clock::time_point toTimePoint(dispatch_time_t when) {
  const auto nanoseconds = std::chrono::nanoseconds(static_cast<std::int64_t>(
      std::min<dispatch_time_t>(when - 1, std::numeric_limits<std::int64_t>::max() / 2)));
  return NSRunLoop::Clock::time_point(
      std::chrono::duration_cast<NSRunLoop::Clock::duration>(nanoseconds));
}

bool isMainQueue(dispatch_queue_t queue, const char* function) {
  if (queue == &mainQueue) return true;
  NSLog("%s: only the main queue exists on this platform; the block is dropped", function);
  return false;
}

} // namespace

dispatch_queue_t dispatch_get_main_queue() {
  return &mainQueue;
}

dispatch_time_t dispatch_time(dispatch_time_t when, std::int64_t delta) {
  if (when == DISPATCH_TIME_FOREVER) return DISPATCH_TIME_FOREVER;
  const dispatch_time_t base = when == DISPATCH_TIME_NOW ? nowNanoseconds() : when;
  if (delta >= 0) {
    const auto step = static_cast<dispatch_time_t>(delta);
    return base >= DISPATCH_TIME_FOREVER - step ? DISPATCH_TIME_FOREVER - 1 : base + step;
  }
  const auto step = static_cast<dispatch_time_t>(-(delta + 1)) + 1;
  return base <= step ? 1 : base - step;
}

void dispatch_async(dispatch_queue_t queue, dispatch_block_t block) {
  if (!queue || !block) return;
  if (!isMainQueue(queue, "dispatch_async")) return;
  NSRunLoop::mainRunLoop().scheduleMainQueueBlock(NSRunLoop::Clock::now(), std::move(block));
}

void dispatch_after(dispatch_time_t when, dispatch_queue_t queue, dispatch_block_t block) {
  if (!queue || !block) return;
  if (!isMainQueue(queue, "dispatch_after")) return;
  if (when == DISPATCH_TIME_FOREVER) return;
  const auto due = when == DISPATCH_TIME_NOW ? NSRunLoop::Clock::now() : toTimePoint(when);
  NSRunLoop::mainRunLoop().scheduleMainQueueBlock(due, std::move(block));
}
