#include "display/HeadlessDisplay.h"

#include "foundation/runloop/NSRunLoop.h"

void HeadlessDisplay::windowStackChanged(const std::vector<NSInteger>& frontToBack) {
  std::lock_guard lock(mutex_);
  stack_ = frontToBack;
}

void HeadlessDisplay::windowWillBeDestroyed(NSInteger windowNumber) {
  std::lock_guard lock(mutex_);
  presents_.erase(windowNumber);
  std::erase(stack_, windowNumber);
}

void HeadlessDisplay::presentWindow(NSInteger windowNumber) {
  std::lock_guard lock(mutex_);
  ++presents_[windowNumber];
}

void HeadlessDisplay::beginFullScreenTransition(NSInteger, bool, std::function<void()> completion) {
  NSRunLoop::mainRunLoop().performAsync(std::move(completion), /*urgent=*/true);
}

std::vector<NSInteger> HeadlessDisplay::stack() const {
  std::lock_guard lock(mutex_);
  return stack_;
}

unsigned long HeadlessDisplay::presentCount(NSInteger windowNumber) const {
  std::lock_guard lock(mutex_);
  auto found = presents_.find(windowNumber);
  return found == presents_.end() ? 0 : found->second;
}
