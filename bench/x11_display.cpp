// The X11 display on a private Xvfb that this program starts and stops itself:
//  - FullRedraw: drawing a whole 800 x 600 window with a few controls at scale 1 into its
//    picture and uploading it to the server (CPU time of the drawing thread);
//  - ClickToAction: a real click, made through the server's XTEST extension by a connection
//    of this program's own, until the button under it has sent its action; median of 50;
//  - AlertShown: from runModal's start until the server shows the alert mapped and drawn, as a
//    connection of this program's own sees it; median of 50.
//
//   build-bench/bench_x11_display --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "OnMainThread.h"
#include "PrivateXvfb.h"
#include "appkit/application/NSApplication.h"
#include "appkit/controls/NSButton.h"
#include "appkit/controls/NSTextField.h"
#include "appkit/panels/NSAlert.h"
#include "appkit/windows/NSWindow.h"
#include "display/DisplayBackend.h"
#include "display/x11/X11Display.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runtime/NSAutoreleasePool.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSamples = 50;

const std::string xvfbState = std::string(BRIX_BINARY_DIR) + "/bench-xvfb";

X11Display* liveDisplay() {
  return dynamic_cast<X11Display*>(&DisplayBackend::current());
}

constexpr NSWindowStyleMask kStyle =
    NSWindowStyleMaskTitled | NSWindowStyleMaskClosable | NSWindowStyleMaskResizable;

NSWindow* makeWindow(NSRect frame) {
  NSWindow* window = NSWindow::alloc()->initWithContentRect(
      NSWindow::contentRectForFrameRect(frame, kStyle), kStyle, NSBackingStoreBuffered, false);
  window->setReleasedWhenClosed(false);
  window->setTitle(NSSTR("Benchmark"));
  window->makeKeyAndOrderFront(nullptr);
  return window;
}

// Serves the main run loop until done() or five seconds; done()'s last answer.
bool serveUntil(const std::function<bool()>& done) {
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (Clock::now() < deadline)
    if (NSRunLoop::mainRunLoop().runUntil(done, Clock::now() + std::chrono::milliseconds(1)))
      return true;
  return done();
}

