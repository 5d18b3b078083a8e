// The small-object memory: blocks of every size are aligned, separate and hold what is written
// into them; what a thread frees stays usable after the thread has ended.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "foundation/runtime/MappedSlabs.h"
#include "foundation/runtime/SmallObjectMemory.h"

TEST(SmallObjectMemoryTest, BlocksOfEverySizeAreAlignedAndSeparate) {
  struct Block {
    unsigned char* bytes;
    std::size_t size;
  };
  std::vector<Block> blocks;
  // Sizes on both sides of every step, and beyond the largest small size; several of each, so
  // that blocks of one size lie next to each other.
  for (int round = 0; round < 3; ++round)
    for (std::size_t size = 1; size <= 600; size += (size % 16 == 0) ? 1 : 15) {
      auto* bytes = static_cast<unsigned char*>(smallObjectAllocate(size));
      ASSERT_EQ(reinterpret_cast<std::uintptr_t>(bytes) % 16, 0u) << size;
      std::memset(bytes, static_cast<int>(blocks.size() & 0xFF), size);
      blocks.push_back({bytes, size});
    }
  for (std::size_t i = 0; i < blocks.size(); ++i)
    for (std::size_t at = 0; at < blocks[i].size; ++at)
      ASSERT_EQ(blocks[i].bytes[at], i & 0xFF) << "block " << i << " of " << blocks[i].size;
  for (const Block& block : blocks)
    smallObjectFree(block.bytes, block.size);
}

// What another thread allocates can be freed here, and what a thread still held as free when it
// ended serves the threads after it, so that short-lived threads do not lose memory.
TEST(SmallObjectMemoryTest, BlocksOutliveTheThreadsThatUsedThem) {
  std::vector<void*> madeElsewhere;
  std::thread([&] {
    for (int i = 0; i < 1000; ++i)
      madeElsewhere.push_back(smallObjectAllocate(72));
  }).join();
  for (void* block : madeElsewhere)
    smallObjectFree(block, 72);

  void* freedByEndedThread = nullptr;
  std::thread([&] {
    freedByEndedThread = smallObjectAllocate(200);
    std::memset(freedByEndedThread, 0xAB, 200);
    smallObjectFree(freedByEndedThread, 200);
  }).join();
  void* reused = nullptr;
  std::thread([&] { reused = smallObjectAllocate(200); }).join();
  EXPECT_EQ(reused, freedByEndedThread);
  smallObjectFree(reused, 200);
}

// A thread that frees what another makes keeps a few thousand blocks of a size and shares the
// rest, which a thread running short takes before it cuts new memory.
TEST(SmallObjectMemoryTest, AThreadThatOnlyFreesSharesWhatItFrees) {
  constexpr std::size_t kSize = 464, kCount = 10000;
  std::vector<void*> made;
  std::thread([&] {
    for (std::size_t i = 0; i < kCount; ++i)
      made.push_back(smallObjectAllocate(kSize));
  }).join();
  for (void* block : made)
    smallObjectFree(block, kSize);
  const std::set<void*> freed(made.begin(), made.end());
  std::size_t reused = 0;
  std::thread([&] {
    std::vector<void*> again;
    for (std::size_t i = 0; i < kCount / 2; ++i)
      again.push_back(smallObjectAllocate(kSize));
    for (void* block : again)
      reused += freed.count(block);
    for (void* block : again)
      smallObjectFree(block, kSize);
  }).join();
  EXPECT_EQ(reused, kCount / 2);
}

// The unused end of an ended thread's chunk is where the next thread cuts its new blocks.
TEST(SmallObjectMemoryTest, TheRestOfAnEndedThreadsChunkIsUsedAgain) {
  void* first = nullptr;
  void* next = nullptr;
  std::thread([&] { first = smallObjectAllocate(496); }).join();
  std::thread([&] { next = smallObjectAllocate(480); }).join();
  EXPECT_EQ(static_cast<char*>(next), static_cast<char*>(first) + 496);
  smallObjectFree(first, 496);
  smallObjectFree(next, 480);
}
namespace {
constexpr std::uintptr_t kChunkBytes = 256 * 1024;

std::set<std::uintptr_t> chunksOf(const std::vector<void*>& blocks) {
  std::set<std::uintptr_t> chunks;
  for (void* block : blocks)
    chunks.insert(reinterpret_cast<std::uintptr_t>(block) & ~(kChunkBytes - 1));
  return chunks;
}

// Blocks of one size made on a new thread inside a region.
std::vector<void*> madeInRegion(std::size_t size, std::size_t count) {
  std::vector<void*> made;
  std::thread([&] {
    SmallObjectRegion region;
    for (std::size_t i = 0; i < count; ++i)
      made.push_back(smallObjectAllocate(size));
  }).join();
  return made;
}
} // namespace

