// Which context menu was popped up last: the testkit listens to the menus' tracking
// notifications from the moment the testkit library loads.
#include "appkit/menus/NSMenu.h"
#include "foundation/runloop/NSNotificationCenter.h"
#include "testkit/MenuUser.h"

namespace {

// Kept until the next one starts, so the screen's description can still show a menu that closed
// after its owner let go of it.
// Immortal, so that exit does not release the menu under the main thread.
Ref<NSMenu>& lastTracked() {
  static auto* const menu = new Ref<NSMenu>();
  return *menu;
}

[[maybe_unused]] const bool watching = [] {
  NSNotificationCenter::defaultCenter()->addObserverForName(
      NSMenuDidBeginTrackingNotification, nullptr, [](NSNotification* notification) {
        lastTracked() = retained(ns_cast<NSMenu>(notification->object()));
      });
  return true;
}();

} // namespace

NSMenu* MenuUser::lastContextMenu() {
  return lastTracked().get();
}
