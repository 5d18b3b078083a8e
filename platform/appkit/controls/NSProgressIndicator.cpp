#include "appkit/controls/NSProgressIndicator.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "appkit/controls/ProgressAnimator.h"
#include "appkit/drawing/NSBezierPath.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/look/ControlLook.h"
#include "foundation/json/JsonWriter.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runloop/NSThread.h"

namespace {

// One sweep of the indeterminate bar, and one turn of the spinner, in seconds.
constexpr double kAnimationPeriod = 1.2;
// Thickness of the bar's track, centred in the view's height.
constexpr CGFloat kBarThickness = 6;

double secondsNow() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

NSProgressIndicator* NSProgressIndicator::initWithFrame(NSRect frame) {
  NSView::initWithFrame(frame);
  return this;
}

NSProgressIndicator::~NSProgressIndicator() {
  if (animating_) ProgressAnimator::remove(this);
}

// MARK: value and range

void NSProgressIndicator::setDoubleValue(double value) {
  // NaN never compares, so it would slip through a clamp; AppKit's bar then shows its minimum.
  value_ = std::isnan(value) ? min_ : std::clamp(value, min_, std::max(min_, max_));
  setNeedsDisplay(true);
}

void NSProgressIndicator::incrementBy(double delta) {
  setDoubleValue(value_ + delta);
}

void NSProgressIndicator::setMinValue(double value) {
  if (std::isnan(value)) return;
  min_ = value;
  setDoubleValue(value_);
}

void NSProgressIndicator::setMaxValue(double value) {
  if (std::isnan(value)) return;
  max_ = value;
  setDoubleValue(value_);
}

// MARK: mode and style

void NSProgressIndicator::setIndeterminate(bool flag) {
  if (indeterminate_ == flag) return;
  indeterminate_ = flag;
  setNeedsDisplay(true);
}

void NSProgressIndicator::setStyle(NSProgressIndicatorStyle style) {
  style_ = style;
  setNeedsDisplay(true);
}

void NSProgressIndicator::setDisplayedWhenStopped(bool flag) {
  displayedWhenStopped_ = flag;
  setNeedsDisplay(true);
}

// MARK: animation

void NSProgressIndicator::startAnimation(NSObject*) {
  if (!indeterminate_ || animating_) return;
  animating_ = true;
  animationFrames_ = 0;
  animationStart_ = secondsNow();
  // The driver lives on the main thread's run loop; off the main thread the request is
  // handed over, as AppKit's animation thread would be started from the main thread.
  if (NSThread::isMainThread()) {
    ProgressAnimator::add(this);
  } else {
    Ref<NSProgressIndicator> keep(this);
    NSRunLoop::mainRunLoop().performAsync([keep] {
      if (keep->animating_) ProgressAnimator::add(keep.get());
    });
  }
  setNeedsDisplay(true);
}

void NSProgressIndicator::stopAnimation(NSObject*) {
  if (!animating_) return;
  animating_ = false;
  ProgressAnimator::remove(this);
  setNeedsDisplay(true);
}

void NSProgressIndicator::advanceAnimation() {
  BRIX_ASSERT_MAIN_THREAD();
  if (!animating_) return;
  ++animationFrames_;
  // A determinate bar keeps its animation running but shows nothing of it.
  if (indeterminate_) setNeedsDisplay(true);
}

double NSProgressIndicator::animationPhase() const {
  if (!animating_) return 0;
  const double elapsed = secondsNow() - animationStart_;
  return std::fmod(elapsed, kAnimationPeriod) / kAnimationPeriod;
}

void NSProgressIndicator::viewDidMoveToWindow() {
  setNeedsDisplay(true);
}

// MARK: drawing

void NSProgressIndicator::drawRect(NSRect) {
  if (!NSGraphicsContext::currentContext()) return;
  if (!animating_ && !displayedWhenStopped_ && indeterminate_) return;
  if (style_ == NSProgressIndicatorStyleSpinning) return drawSpinner(bounds());
  drawBar(bounds());
}

void NSProgressIndicator::drawBar(NSRect bounds) {
  const CGFloat thickness = std::min(kBarThickness, bounds.size.height);
  const NSRect track =
      NSMakeRect(bounds.origin.x, NSMidY(bounds) - thickness / 2, bounds.size.width, thickness);
  ControlLook::drawProgressTrack(track);
  if (indeterminate_) {
    if (animating_) ControlLook::drawIndeterminateStripes(track, animationPhase());
    return;
  }
  const double span = max_ - min_;
  ControlLook::drawProgressFill(track, span > 0 ? (value_ - min_) / span : 0);
}

void NSProgressIndicator::drawSpinner(NSRect bounds) {
  // Twelve spokes, the brightest one turning with the animation.
  const CGFloat radius = std::min(bounds.size.width, bounds.size.height) / 2;
  const NSPoint center = NSMakePoint(NSMidX(bounds), NSMidY(bounds));
  const int lead = static_cast<int>(animationPhase() * 12);
  for (int spoke = 0; spoke < 12; ++spoke) {
    const double angle = M_PI / 2 - spoke * M_PI / 6;
    NSBezierPath* line = NSBezierPath::bezierPath();
    line->moveToPoint(NSMakePoint(center.x + std::cos(angle) * radius * 0.45,
                                  center.y + std::sin(angle) * radius * 0.45));
    line->lineToPoint(NSMakePoint(center.x + std::cos(angle) * radius * 0.9,
                                  center.y + std::sin(angle) * radius * 0.9));
    line->setLineWidth(std::max<CGFloat>(1.5, radius / 6));
    line->setLineCapStyle(NSLineCapStyleRound);
    const int age = ((spoke - lead) % 12 + 12) % 12;
    const CGFloat alpha = animating_ ? 0.85 - age * 0.06 : 0.35;
    ControlLook::rgb(0, 0, 0, alpha)->setStroke();
    line->stroke();
  }
}

// MARK: description

void NSProgressIndicator::describeFields(JsonWriter& json) const {
  NSView::describeFields(json);
  json.field("doubleValue", value_);
  json.field("minValue", min_);
  json.field("maxValue", max_);
  json.field("indeterminate", indeterminate_);
  json.field("animating", animating_);
}
