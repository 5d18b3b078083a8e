#include "foundation/NSThread.h"

#include <dlfcn.h>
#include <jni.h>
#include <pthread.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

std::atomic<bool> started{false};
std::atomic<bool> exiting{false};
// Set once, before the main thread runs anything that could read it.
std::once_flag startOnce;

thread_local bool onMainThread = false;
thread_local JNIEnv* mainThreadEnv = nullptr;

// The JVM of this process, if there is one. The platform does not link the JVM: a Java process
// has already loaded it (with its symbols global), and a process without one has none to find.
JavaVM* processJvm() {
  using GetCreatedJavaVMs = jint (*)(JavaVM**, jsize, jsize*);
  auto getCreated =
      reinterpret_cast<GetCreatedJavaVMs>(dlsym(RTLD_DEFAULT, "JNI_GetCreatedJavaVMs"));
  if (!getCreated) return nullptr;
  JavaVM* vm = nullptr;
  jsize count = 0;
  if (getCreated(&vm, 1, &count) != JNI_OK || count < 1) return nullptr;
  return vm;
}

void markExiting() {
  exiting = true;
}

} // namespace

bool NSThread::isMainThread() {
  return onMainThread;
}

bool NSThread::hasMainThread() {
  return started.load();
}

void NSThread::startMainThread(void (*serve)()) {
  std::call_once(startOnce, [serve] {
    // Registered before the thread exists: exit stops the serving before it destroys the
    // objects that served work might touch.
    std::atexit(markExiting);
    std::thread thread([serve] {
      onMainThread = true;
      pthread_setname_np(pthread_self(), "brix-main");
      mainThreadJNIEnv(); // attached at once where a JVM runs, so thread dumps show it
      serve();
    });
    // The thread runs for the life of the process.
    thread.detach();
    started = true;
  });
}

JNIEnv* NSThread::mainThreadJNIEnv(JavaVM* knownVm) {
  if (!onMainThread) return nullptr;
  if (mainThreadEnv) return mainThreadEnv;
  JavaVM* vm = knownVm ? knownVm : processJvm();
  if (!vm) return nullptr;
  JNIEnv* env = nullptr;
  if (vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_8) == JNI_OK) {
    mainThreadEnv = env;
    return env;
  }
  JavaVMAttachArgs args{JNI_VERSION_1_8, const_cast<char*>(kMainThreadName), nullptr};
  if (vm->AttachCurrentThreadAsDaemon(reinterpret_cast<void**>(&env), &args) != JNI_OK)
    return nullptr;
  mainThreadEnv = env;
  return env;
}

bool NSThread::isExiting() {
  return exiting.load(std::memory_order_relaxed);
}
