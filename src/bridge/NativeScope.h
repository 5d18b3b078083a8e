// The shape every native method shares. nativeMethod() declares the result first (the neutral
// answer), opens the scope (an autorelease pool drained when the method returns, and the thread
// rule), runs the body only when the method may run on this thread, lets no C++ exception reach
// the JVM, and returns once:
//
//   JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_closeProgressDialog(JNIEnv*, jclass) noexcept {
//     return brix::nativeMethod("closeProgressDialog", jint{1}, [&] { ... });
//   }
#pragma once

#include <exception>
#include <type_traits>

#include "foundation/NSAutoreleasePool.h"
#include "foundation/NSLog.h"

namespace brix {

// Methods that touch the user interface run on the main thread only; the others (shell
// commands, system queries) run on any thread and never claim it as the main one.
enum class ThreadRule { MainOnly, AnyThread };

class NativeScope {
public:
  explicit NativeScope(const char* methodName, ThreadRule rule = ThreadRule::MainOnly);
  NativeScope(const NativeScope&) = delete;
  NativeScope& operator=(const NativeScope&) = delete;

  // False when the method may not run on this thread: a method that touches the user interface
  // called off the main thread logs one line and gives its neutral answer.
  bool mayRun() const { return mayRun_; }

private:
  NSAutoreleasePool pool_;
  bool mayRun_;
};

// Runs body as the native method name and returns what it returns (a body that returns nothing
// leaves the neutral answer). The neutral answer also stands when the method may not run here or
// the body throws, which is logged instead of unwinding into the JVM.
template <class Result, class Body>
Result nativeMethod(const char* name, Result neutral, Body&& body,
                    ThreadRule rule = ThreadRule::MainOnly) noexcept {
  Result result = neutral;
  NativeScope scope(name, rule);
  if (scope.mayRun()) {
    try {
      if constexpr (std::is_void_v<decltype(body())>)
        body();
      else
        result = body();
    } catch (const std::exception& error) {
      NSLog("%s failed: %s", name, error.what());
    } catch (...) {
      NSLog("%s failed", name);
    }
  }
  return result;
}

} // namespace brix
