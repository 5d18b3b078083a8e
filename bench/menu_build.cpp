// The context-menu path from JSON text to a complete menu tree with its targets
// (brix::buildContextMenu, without the pop-up), beside its floors measured in the same binary on
// the same generated text: simdjson's parse alone, simdjson into a plain tree of structs, and
// NSJSONSerialization into Foundation objects.
// Each reports microseconds of CPU time of the benchmark's thread per item ("us_per_item").
//
//   build-*/bench_menu_build --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include "BenchmarkMain.h"
#include <simdjson.h>
#include <time.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "MenuJsonGenerator.h"
#include "appkit/menus/NSMenu.h"
#include "foundation/json/NSJSONSerialization.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "menus/ContextMenu.h"

namespace {

// One generated text per size, shared by the three benchmarks so that they measure the same
// bytes.
const menu_json::GeneratedMenu& menuText(std::size_t items) {
  static std::map<std::size_t, menu_json::GeneratedMenu> texts;
  auto found = texts.find(items);
  if (found == texts.end())
    found = texts.emplace(items, menu_json::MenuJsonGenerator().generate(items)).first;
  return found->second;
}

double threadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void reportPerItem(benchmark::State& state, const menu_json::GeneratedMenu& menu,
                   double cpuSeconds) {
  const double items = static_cast<double>(state.iterations()) * static_cast<double>(menu.items);
  state.counters["us_per_item"] = cpuSeconds * 1e6 / items;
  state.counters["items"] = static_cast<double>(menu.items);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * menu.text.size()));
}

// What a context-menu record means, read the way the library reads it, without Foundation.
struct MenuRecord {
  std::string header, identity, shortcut;
  bool separator = false, stateOn = false, disabled = false;
  int indentation = 0;
  std::vector<MenuRecord> children;
};

int indentationOf(simdjson::dom::element value) {
  if (int64_t number; value.get(number) == simdjson::SUCCESS) return static_cast<int>(number);
  if (double number; value.get(number) == simdjson::SUCCESS) return static_cast<int>(number);
  if (std::string_view text; value.get(text) == simdjson::SUCCESS)
    return std::atoi(std::string(text).c_str());
  return 0;
}

void readRecords(simdjson::dom::array records, std::vector<MenuRecord>& out) {
  out.reserve(records.size());
  for (simdjson::dom::element element : records) {
    simdjson::dom::object record;
    if (element.get(record) != simdjson::SUCCESS) continue;
    std::string_view header;
    if (record["HEADER"].get(header) != simdjson::SUCCESS) continue;
    MenuRecord& item = out.emplace_back();
    if (header == "-") {
      item.separator = true;
      continue;
    }
    item.header = header;
    std::string_view text;
    if (record["IDENTITY"].get(text) == simdjson::SUCCESS) item.identity = text;
    if (record["KEYBOARDSHORTCUT"].get(text) == simdjson::SUCCESS) item.shortcut = text;
    if (record["STATE"].get(text) == simdjson::SUCCESS) item.stateOn = text == "1";
    if (record["DISABLED"].get(text) == simdjson::SUCCESS) item.disabled = text == "1";
    if (auto indentation = record["INDENTATION"]; !indentation.error())
      item.indentation = indentationOf(indentation.value_unsafe());
    simdjson::dom::array children;
    if (record["CHILDREN"].get(children) == simdjson::SUCCESS) readRecords(children, item.children);
  }
}

void BM_SimdjsonParse(benchmark::State& state) {
  const auto& menu = menuText(static_cast<std::size_t>(state.range(0)));
  simdjson::dom::parser parser;
  const double start = threadCpuSeconds();
  for (auto _ : state) {
    auto document = parser.parse(menu.text);
    if (document.error()) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(document.value_unsafe());
  }
  reportPerItem(state, menu, threadCpuSeconds() - start);
}

void BM_SimdjsonToStructs(benchmark::State& state) {
  const auto& menu = menuText(static_cast<std::size_t>(state.range(0)));
  simdjson::dom::parser parser;
  const double start = threadCpuSeconds();
  for (auto _ : state) {
    simdjson::dom::array records;
    if (parser.parse(menu.text).get(records) != simdjson::SUCCESS)
      state.SkipWithError("parse failed");
    std::vector<MenuRecord> tree;
    readRecords(records, tree);
    benchmark::DoNotOptimize(tree.data());
  }
  reportPerItem(state, menu, threadCpuSeconds() - start);
}

void BM_NSJSONSerialization(benchmark::State& state) {
  const auto& menu = menuText(static_cast<std::size_t>(state.range(0)));
  NSAutoreleasePool outer;
  NSData* data = NSData::dataWithBytes(menu.text.data(), menu.text.size());
  const double start = threadCpuSeconds();
  for (auto _ : state) {
    // The pool's drain frees the tree, as the native call's pool does.
    NSAutoreleasePool pool;
    NSObject* tree = NSJSONSerialization::JSONObjectWithData(data, 0, nullptr);
    if (!tree) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(tree);
  }
  reportPerItem(state, menu, threadCpuSeconds() - start);
}

void BM_BuildContextMenu(benchmark::State& state) {
  const auto& menu = menuText(static_cast<std::size_t>(state.range(0)));
  NSAutoreleasePool outer;
  NSString* text = NSString::stringWithUTF8String(menu.text.c_str());
  double buildSeconds = 0;
  for (auto _ : state) {
    double start = threadCpuSeconds();
    NSMenu* built = nullptr;
    {
      NSAutoreleasePool pool;
      NSMenuItem* positioningItem = nullptr;
      built = brix::buildContextMenu(text, &positioningItem);
      benchmark::DoNotOptimize(positioningItem);
    }
    buildSeconds += threadCpuSeconds() - start;
    if (built->numberOfItems() == 0) state.SkipWithError("nothing was built");
  }
  reportPerItem(state, menu, buildSeconds);
}

BENCHMARK(BM_SimdjsonParse)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_SimdjsonToStructs)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_NSJSONSerialization)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_BuildContextMenu)->Arg(1000)->Arg(10000)->Arg(100000);

} // namespace

BRIX_BENCHMARK_MAIN_ON_MAIN_THREAD()
