#include "foundation/runtime/NSCensus.h"

#include <cstring>
#include <mutex>
#include <utility>

#include "foundation/runtime/ThreadCache.h"

namespace {

// The head of the entry list. Entries are only ever prepended, so a reader that loads the head
// sees a complete list behind it.
std::atomic<NSCensusEntry*>& censusHead() {
  static std::atomic<NSCensusEntry*> head{nullptr};
  return head;
}

template <class Visit> void forEachEntry(Visit visit) {
  for (const NSCensusEntry* entry = censusHead().load(std::memory_order_acquire); entry;
       entry = entry->next())
    visit(*entry);
}

using census_detail::kSlots;
std::atomic<std::size_t> nextSlot{0};

// One thread's counts: written by that thread alone (a plain load and store), read by any
// reader under the registry's lock.
struct ThreadCounts {
  std::atomic<long> counts[kSlots] = {};
  ThreadCounts* next = nullptr;
};

// The running threads' tables, and what the ended threads' tables came to.
struct Registry {
  std::mutex lock;
  ThreadCounts* threads = nullptr;
  long ended[kSlots] = {};
};

Registry& registry() {
  static Registry* const instance = new Registry(); // outlives every thread's last count
  return *instance;
}

// The calling thread's table, made on its first count. At the thread's end, its counts join the
// ended threads' and the table goes; counts after that (objects freed by later thread-local
// destructors) go to the entries themselves.
struct ThreadTable {
  ThreadCounts* table;
  void handBack();
};
using ThreadTableCache = ThreadCache<ThreadTable>;

void ThreadTable::handBack() {
  if (!table) return;
  Registry& all = registry();
  {
    std::lock_guard guard(all.lock);
    for (ThreadCounts** link = &all.threads; *link; link = &(*link)->next) {
      if (*link == table) {
        *link = table->next;
        break;
      }
    }
    for (std::size_t slot = 0; slot < kSlots; ++slot)
      all.ended[slot] += table->counts[slot].load(std::memory_order_relaxed);
  }
  delete std::exchange(table, nullptr);
}

ThreadCounts* startThreadCounts() {
  auto* table = new ThreadCounts();
  Registry& all = registry();
  {
    std::lock_guard guard(all.lock);
    table->next = all.threads;
    all.threads = table;
  }
  ThreadTableCache::state().table = table;
  ThreadTableCache::arm();
  return table;
}

} // namespace

NSCensusEntry::NSCensusEntry(const char* className)
    : className_(className), slot_(nextSlot.fetch_add(1, std::memory_order_relaxed)) {
  auto& head = censusHead();
  next_ = head.load(std::memory_order_relaxed);
  while (!head.compare_exchange_weak(next_, this, std::memory_order_release,
                                     std::memory_order_relaxed)) {
  }
}

void NSCensusEntry::count(long change) {
  ThreadCounts* table = ThreadTableCache::state().table;
  if (!table && slot_ < kSlots && !ThreadTableCache::ended()) table = startThreadCounts();
  if (table && slot_ < kSlots) {
    std::atomic<long>& counter = table->counts[slot_];
    counter.store(counter.load(std::memory_order_relaxed) + change, std::memory_order_relaxed);
    return;
  }
  unslotted_.fetch_add(change, std::memory_order_relaxed);
}

long NSCensusEntry::live() const {
  long live = unslotted_.load(std::memory_order_relaxed);
  if (slot_ >= kSlots) return live;
  Registry& all = registry();
  std::lock_guard guard(all.lock);
  live += all.ended[slot_];
  for (const ThreadCounts* table = all.threads; table; table = table->next)
    live += table->counts[slot_].load(std::memory_order_relaxed);
  return live;
}

std::map<std::string, long> NSCensus::snapshot() {
  std::map<std::string, long> counts;
  // Two entries may carry one name (a class defined in two libraries); their counts add up.
  forEachEntry([&](const NSCensusEntry& entry) { counts[entry.className()] += entry.live(); });
  return counts;
}

long NSCensus::liveObjects(const char* className) {
  long live = 0;
  forEachEntry([&](const NSCensusEntry& entry) {
    if (std::strcmp(entry.className(), className) == 0) live += entry.live();
  });
  return live;
}

long NSCensus::totalLiveObjects() {
  long live = 0;
  forEachEntry([&](const NSCensusEntry& entry) { live += entry.live(); });
  return live;
}
