#include "foundation/runtime/NSCensus.h"

#include <cstring>

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

} // namespace

NSCensusEntry::NSCensusEntry(const char* className) : className_(className) {
  auto& head = censusHead();
  next_ = head.load(std::memory_order_relaxed);
  while (!head.compare_exchange_weak(next_, this, std::memory_order_release,
                                     std::memory_order_relaxed)) {
  }
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
