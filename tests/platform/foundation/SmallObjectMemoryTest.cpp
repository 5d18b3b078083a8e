// The small-object memory: blocks of every size are aligned, separate and hold what is written
// into them; what a thread frees stays usable after the thread has ended.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
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
