#include "foundation/runtime/SmallObjectMemory.h"

#include "foundation/runtime/Assert.h"
#include "foundation/runtime/MappedSlabs.h"
#include "foundation/runtime/ThreadCache.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <tuple>
#include <utility>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define BRIX_SMALL_OBJECTS_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRIX_SMALL_OBJECTS_SANITIZED 1
#endif
#endif

#ifdef BRIX_SMALL_OBJECTS_SANITIZED
#include <sanitizer/asan_interface.h>
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// Under AddressSanitizer, memory that no live block covers is poisoned: the unused part of a
// chunk, every free block, and the rounding at the end of a live block. A use after free, an
// overflow and a block freed twice are then reported as they would be on the general heap
// (though a freed block is reused sooner there than the heap's quarantine would reuse it).
#ifdef BRIX_SMALL_OBJECTS_SANITIZED
void poison(void* memory, std::size_t bytes) {
  ASAN_POISON_MEMORY_REGION(memory, bytes);
}
void unpoison(void* memory, std::size_t bytes) {
  ASAN_UNPOISON_MEMORY_REGION(memory, bytes);
}
bool isPoisoned(void* memory) {
  return __asan_address_is_poisoned(memory);
}
// LeakSanitizer looks for pointers to heap blocks in the slabs too: a live object is often the
// only holder of its strings and vectors.
void scanForLeaks(void* memory, std::size_t bytes) {
  __lsan_register_root_region(memory, bytes);
}
#else
void poison(void*, std::size_t) {}
void unpoison(void*, std::size_t) {}
bool isPoisoned(void*) {
  return false;
}
void scanForLeaks(void*, std::size_t) {}
#endif

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

// A free block's link, read and written through its poison.
FreeBlock* nextOf(FreeBlock* block) {
  unpoison(block, sizeof(FreeBlock));
  FreeBlock* next = block->next;
  poison(block, sizeof(FreeBlock));
  return next;
}

void setNext(FreeBlock* block, FreeBlock* next) {
  unpoison(block, sizeof(FreeBlock));
  block->next = next;
  poison(block, sizeof(FreeBlock));
}

// Every chunk begins with a header and is aligned to its size, so that a block finds its chunk by
// its address.
struct alignas(64) ChunkHeader {
  // In a region's chunk: the blocks cut from it and not yet freed, plus kOpen while blocks are
  // still being cut from it.
  std::atomic<std::uint32_t> live{0};
  bool region = false;
};
constexpr std::uint32_t kOpen = 1u << 31;
// Whole chunks kept for reuse once a region's blocks are all freed; beyond this, they go back to
// the general heap.
constexpr std::size_t kMostWholeChunksKept = 512;

ChunkHeader* chunkOf(void* block) {
  return reinterpret_cast<ChunkHeader*>(reinterpret_cast<std::uintptr_t>(block) &
                                        ~(std::uintptr_t{kChunkBytes} - 1));
}

char* firstBlockOf(ChunkHeader* chunk) {
  return reinterpret_cast<char*>(chunk) + sizeof(ChunkHeader);
}

char* endOf(ChunkHeader* chunk) {
  return reinterpret_cast<char*>(chunk) + kChunkBytes;
}

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
  std::vector<ChunkHeader*> wholeChunks;
  // New chunks are cut from mapped slabs (see MappedSlabs.h): a large menu's objects fill
  // chunk after chunk, and are freed in the same sweep.
  char* slabNext = nullptr;
  char* slabEnd = nullptr;

  void* newChunkMemory() {
    static_assert(kSlabBytes % kChunkBytes == 0);
    if (slabNext == slabEnd) {
      slabNext = static_cast<char*>(mapSlab());
      slabEnd = slabNext + kSlabBytes;
      scanForLeaks(slabNext, kSlabBytes);
    }
    return std::exchange(slabNext, slabNext + kChunkBytes);
  }

  void push(std::size_t c, FreeBlock* first, FreeBlock* last) {
    setNext(last, lists[c]);
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
  // The open region: how deeply it is nested, and the chunk its blocks are cut from, which stays
  // the thread's until it is full, across regions.
  unsigned regionDepth;
  ChunkHeader* regionChunk;
  char* regionNext;
  std::uint32_t regionCut; // blocks cut from regionChunk

  // At the thread's end: the lists and the rest of the chunk go to the shared ones.
  void handBack();
};
using ThreadMemoryCache = ThreadCache<ThreadMemory>;

ThreadMemory& ownMemory() {
  return ThreadMemoryCache::state();
}

// A chunk for new blocks: a whole chunk freed by a region if any, else a new one.
ChunkHeader* wholeChunk(bool region) {
  ChunkHeader* chunk = nullptr;
  Shared& common = shared();
  {
    std::lock_guard guard(common.lock);
    if (!common.wholeChunks.empty()) {
      chunk = common.wholeChunks.back();
      common.wholeChunks.pop_back();
    } else {
      chunk = new (common.newChunkMemory()) ChunkHeader;
      poison(firstBlockOf(chunk), static_cast<std::size_t>(endOf(chunk) - firstBlockOf(chunk)));
    }
  }
  chunk->region = region;
  chunk->live.store(region ? kOpen : 0, std::memory_order_relaxed);
  return chunk;
}

