#include "foundation/SmallObjectMemory.h"

#include <array>
#include <atomic>
#include <mutex>
#include <new>

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

struct FreeBlock {
  FreeBlock* next;
};

using FreeLists = std::array<FreeBlock*, kClasses>;

std::size_t sizeClass(std::size_t size) {
  return size ? (size - 1) / kGranule : 0;
}

// The lists of threads that have ended, and the blocks freed by a thread while it ends. waiting
// tells without the lock whether a size has any, so a thread cutting new blocks does not take it.
struct Orphans {
  std::mutex lock;
  FreeLists lists{};
  std::array<std::atomic<bool>, kClasses> waiting{};

  void push(std::size_t c, FreeBlock* first, FreeBlock* last) {
    last->next = lists[c];
    lists[c] = first;
    waiting[c].store(true, std::memory_order_relaxed);
  }
};

Orphans& orphans() {
  static auto* shared = new Orphans(); // outlives every thread, the main one's exit included
  return *shared;
}

// Trivially destructible, so usable until the thread's very end, after other thread-locals
// (an autorelease pool draining, say) have gone.
thread_local constinit FreeLists threadLists{};
thread_local constinit bool threadEnded = false;
// New blocks of every size are cut one after another from the thread's current chunk, so the
// objects made together (a menu item, its title, its target) lie together, and a free list
// refilled by freeing them keeps them together.
thread_local constinit char* chunkNext = nullptr;
thread_local constinit char* chunkEnd = nullptr;

// Hands the thread's lists to the orphans when the thread ends.
struct ThreadExit {
  bool armed = false;
  ~ThreadExit() {
    Orphans& shared = orphans();
    std::lock_guard guard(shared.lock);
    for (std::size_t c = 0; c < kClasses; ++c) {
      FreeBlock* list = threadLists[c];
      if (!list) continue;
      FreeBlock* last = list;
      while (last->next)
        last = last->next;
      shared.push(c, list, last);
      threadLists[c] = nullptr;
    }
    threadEnded = true;
  }
};
thread_local ThreadExit threadExit;

// A block for an empty list: the orphans of that size if any (the rest become the thread's
// list), else a new block from the thread's chunk.
FreeBlock* refill(std::size_t c) {
  Orphans& shared = orphans();
  if (shared.waiting[c].load(std::memory_order_relaxed)) {
    std::lock_guard guard(shared.lock);
    if (FreeBlock* list = shared.lists[c]) {
      shared.lists[c] = nullptr;
      shared.waiting[c].store(false, std::memory_order_relaxed);
      return list;
    }
  }
  const std::size_t blockBytes = (c + 1) * kGranule;
  if (static_cast<std::size_t>(chunkEnd - chunkNext) < blockBytes) {
    if (!threadEnded) threadExit.armed = true; // registers the hand-over at the thread's end
    chunkNext = static_cast<char*>(::operator new(kChunkBytes));
    chunkEnd = chunkNext + kChunkBytes;
  }
  auto* block = reinterpret_cast<FreeBlock*>(chunkNext);
  chunkNext += blockBytes;
  block->next = nullptr;
  return block;
}

} // namespace

void* smallObjectAllocate(std::size_t size) {
  if (size > kLargest) return ::operator new(size);
  const std::size_t c = sizeClass(size);
  FreeLists& lists = threadLists;
  FreeBlock* block = lists[c];
  if (!block) block = refill(c);
  // The next block of a long list was freed long ago and is rarely in the cache: fetch it now,
  // while the caller fills this one, rather than stall on it at the next allocation.
  __builtin_prefetch(block->next, 1);
  lists[c] = block->next;
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
  if (threadEnded) {
    Orphans& shared = orphans();
    std::lock_guard guard(shared.lock);
    shared.push(c, freed, freed);
    return;
  }
  FreeLists& lists = threadLists;
  freed->next = lists[c];
  lists[c] = freed;
}

#endif
