// The main() of a benchmark program whose benchmarks use platform classes directly: they run on
// the platform's main thread, as the tests do.
#pragma once

#include <benchmark/benchmark.h>

#include "OnMainThread.h"

#define BRIX_BENCHMARK_MAIN_ON_MAIN_THREAD()                                                       \
  int main(int argc, char** argv) {                                                                \
    benchmark::Initialize(&argc, argv);                                                            \
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;                              \
    return runOnMainThread([] {                                                                    \
      benchmark::RunSpecifiedBenchmarks();                                                         \
      benchmark::Shutdown();                                                                       \
      return 0;                                                                                    \
    });                                                                                            \
  }
