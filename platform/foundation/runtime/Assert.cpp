#include "foundation/runtime/Assert.h"

#include <cstdio>
#include <cstdlib>

void brixAssertionFailed(const char* condition, const char* message, const char* file,
                         int line) noexcept {
  std::fprintf(stderr, "%s:%d: BRIX_ASSERT(%s) failed: %s\n", file, line, condition, message);
  std::fflush(stderr);
  std::abort();
}