// A region's chunks come back whole once every block cut from them is freed, here by another
// thread, and serve blocks of another size: the free lists alone could never give those.
TEST(SmallObjectMemoryTest, ARegionsChunksAreReusedWholeOnceAllTheirBlocksAreFreed) {
  const std::vector<void*> first = madeInRegion(208, 4000);
  const std::set<std::uintptr_t> firstChunks = chunksOf(first);
  ASSERT_GE(firstChunks.size(), 3u);
  for (void* block : first)
    smallObjectFree(block, 208);
  const std::vector<void*> second = madeInRegion(64, 4000 * 208 / 64);
  EXPECT_EQ(chunksOf(second), firstChunks);
  for (void* block : second)
    smallObjectFree(block, 64);
}

// One block still in use keeps its chunk out of reuse, and the block intact, long after the
// region it was made in has closed and its neighbours are freed.
TEST(SmallObjectMemoryTest, ARegionsChunkWaitsForItsLastBlock) {
  std::vector<void*> made = madeInRegion(208, 4000);
  auto* kept = static_cast<unsigned char*>(made.front());
  const std::uintptr_t keptChunk = reinterpret_cast<std::uintptr_t>(kept) & ~(kChunkBytes - 1);
  std::memset(kept, 0x5A, 208);
  for (void* block : made)
    if (block != kept) smallObjectFree(block, 208);
  const std::vector<void*> meanwhile = madeInRegion(208, 4000);
  EXPECT_EQ(chunksOf(meanwhile).count(keptChunk), 0u);
  for (std::size_t at = 0; at < 208; ++at)
    ASSERT_EQ(kept[at], 0x5A) << at;
  smallObjectFree(kept, 208);
  const std::vector<void*> after = madeInRegion(208, 8000);
  EXPECT_EQ(chunksOf(after).count(keptChunk), 1u);
  for (void* block : meanwhile)
    smallObjectFree(block, 208);
  for (void* block : after)
    smallObjectFree(block, 208);
}

// Two threads free the blocks of the same chunks in turn; what each has freed counts once it has
// ended, so the chunks come back whole.
TEST(SmallObjectMemoryTest, ARegionsChunksFreedByTwoThreadsAreReusedWhole) {
  const std::vector<void*> made = madeInRegion(208, 4000);
  const std::set<std::uintptr_t> chunks = chunksOf(made);
  std::thread([&] {
    for (std::size_t i = 0; i < made.size(); i += 2)
      smallObjectFree(made[i], 208);
  }).join();
  for (std::size_t i = 1; i < made.size(); i += 2)
    smallObjectFree(made[i], 208);
  const std::vector<void*> again = madeInRegion(208, 4000);
  EXPECT_EQ(chunksOf(again), chunks);
  for (void* block : again)
    smallObjectFree(block, 208);
}

// A thread that makes and frees a region's blocks and then ends gives the chunks back whole,
// the one it was still cutting from included.
TEST(SmallObjectMemoryTest, AThreadThatFreesItsRegionsBlocksGivesItsChunksBackAsItEnds) {
  std::set<std::uintptr_t> chunks;
  std::thread([&] {
    std::vector<void*> made;
    {
      SmallObjectRegion region;
      for (int i = 0; i < 4000; ++i)
        made.push_back(smallObjectAllocate(208));
    }
    chunks = chunksOf(made);
    for (void* block : made)
      smallObjectFree(block, 208);
  }).join();
  const std::vector<void*> again = madeInRegion(208, 4000);
  EXPECT_EQ(chunksOf(again), chunks);
  for (void* block : again)
    smallObjectFree(block, 208);
}

TEST(SmallObjectMemoryTest, ASlabIsAlignedWholeAndGivenBackInParts) {
  auto* slab = static_cast<unsigned char*>(mapSlab());
  ASSERT_EQ(reinterpret_cast<std::uintptr_t>(slab) % kSlabBytes, 0u);
  // Every byte is usable, and no two slabs overlap.
  std::memset(slab, 0xA5, kSlabBytes);
  auto* other = static_cast<unsigned char*>(mapSlab());
  EXPECT_TRUE(other + kSlabBytes <= slab || slab + kSlabBytes <= other);
  std::memset(other, 0x5A, kSlabBytes);
  EXPECT_EQ(slab[0], 0xA5);
  EXPECT_EQ(slab[kSlabBytes - 1], 0xA5);
  const std::size_t half = kSlabBytes / 2;
  releaseMappedMemory(slab, half);
  EXPECT_EQ(slab[half], 0xA5); // the other half stays
  releaseMappedMemory(slab + half, half);
  EXPECT_EQ(other[kSlabBytes - 1], 0x5A);
  releaseMappedMemory(other, kSlabBytes);
}

#if defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer the memory still reports what the general heap would: a use after free,
// a write past the size asked for, and a block freed twice.
TEST(SmallObjectMemoryTest, SanitizedMemoryReportsMisuse) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        auto* block = static_cast<volatile char*>(smallObjectAllocate(64));
        smallObjectFree(const_cast<char*>(block), 64);
        block[8] = 1;
      },
      "use-after-poison");
  EXPECT_DEATH(static_cast<volatile char*>(smallObjectAllocate(40))[40] = 1, "use-after-poison");
  EXPECT_DEATH(
      {
        void* block = smallObjectAllocate(64);
        smallObjectFree(block, 64);
        smallObjectFree(block, 64);
      },
      "freed twice");
}
#endif
