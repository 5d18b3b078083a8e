// The cost of running a shell command through runCommand (spawn, read to end of file, decode,
// reap) and of building the relaunch text for a long command line.
#include <benchmark/benchmark.h>

#include "BenchmarkMain.h"

#include "foundation/runtime/NSAutoreleasePool.h"
#include "system/RelaunchTask.h"
#include "system/System.h"

static void BM_RunCommandTrue(benchmark::State& state) {
  for (auto _ : state) {
    NSAutoreleasePool pool;
    benchmark::DoNotOptimize(runCommand(NSSTR("true")));
  }
}
BENCHMARK(BM_RunCommandTrue)->Unit(benchmark::kMicrosecond);

static void BM_RunCommandOneMegabyte(benchmark::State& state) {
  for (auto _ : state) {
    NSAutoreleasePool pool;
    benchmark::DoNotOptimize(runCommand(NSSTR("head -c 1048576 /dev/zero")));
  }
  state.SetBytesProcessed(state.iterations() * 1048576);
}
BENCHMARK(BM_RunCommandOneMegabyte)->Unit(benchmark::kMicrosecond);

static void BM_RelaunchCommandText(benchmark::State& state) {
  NSAutoreleasePool outer;
  NSMutableArray* words = NSMutableArray::array();
  for (int i = 0; i < 200; ++i)
    words->addObject(NSSTR("/opt/it's a $path/with `quotes`.jar"));
  for (auto _ : state) {
    NSAutoreleasePool pool;
    benchmark::DoNotOptimize(brix::relaunchCommandText(2.0, words));
  }
}
BENCHMARK(BM_RelaunchCommandText);

BRIX_BENCHMARK_MAIN_ON_MAIN_THREAD()
