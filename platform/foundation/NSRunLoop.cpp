#include "foundation/NSRunLoop.h"

#include <algorithm>
#include <exception>

#include "foundation/NSAutoreleasePool.h"
#include "foundation/NSLog.h"
#include "foundation/NSThread.h"

NSRunLoop& NSRunLoop::mainRunLoop() {
  // Immortal: the main run loop serves the process until it exits, and threads that are still
  // handing work to it during exit must not find it destroyed.
  static NSRunLoop* const loop = new NSRunLoop();
  return *loop;
}

// MARK: any thread

void NSRunLoop::postEvent(NSObject* event) {
  if (!event) return;
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(Item{Item::Kind::Event, Ref<NSObject>(event), nullptr});
  }
  wake_.notify_all();
}

void NSRunLoop::performAsync(Task task, bool urgent) {
  if (!task) return;
  {
    std::lock_guard lock(mutex_);
    (urgent ? urgent_ : queue_).push_back(Item{Item::Kind::Task, nullptr, std::move(task)});
  }
  wake_.notify_all();
}

bool NSRunLoop::performOnMain(Task task, std::chrono::milliseconds timeout) {
  if (!task) return true;
  if (NSThread::isMainThread()) {
    NSAutoreleasePool pool;
    task();
    return true;
  }
  // The caller may give up waiting; everything the task and the caller share lives here.
  struct Handoff {
    std::mutex mutex;
    std::condition_variable done;
    enum class Phase { Queued, Running, Finished, Abandoned } phase = Phase::Queued;
  };
  auto handoff = std::make_shared<Handoff>();
  performAsync([handoff, task = std::move(task)] {
    {
      std::lock_guard lock(handoff->mutex);
      if (handoff->phase == Handoff::Phase::Abandoned) return;
      handoff->phase = Handoff::Phase::Running;
    }
    struct MarkFinished {
      Handoff& handoff;
      ~MarkFinished() {
        {
          std::lock_guard lock(handoff.mutex);
          handoff.phase = Handoff::Phase::Finished;
        }
        handoff.done.notify_all();
      }
    } markFinished{*handoff};
    task();
  });
  std::unique_lock lock(handoff->mutex);
  const bool finished = handoff->done.wait_for(
      lock, timeout, [&] { return handoff->phase == Handoff::Phase::Finished; });
  if (!finished && handoff->phase == Handoff::Phase::Queued)
    handoff->phase = Handoff::Phase::Abandoned;
  return finished;
}

void NSRunLoop::scheduleMainQueueBlock(Clock::time_point when, Task block) {
  if (!block) return;
  {
    std::lock_guard lock(mutex_);
    timers_.emplace(std::make_pair(when, timerSequence_++), std::move(block));
  }
  wake_.notify_all();
}

void NSRunLoop::wakeUp() {
  {
    std::lock_guard lock(mutex_);
    ++wakeGeneration_;
  }
  wake_.notify_all();
}

std::size_t NSRunLoop::pendingCount() const {
  std::lock_guard lock(mutex_);
  return urgent_.size() + queue_.size() + timers_.size();
}

// MARK: main thread

std::uint64_t NSRunLoop::currentWakeGeneration() const {
  std::lock_guard lock(mutex_);
  return wakeGeneration_;
}

