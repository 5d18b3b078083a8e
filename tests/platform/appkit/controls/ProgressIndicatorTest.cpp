// Progress indicators: AppKit's defaults, setDoubleValue clamping to the range as it stands when
// it is called, and the animation, which only an indeterminate indicator runs and which keeps
// redrawing it from the animation thread until it is stopped.
#include <gtest/gtest.h>

#include <cmath>

#include "ControlsTestSupport.h"
#include "appkit/controls/NSProgressIndicator.h"
#include "appkit/controls/ProgressAnimator.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runtime/NSAutoreleasePool.h"

using namespace controls_test;

TEST(ProgressIndicatorDefaults, IndeterminateZeroToHundredThreaded) {
  NSAutoreleasePool pool;
  Ref<NSProgressIndicator> bar = adopted(NSProgressIndicator::alloc()->init());
  EXPECT_TRUE(bar->isIndeterminate());
  EXPECT_EQ(bar->minValue(), 0);
  EXPECT_EQ(bar->maxValue(), 100);
  EXPECT_EQ(bar->doubleValue(), 0);
  EXPECT_TRUE(bar->usesThreadedAnimation());
  EXPECT_TRUE(bar->isDisplayedWhenStopped());
  EXPECT_EQ(bar->style(), NSProgressIndicatorStyleBar);
  EXPECT_FALSE(bar->isAnimating());
}

TEST(ProgressIndicatorRange, ValueClampsToTheCurrentRange) {
  NSAutoreleasePool pool;
  Ref<NSProgressIndicator> bar = adopted(NSProgressIndicator::alloc()->init());
  bar->setDoubleValue(20);
  EXPECT_EQ(bar->doubleValue(), 20);
  bar->setDoubleValue(500);
  EXPECT_EQ(bar->doubleValue(), 100);
  bar->setDoubleValue(-10);
  EXPECT_EQ(bar->doubleValue(), 0);
  bar->setDoubleValue(NAN); // as MIN(MAX(NaN, min), max) works out: the minimum
  EXPECT_EQ(bar->doubleValue(), 0);
  // The order the progress sheet uses: value first, then the range, so 150 ends as 100.
  bar->setDoubleValue(150);
  bar->setMaxValue(100);
  bar->setMinValue(0);
  EXPECT_EQ(bar->doubleValue(), 100);
  // Narrowing the range pulls the value in.
  bar->setMaxValue(40);
  EXPECT_EQ(bar->doubleValue(), 40);
  bar->setMinValue(60); // min above max: the value follows the minimum
  EXPECT_EQ(bar->doubleValue(), 60);
  bar->incrementBy(-100);
  EXPECT_EQ(bar->doubleValue(), 60);
}

TEST(ProgressIndicatorAnimation, OnlyIndeterminateAnimatesAndFramesAdvanceUntilStopped) {
  NSAutoreleasePool pool;
  Ref<NSWindow> window = adopted(makeKeyWindow());
  Ref<NSProgressIndicator> bar =
      adopted(NSProgressIndicator::alloc()->initWithFrame(NSMakeRect(10, 30, 380, 20)));
  window->contentView()->addSubview(bar);
  bar->setIndeterminate(false);
  bar->startAnimation(nullptr);
  EXPECT_FALSE(bar->isAnimating());
  bar->setIndeterminate(true);
  bar->startAnimation(nullptr);
  EXPECT_TRUE(bar->isAnimating());
  const int before = ProgressAnimator::count();
  EXPECT_GE(before, 1);
  NSRunLoop::mainRunLoop().runForSeconds(0.3);
  const unsigned long frames = bar->animationFrameCount();
  EXPECT_GE(frames, 3u);
  EXPECT_LE(frames, 15u); // one frame at a time, about thirty a second
  // Switching to determinate keeps the animation flag, as AppKit's mode switch does.
  bar->setIndeterminate(false);
  EXPECT_TRUE(bar->isAnimating());
  bar->stopAnimation(nullptr);
  EXPECT_FALSE(bar->isAnimating());
  EXPECT_EQ(ProgressAnimator::count(), before - 1);
  NSRunLoop::mainRunLoop().runForSeconds(0.1);
  EXPECT_EQ(bar->animationFrameCount(), frames);
  // An indicator freed while it animates leaves the animator.
  bar->setIndeterminate(true);
  bar->startAnimation(nullptr);
  bar->removeFromSuperview();
  bar = nullptr;
  EXPECT_EQ(ProgressAnimator::count(), before - 1);
  NSRunLoop::mainRunLoop().runForSeconds(0.1);
  window->close();
}
