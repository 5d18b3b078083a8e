// Soak: each operation a Java application repeats, run 10,000 times after a warm-up of 1,000,
// with the growth of the process's resident memory per operation and the change of the census
// of live platform objects. Memory that comes back shows as growth near zero.
//
//   BRIX_JNI_CHECK=0 BRIX_MAIN_BUNDLE=$PWD/resources/Ixa.app build/bench_soak
#include <benchmark/benchmark.h>

#include "BenchmarkMain.h"
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

#include "IxaNatives.h"
#include "LibraryTesting.h"
#include "TestJvm.h"
#include "appkit/application/NSApplication.h"
#include "appkit/controls/NSButton.h"
#include "appkit/drawing/NSColor.h"
#include "appkit/panels/NSAlert.h"
#include "appkit/panels/NSColorPanel.h"
#include "bridge/Bridge.h"
#include "dialogs/SheetGlobals.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runtime/NSCensus.h"
#include "testkit/MenuUser.h"
#include "testkit/SimulatedUser.h"

namespace {

constexpr int kWarmUp = 1000;
constexpr int kRounds = 10000;

long residentBytes() {
  long pages = 0, resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * sysconf(_SC_PAGESIZE);
}

// Runs one operation as a native call from Java would: its own local frame and pool, then the
// run loop's pending work.
void runOnce(JNIEnv* env, const std::function<void(JNIEnv*)>& operation) {
  env->PushLocalFrame(32);
  {
    NSAutoreleasePool pool;
    operation(env);
  }
  NSRunLoop::mainRunLoop().runPending();
  env->PopLocalFrame(nullptr);
}

void soak(benchmark::State& state, const std::function<void(JNIEnv*)>& operation) {
  JNIEnv* env = testJniEnv();
  brix::_env = env;
  closeAllWindows();
  openTestWindow("Document");
  for (auto _ : state) {
    for (int i = 0; i < kWarmUp; ++i)
      runOnce(env, operation);
    malloc_trim(0);
    const long census = NSCensus::totalLiveObjects();
    const long before = residentBytes();
    for (int i = 0; i < kRounds; ++i)
      runOnce(env, operation);
    malloc_trim(0);
    state.counters["rss_bytes_per_op"] = static_cast<double>(residentBytes() - before) / kRounds;
    state.counters["census_change"] = static_cast<double>(NSCensus::totalLiveObjects() - census);
  }
  closeAllWindows();
}

jstring j(JNIEnv* env, const char* text) {
  return env->NewStringUTF(text);
}

void pressAlertButtonSoon(const char* title) {
  afterDelay(0, [title = std::string(title)] {
    if (NSAlert* alert = SimulatedUser::frontmostAlert())
      for (const auto& button : alert->buttonList())
        if (button->title()->utf8() == title) return button->performClick(nullptr);
  });
}

void pressSheetButton(const char* title) {
  if (NSWindow* sheet = brix::_textEntryWindow)
    for (const auto& view : sheet->contentView()->subviewList())
      if (auto* button = ns_cast<NSButton>(view.get()); button && button->title()->utf8() == title)
        return button->performClick(nullptr);
}

const char* const kMenu = R"([{"HEADER": "Open", "IDENTITY": "open"}, {"HEADER": "-"},
  {"HEADER": "Recent", "CHILDREN": [{"HEADER": "a.txt", "IDENTITY": "recent-a"}]}])";

void BM_Alert(benchmark::State& state) {
  soak(state, [](JNIEnv* env) {
    pressAlertButtonSoon("Keep");
    Java_ixa_IxaDialogs_showMacDialog(env, nullptr, j(env, "Delete?"), j(env, "For ever"),
                                      j(env, "Delete"), j(env, "Keep"));
  });
}

void BM_TextEntryAlert(benchmark::State& state) {
  soak(state, [](JNIEnv* env) {
    pressAlertButtonSoon("OK");
    Java_ixa_IxaDialogs_showMacTextEntryDialog(env, nullptr, j(env, "Name?"), j(env, ""),
                                               j(env, "OK"), j(env, "Cancel"), j(env, "Doc"));
  });
}

void BM_TextEntrySheet(benchmark::State& state) {
  soak(state, [](JNIEnv* env) {
    Java_ixa_IxaDialogs_showTextEntrySheetDialog(env, nullptr, j(env, "Rename"), j(env, "To:"),
                                                 j(env, "Save"), j(env, "Cancel"),
                                                 j(env, "SOAK_NOBODY"));
    pressSheetButton("Save");
  });
}

void BM_ProgressSheet(benchmark::State& state) {
  soak(state, [](JNIEnv* env) {
    Java_ixa_IxaDialogs_initProgressDialog(env, nullptr);
    Java_ixa_IxaDialogs_updateProgressDialog(env, nullptr, j(env, "Copying"), j(env, "1"), 50);
    Java_ixa_IxaDialogs_closeProgressDialog(env, nullptr);
  });
}

void BM_ContextMenuChosen(benchmark::State& state) {
  soak(state, [](JNIEnv* env) {
    afterDelay(0, [] { MenuUser::chooseMenuItem({u"Open"}); });
    Java_ixa_IxaDialogs_showMacContextMenuWithJSON(env, nullptr, 10, 20, j(env, kMenu));
  });
}

void BM_RenderButton(benchmark::State& state) {
  soak(state, [](JNIEnv* env) { Java_ixa_IxaDialogs_renderMacButton(env, nullptr, 0, 0, 0); });
}

void BM_ColourPanel(benchmark::State& state) {
  soak(state, [](JNIEnv* env) {
    Java_ixa_IxaDialogs_showMacColorPopover(env, nullptr, 0, 0);
    NSColorPanel::sharedColorPanel()->pickColor(NSColor::colorWithCalibratedRed(1, 0.5, 0, 1));
  });
}

void BM_ApplicationMenu(benchmark::State& state) {
  soak(state, [](JNIEnv* env) {
    NSApplication::sharedApplication()->setApplicationMenuTitles({u"About", u"-", u"Quit"});
    Java_ixa_IxaDialogs_modifyMenuBar(env, nullptr);
    Java_ixa_IxaDialogs_modifyMenuBar(env, nullptr);
  });
}

} // namespace

BENCHMARK(BM_Alert)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_TextEntryAlert)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_TextEntrySheet)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ProgressSheet)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ContextMenuChosen)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_RenderButton)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ColourPanel)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ApplicationMenu)->Iterations(1)->Unit(benchmark::kSecond);
BRIX_BENCHMARK_MAIN_ON_MAIN_THREAD()
