// NSCensus: the number of live platform objects of each class. Every class keeps one entry,
// counted up by alloc() and down when an object is deallocated, so a test (or a long-running
// application) can see that a repeated operation leaves nothing behind. Each entry counts
// atomically: per-thread tables measured no faster on a large menu (BM_BuildContextMenu, 6 runs
// interleaved, within the runs' spread). Reading the whole census walks a list that only ever
// grows.
#pragma once

#include <atomic>
#include <cstddef>
#include <map>
#include <string>

class NSCensusEntry {
public:
  // Entries are static objects of their class's alloc(); each links itself into the census.
  explicit NSCensusEntry(const char* className);
  NSCensusEntry(const NSCensusEntry&) = delete;
  NSCensusEntry& operator=(const NSCensusEntry&) = delete;

  const char* className() const { return className_; }
  // Live objects of the class, counted on every thread; exact once the threads that made and
  // freed them have handed over to the reader (a join, a lock, a queue).
  long live() const { return live_.load(std::memory_order_relaxed); }
  void objectCreated() { live_.fetch_add(1, std::memory_order_relaxed); }
  void objectDeallocated() { live_.fetch_sub(1, std::memory_order_relaxed); }
  const NSCensusEntry* next() const { return next_; }

private:
  const char* className_;
  std::atomic<long> live_{0};
  NSCensusEntry* next_ = nullptr;
};

class NSCensus {
public:
  // Live objects per class name, for every class that has made an object so far (zero counts
  // included, so that a class whose objects all went away still shows).
  static std::map<std::string, long> snapshot();
  // Live objects of one class (0 for a class that never made one).
  static long liveObjects(const char* className);
  // Live objects of all classes.
  static long totalLiveObjects();
};
