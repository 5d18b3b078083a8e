// The main run loop: dispatch timing, blocks holding their objects, hand-over of work from other
// threads (also inside modal loops), and the main-thread rule.
#include <atomic>
#include <chrono>
#include <thread>

#include "AppKitFixture.h"
#include "dispatch/dispatch.h"
#include "foundation/system/NSLog.h"

using RunLoop = AppKitTest;
using namespace std::chrono_literals;

namespace {
NSRunLoop& loop() {
  return NSRunLoop::mainRunLoop();
}
} // namespace

// dispatch_after runs its block on the main thread, never before its time, blocks due at the
// same time in the order they were scheduled, dispatch_async before a later dispatch_after.
TEST_F(RunLoop, DispatchAfterFiresOnTimeInOrder) {
  std::vector<int> order;
  const auto start = NSRunLoop::Clock::now();
  NSRunLoop::Clock::time_point firedAt;
  const dispatch_time_t when = dispatch_time(DISPATCH_TIME_NOW, 100000000);
  dispatch_after(when, dispatch_get_main_queue(), [&] {
    order.push_back(1);
    firedAt = NSRunLoop::Clock::now();
  });
  dispatch_after(when, dispatch_get_main_queue(), [&] { order.push_back(2); });
  dispatch_async(dispatch_get_main_queue(), [&] { order.push_back(0); });
  loop().runPending();
  EXPECT_EQ(order, std::vector<int>{0});
  loop().runUntil([&] { return order.size() == 3; }, start + 5s);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
  EXPECT_GE(firedAt - start, 100ms);
  // A nil queue or block, or FOREVER, never runs anything.
  dispatch_after(DISPATCH_TIME_FOREVER, dispatch_get_main_queue(), [&] { order.push_back(9); });
  dispatch_async(nullptr, [&] { order.push_back(9); });
  loop().runForSeconds(0.02);
  EXPECT_EQ(order.size(), 3u);
  EXPECT_EQ(dispatch_time(DISPATCH_TIME_FOREVER, 5), DISPATCH_TIME_FOREVER);
}

// A block keeps what it captured until it has run, then lets it go.
TEST_F(RunLoop, BlocksHoldTheirObjectsUntilTheyHaveRun) {
  NSWindow* window = NSWindow::alloc()->initWithContentRect(
      NSMakeRect(0, 0, 100, 100), kDocumentStyle, NSBackingStoreBuffered, false);
  Ref<NSWindow> observer(window);
  bool ran = false;
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, NSEC_PER_SEC / 50), dispatch_get_main_queue(),
                 [captured = Ref<NSWindow>(window), &ran] { ran = captured->windowNumber() > 0; });
  window->close(); // releases the creator's reference
  pool.drain();
  EXPECT_EQ(observer->retainCount(), 2u); // the observer and the block
  loop().runUntil([&] { return ran; }, NSRunLoop::Clock::now() + 5s);
  EXPECT_TRUE(ran);
  EXPECT_EQ(observer->retainCount(), 1u);
}

// Main-queue blocks run inside nested loops (a modal session), but not inside a loop that a
// main-queue block itself runs; other work is served there.
TEST_F(RunLoop, NestedLoopsServeBlocksExceptInsideABlock) {
  NSWindow* window = makeWindow("Modal", NSMakeRect(0, 0, 200, 100));
  dispatch_async(dispatch_get_main_queue(), [&] { app->stopModalWithCode(42); });
  EXPECT_EQ(app->runModalForWindow(window), 42);

  bool innerBlockRan = false, taskRan = false, innerLoopEnded = false;
  dispatch_async(dispatch_get_main_queue(), [&] {
    dispatch_async(dispatch_get_main_queue(), [&] { innerBlockRan = true; });
    loop().performAsync([&] { taskRan = true; });
    loop().runUntil([&] { return taskRan; }, NSRunLoop::Clock::now() + 200ms);
    innerLoopEnded = !innerBlockRan;
  });
  loop().runUntil([&] { return innerBlockRan; }, NSRunLoop::Clock::now() + 5s);
  EXPECT_TRUE(taskRan);
  EXPECT_TRUE(innerLoopEnded);
  EXPECT_TRUE(innerBlockRan);
}

