// FavouredThread: one thread's per-thread state made reachable from a global, for the thread that
// makes nearly all objects (the platform's main thread). In a library loaded at run time, as the
// platform is in a JVM, every access to a thread-local variable is a call into the dynamic
// linker, and a large menu makes several per object (memory in and out, census in and out). The
// favoured thread is recognised by its thread pointer instead: one register read and a compare.
// Every other thread keeps using its thread-local state.
#pragma once

#include <pthread.h>

#include <atomic>

// The calling thread's thread pointer: unique among running threads, and read without a call
// where the compiler offers it.
inline const void* currentThreadPointer() noexcept {
#if defined(__has_builtin)
#if __has_builtin(__builtin_thread_pointer) && (defined(__x86_64__) || defined(__aarch64__))
#define BRIX_HAS_THREAD_POINTER_BUILTIN 1
#endif
#endif
#ifdef BRIX_HAS_THREAD_POINTER_BUILTIN
  return __builtin_thread_pointer();
#else
  return reinterpret_cast<const void*>(pthread_self());
#endif
}

template <class State> class FavouredThread {
public:
  // The favoured thread's state when called on it, else null.
  State* find() const noexcept {
    return thread_.load(std::memory_order_acquire) == currentThreadPointer() ? state_ : nullptr;
  }
  // Favours the calling thread, whose state is state, unless another thread is favoured already.
  bool favour(State* state) noexcept {
    const void* none = nullptr;
    // Marked as taken before state_ is written, so that two claims cannot race on it; no
    // thread's pointer equals the mark, so no one reads state_ meanwhile.
    if (!thread_.compare_exchange_strong(none, &state_, std::memory_order_acq_rel)) return false;
    state_ = state;
    thread_.store(currentThreadPointer(), std::memory_order_release);
    return true;
  }
  // Called by the favoured thread before its state goes (at its end); a later thread may be
  // favoured then. Does nothing on any other thread.
  void forgetThisThread() noexcept {
    const void* self = currentThreadPointer();
    thread_.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
  }

private:
  std::atomic<const void*> thread_{nullptr};
  State* state_ = nullptr;
};
