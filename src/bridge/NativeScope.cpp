#include "bridge/NativeScope.h"

#include <atomic>
#include <ctime>
#include <mutex>
#include <thread>

#include "foundation/NSLog.h"
#include "foundation/NSRunLoop.h"
#include "foundation/NSThread.h"

namespace brix {

namespace {

// Room for what a body makes on the main thread in one call; the frame is popped when it
// returns, so a main thread that never returns to Java piles nothing up.
constexpr jint kLocalFrameCapacity = 32;
// How often a waiting caller looks at a main thread that does not get to its call.
constexpr std::chrono::milliseconds kStuckCheckInterval{250};

// Main thread only: how many native calls it is carrying out for a waiting Java caller.
int javaCallDepth = 0;

struct CallerWaits {
  CallerWaits() { ++javaCallDepth; }
  ~CallerWaits() { --javaCallDepth; }
};

// Guards the handler's name. Held only to swap or retain a pointer; every upcall takes it twice,
// where an uncontended mutex costs a good part of the call's own overhead.
class HandlerNameLock {
public:
  void lock() {
    while (held_.test_and_set(std::memory_order_acquire))
      std::this_thread::yield();
  }
  void unlock() { held_.clear(std::memory_order_release); }

private:
  std::atomic_flag held_;
};

// The application handler the main thread is in: since when (monotonic nanoseconds, 0 for
// none) and its name (retained by its HandlerRun). Written on the main thread, read by waiting
// callers.
std::atomic<std::int64_t> handlerSince{0};
HandlerNameLock handlerNameLock;
NSString* handlerName = nullptr;
// The main thread's java.lang.Thread, whose state a waiting caller looks at; made once.
std::atomic<jobject> mainJavaThread{nullptr};

// The coarse monotonic clock: a handler is judged stuck after seconds, so its few milliseconds of
// resolution are plenty, and reading it costs a fraction of the precise clock on every upcall.
std::int64_t nowNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

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

// The name of a Java thread's state ("WAITING"), or of the calling thread with a null thread;
// empty when the JVM cannot tell. Leaves no exception pending.
std::string javaThreadText(JNIEnv* env, jobject thread, bool state) {
  std::string text;
  if (env->PushLocalFrame(8) != 0) {
    env->ExceptionClear();
    return text;
  }
  jclass threadClass = env->FindClass("java/lang/Thread");
  jobject subject = thread;
  if (threadClass && !subject) {
    jmethodID current =
        env->GetStaticMethodID(threadClass, "currentThread", "()Ljava/lang/Thread;");
    subject = current ? env->CallStaticObjectMethod(threadClass, current) : nullptr;
    if (env->ExceptionCheck()) subject = nullptr;
  }
  jobject value = nullptr;
  if (threadClass && subject && !env->ExceptionCheck()) {
    jmethodID getter = state
                           ? env->GetMethodID(threadClass, "getState", "()Ljava/lang/Thread$State;")
                           : env->GetMethodID(threadClass, "getName", "()Ljava/lang/String;");
    value = getter ? env->CallObjectMethod(subject, getter) : nullptr;
  }
  if (value && state && !env->ExceptionCheck()) {
    jclass stateClass = env->GetObjectClass(value);
    jmethodID name = env->GetMethodID(stateClass, "name", "()Ljava/lang/String;");
    value = name ? env->CallObjectMethod(value, name) : nullptr;
  }
  if (value && !env->ExceptionCheck()) {
    const char* chars = env->GetStringUTFChars(static_cast<jstring>(value), nullptr);
    if (chars) {
      text = chars;
      env->ReleaseStringUTFChars(static_cast<jstring>(value), chars);
    }
  }
  if (env->ExceptionCheck()) env->ExceptionClear();
  env->PopLocalFrame(nullptr);
  return text;
}

// True when the main thread has been inside one handler for longer than the limit, waiting
// rather than working, and the call has not started: the handler is most likely waiting for
// the caller, which waits for it.
bool stuckInHandler(JNIEnv* callerEnv, const NSRunLoop::Handover& handover) {
  const std::int64_t since = handlerSince.load();
  if (since == 0 || handover.hasStarted()) return false;
  if (nowNanoseconds() - since < std::chrono::nanoseconds(kStuckHandlerLimit).count()) return false;
  jobject thread = mainJavaThread.load();
  if (!thread) return false;
  const std::string state = javaThreadText(callerEnv, thread, true);
  return state == "WAITING" || state == "BLOCKED";
}

void reportStuckHandler(JNIEnv* callerEnv, const char* name) {
  NSString* handlerString = nullptr;
  {
    std::lock_guard lock(handlerNameLock);
    if (handlerName) handlerString = static_cast<NSString*>(handlerName->retain());
  }
  const std::string handler = handlerString ? handlerString->utf8() : std::string();
  if (handlerString) handlerString->release();
  const std::string caller = javaThreadText(callerEnv, nullptr, false);
  NSLog("%s was called on thread \"%s\" while the main thread waits inside the handler of "
        "\"%s\"; the handler seems to wait for that thread (SwingUtilities.invokeAndWait in a "
        "handler while Swing's event thread calls the library), so the call was not carried out",
        name, caller.c_str(), handler.c_str());
  const std::string message =
      std::string("IxaDialogs.") + name + " was not carried out: the main thread waits inside " +
      "the handler of \"" + handler + "\", which seems to wait for this thread";
  if (jclass type = callerEnv->FindClass("java/lang/IllegalStateException")) {
    callerEnv->ThrowNew(type, message.c_str());
    callerEnv->DeleteLocalRef(type);
  }
}

} // namespace

bool javaCallerWaits() {
  return javaCallDepth > 0;
}

HandlerRun::HandlerRun(JNIEnv* env, NSString* name)
    : name_(name ? static_cast<NSString*>(name->retain()) : nullptr),
      outerSince_(handlerSince.load()) {
  rememberMainJavaThread(env);
  const std::int64_t now = nowNanoseconds();
  std::lock_guard lock(handlerNameLock);
  outerName_ = handlerName;
  handlerName = name_;
  handlerSince = now;
}

HandlerRun::~HandlerRun() {
  {
    std::lock_guard lock(handlerNameLock);
    handlerName = outerName_;
    handlerSince = outerSince_;
  }
  if (name_) name_->release();
}

void onMainThreadForJava(JNIEnv* callerEnv, const char* name,
                         const std::function<void(JNIEnv*)>& work) noexcept {
  if (NSThread::isMainThread()) {
    CallerWaits waits;
    work(callerEnv);
    return;
  }
  JavaVM* vm = nullptr;
  callerEnv->GetJavaVM(&vm);
  // Set on the main thread, read here once the hand-over has finished.
  jobject thrown = nullptr;
  const auto handover = NSRunLoop::mainRunLoop().handOver([&] {
    JNIEnv* env = NSThread::mainThreadJNIEnv(vm);
    if (!env) {
      NSLog("%s: the main thread could not attach to the JVM; the call does nothing", name);
      return;
    }
    const bool framed = env->PushLocalFrame(kLocalFrameCapacity) == 0;
    if (framed) {
      CallerWaits waits;
      work(env);
    }
    // Whatever is pending is the caller's: an application handler's exception, or the JVM's
    // own error when even the frame could not be made.
    if (env->ExceptionCheck()) {
      jthrowable exception = env->ExceptionOccurred();
      env->ExceptionClear();
      thrown = env->NewGlobalRef(exception);
      env->DeleteLocalRef(exception);
    }
    if (framed) env->PopLocalFrame(nullptr);
  });
  while (!handover->waitFor(kStuckCheckInterval)) {
    if (stuckInHandler(callerEnv, *handover) && handover->withdraw()) {
      reportStuckHandler(callerEnv, name);
      return;
    }
  }
  if (thrown) {
    callerEnv->Throw(static_cast<jthrowable>(thrown));
    callerEnv->DeleteGlobalRef(thrown);
  }
}

} // namespace brix