// A region's chunk whose blocks are all freed is reused whole.
void recycle(ChunkHeader* chunk) {
  Shared& common = shared();
  {
    std::lock_guard guard(common.lock);
    if (common.wholeChunks.size() < kMostWholeChunksKept) {
      common.wholeChunks.push_back(chunk);
      return;
    }
  }
  chunk->~ChunkHeader();
  releaseMappedMemory(chunk, kChunkBytes);
}

void releaseRegionBlocks(ChunkHeader* chunk, std::uint32_t count) {
  if (chunk->live.fetch_sub(count, std::memory_order_acq_rel) == count) recycle(chunk);
}

// No more blocks are cut from the thread's region chunk; it is reused once they are all freed.
void sealRegionChunk(ThreadMemory& own) {
  ChunkHeader* chunk = own.regionChunk;
  if (!chunk) return;
  own.regionChunk = nullptr;
  own.regionNext = nullptr;
  releaseRegionBlocks(chunk, kOpen - own.regionCut);
}

void ThreadMemory::handBack() {
  // Before the lock: sealing a region chunk whose blocks are all freed recycles it, which takes
  // the lock.
  sealRegionChunk(*this);
  Shared& common = shared();
  std::lock_guard guard(common.lock);
  for (std::size_t c = 0; c < kClasses; ++c) {
    FreeBlock* list = lists[c];
    if (!list) continue;
    FreeBlock* last = list;
    while (FreeBlock* next = nextOf(last))
      last = next;
    common.push(c, list, last);
    lists[c] = nullptr;
  }
  if (chunkEnd - chunkNext >= static_cast<std::ptrdiff_t>(kGranule)) {
    common.chunkEnds.emplace_back(chunkNext, chunkEnd);
    common.chunkEndsWaiting.store(true, std::memory_order_relaxed);
  }
  lengths = {};
  chunkNext = chunkEnd = nullptr;
  ended = true;
}

void* regionAllocate(ThreadMemory& own, std::size_t size) {
  const std::size_t blockBytes = (sizeClass(size) + 1) * kGranule;
  if (!own.regionChunk ||
      static_cast<std::size_t>(endOf(own.regionChunk) - own.regionNext) < blockBytes) {
    sealRegionChunk(own);
    ThreadMemoryCache::arm(); // seals the chunk at the thread's end
    own.regionChunk = wholeChunk(true);
    own.regionNext = firstBlockOf(own.regionChunk);
    own.regionCut = 0;
  }
  void* block = own.regionNext;
  unpoison(block, size);
  own.regionNext += blockBytes;
  ++own.regionCut;
  return block;
}

// Room for new blocks: the unused end of an ended thread's chunk if any, else a new chunk.
void takeChunk(ThreadMemory& own) {
  ThreadMemoryCache::arm(); // registers the hand-over at the thread's end
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
  ChunkHeader* chunk = wholeChunk(false);
  own.chunkNext = firstBlockOf(chunk);
  own.chunkEnd = endOf(chunk);
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
  setNext(block, nullptr);
  return block;
}

// Gives the kBatch blocks freed last of a list that has grown past kMostKept to the shared lists.
void giveBatch(ThreadMemory& own, std::size_t c) {
  FreeBlock* first = own.lists[c];
  FreeBlock* last = first;
  for (std::uint32_t i = 1; i < kBatch && nextOf(last); ++i)
    last = nextOf(last);
  own.lists[c] = nextOf(last);
  own.lengths[c] -= kBatch;
  Shared& common = shared();
  std::lock_guard guard(common.lock);
  common.push(c, first, last);
}

} // namespace

void* smallObjectAllocate(std::size_t size) {
  if (size > kLargest) return ::operator new(size);
  ThreadMemory& own = ownMemory();
  if (own.regionDepth) return regionAllocate(own, size);
  const std::size_t c = sizeClass(size);
  FreeBlock* block = own.lists[c];
  if (block) {
    if (own.lengths[c]) --own.lengths[c];
  } else {
    block = refill(own, c);
  }
  own.lists[c] = nextOf(block);
  unpoison(block, size);
  return block;
}

void smallObjectFree(void* block, std::size_t size) noexcept {
  if (!block) return;
  if (size > kLargest) {
    ::operator delete(block);
    return;
  }
  BRIX_ASSERT(!isPoisoned(block), "a small block was freed twice, or was never allocated");
  const std::size_t c = sizeClass(size);
  poison(block, (c + 1) * kGranule);
  if (ChunkHeader* chunk = chunkOf(block); chunk->region) {
    releaseRegionBlocks(chunk, 1);
    return;
  }
  auto* freed = static_cast<FreeBlock*>(block);
  ThreadMemory& own = ownMemory();
  if (own.ended) {
    Shared& common = shared();
    std::lock_guard guard(common.lock);
    common.push(c, freed, freed);
    return;
  }
  setNext(freed, own.lists[c]);
  own.lists[c] = freed;
  if (++own.lengths[c] > kMostKept) giveBatch(own, c);
}

SmallObjectRegion::SmallObjectRegion() {
  ++ownMemory().regionDepth;
}

SmallObjectRegion::~SmallObjectRegion() {
  ThreadMemory& own = ownMemory();
  BRIX_ASSERT(own.regionDepth > 0, "a small-object region ended on another thread than the one "
                                   "that opened it");
  --own.regionDepth;
}
