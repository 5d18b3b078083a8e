#include "foundation/runtime/MappedSlabs.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

void* mapSlab() {
  // Twice the size, so that an aligned slab lies inside; the rest goes back at once.
  const std::size_t mapped = 2 * kSlabBytes;
  void* region = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (region == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(region);
  const std::uintptr_t slab = (start + kSlabBytes - 1) & ~(kSlabBytes - 1);
  if (slab > start) munmap(region, slab - start);
  if (const std::uintptr_t end = start + mapped; end > slab + kSlabBytes)
    munmap(reinterpret_cast<void*>(slab + kSlabBytes), end - slab - kSlabBytes);
  return reinterpret_cast<void*>(slab);
}

void releaseMappedMemory(void* bytes, std::size_t length) noexcept {
  munmap(bytes, length);
}
