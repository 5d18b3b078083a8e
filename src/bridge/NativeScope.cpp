#include "bridge/NativeScope.h"

#include "foundation/NSLog.h"
#include "foundation/NSThread.h"

namespace brix {

NativeScope::NativeScope(const char* methodName, ThreadRule rule)
    : mayRun_(rule == ThreadRule::AnyThread || NSThread::isMainThread()) {
  if (!mayRun_)
    NSLog("%s was called off the main thread; the user interface is only touched on the main "
          "thread, so the call does nothing",
          methodName);
}

} // namespace brix