bool isViewable(xcb_connection_t* c, xcb_window_t window) {
  if (!window) return false;
  auto* reply = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
  const bool viewable = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
  std::free(reply);
  return viewable;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// Records when its action arrives.
class ClickTarget : public NSObject {
  NS_OBJECT_CLASS(ClickTarget)

public:
  std::atomic<int> clicks{0};

protected:
  std::span<const NSActionEntry> actionTable() const override {
    static const NSActionEntry table[] = {
        {sel("clicked:"), [](NSObject* r, NSObject*) { ++static_cast<ClickTarget*>(r)->clicks; }},
    };
    return table;
  }
};

// A window with what a dialog of the application holds: labels, fields and buttons.
void fillWindow(NSWindow* window) {
  NSView* content = window->contentView();
  for (int row = 0; row < 8; ++row) {
    const CGFloat y = 520 - row * 60;
    NSTextField* label = NSTextField::labelWithString(NSSTR("A label of the dialog"));
    label->setFrame(NSMakeRect(20, y, 200, 24));
    content->addSubview(label);
    Ref<NSTextField> field =
        adopted(NSTextField::alloc()->initWithFrame(NSMakeRect(240, y, 300, 24)));
    field->setStringValue(NSSTR("Some text in a field"));
    content->addSubview(field.get());
    Ref<NSButton> button =
        adopted(NSButton::alloc()->initWithFrame(NSMakeRect(580, y - 4, 180, 32)));
    button->setTitle(NSSTR("Button"));
    content->addSubview(button.get());
  }
}

void FullRedraw(benchmark::State& state) {
  NSAutoreleasePool pool;
  NSWindow* window = makeWindow(NSMakeRect(100, 100, 800, 600));
  fillWindow(window);
  X11Display* display = liveDisplay();
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  serveUntil([&] { return isViewable(c, display->xWindowOf(window->windowNumber())); });
  for (auto _ : state) {
    NSAutoreleasePool turn;
    window->display();
    // One round trip of our own keeps the server from falling behind the uploads.
    state.PauseTiming();
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    state.ResumeTiming();
  }
  state.counters["scale"] = display->backingScaleFactor();
  xcb_disconnect(c);
  window->close();
  window->release();
}
BENCHMARK(FullRedraw)->Unit(benchmark::kMillisecond);

void ClickToAction(benchmark::State& state) {
  NSAutoreleasePool pool;
  NSWindow* window = makeWindow(NSMakeRect(200, 200, 400, 300));
  Ref<ClickTarget> target = adopted(ClickTarget::alloc()->init());
  Ref<NSButton> button = adopted(NSButton::alloc()->initWithFrame(NSMakeRect(100, 100, 200, 60)));
  button->setTitle(NSSTR("Click"));
  button->setTarget(target.get());
  button->setAction(sel("clicked:"));
  window->contentView()->addSubview(button.get());
  X11Display* display = liveDisplay();
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  serveUntil([&] { return isViewable(c, display->xWindowOf(window->windowNumber())); });
  // The button's middle on the screen.
  const NSPoint middle = button->convertPointToView(NSMakePoint(100, 30), nullptr);
  const int x = static_cast<int>(200 + middle.x);
  const int y = static_cast<int>(display->screenFrame().size.height - (200 + middle.y));
  xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, static_cast<int16_t>(x),
                      static_cast<int16_t>(y), 0);
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  serveUntil([] { return false; });
  std::vector<double> latencies;
  for (auto _ : state) {
    latencies.clear();
    for (int i = 0; i < kSamples; ++i) {
      const int before = target->clicks;
      // Far enough apart not to count as a double click.
      const auto start = Clock::now();
      xcb_test_fake_input(c, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, root, 0, 0, 0);
      xcb_test_fake_input(c, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, root, 0, 0, 0);
      xcb_flush(c);
      serveUntil([&] { return target->clicks > before; });
      latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      const auto pause = Clock::now() + std::chrono::milliseconds(450);
      serveUntil([&] { return Clock::now() >= pause; });
    }
  }
  state.counters["median_ms"] = median(latencies);
  state.counters["max_ms"] = *std::max_element(latencies.begin(), latencies.end());
  xcb_disconnect(c);
  window->close();
  window->release();
}
BENCHMARK(ClickToAction)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void AlertShown(benchmark::State& state) {
  NSAutoreleasePool pool;
  NSWindow* owner = makeWindow(NSMakeRect(100, 100, 800, 600));
  X11Display* display = liveDisplay();
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  serveUntil([&] { return isViewable(c, display->xWindowOf(owner->windowNumber())); });
  std::vector<double> latencies;
  for (auto _ : state) {
    latencies.clear();
    for (int i = 0; i < kSamples; ++i) {
      NSAutoreleasePool turn;
      Ref<NSAlert> alert = adopted(NSAlert::alloc()->init());
      alert->setMessageText(NSSTR("Save the changes to the document?"));
      alert->setInformativeText(NSSTR("Your changes are lost if you don't save them."));
      alert->addButtonWithTitle(NSSTR("Save"));
      alert->addButtonWithTitle(NSSTR("Cancel"));
      const NSInteger number = alert->window()->windowNumber();
      std::atomic<bool> shown{false};
      Clock::time_point start, seen;
      // Another connection watches the server: the alert's window viewable, and its message's
      // row no longer the window's plain background.
      std::thread watcher([&] {
        xcb_connection_t* w = xcb_connect(nullptr, nullptr);
        while (!shown) {
          const xcb_window_t id = display->xWindowOf(number);
          if (isViewable(w, id)) {
            auto* image = xcb_get_image_reply(
                w, xcb_get_image(w, XCB_IMAGE_FORMAT_Z_PIXMAP, id, 0, 0, 40, 40, ~0u), nullptr);
            bool drawn = false;
            if (image) {
              const auto* pixels = reinterpret_cast<const uint32_t*>(xcb_get_image_data(image));
              for (int p = 0; p < 40 * 40 && !drawn; ++p)
                drawn = (pixels[p] & 0xffffff) != 0xffffff;
            }
            std::free(image);
            if (drawn) {
              seen = Clock::now();
              shown = true;
              NSRunLoop::mainRunLoop().performAsync(
                  [] { NSApplication::sharedApplication()->abortModal(); });
              NSRunLoop::mainRunLoop().wakeUp();
            }
          }
          std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        xcb_disconnect(w);
      });
      start = Clock::now();
      alert->runModal();
      watcher.join();
      latencies.push_back(std::chrono::duration<double, std::milli>(seen - start).count());
    }
  }
  state.counters["median_ms"] = median(latencies);
  state.counters["max_ms"] = *std::max_element(latencies.begin(), latencies.end());
  xcb_disconnect(c);
  owner->close();
  owner->release();
}
BENCHMARK(AlertShown)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

// The benchmarks run on an Xvfb of their own, started before the display is first used and
// stopped at the end whatever DISPLAY was.
int main(int argc, char** argv) {
  PrivateXvfb xvfb(xvfbState);
  if (!xvfb.started()) return 1;
  int status = 0;
  if (!liveDisplay()) {
    std::fprintf(stderr, "the X11 display did not open on %s\n", xvfb.display().c_str());
    status = 1;
  } else {
    benchmark::Initialize(&argc, argv);
    // The benchmarks use platform classes directly: they run on the platform's main thread,
    // which serves the run loop, as the tests do.
    status = runOnMainThread([] {
      benchmark::RunSpecifiedBenchmarks();
      benchmark::Shutdown();
      return 0;
    });
  }
  if (!xvfb.stop()) status = 1;
  return status;
}
