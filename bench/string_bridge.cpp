// Java <-> NSString conversion against the JVM's own copy of the same strings
// (GetStringUTFChars + NewStringUTF), in a real JVM. Reported as bytes of modified UTF-8 per
// second, so 20-character and 1 MiB strings compare directly.
#include <benchmark/benchmark.h>

#include "BenchmarkMain.h"

#include <string>

#include "TestJvm.h"
#include "bridge/Bridge.h"
#include "foundation/runtime/NSAutoreleasePool.h"

namespace {

std::u16string makeText(std::size_t characters, bool mixed) {
  const std::u16string ascii = u"The quick brown fox jumps over the lazy dog. ";
  const std::u16string scripts =
      u"Gr\u00FC\u00DFe \u6771\u4EAC \U0001F600 \u0645\u0631\u062D\u0628\u0627 ";
  const std::u16string& unit = mixed ? scripts : ascii;
  std::u16string text;
  while (text.size() < characters)
    text += unit;
  text.resize(characters);
  if (mixed && (text.back() & 0xFC00) == 0xD800) text.back() = u'x'; // no split pair at the end
  return text;
}

struct Sample {
  jstring java;
  std::size_t utf8Bytes;
};

Sample sample(JNIEnv* env, std::size_t characters, bool mixed) {
  jstring local = testJavaString(env, makeText(characters, mixed));
  Sample s{static_cast<jstring>(env->NewGlobalRef(local)),
           static_cast<std::size_t>(env->GetStringUTFLength(local))};
  env->DeleteLocalRef(local);
  return s;
}

void BM_LibraryRoundTrip(benchmark::State& state) {
  JNIEnv* env = testJniEnv();
  Sample s = sample(env, static_cast<std::size_t>(state.range(0)), state.range(1));
  for (auto _ : state) {
    NSAutoreleasePool pool;
    jstring back = nstringToJString(env, jstringToNSString(env, s.java));
    benchmark::DoNotOptimize(back);
    env->DeleteLocalRef(back);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.utf8Bytes));
  env->DeleteGlobalRef(s.java);
}

void BM_JvmOwnRoundTrip(benchmark::State& state) {
  JNIEnv* env = testJniEnv();
  Sample s = sample(env, static_cast<std::size_t>(state.range(0)), state.range(1));
  for (auto _ : state) {
    const char* bytes = env->GetStringUTFChars(s.java, nullptr);
    jstring back = env->NewStringUTF(bytes);
    env->ReleaseStringUTFChars(s.java, bytes);
    benchmark::DoNotOptimize(back);
    env->DeleteLocalRef(back);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.utf8Bytes));
  env->DeleteGlobalRef(s.java);
}

void BM_JavaToNSString(benchmark::State& state) {
  JNIEnv* env = testJniEnv();
  Sample s = sample(env, static_cast<std::size_t>(state.range(0)), state.range(1));
  for (auto _ : state) {
    NSAutoreleasePool pool;
    benchmark::DoNotOptimize(jstringToNSString(env, s.java));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.utf8Bytes));
  env->DeleteGlobalRef(s.java);
}

// Arguments: characters, mixed scripts (0 = ASCII).
void sizes(benchmark::internal::Benchmark* b) {
  b->Args({20, 0})->Args({20, 1})->Args({1 << 20, 0})->Args({1 << 20, 1});
}

} // namespace

BENCHMARK(BM_LibraryRoundTrip)->Apply(sizes);
BENCHMARK(BM_JvmOwnRoundTrip)->Apply(sizes);
BENCHMARK(BM_JavaToNSString)->Apply(sizes);
BRIX_BENCHMARK_MAIN_ON_MAIN_THREAD()
