// The main run loop and the testkit's view of the screen:
//  - PerformOnMain: the round trip of a task that another thread hands to the main thread while
//    the main thread serves its loop (what every off-main testkit call pays);
//  - ClickDispatch: one mouse-down/mouse-up pair through the queue, NSApp, hit testing in a
//    view tree of the given depth, and the display pass;
//  - Describe: Screen.describe()'s JSON for 10 windows of the given number of views each,
//    reported per view.
//
//   build-*/bench_appkit_runloop --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include "BenchmarkMain.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "appkit/application/NSApplication.h"
#include "appkit/application/NSEvent.h"
#include "appkit/windows/NSWindow.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "testkit/ScreenDescription.h"

namespace {

constexpr NSWindowStyleMask kStyle = NSWindowStyleMaskTitled | NSWindowStyleMaskResizable;

NSWindow* makeWindow(NSRect frame) {
  NSWindow* window = NSWindow::alloc()->initWithContentRect(
      NSWindow::contentRectForFrameRect(frame, kStyle), kStyle, NSBackingStoreBuffered, false);
  window->setReleasedWhenClosed(false);
  window->makeKeyAndOrderFront(nullptr);
  return window;
}

// A chain of nested views, each inset by one point, so that a click in the middle is hit-tested
// through all of them; plus siblings so that each level has several subviews to look at.
void fillWithViews(NSView* root, int depth, int siblingsPerLevel) {
  NSView* parent = root;
  for (int level = 0; level < depth; ++level) {
    const NSRect bounds = parent->bounds();
    for (int i = 0; i < siblingsPerLevel; ++i) {
      Ref<NSView> sibling = adopted(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 1, 1)));
      parent->addSubview(sibling);
    }
    Ref<NSView> child = adopted(NSView::alloc()->initWithFrame(NSInsetRect(bounds, 1, 1)));
    parent->addSubview(child);
    parent = child;
  }
}

void PerformOnMain(benchmark::State& state) {
  NSApplication::sharedApplication();
  NSRunLoop& loop = NSRunLoop::mainRunLoop();
  double totalMicroseconds = 0;
  for (auto _ : state) {
    const auto start = NSRunLoop::Clock::now();
    std::atomic<bool> done{false};
    std::thread caller([&] {
      for (int i = 0; i < 1000; ++i)
        loop.performOnMain([] {});
      done = true;
      loop.wakeUp();
    });
    loop.runUntil([&] { return done.load(); });
    caller.join();
    totalMicroseconds +=
        std::chrono::duration<double, std::micro>(NSRunLoop::Clock::now() - start).count();
  }
  state.counters["us_per_call"] =
      totalMicroseconds / (static_cast<double>(state.iterations()) * 1000);
}
BENCHMARK(PerformOnMain)->UseRealTime()->Unit(benchmark::kMillisecond);

void ClickDispatch(benchmark::State& state) {
  NSAutoreleasePool pool;
  NSWindow* window = makeWindow(NSMakeRect(0, 0, 1000, 1000));
  fillWithViews(window->contentView(), static_cast<int>(state.range(0)), 4);
  NSRunLoop& loop = NSRunLoop::mainRunLoop();
  loop.runPending();
  for (auto _ : state) {
    NSAutoreleasePool turn;
    for (NSEventType type : {NSEventTypeLeftMouseDown, NSEventTypeLeftMouseUp})
      loop.postEvent(NSEvent::mouseEventWithType(type, NSMakePoint(500, 500), 0, 0,
                                                 window->windowNumber(), nullptr, 0, 1, 1));
    loop.runPending();
  }
  window->close();
  window->release();
}
BENCHMARK(ClickDispatch)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

void Describe(benchmark::State& state) {
  NSAutoreleasePool pool;
  const int viewsPerWindow = static_cast<int>(state.range(0));
  std::vector<NSWindow*> windows;
  for (int i = 0; i < 10; ++i) {
    NSWindow* window = makeWindow(NSMakeRect(i * 10, i * 10, 800, 600));
    fillWithViews(window->contentView(), viewsPerWindow / 5, 4);
    windows.push_back(window);
  }
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string text = ScreenDescription::describe();
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["views"] = 10.0 * (viewsPerWindow / 5) * 5;
  for (NSWindow* window : windows) {
    window->close();
    window->release();
  }
}
BENCHMARK(Describe)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

} // namespace

BRIX_BENCHMARK_MAIN_ON_MAIN_THREAD()
