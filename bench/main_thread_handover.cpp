// The hand-over of a call from another thread to the platform's main thread, which serves its
// run loop by itself, and back: what every call of the library from Swing's event thread or a
// worker pays on top of its own work. Each benchmark reports the median and the 90th
// percentile of single round trips as counters.
//  - HandOverEmptyTask: NSRunLoop::performOnMain with an empty task;
//  - NativeMethodHandOver: a native method with an empty body, JNI frame and exception hand-back
//    included;
//  - NativeMethodHandOverWithString: the same with one Java string argument (a global reference
//    each way).
//
//   BRIX_JNI_CHECK=0 BRIX_MAIN_BUNDLE=$PWD/resources/Ixa.app build-bench/bench_main_thread_handover
//     --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "TestJvm.h"
#include "bridge/NativeScope.h"
#include "foundation/runloop/NSRunLoop.h"

namespace {

using Clock = std::chrono::steady_clock;

// Times call once per iteration and reports the median and the 90th percentile in microseconds.
template <class Call> void roundTrips(benchmark::State& state, Call call) {
  std::vector<double> samples;
  samples.reserve(1 << 16);
  for (auto _ : state) {
    const auto start = Clock::now();
    call();
    samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  std::sort(samples.begin(), samples.end());
  state.counters["median_us"] = samples[samples.size() / 2];
  state.counters["p90_us"] = samples[samples.size() * 9 / 10];
}

void HandOverEmptyTask(benchmark::State& state) {
  NSRunLoop& loop = NSRunLoop::mainRunLoop();
  roundTrips(state, [&] { loop.performOnMain([] {}); });
}
BENCHMARK(HandOverEmptyTask)->UseRealTime()->MinTime(2);

void NativeMethodHandOver(benchmark::State& state) {
  JNIEnv* env = testJniEnv();
  roundTrips(state, [&] { benchmark::DoNotOptimize(brix::nativeMethod(env, "empty", 0, [] {})); });
}
BENCHMARK(NativeMethodHandOver)->UseRealTime()->MinTime(2);

void NativeMethodHandOverWithString(benchmark::State& state) {
  JNIEnv* env = testJniEnv();
  jstring text = env->NewStringUTF("an argument");
  roundTrips(state, [&] {
    benchmark::DoNotOptimize(brix::nativeMethod(env, "string", 0, brix::javaArguments(text),
                                                [](JNIEnv*, jstring) { return 1; }));
  });
  env->DeleteLocalRef(text);
}
BENCHMARK(NativeMethodHandOverWithString)->UseRealTime()->MinTime(2);

} // namespace

// Run on the program's own thread: the platform's main thread is the other side.
BENCHMARK_MAIN();
