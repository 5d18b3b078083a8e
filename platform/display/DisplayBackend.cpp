#include "display/DisplayBackend.h"

#include <mutex>

#include "display/HeadlessDisplay.h"
#include "foundation/NSRunLoop.h"

namespace {

std::mutex installMutex;
std::unique_ptr<DisplayBackend>& installedDisplay() {
  static std::unique_ptr<DisplayBackend> display;
  return display;
}

} // namespace

DisplayBackend& DisplayBackend::current() {
  std::lock_guard lock(installMutex);
  auto& display = installedDisplay();
  if (!display) display = std::make_unique<HeadlessDisplay>();
  return *display;
}

void DisplayBackend::install(std::unique_ptr<DisplayBackend> display) {
  std::lock_guard lock(installMutex);
  // The previous display is kept alive: windows and pending transitions may still refer to it
  // until the process ends.
  if (auto& previous = installedDisplay()) previous.release();
  installedDisplay() = std::move(display);
}

void DisplayBackend::drawWindow(NSInteger, const std::function<void()>& drawPass) {
  drawPass();
}

void DisplayBackend::injectEvent(NSObject* event) {
  NSRunLoop::mainRunLoop().postEvent(event);
}
