// Slabs of memory mapped straight from the system, for the small-object memory's chunks: each
// slab is aligned to its size, so that a chunk cut from it is aligned to the chunk's.
#pragma once

#include <cstddef>

inline constexpr std::size_t kSlabBytes = std::size_t{2} << 20;

// kSlabBytes of fresh memory aligned to kSlabBytes; throws std::bad_alloc when the system has
// none. Given back, whole or in parts aligned to 4 KB, with releaseMappedMemory.
void* mapSlab();
void releaseMappedMemory(void* bytes, std::size_t length) noexcept;
