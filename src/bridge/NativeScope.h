// The shape every native method shares. nativeMethod() declares the result first (the neutral
// answer), carries the body out on the platform's main thread while the calling thread waits
// (at once when the caller is the main thread), opens the scope there (an autorelease pool
// drained when the body returns), lets no C++ exception reach the JVM, and returns once:
//
//   JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_closeProgressDialog(JNIEnv* env, jclass) noexcept {
//     return brix::nativeMethod(env, "closeProgressDialog", jint{1}, [] { ... });
//   }
//
// A body that uses Java objects takes them as parameters, after the JNIEnv of the thread it runs
// on, and names the caller's values with javaArguments:
//
//   return brix::nativeMethod(env, "showMacDialog", jint{0},
//                             brix::javaArguments(message, informative, first, second),
//                             [](JNIEnv* env, jstring message, ...) { ... });
//
// A local reference is valid only on the thread it was made on, so a body handed to the main
// thread receives global references to the same objects (released when it returns), and a Java
// object it returns comes back as a new local reference of the caller. A Java exception left
// pending by the body (an application handler that threw during the call) is thrown again in
// the caller's thread. A body that captures nothing cannot reach the caller's references by
// mistake.
#pragma once

#include <jni.h>

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>

#include "bridge/ScreenCheck.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/strings/NSString.h"
#include "foundation/system/NSLog.h"

