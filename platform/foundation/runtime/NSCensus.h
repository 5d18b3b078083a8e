// NSCensus: the number of live platform objects of each class. Every class keeps one entry,
// counted up by alloc() and down when an object is deallocated, so a test (or a long-running
// application) can see that a repeated operation leaves nothing behind. Each thread counts in a
// table of its own, written by that thread alone, so that counting costs no atomic operation
// (a large menu makes and frees hundreds of thousands of objects); reading an entry adds up the
// tables of the running threads and what the ended ones left. Reading the whole census walks a
// list that only ever grows.
#pragma once

#include <atomic>
#include <cstddef>
#include <map>
#include <string>

namespace census_detail {
// Room for every class of the platform and the library several times over; entries beyond it
// count atomically.
constexpr std::size_t kSlots = 1024;
} // namespace census_detail

class NSCensusEntry {
public:
  // Entries are static objects of their class's alloc(); each links itself into the census.
  explicit NSCensusEntry(const char* className);
  NSCensusEntry(const NSCensusEntry&) = delete;
  NSCensusEntry& operator=(const NSCensusEntry&) = delete;

  const char* className() const { return className_; }
  // Live objects of the class, counted on every thread; exact once the threads that made and
  // freed them have handed over to the reader (a join, a lock, a queue).
  long live() const;
  void objectCreated() { count(1); }
  void objectDeallocated() { count(-1); }
  const NSCensusEntry* next() const { return next_; }

private:
  friend class NSCensus;
  void count(long change);

  const char* className_;
  std::size_t slot_; // this entry's place in every thread's table
  // Counts that no thread's table holds: an entry beyond the tables' size, or a thread counting
  // after its table was folded in at its end.
  std::atomic<long> unslotted_{0};
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
