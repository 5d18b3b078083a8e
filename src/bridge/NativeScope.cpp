#include "bridge/NativeScope.h"

#include <atomic>
#include <mutex>

#include "bridge/JavaCallWait.h"
#include "bridge/JavaVm.h"
#include "bridge/Upcall.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/system/NSLog.h"

namespace brix {

namespace {

// Room for what a body makes on the main thread in one call; the frame is popped when it
// returns, so a main thread that never returns to Java piles nothing up.
constexpr jint kLocalFrameCapacity = 32;
// How often a waiting caller looks at a main thread that has not finished its call.
constexpr std::chrono::milliseconds kWatchInterval{250};
constexpr int kDeadlockStrikes = static_cast<int>(kDeadlockLimit / kWatchInterval);

// Main thread only: how many native calls it is carrying out for a waiting Java caller.
int javaCallDepth = 0;

struct CallerWaits {
  CallerWaits() {
    BRIX_ASSERT_MAIN_THREAD();
    ++javaCallDepth;
  }
  ~CallerWaits() { --javaCallDepth; }
};

// The application handler the main thread is in (retained by its HandlerRun), for the line a
// caller logs when it stops waiting. Written on the main thread, read by waiting callers.
std::mutex handlerNameLock;
NSString* handlerName = nullptr;
// The main thread's java.lang.Thread, whose locks a waiting caller looks at; made once.
std::atomic<jobject> mainJavaThread{nullptr};

void rememberMainJavaThread(JNIEnv* env) {
  if (mainJavaThread.load() || env->ExceptionCheck()) return;
  jclass threadClass = env->FindClass("java/lang/Thread");
  jmethodID current =
      threadClass ? env->GetStaticMethodID(threadClass, "currentThread", "()Ljava/lang/Thread;")
                  : nullptr;
  jobject thread = current ? env->CallStaticObjectMethod(threadClass, current) : nullptr;
  if (env->ExceptionCheck()) {
    env->ExceptionClear();
  } else if (thread) {
    // Kept for the life of the process, as the thread is.
    mainJavaThread = env->NewGlobalRef(thread);
  }
  if (thread) env->DeleteLocalRef(thread);
  if (threadClass) env->DeleteLocalRef(threadClass);
}

// Names the main thread to the Java side of the waits, once one exists (its class is then known).
void announceMainThreadOnce(JNIEnv* env) {
  BRIX_ASSERT_MAIN_THREAD();
  static bool announced = false;
  if (announced) return;
  rememberMainJavaThread(env);
  if (jobject thread = mainJavaThread.load()) {
    announceMainThread(env, thread);
    announced = true;
  }
}

// The calling thread's name; empty when the JVM cannot tell. Leaves no exception pending.
std::string currentThreadName(JNIEnv* env) {
  std::string text;
  if (env->PushLocalFrame(4) != 0) {
    env->ExceptionClear();
    return text;
  }
  jclass threadClass = env->FindClass("java/lang/Thread");
  jmethodID current =
      threadClass ? env->GetStaticMethodID(threadClass, "currentThread", "()Ljava/lang/Thread;")
                  : nullptr;
  jobject thread = current ? env->CallStaticObjectMethod(threadClass, current) : nullptr;
  if (env->ExceptionCheck()) thread = nullptr;
  jmethodID getName =
      thread ? env->GetMethodID(threadClass, "getName", "()Ljava/lang/String;") : nullptr;
  auto name = getName ? static_cast<jstring>(env->CallObjectMethod(thread, getName)) : nullptr;
  if (name && !env->ExceptionCheck()) {
    if (const char* chars = env->GetStringUTFChars(name, nullptr)) {
      text = chars;
      env->ReleaseStringUTFChars(name, chars);
    }
  }
  if (env->ExceptionCheck()) env->ExceptionClear();
  env->PopLocalFrame(nullptr);
  return text;
}

std::string runningHandlerName() {
  std::lock_guard lock(handlerNameLock);
  return handlerName ? handlerName->utf8() : std::string();
}

// The pending exception as a global reference, cleared; null when none is pending.
jthrowable takePendingException(JNIEnv* env) {
  if (!env->ExceptionCheck()) return nullptr;
  jthrowable exception = env->ExceptionOccurred();
  env->ExceptionClear();
  auto global = static_cast<jthrowable>(env->NewGlobalRef(exception));
  env->DeleteLocalRef(exception);
  return global;
}

void rethrow(JNIEnv* env, jthrowable exception) {
  env->Throw(exception);
  env->DeleteGlobalRef(exception);
}

// What the caller and the main thread share of one hand-over.
struct HandOverState {
  std::shared_ptr<HandedCall> call;
  const char* name;
  // ixa.internal.CallWait of the caller (a global reference), or null.
  jobject wait = nullptr;
  // The body's exception (a global reference), for the caller.
  jthrowable thrown = nullptr;
  // Set by whichever of the two is done with the call first; the other one cleans up.
  std::atomic<bool> settled{false};

