#include "foundation/SmallObjectMemory.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <tuple>
#include <utility>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define BRIX_SMALL_OBJECTS_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRIX_SMALL_OBJECTS_FROM_HEAP 1
#endif
#endif

#ifdef BRIX_SMALL_OBJECTS_FROM_HEAP

void* smallObjectAllocate(std::size_t size) {
  return ::operator new(size);
}

void smallObjectFree(void* block, std::size_t) noexcept {
  ::operator delete(block);
}

#else

namespace {

constexpr std::size_t kGranule = 16;
constexpr std::size_t kLargest = 512;
constexpr std::size_t kClasses = kLargest / kGranule;
constexpr std::size_t kChunkBytes = 256 * 1024;
// A thread keeps at most this many free blocks of a size; beyond it, blocks go in batches to the
// shared lists, so that a thread that frees what others make does not hoard them.
constexpr std::uint32_t kMostKept = 4096;
constexpr std::uint32_t kBatch = kMostKept / 2;

struct FreeBlock {
  FreeBlock* next;
};

using FreeLists = std::array<FreeBlock*, kClasses>;

std::size_t sizeClass(std::size_t size) {
  return size ? (size - 1) / kGranule : 0;
}

// What threads give up: blocks freed beyond what a thread keeps, the lists and the unused ends of
// the chunks of threads that have ended, and what a thread frees while it ends. The flags tell
// without the lock whether there is anything to take.
struct Shared {
  std::mutex lock;
  FreeLists lists{};
  std::array<std::atomic<bool>, kClasses> waiting{};
  std::vector<std::pair<char*, char*>> chunkEnds;
  std::atomic<bool> chunkEndsWaiting{false};

  void push(std::size_t c, FreeBlock* first, FreeBlock* last) {
    last->next = lists[c];
    lists[c] = first;
    waiting[c].store(true, std::memory_order_relaxed);
  }
};

Shared& shared() {
  static auto* memory = new Shared(); // outlives every thread, the main one's exit included
  return *memory;
}

// A thread's own state; trivially destructible, so usable until the thread's very end, after
// other thread-locals (an autorelease pool draining, say) have gone. New blocks of every size are
// cut one after another from the current chunk, so the objects made together (a menu item, its
// title, its target) lie together, and a list refilled by freeing them keeps them together.
struct ThreadMemory {
  FreeLists lists;
  std::array<std::uint32_t, kClasses> lengths; // at most the lists' lengths
  char* chunkNext;
  char* chunkEnd;
  bool ended;
};
thread_local constinit ThreadMemory threadMemory{};

// Hands the thread's lists and the rest of its chunk to the shared ones when the thread ends.
struct ThreadExit {
  bool armed = false;
  ~ThreadExit() {
    ThreadMemory& own = threadMemory;
    Shared& common = shared();
    std::lock_guard guard(common.lock);
    for (std::size_t c = 0; c < kClasses; ++c) {
      FreeBlock* list = own.lists[c];
      if (!list) continue;
      FreeBlock* last = list;
      while (last->next)
        last = last->next;
      common.push(c, list, last);
      own.lists[c] = nullptr;
    }
    if (own.chunkEnd - own.chunkNext >= static_cast<std::ptrdiff_t>(kGranule)) {
      common.chunkEnds.emplace_back(own.chunkNext, own.chunkEnd);
      common.chunkEndsWaiting.store(true, std::memory_order_relaxed);
    }
    own.lengths = {};
    own.chunkNext = own.chunkEnd = nullptr;
    own.ended = true;
  }
};
thread_local ThreadExit threadExit;

// Room for new blocks: the unused end of an ended thread's chunk if any, else a new chunk.
void takeChunk(ThreadMemory& own) {
  if (!own.ended) threadExit.armed = true; // registers the hand-over at the thread's end
  Shared& common = shared();
  if (common.chunkEndsWaiting.load(std::memory_order_relaxed)) {
    std::lock_guard guard(common.lock);
    if (!common.chunkEnds.empty()) {
      std::tie(own.chunkNext, own.chunkEnd) = common.chunkEnds.back();
      common.chunkEnds.pop_back();
      common.chunkEndsWaiting.store(!common.chunkEnds.empty(), std::memory_order_relaxed);
      return;
    }
  }
  own.chunkNext = static_cast<char*>(::operator new(kChunkBytes));
  own.chunkEnd = own.chunkNext + kChunkBytes;
}

// A block for an empty list: the shared blocks of that size if any (the rest become the
// thread's list), else a new block cut from the thread's chunk.
FreeBlock* refill(ThreadMemory& own, std::size_t c) {
  Shared& common = shared();
  if (common.waiting[c].load(std::memory_order_relaxed)) {
    std::lock_guard guard(common.lock);
    if (FreeBlock* list = common.lists[c]) {
      common.lists[c] = nullptr;
      common.waiting[c].store(false, std::memory_order_relaxed);
      return list;
    }
  }
  const std::size_t blockBytes = (c + 1) * kGranule;
  if (static_cast<std::size_t>(own.chunkEnd - own.chunkNext) < blockBytes) takeChunk(own);
  auto* block = reinterpret_cast<FreeBlock*>(own.chunkNext);
  own.chunkNext += blockBytes;
  block->next = nullptr;
  return block;
}

// Gives the kBatch blocks freed last of a list that has grown past kMostKept to the shared lists.
void giveBatch(ThreadMemory& own, std::size_t c) {
  FreeBlock* first = own.lists[c];
  FreeBlock* last = first;
  for (std::uint32_t i = 1; i < kBatch && last->next; ++i)
    last = last->next;
  own.lists[c] = last->next;
  own.lengths[c] -= kBatch;
  Shared& common = shared();
  std::lock_guard guard(common.lock);
  common.push(c, first, last);
}

} // namespace

void* smallObjectAllocate(std::size_t size) {
  if (size > kLargest) return ::operator new(size);
  const std::size_t c = sizeClass(size);
  ThreadMemory& own = threadMemory;
  FreeBlock* block = own.lists[c];
  if (block) {
    if (own.lengths[c]) --own.lengths[c];
  } else {
    block = refill(own, c);
  }
  // The next block of a long list was freed long ago and is rarely in the cache: fetch it now,
  // while the caller fills this one, rather than stall on it at the next allocation.
  __builtin_prefetch(block->next, 1);
  own.lists[c] = block->next;
  return block;
}

void smallObjectFree(void* block, std::size_t size) noexcept {
  if (!block) return;
  if (size > kLargest) {
    ::operator delete(block);
    return;
  }
  const std::size_t c = sizeClass(size);
  auto* freed = static_cast<FreeBlock*>(block);
  ThreadMemory& own = threadMemory;
  if (own.ended) {
    Shared& common = shared();
    std::lock_guard guard(common.lock);
    common.push(c, freed, freed);
    return;
  }
  freed->next = own.lists[c];
  own.lists[c] = freed;
  if (++own.lengths[c] > kMostKept) giveBatch(own, c);
}

#endif
