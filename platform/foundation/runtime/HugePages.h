// Memory that a large burst of work sweeps through (the objects of a large menu, the text being
// parsed) is better backed by the system's 2 MB pages: one page fault and one TLB entry per 2 MB
// instead of 512 of each, which under a hypervisor's nested page tables is most of what such a
// sweep costs beyond the cache. These ask for them where the system offers them on request
// (Linux transparent huge pages in "madvise" mode) and do nothing elsewhere.
#pragma once

#include <cstddef>

inline constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

// Asks for huge pages for the whole 2 MB pages inside [bytes, bytes + length); best done before
// the memory is first touched. Only a hint: memory stays correct either way.
void adviseHugePages(void* bytes, std::size_t length) noexcept;

// kHugePageBytes of fresh memory aligned to kHugePageBytes, advised as above; throws
// std::bad_alloc when the system has none. Given back, whole or in parts aligned to 4 KB, with
// releaseMappedMemory.
void* mapHugePageSlab();
void releaseMappedMemory(void* bytes, std::size_t length) noexcept;
