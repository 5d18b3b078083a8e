// ThreadCache<State>: a thread's own cache of some shared resource (the small-object memory's
// free blocks, the autorelease pools' spare pages), which it hands back when the thread ends.
//
// The state lives in a thread-local that needs no constructor and no destructor, so it stays
// usable to the thread's very end, after other thread-locals have gone: an autorelease pool
// drained by a later destructor still frees into it. State must be constant-initialisable and
// trivially destructible (plain fields and pointers), with a member handBack() that returns
// what it holds and leaves it empty. handBack() runs once, as the thread ends, if the thread
// called arm() (cheap after the first call; call it when the state first holds something).
// After that the state must send its user to the shared resource (handBack leaves it so).
#pragma once

#include <type_traits>

template <class State> class ThreadCache {
  static_assert(std::is_trivially_destructible_v<State>,
                "a thread cache's state must outlive the thread's other thread-locals");

public:
  static State& state() noexcept { return state_; }
  static void arm() noexcept {
    if (armed_ || ended_) return;
    armed_ = true;
    // The first use of the exit object registers its destructor for the thread's end.
    static_cast<void>(exit_.touched);
  }

private:
  struct Exit {
    bool touched = true;
    ~Exit() {
      state_.handBack();
      ended_ = true;
    }
  };
  static constinit thread_local State state_;
  static constinit thread_local bool armed_;
  static constinit thread_local bool ended_;
  static thread_local Exit exit_;
};

template <class State> constinit thread_local State ThreadCache<State>::state_{};
template <class State> constinit thread_local bool ThreadCache<State>::armed_ = false;
template <class State> constinit thread_local bool ThreadCache<State>::ended_ = false;
template <class State> thread_local typename ThreadCache<State>::Exit ThreadCache<State>::exit_;
