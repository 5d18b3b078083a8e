// The restyling pass over many windows with full view trees, and the picture of a restyled
// full-screen window at scale 2.
//
// The pass logs every view of every window twice (the view-tree dump); run with 2>/dev/null to
// keep the terminal out of the measurement.
#include <benchmark/benchmark.h>

#include "BenchmarkMain.h"

#include "appkit/application/NSApplication.h"
#include "appkit/windows/NSWindow.h"
#include "chrome/Restyle.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "testkit/WindowSnapshot.h"

extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_modifyWindows(JNIEnv*, jclass);
extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_showSideRect(JNIEnv*, jclass);

namespace {

constexpr NSWindowStyleMask kToolkitStyle =
    NSWindowStyleMaskTitled | NSWindowStyleMaskClosable | NSWindowStyleMaskResizable;

// A window as a Java toolkit makes one, its content view holding `views` subviews: a filler
// that fills it, then smaller views.
NSWindow* openWindow(NSRect content, int views) {
  NSWindow* window =
      NSWindow::alloc()->initWithContentRect(content, kToolkitStyle, NSBackingStoreBuffered, false);
  NSView* contentView = window->contentView();
  for (int i = 0; i < views; ++i) {
    const NSRect frame =
        i == 0 ? contentView->bounds() : NSMakeRect(5.0 * (i % 20), 4.0 * (i / 20), 40, 20);
    NSView* view = NSView::alloc()->initWithFrame(frame);
    view->setAutoresizingMask(NSViewWidthSizable | NSViewHeightSizable);
    contentView->addSubview(view);
    view->release();
  }
  // Released when closed, which balances the alloc above.
  window->makeKeyAndOrderFront(nullptr);
  return window;
}

// The restyled windows are closed after each round; the views the pass adds belong to them and
// go with them, so memory stays flat.
void closeRestyledWindows() {
  for (NSWindow* window : NSApplication::sharedApplication()->windowList())
    if (window->isVisible()) window->close();
}

void BM_ModifyWindows(benchmark::State& state) {
  const int windowCount = static_cast<int>(state.range(0));
  const int viewsPerWindow = static_cast<int>(state.range(1));
  for (auto _ : state) {
    state.PauseTiming();
    NSAutoreleasePool setupPool;
    for (int i = 0; i < windowCount; ++i)
      openWindow(NSMakeRect(20.0 + i, 20.0 + i, 800, 600), viewsPerWindow);
    state.ResumeTiming();
    {
      NSAutoreleasePool pool;
      benchmark::DoNotOptimize(Java_ixa_IxaDialogs_modifyWindows(nullptr, nullptr));
    }
    state.PauseTiming();
    closeRestyledWindows();
    setupPool.drain();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * windowCount);
  state.counters["views"] = windowCount * viewsPerWindow;
}
BENCHMARK(BM_ModifyWindows)->Args({10, 100})->Args({100, 100})->Unit(benchmark::kMillisecond);

// A restyled window that fills the 1440 x 900 screen, side panel shown.
NSWindow* restyledFullScreenWindow() {
  static NSWindow* window = [] {
    NSAutoreleasePool pool;
    NSWindow* made = openWindow(NSMakeRect(0, 0, 1440, 900 - kTitleBarHeight), 100);
    Java_ixa_IxaDialogs_modifyWindows(nullptr, nullptr);
    Java_ixa_IxaDialogs_showSideRect(nullptr, nullptr);
    return made;
  }();
  return window;
}

void BM_SnapshotRestyledWindowAtScale2(benchmark::State& state) {
  NSWindow* window = restyledFullScreenWindow();
  for (auto _ : state) {
    NSAutoreleasePool pool;
    benchmark::DoNotOptimize(NSWindowSnapshotBitmap(window, 2));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SnapshotRestyledWindowAtScale2)->Unit(benchmark::kMillisecond);

void BM_SnapshotRestyledWindowAtScale2AsPNG(benchmark::State& state) {
  NSWindow* window = restyledFullScreenWindow();
  for (auto _ : state) {
    NSAutoreleasePool pool;
    benchmark::DoNotOptimize(NSWindowSnapshotPNG(window, 2));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SnapshotRestyledWindowAtScale2AsPNG)->Unit(benchmark::kMillisecond);

} // namespace

BRIX_BENCHMARK_MAIN_ON_MAIN_THREAD()