namespace brix {

// Methods that touch the user interface run on the main thread; the others (a shell command, a
// system query) run on their caller's thread, so that a long command never stalls the windows.
// An application-modal call (an alert, a context menu) runs on the main thread, and while it runs
// the application's own AWT windows take no clicks or keys, as the platform's windows take none.
// Both need a screen, and throw java.awt.HeadlessException without one; work on the main thread
// that shows nothing (drawing off screen, relaunching) runs anyway.
enum class ThreadRule { MainThread, AppModal, CallingThread, MainThreadOffScreen };

// The autorelease pool of one native call on the thread that carries it out.
class NativeScope {
public:
  NativeScope() = default;
  NativeScope(const NativeScope&) = delete;
  NativeScope& operator=(const NativeScope&) = delete;

private:
  NSAutoreleasePool pool_;
};

// One call handed to the main thread by a Java thread that waits for it. The caller and the main
// thread share it, so that a caller that stops waiting leaves the body to finish alone, and
// whichever of the two finishes last lets go of the call's global references.
class HandedCall {
public:
  virtual ~HandedCall() = default;
  // On the main thread: runs the body with the main thread's environment.
  virtual void run(JNIEnv* mainEnv) noexcept = 0;
  // On the calling thread, once the body has finished: takes over its answer.
  virtual void deliver(JNIEnv* callerEnv) noexcept = 0;
  // Lets go of the call's global references (any thread's environment will do).
  virtual void release(JNIEnv* env) noexcept = 0;
};

// Carries call out on the main thread for the native method name, called with callerEnv on
// another thread, and waits for it. Swing's event dispatch thread waits in an AWT secondary
// loop, serving Swing's events as a modal dialog does; other threads sleep. The body starts with
// no Java exception pending (one an earlier upcall left is set aside and restored for its own
// call afterwards) and with the caller's context class loader.
//
// True when the body ran to its end: its answer was delivered, and a Java exception it left
// pending is thrown again in the caller. False when it was not carried out because the JVM is
// exiting (logged), or when the caller stopped waiting because the main thread is blocked on a
// lock the caller holds (logged, IllegalStateException thrown in the caller; the body goes on).
bool handToMainThread(JNIEnv* callerEnv, const char* name, ThreadRule rule,
                      const std::shared_ptr<HandedCall>& call) noexcept;

// Runs work at once for a native method called on the main thread itself (from a handler).
void runOnMainThreadItself(const std::function<void()>& work) noexcept;

// True while the main thread carries out a native call whose Java caller waits for it (or a
// native called on the main thread itself): an exception thrown by an upcall then has a caller
// to reach. False on any other thread.
bool javaCallerWaits();

// How long a caller watches a main thread blocked on a lock the caller holds before it stops
// waiting: long enough that a lock held for a moment never counts.
constexpr std::chrono::milliseconds kDeadlockLimit{1000};

// Marks the main thread as running the application's handler name for as long as it lives
// (upcalls nest), so that a caller that stops waiting can say which handler holds it up.
class HandlerRun {
public:
  HandlerRun(JNIEnv* env, NSString* name);
  ~HandlerRun();
  HandlerRun(const HandlerRun&) = delete;
  HandlerRun& operator=(const HandlerRun&) = delete;

private:
  // Retained: the handler may let go of the string it was called with while it runs.
  NSString* name_;
  NSString* outerName_ = nullptr;
  // The handler is Java code, where the main thread may stay while the process exits.
  NSThread::CallingOut callingOut_;
};

template <class... Args> struct JavaArguments { std::tuple<Args...> values; };
template <class... Args> JavaArguments<Args...> javaArguments(Args... args) {
  return JavaArguments<Args...>{std::tuple<Args...>(args...)};
}

namespace detail {

template <class T> constexpr bool isJavaObject = std::is_convertible_v<T, jobject>;

// A caller's argument as the main thread may use it.
template <class T> T handOverArgument(JNIEnv* callerEnv, T value) {
  if constexpr (isJavaObject<T>)
    return value ? static_cast<T>(callerEnv->NewGlobalRef(value)) : value;
  else
    return value;
}
template <class T> void releaseArgument(JNIEnv* callerEnv, T value) {
  if constexpr (isJavaObject<T>)
    if (value) callerEnv->DeleteGlobalRef(value);
}

template <class Body, class... Args>
decltype(auto) invokeBody(Body& body, JNIEnv* env, Args... args) {
  if constexpr (std::is_invocable_v<Body&>)
    return body();
  else
    return body(env, args...);
}

// A body that shows windows: without a screen it does nothing and leaves HeadlessException
// pending for the caller (which then ignores the answer). A screen lost while it ran (an alert
// or a menu that nobody could answer, ended) is reported the same way.
template <class Body> struct OnScreen {
  const char* name;
  Body body;
  template <class... Args> auto operator()(JNIEnv* env, Args... args) {
    using Answer = decltype(invokeBody(body, env, args...));
    if constexpr (std::is_void_v<Answer>) {
      if (!screenAvailable(env, name)) return;
      invokeBody(body, env, args...);
      screenAvailable(env, name);
    } else {
      if (!screenAvailable(env, name)) return Answer{};
      Answer answer = invokeBody(body, env, args...);
      screenAvailable(env, name);
      return answer;
    }
  }
};

// Runs body inside the scope; the neutral answer stands when it returns nothing or throws.
template <class Result, class Body, class... Args>
Result runBody(const char* name, Result neutral, Body& body, JNIEnv* env, Args... args) noexcept {
  Result result = neutral;
  NativeScope scope;
  try {
    if constexpr (std::is_void_v<decltype(invokeBody(body, env, args...))>)
      invokeBody(body, env, args...);
    else
      result = invokeBody(body, env, args...);
  } catch (const std::exception& error) {
    NSLog("%s failed: %s", name, error.what());
  } catch (...) {
    NSLog("%s failed", name);
  }
  return result;
}

// A call of body with the caller's arguments, handed to the main thread: Java objects travel as
// global references, and a Java object answer comes back as one.
template <class Result, class Body, class... Args> class HandedCallOf final : public HandedCall {
public:
  HandedCallOf([[maybe_unused]] JNIEnv* callerEnv, const char* name, Result neutral, Body body,
               Args... args)
      : name_(name), neutral_(neutral), body_(std::move(body)),
        arguments_(handOverArgument(callerEnv, args)...), answer_(neutral), delivered_(neutral) {}

  void run(JNIEnv* env) noexcept override {
    Result answer = std::apply(
        [&](Args... safe) { return runBody(name_, neutral_, body_, env, safe...); }, arguments_);
    if constexpr (isJavaObject<Result>) {
      // With the body's exception pending the answer is null, as it is on the main thread.
      answer = answer && !env->ExceptionCheck() ? static_cast<Result>(env->NewGlobalRef(answer))
                                                : nullptr;
    }
    answer_ = answer;
  }

  void deliver(JNIEnv* callerEnv) noexcept override {
    if constexpr (isJavaObject<Result>)
      delivered_ = answer_ && !callerEnv->ExceptionCheck()
                       ? static_cast<Result>(callerEnv->NewLocalRef(answer_))
                       : nullptr;
    else
      delivered_ = answer_;
  }

  void release(JNIEnv* env) noexcept override {
    std::apply([&](Args... safe) { (releaseArgument(env, safe), ...); }, arguments_);
    if constexpr (isJavaObject<Result>)
      if (answer_) env->DeleteGlobalRef(answer_);
    answer_ = neutral_;
  }

  Result delivered() const { return delivered_; }

private:
  const char* name_;
  Result neutral_;
  Body body_;
  std::tuple<Args...> arguments_;
  Result answer_;
  Result delivered_;
};

template <class Result, class Body, class... Args>
Result runNative(JNIEnv* env, const char* name, Result neutral, JavaArguments<Args...> args,
                 Body&& body, ThreadRule rule) noexcept {
  const auto runHere = [&] {
    return std::apply(
        [&](Args... values) { return detail::runBody(name, neutral, body, env, values...); },
        args.values);
  };
  if (rule == ThreadRule::CallingThread) return runHere();
  if (NSThread::isMainThread()) {
    Result result = neutral;
    runOnMainThreadItself([&] { result = runHere(); });
    return result;
  }
  using Call = detail::HandedCallOf<Result, std::decay_t<Body>, Args...>;
  const auto call = std::apply(
      [&](Args... values) {
        return std::make_shared<Call>(env, name, neutral, std::forward<Body>(body), values...);
      },
      args.values);
  return handToMainThread(env, name, rule, call) ? call->delivered() : neutral;
}

} // namespace detail

// Runs body as the native method name and returns what it returns (a body that returns nothing
// leaves the neutral answer, as does a body that throws, which is logged instead of unwinding
// into the JVM). args are the Java arguments body takes after its JNIEnv.
template <class Result, class Body, class... Args>
Result nativeMethod(JNIEnv* env, const char* name, Result neutral, JavaArguments<Args...> args,
                    Body&& body, ThreadRule rule = ThreadRule::MainThread) noexcept {
  if (rule == ThreadRule::MainThread || rule == ThreadRule::AppModal)
    return detail::runNative(env, name, neutral, args,
                             detail::OnScreen<std::decay_t<Body>>{name, std::forward<Body>(body)},
                             rule);
  return detail::runNative(env, name, neutral, args, std::forward<Body>(body), rule);
}

template <class Result, class Body>
Result nativeMethod(JNIEnv* env, const char* name, Result neutral, Body&& body,
                    ThreadRule rule = ThreadRule::MainThread) noexcept {
  return nativeMethod(env, name, neutral, JavaArguments<>{}, std::forward<Body>(body), rule);
}

} // namespace brix
