// NSApplication: terminate and the process-exit hook. How the process ends is the embedder's
// business (the library ends a Java application through System.exit); without a handler the
// process exits directly.
#include <cstdlib>

#include "appkit/application/NSApplication.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/system/NSLog.h"

namespace {

// Immortal: the main thread may be asked to terminate while the process exits.
std::function<void()>& terminationHandler() {
  static auto* const handler = new std::function<void()>();
  return *handler;
}

} // namespace

void NSApplication::setTerminationHandler(std::function<void()> handler) {
  terminationHandler() = std::move(handler);
}

void NSApplication::exitProcess() {
  if (terminationHandler()) {
    terminationHandler()();
    return;
  }
  std::exit(0);
}

void NSApplication::terminate(NSObject*) {
  const NSApplicationTerminateReply reply =
      delegate_ ? delegate_->applicationShouldTerminate(this) : NSTerminateNow;
  if (reply == NSTerminateCancel) return;
  if (reply == NSTerminateLater) {
    if (awaitingTerminateReply_) return; // a decision is already pending
    awaitingTerminateReply_ = true;
    terminateReply_.reset();
    NSRunLoop::mainRunLoop().runUntil([this] { return terminateReply_.has_value(); });
    awaitingTerminateReply_ = false;
    if (!terminateReply_.value_or(false)) return;
  }
  if (delegate_) delegate_->applicationWillTerminate(this);
  exitProcess();
}

void NSApplication::replyToApplicationShouldTerminate(bool shouldTerminate) {
  if (!awaitingTerminateReply_) return;
  terminateReply_ = shouldTerminate;
  NSRunLoop::mainRunLoop().wakeUp();
}
