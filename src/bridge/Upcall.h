// The one way the library calls Java: ixa.Ixa.callNamedRunnable with one or two strings, through
// the remembered environment _env, on the main thread. Class and method are looked up afresh on
// every call, with the class loader of the Java class whose native method stored _env.
#pragma once

#include <jni.h>

#include "foundation/strings/NSString.h"

namespace brix {

// Told of each lookup as it is made, for the diagnostic lines of the context-menu action.
class UpcallObserver {
public:
  virtual void classFound(jclass ixa) const = 0;
  virtual void methodFound(jmethodID method) const = 0;

protected:
  ~UpcallObserver() = default;
};

// The static method an upcall goes to, looked up by these names.
struct UpcallTarget {
  const char* className;  // in JNI form, "ixa/Ixa"
  const char* methodName; // the signature follows from the number of strings
};
extern const UpcallTarget kNamedRunnable;

// Stores env (the main thread's, as every native method body receives it) in _env, and the
// class loader of caller (the class of the native method, as the JVM passes it) for the
// upcalls' lookups. The three natives that remember the environment call this first.
void rememberJavaCaller(JNIEnv* env, jclass caller);
// The class loader rememberJavaCaller kept (a global reference; null for none or the boot
// loader): the main thread's context class loader while it carries out no call.
jobject rememberedCallerLoader();

// Each upcall is skipped, sending nothing, when _env is null (no native that stores it has run
// yet: the answer is dropped, with a line in the log), when a Java exception is already
// pending (an earlier upcall threw: it stays pending for the Java caller of the running native
// method), or when the class or method cannot be found. A failed lookup is logged with what was
// missing, and its error is cleared: the Java caller did nothing wrong, and a call that returns
// normally must not leave an Error behind. An exception thrown by the handler stays pending for
// the Java caller of the native method the main thread is carrying out; with none, it is
// printed, logged and cleared.
void callNamedRunnable(NSString* name, const UpcallObserver* observer = nullptr);
void callNamedRunnable(NSString* name, NSString* value);

// The same upcalls to any static void method that takes one or two strings; callNamedRunnable is
// these with kNamedRunnable. Tests name a missing class or method to reach the lookup failures.
void callStaticStringMethod(const UpcallTarget& target, NSString* name,
                            const UpcallObserver* observer = nullptr);
void callStaticStringMethod(const UpcallTarget& target, NSString* name, NSString* value);

} // namespace brix
