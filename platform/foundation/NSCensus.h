// NSCensus: the number of live platform objects of each class. Every class keeps one entry,
// counted up by alloc() and down when an object is deallocated, so a test (or a long-running
// application) can see that a repeated operation leaves nothing behind. An entry is an atomic
// counter; reading the whole census walks a list that only ever grows.
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
  long live() const { return live_.load(std::memory_order_relaxed); }
  void objectCreated() { live_.fetch_add(1, std::memory_order_relaxed); }
  void objectDeallocated() { live_.fetch_sub(1, std::memory_order_relaxed); }
  const NSCensusEntry* next() const { return next_; }

private:
  friend class NSCensus;
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
