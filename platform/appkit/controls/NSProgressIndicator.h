// NSProgressIndicator: a bar (or spinner) that shows how far a task has come.
//
// A new indicator is indeterminate, ranges from 0 to 100, has the value 0, uses threaded
// animation and is displayed when stopped, as AppKit makes one. setDoubleValue clamps to the
// range as it stands at that moment, and changing the range clamps the value again.
// startAnimation animates only an indeterminate indicator; the animation runs until
// stopAnimation, driven by a shared animation thread that has the main run loop redraw the
// animating indicators about thirty times a second.
#pragma once

#include "appkit/views/NSView.h"

enum NSProgressIndicatorStyle : NSUInteger {
  NSProgressIndicatorStyleBar = 0,
  NSProgressIndicatorStyleSpinning = 1,
};

class NSProgressIndicator : public NSView {
  NS_OBJECT_CLASS(NSProgressIndicator)

  NSProgressIndicator* initWithFrame(NSRect frame) override;
  NSProgressIndicator* init() { return initWithFrame(NSZeroRect); }
  ~NSProgressIndicator() override;

  // MARK: value and range
  double doubleValue() const { return value_; }
  void setDoubleValue(double value);
  void incrementBy(double delta);
  double minValue() const { return min_; }
  void setMinValue(double value);
  double maxValue() const { return max_; }
  void setMaxValue(double value);

  // MARK: mode and style
  bool isIndeterminate() const { return indeterminate_; }
  // Switches the mode only: a running animation keeps running (and shows again when the bar
  // turns indeterminate once more).
  void setIndeterminate(bool flag);
  NSProgressIndicatorStyle style() const { return style_; }
  void setStyle(NSProgressIndicatorStyle style);
  bool isDisplayedWhenStopped() const { return displayedWhenStopped_; }
  void setDisplayedWhenStopped(bool flag);
  bool usesThreadedAnimation() const { return threadedAnimation_; }
  void setUsesThreadedAnimation(bool flag) { threadedAnimation_ = flag; }

  // MARK: animation
  void startAnimation(NSObject* sender);
  void stopAnimation(NSObject* sender);
  bool isAnimating() const { return animating_; }
  // How many animation frames have been drawn or requested since the animation started.
  unsigned long animationFrameCount() const { return animationFrames_; }

  void viewDidMoveToWindow() override;
  void drawRect(NSRect dirtyRect) override;
  void describeFields(JsonWriter& json) const override;

  // Called on the main thread by the animation driver for every frame.
  void advanceAnimation();

private:
  double value_ = 0;
  double min_ = 0;
  double max_ = 100;
  bool indeterminate_ = true;
  bool displayedWhenStopped_ = true;
  bool threadedAnimation_ = true;
  bool animating_ = false;
  NSProgressIndicatorStyle style_ = NSProgressIndicatorStyleBar;
  unsigned long animationFrames_ = 0;
  double animationStart_ = 0;

  // The animation's position, 0...1, from the time since it started.
  double animationPhase() const;
  void drawBar(NSRect bounds);
  void drawSpinner(NSRect bounds);
};
