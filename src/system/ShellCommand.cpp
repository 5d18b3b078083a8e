// Running a shell command and collecting its standard output.
#include "bridge/Bridge.h"
#include "bridge/NativeScope.h"
#include "foundation/system/NSFileHandle.h"
#include "foundation/system/NSPipe.h"
#include "foundation/system/NSTask.h"
#include "system/System.h"

extern "C" BRIX_EXPORT NSString* runCommand(NSString* command) {
  if (command == nullptr) return nullptr;
  auto task = adopted(NSTask::alloc()->init());
  task->setLaunchPath(NSSTR("/bin/sh"));
  task->setArguments(
      NSArray::arrayWithObjects({NSSTR("-c"), NSString::stringWithFormat("%@", command)}));
  NSPipe* pipe = NSPipe::pipe();
  if (pipe == nullptr) return nullptr;
  task->setStandardOutput(pipe);
  NSFileHandle* output = pipe->fileHandleForReading();
  if (!task->launch()) return nullptr;

  // Returns once every writer has closed the pipe: the shell and anything it started with the
  // same standard output. The child is reaped by the platform whenever it exits.
  NSData* bytes = output->readDataToEndOfFile();
  // Closed now rather than when the pool drains, so that a caller running many commands in one
  // pool does not run out of descriptors.
  output->closeFile();
  if (bytes == nullptr) return nullptr;
  NSString* text = NSString::alloc()->initWithData(bytes, NSUTF8StringEncoding);
  return text ? static_cast<NSString*>(text->autorelease()) : nullptr;
}

// static int IxaDialogs.runCommandAsNSTask(String command)
extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_runCommandAsNSTask(JNIEnv* env, jclass,
                                                                         jstring command) noexcept {
  return brix::nativeMethod(
      env, "runCommandAsNSTask", jint{1}, [&] { runCommand(jstringToNSString(env, command)); },
      brix::ThreadRule::CallingThread);
}
