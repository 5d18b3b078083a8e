#include "OnMainThread.h"

#include <chrono>

#include "foundation/NSRunLoop.h"
#include "foundation/NSThread.h"

int runOnMainThread(const std::function<int()>& body) {
  if (NSThread::isMainThread()) return body();
  int result = 0;
  const auto handover = NSRunLoop::mainRunLoop().handOver([&] { result = body(); });
  while (!handover->waitFor(std::chrono::hours(1))) {
  }
  return result;
}
