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
#include <string>
#include <tuple>
#include <type_traits>

#include "foundation/NSAutoreleasePool.h"
#include "foundation/NSLog.h"
#include "foundation/NSString.h"
#include "foundation/NSThread.h"

namespace brix {

// Methods that touch the user interface run on the main thread; the others (a shell command, a
// system query) run on their caller's thread, so that a long command never stalls the windows.
enum class ThreadRule { MainThread, CallingThread };

// The autorelease pool of one native call on the thread that carries it out.
class NativeScope {
public:
  NativeScope() = default;
  NativeScope(const NativeScope&) = delete;
  NativeScope& operator=(const NativeScope&) = delete;

private:
  NSAutoreleasePool pool_;
};

// Carries work out on the main thread for the native method name, called with callerEnv on any
// thread, and waits for it; work receives the main thread's JNIEnv. On the main thread it runs
// at once with callerEnv. A Java exception work leaves pending is thrown again in the caller.
// Should the main thread be stuck in an application handler that waits, as far as the JVM
// tells, while the call has not even started, the call is withdrawn, logged, and an
// IllegalStateException is thrown instead of waiting forever (see kStuckHandlerLimit).
void onMainThreadForJava(JNIEnv* callerEnv, const char* name,
                         const std::function<void(JNIEnv*)>& work) noexcept;

// True while the main thread carries out a native call whose Java caller waits for it (or a
// native called on the main thread itself): an exception thrown by an upcall then has a caller
// to reach. Main thread only.
bool javaCallerWaits();

// How long a call waits for a main thread that has not started it and is inside an application
// handler that waits (a Java thread state of WAITING or BLOCKED), before it takes the handler to
// be waiting for the caller.
constexpr std::chrono::milliseconds kStuckHandlerLimit{2000};

// Marks the main thread as running the application's handler name for as long as it lives
// (upcalls nest), for the check above.
class HandlerRun {
public:
  HandlerRun(JNIEnv* env, NSString* name);
  ~HandlerRun();
  HandlerRun(const HandlerRun&) = delete;
  HandlerRun& operator=(const HandlerRun&) = delete;

private:
  // Retained: the handler may let go of the string it was called with while it runs.
  NSString* name_;
  std::int64_t outerSince_;
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

} // namespace detail

// Runs body as the native method name and returns what it returns (a body that returns nothing
// leaves the neutral answer, as does a body that throws, which is logged instead of unwinding
// into the JVM). args are the Java arguments body takes after its JNIEnv.
template <class Result, class Body, class... Args>
Result nativeMethod(JNIEnv* env, const char* name, Result neutral, JavaArguments<Args...> args,
                    Body&& body, ThreadRule rule = ThreadRule::MainThread) noexcept {
  const bool handedOver = rule == ThreadRule::MainThread && !NSThread::isMainThread();
  if (!handedOver) {
    if (rule == ThreadRule::CallingThread)
      return std::apply(
          [&](Args... values) { return detail::runBody(name, neutral, body, env, values...); },
          args.values);
    Result result = neutral;
    onMainThreadForJava(env, name, [&](JNIEnv*) {
      result = std::apply(
          [&](Args... values) { return detail::runBody(name, neutral, body, env, values...); },
          args.values);
    });
    return result;
  }
  Result result = neutral;
  std::apply(
      [&](Args... values) {
        const std::tuple<Args...> handed{detail::handOverArgument(env, values)...};
        onMainThreadForJava(env, name, [&](JNIEnv* mainEnv) {
          Result answer = std::apply(
              [&](Args... safe) { return detail::runBody(name, neutral, body, mainEnv, safe...); },
              handed);
          // A Java object answer outlives the main thread's local frame as a global reference.
          if constexpr (detail::isJavaObject<Result>)
            if (answer) answer = static_cast<Result>(mainEnv->NewGlobalRef(answer));
          result = answer;
        });
        if constexpr (detail::isJavaObject<Result>)
          if (result) {
            const Result global = result;
            // With the body's exception pending the answer is null, as it is on the main thread.
            result =
                env->ExceptionCheck() ? nullptr : static_cast<Result>(env->NewLocalRef(global));
            env->DeleteGlobalRef(global);
          }
        std::apply([&](Args... safe) { (detail::releaseArgument(env, safe), ...); }, handed);
      },
      args.values);
  return result;
}

template <class Result, class Body>
Result nativeMethod(JNIEnv* env, const char* name, Result neutral, Body&& body,
                    ThreadRule rule = ThreadRule::MainThread) noexcept {
  return nativeMethod(env, name, neutral, JavaArguments<>{}, std::forward<Body>(body), rule);
}

} // namespace brix
