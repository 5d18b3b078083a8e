// BRIX_ASSERT(condition, "what the caller did wrong"): a rule of the platform that a caller can
// break (a thread it must be on, a lock it must hold, a reference it must own), checked where
// the rule is. On in Debug and sanitizer builds, where a broken rule prints where and why, then
// aborts; compiled out otherwise, condition and all.
#pragma once

#if BRIX_ASSERTIONS
#define BRIX_ASSERT(condition, message)                                                            \
  ((condition) ? static_cast<void>(0)                                                              \
               : brixAssertionFailed(#condition, message, __FILE__, __LINE__))
#else
// Not evaluated; named only so that what a check alone uses counts as used.
#define BRIX_ASSERT(condition, message) static_cast<void>(sizeof(!(condition)))
#endif

// Prints the broken rule and aborts.
[[noreturn]] void brixAssertionFailed(const char* condition, const char* message, const char* file,
                                      int line) noexcept;
