// The small-object memory: blocks of every size are aligned, separate and hold what is written
// into them; what a thread frees stays usable after the thread has ended.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "foundation/SmallObjectMemory.h"

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
#if defined(__SANITIZE_ADDRESS__)
  // Every block comes from the general heap here, which decides on its own what it reuses.
  smallObjectFree(reused, 200);
#else
  EXPECT_EQ(reused, freedByEndedThread);
  smallObjectFree(reused, 200);
#endif
}

#if !defined(__SANITIZE_ADDRESS__) // there every block comes from the general heap
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
#endif
