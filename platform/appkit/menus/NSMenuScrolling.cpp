// Open menus taller than the screen show part of their rows and scroll, as AppKit's do: by the
// wheel, by the arrow keys bringing the highlighted item into view, and steadily while the pointer
// rests on a scroll arrow. The look decides where the rows lie (MenuDrawing); the menu keeps how
// far they are scrolled.
#include <algorithm>
#include <chrono>

#include "appkit/look/MenuDrawing.h"
#include "appkit/menus/NSMenu.h"
#include "foundation/runloop/NSRunLoop.h"

// The steady scrolling towards one end. The open menu owns it; each tick, a main-queue block on
// the main run loop, holds it weakly, so that a menu that stops scrolling or closes (and lets go
// of it) gets no further ticks.
struct NSMenuAutoscroll {
  NSMenu* menu; // the menu that owns this, and so outlives it
  int direction;

  static void scheduleTick(const std::weak_ptr<NSMenuAutoscroll>& autoscroll);
};

namespace {

// How often and how far the rows move while the pointer rests on a scroll arrow: half an item's
// row every 40 ms, a pace the eye can follow.
constexpr auto kAutoscrollInterval = std::chrono::milliseconds(40);
constexpr CGFloat kAutoscrollStep = 11;

} // namespace

void NSMenuAutoscroll::scheduleTick(const std::weak_ptr<NSMenuAutoscroll>& autoscroll) {
  NSRunLoop::mainRunLoop().scheduleMainQueueBlock(
      NSRunLoop::Clock::now() + kAutoscrollInterval, [autoscroll] {
        const std::shared_ptr<NSMenuAutoscroll> live = autoscroll.lock();
        if (!live) return;
        NSMenu* menu = live->menu;
        menu->scrollDuringTracking(live->direction * kAutoscrollStep);
        const CGFloat end = live->direction > 0 ? NSOpenMenuMaximumScrollOffset(menu) : 0;
        if (menu->tracking_.scrollOffset == end) {
          // The arrow at that end is gone, and with it the reason to go on.
          menu->tracking_.autoscroll = nullptr;
          return;
        }
        scheduleTick(autoscroll);
      });
}

void NSMenu::scrollDuringTracking(CGFloat distance) {
  if (!tracking_.open) return;
  const CGFloat offset = std::clamp<CGFloat>(tracking_.scrollOffset + distance, 0,
                                             NSOpenMenuMaximumScrollOffset(this));
  if (offset == tracking_.scrollOffset) return;
  tracking_.scrollOffset = offset;
  drawPopUp();
}

bool NSMenu::scrollItemToVisibleDuringTracking(NSMenuItem* item) {
  if (!tracking_.open || !item || indexOfItem(item) < 0) return false;
  scrollDuringTracking(NSOpenMenuScrollOffsetShowingItem(this, item) - tracking_.scrollOffset);
  return true;
}

void NSMenu::autoscrollDuringTracking(int direction) {
  if (!tracking_.open || direction == 0) {
    tracking_.autoscroll = nullptr;
    return;
  }
  direction = direction > 0 ? 1 : -1;
  if (tracking_.autoscroll && tracking_.autoscroll->direction == direction) return;
  tracking_.autoscroll = std::make_shared<NSMenuAutoscroll>(NSMenuAutoscroll{this, direction});
  // The first step is taken at once, so that the menu answers the pointer without a pause.
  scrollDuringTracking(direction * kAutoscrollStep);
  NSMenuAutoscroll::scheduleTick(tracking_.autoscroll);
}
