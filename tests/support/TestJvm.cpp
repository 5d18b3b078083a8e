#include "TestJvm.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "bridge/JavaVm.h"
#include "foundation/runloop/NSThread.h"

namespace {

JavaVM* vm = nullptr;

void createJvm() {
  void* jvmLibrary = dlopen(BRIX_JVM_LIBRARY, RTLD_NOW | RTLD_GLOBAL);
  if (!jvmLibrary) {
    std::fprintf(stderr, "cannot load the JVM from %s: %s\n", BRIX_JVM_LIBRARY, dlerror());
    std::abort();
  }
  using CreateJavaVM = jint (*)(JavaVM**, void**, void*);
  auto create = reinterpret_cast<CreateJavaVM>(dlsym(jvmLibrary, "JNI_CreateJavaVM"));
  std::string classPath = std::string("-Djava.class.path=") + BRIX_TEST_CLASSPATH;
  std::string libraryPath = std::string("-Djava.library.path=") + BRIX_BINARY_DIR;
  // Benchmarks set BRIX_JNI_CHECK=0 to measure the JVM as applications run it; tests always
  // run with -Xcheck:jni.
  const char* check = std::getenv("BRIX_JNI_CHECK");
  const bool checked = !check || std::string(check) != "0";
  JavaVMOption options[] = {
      {const_cast<char*>(classPath.c_str()), nullptr},
      {const_cast<char*>(libraryPath.c_str()), nullptr},
      {const_cast<char*>("-Xss4m"), nullptr},
      {const_cast<char*>("-Xcheck:jni"), nullptr},
  };
  JavaVMInitArgs args{};
  args.version = JNI_VERSION_10;
  args.nOptions = sizeof options / sizeof options[0] - (checked ? 0 : 1);
  args.options = options;
  args.ignoreUnrecognized = JNI_FALSE;
  JNIEnv* env = nullptr;
  if (create(&vm, reinterpret_cast<void**>(&env), &args) != JNI_OK) {
    std::fprintf(stderr, "JNI_CreateJavaVM failed\n");
    std::abort();
  }
}

} // namespace

JavaVM* testJavaVm() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Made on a thread of its own, which then leaves the JVM (as the java launcher's does), so
    // that the platform's main thread joins it as the daemon it is in applications.
    std::thread creator([] {
      createJvm();
      vm->DetachCurrentThread();
    });
    creator.join();
  });
  return vm;
}

JNIEnv* testJniEnv() {
  JavaVM* javaVm = testJavaVm();
  if (NSThread::isMainThread()) return brix::mainThreadJavaEnv(javaVm);
  JNIEnv* env = nullptr;
  if (javaVm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_10) == JNI_EDETACHED)
    javaVm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr);
  return env;
}

jstring testJavaString(JNIEnv* env, const std::u16string& text) {
  return env->NewString(reinterpret_cast<const jchar*>(text.data()),
                        static_cast<jsize>(text.size()));
}

std::u16string testJavaStringValue(JNIEnv* env, jstring string) {
  if (!string) return u"<null>";
  const jsize length = env->GetStringLength(string);
  std::u16string text(static_cast<std::size_t>(length), u'\0');
  env->GetStringRegion(string, 0, length, reinterpret_cast<jchar*>(text.data()));
  return text;
}

void expectNoPendingException(JNIEnv* env) {
  if (env->ExceptionCheck()) {
    env->ExceptionDescribe();
    env->ExceptionClear();
    ADD_FAILURE() << "a Java exception is pending";
  }
}

// The library's code is linked into each test binary. This hook tells the JVM that
// "brixdialogs" is built in, so System.loadLibrary("brixdialogs") binds the native methods to
// the functions in this executable instead of loading a second copy of the library.
extern "C" JNIEXPORT jint JNICALL JNI_OnLoad_brixdialogs(JavaVM*, void*) {
  return JNI_VERSION_1_8;
}
