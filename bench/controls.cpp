// Controls, snapshots and the simulated user: a scale-2 snapshot of a 1440 x 900 point window
// full of controls (rendering alone, and rendering plus PNG encoding, which is what
// Screen.snapshot returns), and one runModal round trip: an alert goes up on the main thread, the
// simulated user on a second thread finds and presses its button through the event path, and
// runModal returns the button's code.
#include <benchmark/benchmark.h>

#include "BenchmarkMain.h"

#include <semaphore>
#include <thread>

#include "appkit/application/NSApplication.h"
#include "appkit/controls/NSButton.h"
#include "appkit/controls/NSProgressIndicator.h"
#include "appkit/controls/NSTextField.h"
#include "appkit/panels/NSAlert.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "testkit/SimulatedUser.h"
#include "testkit/WindowSnapshot.h"

namespace {

// A 1440 x 900 window with 24 rows of a label, a text field, a progress bar, a check box and
// two push buttons (the second the default button): 144 controls.
NSWindow* windowFullOfControls() {
  NSWindow* window = NSWindow::alloc()->initWithContentRect(
      NSMakeRect(0, 0, 1440, 900 - kTitleBarHeight),
      NSWindowStyleMaskTitled | NSWindowStyleMaskClosable | NSWindowStyleMaskResizable,
      NSBackingStoreBuffered, false);
  window->setReleasedWhenClosed(false); // the caller's Ref owns it
  window->setTitle(NSSTR("Controls"));
  NSView* content = window->contentView();
  for (int row = 0; row < 24; ++row) {
    const CGFloat y = 840 - row * 35;
    NSAutoreleasePool pool;
    NSTextField* label = NSTextField::labelWithString(
        NSString::stringWithFormat("Setting number %d of the benchmark", row + 1));
    label->setFrame(NSMakeRect(20, y, 260, 20));
    content->addSubview(label);
    Ref<NSTextField> field =
        adopted(NSTextField::alloc()->initWithFrame(NSMakeRect(290, y, 300, 22)));
    field->setStringValue(NSSTR("Some text in a field, Grüße 😀"));
    content->addSubview(field);
    Ref<NSProgressIndicator> bar =
        adopted(NSProgressIndicator::alloc()->initWithFrame(NSMakeRect(610, y, 300, 20)));
    bar->setIndeterminate(false);
    bar->setDoubleValue(row * 4);
    content->addSubview(bar);
    Ref<NSButton> check = adopted(NSButton::alloc()->initWithFrame(NSMakeRect(930, y, 150, 20)));
    check->setButtonType(NSButtonTypeSwitch);
    check->setTitle(NSSTR("Enabled"));
    check->setState(row % 2);
    content->addSubview(check);
    for (int i = 0; i < 2; ++i) {
      Ref<NSButton> button =
          adopted(NSButton::alloc()->initWithFrame(NSMakeRect(1100 + i * 160, y - 5, 150, 32)));
      button->setTitle(i ? NSSTR("Apply") : NSSTR("Cancel"));
      if (i) button->setKeyEquivalent(NSSTR("\r"));
      content->addSubview(button);
    }
  }
  window->makeKeyAndOrderFront(nullptr);
  return window;
}

void BM_SnapshotWindowFullOfControlsScale2(benchmark::State& state) {
  NSThread::isMainThread();
  NSAutoreleasePool setup;
  Ref<NSWindow> window = adopted(windowFullOfControls());
  const bool encode = state.range(0) != 0;
  for (auto _ : state) {
    NSAutoreleasePool pool;
    if (encode)
      benchmark::DoNotOptimize(NSWindowSnapshotPNG(window, 2));
    else
      benchmark::DoNotOptimize(NSWindowSnapshotBitmap(window, 2));
  }
  state.SetLabel(encode ? "render + PNG" : "render only");
  window->close();
}
BENCHMARK(BM_SnapshotWindowFullOfControlsScale2)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_RunModalRoundTripAnsweredBySimulatedUser(benchmark::State& state) {
  NSThread::isMainThread();
  std::binary_semaphore alertIsUp{0};
  std::atomic<bool> finished{false};
  std::thread user([&] {
    for (;;) {
      alertIsUp.acquire();
      if (finished) return;
      SimulatedUser::pressButton(u"Continue");
    }
  });
  for (auto _ : state) {
    NSAutoreleasePool pool;
    Ref<NSAlert> alert = adopted(NSAlert::alloc()->init());
    alert->setMessageText(NSSTR("Continue the export?"));
    alert->addButtonWithTitle(NSSTR("Continue"));
    alert->addButtonWithTitle(NSSTR("Stop"));
    // Served by the modal loop once the panel is up: the user starts looking then.
    NSRunLoop::mainRunLoop().performAsync([&] { alertIsUp.release(); });
    if (alert->runModal() != NSAlertFirstButtonReturn) state.SkipWithError("wrong response");
  }
  finished = true;
  alertIsUp.release();
  user.join();
}
BENCHMARK(BM_RunModalRoundTripAnsweredBySimulatedUser)->Unit(benchmark::kMicrosecond);

} // namespace

BRIX_BENCHMARK_MAIN_ON_MAIN_THREAD()