  void cleanUp(JNIEnv* env) {
    call->release(env);
    if (wait) env->DeleteGlobalRef(wait);
    if (thrown) env->DeleteGlobalRef(thrown);
    wait = nullptr;
    thrown = nullptr;
  }
};

// After a body: the caller's loader goes back to what the main thread had, and outside any call
// to the loader of the class that stored the environment, which handlers run with between calls.
void restoreLoaderAfterCall(JNIEnv* env, jobject before) {
  jobject between = javaCallDepth == 0 ? rememberedCallerLoader() : nullptr;
  restoreContextLoader(env, between ? between : before);
}

// The main thread's side of a hand-over.
void carryOut(HandOverState& state, JavaVM* vm) {
  JNIEnv* env = mainThreadJavaEnv(vm);
  if (!env) {
    NSLog("%s: the main thread could not attach to the JVM; the call does nothing", state.name);
    state.settled = true;
    return;
  }
  // Pending from an upcall of the call whose modal loop serves this one: it is that call's.
  jthrowable setAside = takePendingException(env);
  if (state.wait) announceMainThreadOnce(env);
  if (env->PushLocalFrame(kLocalFrameCapacity) == 0) {
    jobject before = state.wait ? adoptCallerLoader(env, state.wait) : nullptr;
    {
      CallerWaits waits;
      state.call->run(env);
    }
    state.thrown = takePendingException(env);
    if (state.wait) restoreLoaderAfterCall(env, before);
    env->PopLocalFrame(nullptr);
  } else {
    state.thrown = takePendingException(env); // the JVM's own OutOfMemoryError
  }
  if (state.wait) finishCallWait(env, state.wait);
  if (state.settled.exchange(true)) {
    // The caller stopped waiting: what the body threw reaches nobody.
    if (state.thrown) {
      env->Throw(state.thrown);
      env->ExceptionDescribe();
      NSLog("%s threw after its caller stopped waiting; the exception was printed and cleared",
            state.name);
    }
    state.cleanUp(env);
  }
  if (setAside) rethrow(env, setAside);
}

// Waits for the hand-over on a thread that does not serve Swing's events, watching for a main
// thread blocked on a lock this thread holds; false when it was found so for long enough.
bool waitWatching(JNIEnv* callerEnv, NSRunLoop::Handover& handover, jobject wait) {
  int strikes = 0;
  while (!handover.waitFor(kWatchInterval)) {
    if (!wait) continue;
    strikes = mainWaitsForCaller(callerEnv, wait) ? strikes + 1 : 0;
    if (strikes >= kDeadlockStrikes) return false;
  }
  return true;
}

void reportDeadlock(JNIEnv* callerEnv, const char* name) {
  const std::string handler = runningHandlerName();
  const std::string caller = currentThreadName(callerEnv);
  NSLog("%s was called on thread \"%s\", and the handler of \"%s\" on \"%s\" waits for a lock "
        "that thread holds; the call stopped waiting and failed, the handler goes on",
        name, caller.c_str(), handler.c_str(), kMainThreadName);
  const std::string message = std::string("IxaDialogs.") + name +
                              " stopped waiting: the handler of \"" + handler +
                              "\" on the platform's main thread waits for a lock this thread holds";
  if (jclass type = callerEnv->FindClass("java/lang/IllegalStateException")) {
    callerEnv->ThrowNew(type, message.c_str());
    callerEnv->DeleteLocalRef(type);
  }
}

} // namespace

bool javaCallerWaits() {
  // An upcall on another thread has no waiting caller of its own to reach.
  return NSThread::isMainThread() && javaCallDepth > 0;
}

HandlerRun::HandlerRun(JNIEnv* env, NSString* name)
    : name_(name ? static_cast<NSString*>(name->retain()) : nullptr) {
  rememberMainJavaThread(env);
  std::lock_guard lock(handlerNameLock);
  outerName_ = handlerName;
  handlerName = name_;
}

HandlerRun::~HandlerRun() {
  {
    std::lock_guard lock(handlerNameLock);
    handlerName = outerName_;
  }
  if (name_) name_->release();
}

void runOnMainThreadItself(const std::function<void()>& work) noexcept {
  CallerWaits waits;
  work();
}

bool handToMainThread(JNIEnv* callerEnv, const char* name, ThreadRule rule,
                      const std::shared_ptr<HandedCall>& call) noexcept {
  bool exiting = NSThread::isExiting();
  jobject wait =
      exiting ? nullptr : beginCallWait(callerEnv, rule == ThreadRule::AppModal, exiting);
  if (exiting) {
    // The main thread may be the one inside System.exit, waiting for the hook that calls this.
    NSLog("%s was called while the JVM exits; it returns at once and does nothing", name);
    call->release(callerEnv);
    return false;
  }
  JavaVM* vm = nullptr;
  callerEnv->GetJavaVM(&vm);
  auto state = std::make_shared<HandOverState>();
  state->call = call;
  state->name = name;
  state->wait = wait;
  const auto handover = NSRunLoop::mainRunLoop().handOver([state, vm] { carryOut(*state, vm); });
  const bool servesEvents = wait && callWaitServesEvents(callerEnv, wait);
  bool finished =
      servesEvents ? awaitServingEvents(callerEnv, wait) : waitWatching(callerEnv, *handover, wait);
  if (!finished) {
    if (handover->withdraw()) {
      if (wait) finishCallWait(callerEnv, wait);
      state->cleanUp(callerEnv);
      reportDeadlock(callerEnv, name);
      return false;
    }
    // The main thread cleans up once the body ends, unless it has just ended.
    finished = state->settled.exchange(true);
    if (!finished) {
      reportDeadlock(callerEnv, name);
      return false;
    }
  }
  while (!handover->waitFor(std::chrono::hours(1))) {
  }
  call->deliver(callerEnv);
  jthrowable thrown = state->thrown;
  state->thrown = nullptr;
  state->cleanUp(callerEnv);
  if (thrown) rethrow(callerEnv, thrown);
  return true;
}

} // namespace brix
