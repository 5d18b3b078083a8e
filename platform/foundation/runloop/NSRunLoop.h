// NSRunLoop: the main run loop. It owns one thread-safe queue of input events and tasks, the
// timers of the main dispatch queue, and the nesting of loops that modal sessions and menu
// tracking run. Any thread may add work; only the main thread serves it, one item per turn,
// each inside its own autorelease pool, followed by the display pass. The main thread is the
// platform's own (NSThread): asking for the main run loop the first time starts it, and it
// serves the loop from then on for the life of the process.
//
// Serving order in a turn: urgent tasks (display transitions that must complete before the next
// event), then due main-queue blocks, then the oldest queued event or task. Main-queue blocks
// are not served while a main-queue block is running (a nested loop inside a block serves
// everything else), as libdispatch behaves on the main thread.
//
// Nested loops: runUntil may be called from inside a served item (runModal does). Events go to
// the innermost loop's event handler if it gave one (menu tracking takes its events itself),
// passing outward while handlers decline, and finally to the event sink (NSApp's sendEvent).
// The loop does not look into events: they are platform objects that the handlers and the sink
// understand (AppKit's NSEvents).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "foundation/runtime/NSObject.h"

class NSRunLoop {
public:
  using Clock = std::chrono::steady_clock;
  using Task = std::function<void()>;
  // Returns true when it consumed the event.
  using EventHandler = std::function<bool(NSObject*)>;

  // How long performOnMain waits for the main thread by default.
  static constexpr std::chrono::milliseconds kPerformTimeout{10000};

  // The main run loop; the first call starts the main thread that serves it.
  static NSRunLoop& mainRunLoop();

  // A task handed to the main thread by another thread that waits for it. Caller and main
  // thread share it, so either may let go first.
  class Handover {
  public:
    // Waits up to timeout for the task to finish; true when it has. The wait spins briefly
    // before it sleeps: most hand-overs finish within microseconds, and waking a sleeping
    // thread costs more than that.
    bool waitFor(std::chrono::nanoseconds timeout);
    // Withdraws the task if it has not started: true when it never will. False once it has
    // started, in which case it runs to its end.
    bool withdraw();
    bool hasStarted() const { return phase_.load(std::memory_order_acquire) != Phase::Queued; }
    bool hasFinished() const { return phase_.load(std::memory_order_acquire) == Phase::Finished; }

  private:
    friend class NSRunLoop;
    enum class Phase { Queued, Running, Finished, Withdrawn };
    // Called by the main thread: false when the task was withdrawn and must not run.
    bool start();
    void finish();

    std::atomic<Phase> phase_{Phase::Queued};
    std::mutex mutex_;
    std::condition_variable finished_;
  };

  // MARK: any thread
  // Queues an input event (retained until served).
  void postEvent(NSObject* event);
  // Queues a task; urgent tasks are served before anything else.
  void performAsync(Task task, bool urgent = false);
  // Runs task on the main thread and waits for it to finish. On the main thread it runs at once.
  // From another thread it is queued, served by whatever loop the main thread is running
  // (modal loops included); false when it did not finish within the timeout, in which case a
  // task that has not started yet never will.
  bool performOnMain(Task task, std::chrono::milliseconds timeout = kPerformTimeout);
  // Queues task for the main thread and returns what the caller waits on (see Handover). Not
  // for the main thread itself, which would wait for its own work.
  std::shared_ptr<Handover> handOver(Task task);
  // Schedules a main-queue block for the given time; blocks due at the same time run in the
  // order they were scheduled. The block is destroyed after it has run.
  void scheduleMainQueueBlock(Clock::time_point when, Task block);
  // Wakes a waiting loop so it evaluates its condition again.
  void wakeUp();

  // MARK: main thread
  // Serves the loop until done() is true (checked before every turn) or the deadline passes.
  // Returns done()'s last answer; false at once (with a log line) off the main thread.
  bool runUntil(const std::function<bool()>& done,
                std::optional<Clock::time_point> deadline = std::nullopt,
                EventHandler eventHandler = nullptr);
  // Serves the loop for that many seconds.
  void runForSeconds(double seconds);
  // Serves what is due now, without waiting; returns how many items were served.
  int runPending();
  // The default receiver of events (NSApplication installs its sendEvent).
  void setEventSink(std::function<void(NSObject*)> sink);
  // Runs after every served item (NSApplication installs its display pass).
  void addTurnObserver(Task observer);
  // How many loops are running on the main thread, one inside another.
  int nestingDepth() const { return depth_; }
  bool isServingMainQueueBlock() const { return inMainQueueBlock_; }

  // Queued items not served yet (events and tasks, due or not, timers included).
  std::size_t pendingCount() const;

private:
  NSRunLoop() = default;

  struct Item {
    enum class Kind { Event, Task, MainQueueBlock } kind;
    Ref<NSObject> event;
    Task task;
  };

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Item> urgent_;
  std::deque<Item> queue_;
  // Main-queue blocks by due time, then by scheduling order.
  std::map<std::pair<Clock::time_point, std::uint64_t>, Task> timers_;
  std::uint64_t timerSequence_ = 0;
  std::uint64_t wakeGeneration_ = 0;
  // Whether the main thread sleeps on wake_ (guarded by mutex_): only then does adding work
  // need to wake it.
  bool sleeping_ = false;
  // Counts every addition of work and every wake-up, so that the main thread can watch for
  // work without the lock while it spins before sleeping.
  std::atomic<std::uint64_t> additions_{0};

  // Main thread only.
  int depth_ = 0;
  bool inMainQueueBlock_ = false;
  std::vector<EventHandler*> eventHandlers_;
  std::function<void(NSObject*)> eventSink_;
  std::vector<Task> turnObservers_;

  static void serveMainThread();
  // Called with mutex_ held (lock) after work was added.
  void notifyAdded(const std::unique_lock<std::mutex>& lock);
  // Sleeps on wake_ (lock held) until woken or until; spins a little first.
  void sleep(std::unique_lock<std::mutex>& lock, std::optional<Clock::time_point> until);
  std::uint64_t currentWakeGeneration() const;
  std::optional<Item> takeItem(std::optional<Clock::time_point> deadline, bool wait,
                               std::optional<std::uint64_t> sinceGeneration = std::nullopt);
  void serve(Item& item);
  void dispatchEvent(NSObject* event);
};
