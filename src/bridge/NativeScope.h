// The scope every native method opens first. It provides an autorelease pool drained when the
// method returns, and the main-thread rule: a native method called on any thread but the main
// one does not touch the user interface; it logs one line and returns its neutral result.
#pragma once

#include "NSAutoreleasePool.h"

namespace brix {

// Methods that touch the user interface run on the main thread only; the others (shell
// commands, system queries) run on any thread and never claim it as the main one.
enum class ThreadRule { MainOnly, AnyThread };

class NativeScope {
public:
  explicit NativeScope(const char* methodName, ThreadRule rule = ThreadRule::MainOnly);
  NativeScope(const NativeScope&) = delete;
  NativeScope& operator=(const NativeScope&) = delete;

  // False when the method may not run on this thread; the caller then returns at once.
  bool onMainThread() const { return onMainThread_; }

private:
  NSAutoreleasePool pool_;
  bool onMainThread_;
};

} // namespace brix
