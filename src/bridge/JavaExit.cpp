// Ending the application: when AppKit terminates (the relaunch asks it to), the process exits
// through java.lang.System.exit(0) so that the JVM's shutdown hooks run. AppKit knows nothing of
// Java; the library installs this as its termination handler when it is loaded.
#include <jni.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "appkit/application/NSApplication.h"
#include "bridge/JavaVm.h"
#include "foundation/runloop/NSThread.h"

namespace {

// Exits through java.lang.System.exit(0) when a Java VM runs in this process, so that its
// shutdown hooks run; System.exit does not return. Returns only when there is no VM or the
// call failed.
void exitThroughJava() {
  // Attached for good: System.exit does not return.
  bool attachedHere = false;
  JNIEnv* env = brix::currentJavaEnv(/*asDaemon=*/false, &attachedHere);
  if (!env) return;
  // Quitting wins over an exception that an earlier upcall left pending.
  if (env->ExceptionCheck()) env->ExceptionClear();
  jclass system = env->FindClass("java/lang/System");
  jmethodID exitMethod = system ? env->GetStaticMethodID(system, "exit", "(I)V") : nullptr;
  if (exitMethod) {
    // Exit runs while this thread waits in System.exit; it must not wait for this thread.
    NSThread::CallingOut callingOut;
    env->CallStaticVoidMethod(system, exitMethod, 0);
  }
  if (env->ExceptionCheck()) {
    env->ExceptionDescribe();
    env->ExceptionClear();
  }
}

void exitProcessThroughJava() {
  exitThroughJava();
  std::exit(0);
}

// Installed at load time: the library has no JNI_OnLoad, and the handler must be in place before
// any native method can ask the application to terminate.
const bool installed = [] {
  NSApplication::setTerminationHandler(exitProcessThroughJava);
  return true;
}();

} // namespace
