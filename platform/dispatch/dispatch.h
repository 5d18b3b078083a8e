// The main dispatch queue: dispatch_async and dispatch_after run blocks on the main thread,
// served by the main run loop (also inside modal loops and menu tracking, never while a
// main-queue block is itself running). A block is a std::function; whatever it captures (a
// Ref<> to a window, say) lives until the block has run and been destroyed, as Block_copy keeps
// captured objects. Times are dispatch_time_t nanoseconds of a monotonic clock.
#pragma once

#include <cstdint>
#include <functional>

struct dispatch_queue_s;
using dispatch_queue_t = dispatch_queue_s*;
using dispatch_block_t = std::function<void()>;
using dispatch_time_t = std::uint64_t;

constexpr dispatch_time_t DISPATCH_TIME_NOW = 0;
constexpr dispatch_time_t DISPATCH_TIME_FOREVER = ~0ull;
constexpr std::uint64_t NSEC_PER_SEC = 1000000000ull;
constexpr std::uint64_t NSEC_PER_MSEC = 1000000ull;
constexpr std::uint64_t USEC_PER_SEC = 1000000ull;
constexpr std::uint64_t NSEC_PER_USEC = 1000ull;

// The queue whose blocks run on the main thread.
dispatch_queue_t dispatch_get_main_queue();

// when + delta nanoseconds; DISPATCH_TIME_NOW stands for the current time and
// DISPATCH_TIME_FOREVER stays forever. The result never wraps past either end.
dispatch_time_t dispatch_time(dispatch_time_t when, std::int64_t delta);

// Runs block on queue as soon as the queue serves it (after the blocks queued before it).
// A nil queue or block does nothing.
void dispatch_async(dispatch_queue_t queue, dispatch_block_t block);
// Adds block to queue at time when (never earlier); DISPATCH_TIME_FOREVER never runs it.
void dispatch_after(dispatch_time_t when, dispatch_queue_t queue, dispatch_block_t block);
