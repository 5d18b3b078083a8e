// The progress update (applied with its forced redraw, and filtered repeats) and the upcall into
// Java, beside two references measured in the same run: the bare lookup-and-call pattern, and
// the same call with class and method cached.
#include <benchmark/benchmark.h>

#include "BenchmarkMain.h"

#include "LibraryTesting.h"
#include "TestJvm.h"
#include "bridge/Bridge.h"
#include "bridge/Upcall.h"
#include "dialogs/SheetGlobals.h"
#include "foundation/runtime/NSAutoreleasePool.h"

extern "C" {
jint Java_ixa_IxaDialogs_initProgressDialog(JNIEnv*, jclass);
jint Java_ixa_IxaDialogs_updateProgressDialog(JNIEnv*, jclass, jstring, jstring, jdouble);
}

namespace {

void BM_ProgressUpdateApplied(benchmark::State& state) {
  JNIEnv* env = testJniEnv();
  closeAllWindows();
  openTestWindow("Main");
  Java_ixa_IxaDialogs_initProgressDialog(env, nullptr);
  jstring title = env->NewStringUTF("Copying files");
  jstring message = env->NewStringUTF("file 12 of 100");
  double value = 0;
  for (auto _ : state) {
    value = value >= 100 ? 0 : value + 0.5; // never a repeat
    Java_ixa_IxaDialogs_updateProgressDialog(env, nullptr, title, message, value);
  }
  state.counters["updates/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  env->DeleteLocalRef(title);
  env->DeleteLocalRef(message);
}

void BM_ProgressUpdateFilteredRepeat(benchmark::State& state) {
  JNIEnv* env = testJniEnv();
  closeAllWindows();
  openTestWindow("Main");
  Java_ixa_IxaDialogs_initProgressDialog(env, nullptr);
  jstring title = env->NewStringUTF("Copying files");
  Java_ixa_IxaDialogs_updateProgressDialog(env, nullptr, title, title, 42);
  for (auto _ : state)
    Java_ixa_IxaDialogs_updateProgressDialog(env, nullptr, title, title, 42);
  state.counters["repeats/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  env->DeleteLocalRef(title);
}

void BM_UpcallLibrary(benchmark::State& state) {
  JNIEnv* env = testJniEnv();
  brix::_env = env;
  NSAutoreleasePool pool;
  NSString* name = NSSTR("BENCH_NOBODY");
  NSString* value = NSSTR("value");
  for (auto _ : state)
    brix::callNamedRunnable(name, value);
}

// The pattern as first written: convert, look up, call; nothing checked, nothing released.
void BM_UpcallBarePattern(benchmark::State& state) {
  JNIEnv* env = testJniEnv();
  for (auto _ : state) {
    // The frame keeps the benchmark's own references bounded; the library pays for one too.
    env->PushLocalFrame(16);
    jstring name = env->NewStringUTF("BENCH_NOBODY");
    jstring value = env->NewStringUTF("value");
    jclass ixa = env->FindClass("ixa/Ixa");
    jmethodID method =
        env->GetStaticMethodID(ixa, "callNamedRunnable", "(Ljava/lang/String;Ljava/lang/String;)V");
    env->CallStaticVoidMethod(ixa, method, name, value);
    env->PopLocalFrame(nullptr);
  }
}

void BM_UpcallCached(benchmark::State& state) {
  JNIEnv* env = testJniEnv();
  auto ixa = static_cast<jclass>(env->NewGlobalRef(env->FindClass("ixa/Ixa")));
  jmethodID method =
      env->GetStaticMethodID(ixa, "callNamedRunnable", "(Ljava/lang/String;Ljava/lang/String;)V");
  for (auto _ : state) {
    jstring name = env->NewStringUTF("BENCH_NOBODY");
    jstring value = env->NewStringUTF("value");
    env->CallStaticVoidMethod(ixa, method, name, value);
    env->DeleteLocalRef(name);
    env->DeleteLocalRef(value);
  }
  env->DeleteGlobalRef(ixa);
}

} // namespace

BENCHMARK(BM_ProgressUpdateApplied);
BENCHMARK(BM_ProgressUpdateFilteredRepeat);
BENCHMARK(BM_UpcallLibrary);
BENCHMARK(BM_UpcallBarePattern);
BENCHMARK(BM_UpcallCached);
BRIX_BENCHMARK_MAIN_ON_MAIN_THREAD()