// performOnMain from another thread runs the work on the main thread while it serves its loop,
// also inside a modal session; when nobody serves the loop in time the caller gives up and the
// work never runs.
TEST_F(RunLoop, PerformOnMainFromAnotherThread) {
  NSWindow* window = makeWindow("Modal", NSMakeRect(0, 0, 200, 100));
  std::atomic<bool> ranOnMain{false}, finished{false};
  std::thread helper([&] {
    EXPECT_FALSE(NSThread::isMainThread());
    EXPECT_TRUE(loop().performOnMain([&] { ranOnMain = NSThread::isMainThread(); }));
    EXPECT_TRUE(loop().performOnMain([&] { app->stopModalWithCode(NSModalResponseOK); }));
    finished = true;
  });
  EXPECT_EQ(app->runModalForWindow(window), NSModalResponseOK);
  helper.join();
  EXPECT_TRUE(ranOnMain);
  EXPECT_TRUE(finished);

  auto ranLate = std::make_shared<std::atomic<bool>>(false);
  std::thread impatient(
      [ranLate] { EXPECT_FALSE(loop().performOnMain([ranLate] { *ranLate = true; }, 50ms)); });
  impatient.join();
  loop().runPending();
  EXPECT_FALSE(*ranLate);
}

// Only the main thread runs the loop; other threads are refused with a log line.
TEST_F(RunLoop, OnlyTheMainThreadRunsTheLoop) {
  NSLogClearBuffer();
  bool served = false;
  loop().performAsync([&] { served = true; });
  std::thread other([] {
    EXPECT_FALSE(loop().runUntil([] { return false; }, NSRunLoop::Clock::now() + 10ms));
    EXPECT_EQ(loop().runPending(), 0);
    EXPECT_EQ(NSApplication::sharedApplication()->runModalForWindow(nullptr), NSModalResponseAbort);
  });
  other.join();
  EXPECT_FALSE(served);
  EXPECT_FALSE(NSLogBufferedLines().empty());
  loop().runPending();
  EXPECT_TRUE(served);
}

// The display pass at the end of each turn draws dirty views; display draws at once,
// displayIfNeeded only what is dirty, and views draw only inside a window.
TEST_F(RunLoop, DisplayPassDrawsDirtyViews) {
  NSWindow* window = makeWindow("W", NSMakeRect(0, 0, 300, 200));
  Ref<RecordingView> view = adopted(RecordingView::alloc());
  view->initWithFrame(NSMakeRect(0, 0, 50, 50));
  Ref<RecordingView> detached = adopted(RecordingView::alloc());
  detached->initWithFrame(NSMakeRect(0, 0, 50, 50));
  window->contentView()->addSubview(view);
  loop().performAsync([] {});
  loop().runPending();
  const int afterFirstPass = view->draws;
  EXPECT_GE(afterFirstPass, 1);
  EXPECT_FALSE(view->needsDisplay());

  view->displayIfNeeded();
  EXPECT_EQ(view->draws, afterFirstPass);
  view->display();
  EXPECT_EQ(view->draws, afterFirstPass + 1);
  view->setNeedsDisplay(true);
  EXPECT_TRUE(window->viewsNeedDisplay());
  window->displayIfNeeded();
  EXPECT_EQ(view->draws, afterFirstPass + 2);
  window->display();
  EXPECT_EQ(view->draws, afterFirstPass + 3);
  EXPECT_EQ(view->displayCount(), static_cast<unsigned long>(view->draws));

  detached->display();
  EXPECT_EQ(detached->draws, 0);
  view->setHidden(true);
  window->display();
  EXPECT_EQ(view->draws, afterFirstPass + 3);
  window->update();
  EXPECT_EQ(window->updateCount(), 1u);
}
