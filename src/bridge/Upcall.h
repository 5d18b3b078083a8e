// The one way the library calls Java: ixa.Ixa.callNamedRunnable with one or two strings, through
// the remembered environment _env. Class and method are looked up afresh on every call.
#pragma once

#include <jni.h>

#include "NSString.h"

namespace brix {

// Told of each lookup as it is made, for the diagnostic lines of the context-menu action.
class UpcallObserver {
public:
  virtual void classFound(jclass ixa) const = 0;
  virtual void methodFound(jmethodID method) const = 0;

protected:
  ~UpcallObserver() = default;
};

// Each upcall is skipped, sending nothing, when _env is null, when a Java exception is already
// pending (an earlier upcall threw: it stays pending for the Java caller of the running native
// method), or when the class or method cannot be found.
void callNamedRunnable(NSString* name, const UpcallObserver* observer = nullptr);
void callNamedRunnable(NSString* name, NSString* value);

} // namespace brix