std::optional<NSRunLoop::Item> NSRunLoop::takeItem(std::optional<Clock::time_point> deadline,
                                                   bool wait,
                                                   std::optional<std::uint64_t> sinceGeneration) {
  std::unique_lock lock(mutex_);
  // A wake-up that came after the caller last looked at its condition ends the wait at once.
  const std::uint64_t generation = sinceGeneration.value_or(wakeGeneration_);
  while (true) {
    if (!urgent_.empty()) {
      Item item = std::move(urgent_.front());
      urgent_.pop_front();
      return item;
    }
    const auto now = Clock::now();
    const bool blocksEligible = !inMainQueueBlock_ && !timers_.empty();
    if (blocksEligible && timers_.begin()->first.first <= now) {
      Item item{Item::Kind::MainQueueBlock, nullptr, std::move(timers_.begin()->second)};
      timers_.erase(timers_.begin());
      return item;
    }
    if (!queue_.empty()) {
      Item item = std::move(queue_.front());
      queue_.pop_front();
      return item;
    }
    if (!wait || wakeGeneration_ != generation) return std::nullopt;
    if (deadline && now >= *deadline) return std::nullopt;
    std::optional<Clock::time_point> until = deadline;
    if (blocksEligible) {
      const auto nextBlock = timers_.begin()->first.first;
      if (!until || nextBlock < *until) until = nextBlock;
    }
    if (until)
      wake_.wait_until(lock, *until);
    else
      wake_.wait(lock);
  }
}

bool NSRunLoop::runUntil(const std::function<bool()>& done,
                         std::optional<Clock::time_point> deadline, EventHandler eventHandler) {
  if (!NSThread::isMainThread()) {
    NSLog("The main run loop can only be run on the main thread; the call does nothing");
    return done && done();
  }
  struct Nesting {
    NSRunLoop& loop;
    bool hasHandler;
    ~Nesting() {
      --loop.depth_;
      if (hasHandler) loop.eventHandlers_.pop_back();
    }
  } nesting{*this, static_cast<bool>(eventHandler)};
  ++depth_;
  if (eventHandler) eventHandlers_.push_back(&eventHandler);

  while (true) {
    // Taken before the condition is looked at, so that a wakeUp between the look and the wait
    // is not lost.
    const std::uint64_t generation = currentWakeGeneration();
    if (done && done()) return true;
    if (deadline && Clock::now() >= *deadline) return false;
    if (std::optional<Item> item = takeItem(deadline, true, generation)) serve(*item);
  }
}

void NSRunLoop::runForSeconds(double seconds) {
  if (!(seconds > 0)) {
    runPending();
    return;
  }
  const auto duration = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(std::min(seconds, 1e9)));
  runUntil(nullptr, Clock::now() + duration);
}

int NSRunLoop::runPending() {
  if (!NSThread::isMainThread()) return 0;
  // Serve what is there now; work that the served items add waits for the next call, so a task
  // that re-queues itself cannot keep us here.
  std::size_t budget = pendingCount();
  int served = 0;
  while (budget-- > 0) {
    std::optional<Item> item = takeItem(std::nullopt, false);
    if (!item) break;
    serve(*item);
    ++served;
  }
  return served;
}

void NSRunLoop::setEventSink(std::function<void(NSObject*)> sink) {
  eventSink_ = std::move(sink);
}

void NSRunLoop::addTurnObserver(Task observer) {
  if (observer) turnObservers_.push_back(std::move(observer));
}

void NSRunLoop::serve(Item& item) {
  NSAutoreleasePool pool;
  try {
    switch (item.kind) {
    case Item::Kind::Event:
      dispatchEvent(item.event);
      break;
    case Item::Kind::Task:
      item.task();
      break;
    case Item::Kind::MainQueueBlock: {
      struct BlockScope {
        bool& flag;
        bool saved;
        ~BlockScope() { flag = saved; }
      } scope{inMainQueueBlock_, inMainQueueBlock_};
      inMainQueueBlock_ = true;
      item.task();
      break;
    }
    }
  } catch (const std::exception& error) {
    NSLog("An item of the main run loop failed: %s", error.what());
  } catch (...) {
    NSLog("An item of the main run loop failed with an unknown exception");
  }
  // A block releases what it captured once it has run, inside this turn's pool.
  item.task = nullptr;
  item.event = nullptr;
  for (std::size_t i = 0; i < turnObservers_.size(); ++i)
    turnObservers_[i]();
}

void NSRunLoop::dispatchEvent(NSObject* event) {
  for (auto it = eventHandlers_.rbegin(); it != eventHandlers_.rend(); ++it)
    if ((**it)(event)) return;
  if (eventSink_) eventSink_(event);
}
