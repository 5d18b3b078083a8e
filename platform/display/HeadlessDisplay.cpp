#include "HeadlessDisplay.h"

#include "NSRunLoop.h"
#include "NSWindow.h"

void HeadlessDisplay::windowStackChanged(const std::vector<NSWindow*>& frontToBack) {
  std::lock_guard lock(mutex_);
  stack_.clear();
  for (NSWindow* window : frontToBack)
    stack_.push_back(window->windowNumber());
}

void HeadlessDisplay::windowWillBeDestroyed(NSWindow* window) {
  std::lock_guard lock(mutex_);
  presents_.erase(window->windowNumber());
  std::erase(stack_, window->windowNumber());
}

void HeadlessDisplay::presentWindow(NSWindow* window) {
  std::lock_guard lock(mutex_);
  ++presents_[window->windowNumber()];
}

void HeadlessDisplay::beginFullScreenTransition(NSWindow*, bool, std::function<void()> completion) {
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
