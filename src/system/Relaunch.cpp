// Relaunching the application: a detached shell brings it back once it has quit.
#include "appkit/application/NSApplication.h"
#include "bridge/Bridge.h"
#include "bridge/NativeScope.h"
#include "foundation/system/NSLog.h"
#include "system/RelaunchTask.h"
#include "system/System.h"

extern "C" BRIX_EXPORT void relaunchAfterDelay(float delaySeconds) {
  Ref<NSTask> task = brix::makeRelaunchTask(delaySeconds);
  // Quitting without a shell that brings the application back would simply end it, so a
  // relaunch that cannot be set up leaves the application running.
  if (!task) {
    NSLog("relaunchAfterDelay: this process's command line cannot be read; not quitting");
    return;
  }
  if (!task->launch()) {
    NSLog("relaunchAfterDelay: the relaunch shell did not start; not quitting");
    return;
  }
  // The shell leads its own session and is reaped by the platform should it end while the
  // application is still running (when the termination is cancelled).
  NSApplication* application = NSApplication::sharedApplication();
  if (application) application->terminate(nullptr);
}

// static int IxaDialogs.relaunchThyself()
extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_relaunchThyself(JNIEnv* env,
                                                                      jclass) noexcept {
  return brix::nativeMethod(
      env, "relaunchThyself", jint{1}, [] { relaunchAfterDelay(2.0f); },
      brix::ThreadRule::MainThreadOffScreen);
}
