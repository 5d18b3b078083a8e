#include "OnMainThread.h"

#include <chrono>

#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runloop/NSThread.h"

int runOnMainThread(const std::function<int()>& body) {
  if (NSThread::isMainThread()) return body();
  int result = 0;
  const auto handover = NSRunLoop::mainRunLoop().handOver([&] { result = body(); });
  while (!handover->waitFor(std::chrono::hours(1))) {
  }
  return result;
}
