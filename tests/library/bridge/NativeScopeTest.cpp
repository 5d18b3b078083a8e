// The shape of every native method: its body runs on the platform's main thread whichever
// thread calls it, with the caller's Java arguments usable there, its answer and any Java
// exception handed back to the caller, an autorelease pool per call, and no C++ exception let
// out.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "LibraryTesting.h"
#include "TestJvm.h"
#include "bridge/Bridge.h"
#include "bridge/NativeScope.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/strings/NSString.h"
#include "foundation/system/NSLog.h"

extern "C" jint Java_ixa_IxaDialogs_renderMacButton(JNIEnv*, jclass, jdouble, jdouble,
                                                    jlong) noexcept;

namespace {

// Runs call on a thread of its own, attached to the JVM, while this (the main) thread serves
// the run loop, as a Java program's own threads call the library.
template <class Call> void fromAnotherThread(Call call) {
  std::atomic<bool> done{false};
  std::thread caller([&] {
    JNIEnv* env = testJniEnv();
    env->PushLocalFrame(16);
    call(env);
    env->PopLocalFrame(nullptr);
    testJavaVm()->DetachCurrentThread();
    done = true;
    NSRunLoop::mainRunLoop().wakeUp();
  });
  NSRunLoop::mainRunLoop().runUntil([&] { return done.load(); });
  caller.join();
}

} // namespace

TEST(NativeScope, DrainsWhatTheCallAutoreleased) {
  std::size_t inside = 0;
  {
    brix::NativeScope scope;
    NSSTR("temporary");
    inside = NSAutoreleasePool::pendingCount();
  }
  EXPECT_GE(inside, 1u);
  EXPECT_EQ(NSAutoreleasePool::pendingCount(), 0u);
}

TEST(NativeMethod, GivesTheBodysAnswerOrTheNeutralOneAndLetsNoExceptionOut) {
  JNIEnv* env = testJniEnv();
  EXPECT_EQ(brix::nativeMethod(env, "answer", 0, [] { return 7; }), 7);
  int ran = 0;
  EXPECT_EQ(brix::nativeMethod(env, "acts", 1, [&] { ++ran; }), 1);
  EXPECT_EQ(ran, 1);

  NSLogClearBuffer();
  EXPECT_EQ(brix::nativeMethod(env, "throws", -1,
                               []() -> int { throw std::runtime_error("no more memory"); }),
            -1);
  EXPECT_EQ(brix::nativeMethod(env, "throwsAnything", 1, []() -> int { throw 42; }), 1);
  EXPECT_EQ(NSLogBufferedLines(),
            (std::vector<std::string>{"throws failed: no more memory", "throwsAnything failed"}));
}

// A call from another thread is carried out on the main thread while its caller waits: the
// body sees the main thread's environment and the caller's strings, and its string answer
// arrives as the caller's own reference.
TEST(NativeMethod, AnotherThreadsCallRunsOnTheMainThreadWithItsArgumentsAndAnswer) {
  JNIEnv* mainEnv = testJniEnv();
  bool ranOnMain = false;
  JNIEnv* bodyEnv = nullptr;
  std::u16string answer;
  fromAnotherThread([&](JNIEnv* env) {
    jstring text = testJavaString(env, u"Grüße \U0001F600");
    jstring result = brix::nativeMethod(
        env, "echo", jstring{nullptr}, brix::javaArguments(text, 2.5),
        [&](JNIEnv* env, jstring text, double number) {
          ranOnMain = NSThread::isMainThread();
          bodyEnv = env;
          NSString* value = jstringToNSString(env, text);
          return nstringToJString(
              env, NSString::stringWithFormat("%s %g", value->utf8().c_str(), number));
        });
    expectNoPendingException(env);
    answer = testJavaStringValue(env, result);
  });
  EXPECT_TRUE(ranOnMain);
  EXPECT_EQ(bodyEnv, mainEnv);
  EXPECT_EQ(answer, u"Grüße \U0001F600 2.5");
}

// A Java exception the body leaves pending (an application handler that threw) reaches the
// caller on its own thread, and nothing stays pending on the main thread.
TEST(NativeMethod, AJavaExceptionOfTheBodyReachesTheCallersThread) {
  JNIEnv* mainEnv = testJniEnv();
  std::u16string message;
  int answer = 0;
  fromAnotherThread([&](JNIEnv* env) {
    answer = brix::nativeMethod(env, "throwsJava", 1, [](JNIEnv* env) {
      jclass type = env->FindClass("java/lang/IllegalArgumentException");
      env->ThrowNew(type, "thrown on the main thread");
      return 5;
    });
    jthrowable thrown = env->ExceptionOccurred();
    ASSERT_NE(thrown, nullptr);
    env->ExceptionClear();
    jclass throwable = env->FindClass("java/lang/Throwable");
    jmethodID getMessage = env->GetMethodID(throwable, "getMessage", "()Ljava/lang/String;");
    auto text = static_cast<jstring>(env->CallObjectMethod(thrown, getMessage));
    expectNoPendingException(env);
    message = testJavaStringValue(env, text);
  });
  EXPECT_EQ(answer, 5);
  EXPECT_EQ(message, u"thrown on the main thread");
  EXPECT_FALSE(mainEnv->ExceptionCheck());
}

// The natives that remember the environment keep the main thread's, where the upcalls run,
// whichever thread called them; the calling-thread rule keeps a body on its caller's thread.
TEST(NativeMethod, TheRememberedEnvironmentIsTheMainThreadsAndCallingThreadBodiesStayPut) {
  JNIEnv* mainEnv = testJniEnv();
  brix::_env = nullptr;
  bool bodyOnMain = true;
  JNIEnv* callerEnv = nullptr;
  fromAnotherThread([&](JNIEnv* env) {
    callerEnv = env;
    EXPECT_EQ(Java_ixa_IxaDialogs_renderMacButton(env, nullptr, 10, 10, 0), 0);
    brix::nativeMethod(
        env, "stays", 0, [&] { bodyOnMain = NSThread::isMainThread(); },
        brix::ThreadRule::CallingThread);
  });
  EXPECT_NE(callerEnv, mainEnv);
  EXPECT_EQ(brix::_env, mainEnv);
  EXPECT_FALSE(bodyOnMain);
}

// An exception pending on the main thread when another thread's call is served (an upcall of the
// call whose modal loop serves it threw) is not that call's: its body starts without it, and it
// is pending again afterwards for its own call.
TEST(NativeMethod, AnExceptionPendingOnTheMainThreadStaysWithItsOwnCall) {
  JNIEnv* mainEnv = testJniEnv();
  jclass type = mainEnv->FindClass("java/lang/IllegalStateException");
  mainEnv->ThrowNew(type, "an earlier upcall's");
  bool pendingInBody = true;
  bool pendingInCaller = true;
  fromAnotherThread([&](JNIEnv* env) {
    EXPECT_EQ(brix::nativeMethod(env, "served", 0,
                                 [&](JNIEnv* env) {
                                   pendingInBody = env->ExceptionCheck();
                                   return 7;
                                 }),
              7);
    pendingInCaller = env->ExceptionCheck();
  });
  EXPECT_FALSE(pendingInBody);
  EXPECT_FALSE(pendingInCaller);
  ASSERT_TRUE(mainEnv->ExceptionCheck());
  mainEnv->ExceptionClear();
  mainEnv->DeleteLocalRef(type);
}
