#include "foundation/runtime/HugePages.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

void adviseHugePages(void* bytes, std::size_t length) noexcept {
#ifdef MADV_HUGEPAGE
  const auto start = reinterpret_cast<std::uintptr_t>(bytes);
  const std::uintptr_t first = (start + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
  const std::uintptr_t end = (start + length) & ~(kHugePageBytes - 1);
  if (first < end) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
  (void)bytes;
  (void)length;
#endif
}

void* mapHugePageSlab() {
  // Twice the size, so that an aligned slab lies inside; the rest goes back at once.
  const std::size_t mapped = 2 * kHugePageBytes;
  void* region = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (region == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(region);
  const std::uintptr_t slab = (start + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
  if (slab > start) munmap(region, slab - start);
  if (const std::uintptr_t end = start + mapped; end > slab + kHugePageBytes)
    munmap(reinterpret_cast<void*>(slab + kHugePageBytes), end - slab - kHugePageBytes);
  adviseHugePages(reinterpret_cast<void*>(slab), kHugePageBytes);
  return reinterpret_cast<void*>(slab);
}

void releaseMappedMemory(void* bytes, std::size_t length) noexcept {
  munmap(bytes, length);
}
