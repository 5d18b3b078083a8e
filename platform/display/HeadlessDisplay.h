// HeadlessDisplay: a display without a physical screen. It keeps the order of the windows on
// its screen and counts what it presents; rendering happens on demand (snapshots). Input comes
// only from the simulated user, through injectEvent. A full-screen transition completes before
// the next event is served: its completion is queued as an urgent task of the main run loop.
#pragma once

#include <map>
#include <mutex>

#include "display/DisplayBackend.h"

class HeadlessDisplay : public DisplayBackend {
public:
  // The screen of the headless display: 1440 x 900 points.
  static constexpr NSRect kScreenFrame{{0, 0}, {1440, 900}};

  const char* name() const override { return "headless"; }
  NSRect screenFrame() const override { return kScreenFrame; }
  CGFloat backingScaleFactor() const override { return 1; }

  void windowStackChanged(const std::vector<NSInteger>& frontToBack) override;
  void windowFrameChanged(NSInteger, NSRect) override {}
  void windowWillBeDestroyed(NSInteger windowNumber) override;
  void presentWindow(NSInteger windowNumber) override;
  void beginFullScreenTransition(NSInteger windowNumber, bool entering,
                                 std::function<void()> completion) override;

  // What the screen shows: window numbers front to back.
  std::vector<NSInteger> stack() const;
  // How often a window has been presented.
  unsigned long presentCount(NSInteger windowNumber) const;

private:
  mutable std::mutex mutex_;
  std::vector<NSInteger> stack_;
  std::map<NSInteger, unsigned long> presents_;
};
