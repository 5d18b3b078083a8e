#include "bridge/JavaVm.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <string>

#include "foundation/runloop/NSThread.h"

namespace brix {

GetCreatedJavaVMs findGetCreatedJavaVMs() {
  if (void* symbol = dlsym(RTLD_DEFAULT, "JNI_GetCreatedJavaVMs"))
    return reinterpret_cast<GetCreatedJavaVMs>(symbol);
  std::string libjvmPath;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) {
        const char* name = info->dlpi_name;
        if (name && std::strstr(name, "/libjvm.so")) {
          *static_cast<std::string*>(data) = name;
          return 1;
        }
        return 0;
      },
      &libjvmPath);
  if (libjvmPath.empty()) return nullptr;
  void* handle = dlopen(libjvmPath.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (!handle) return nullptr;
  return reinterpret_cast<GetCreatedJavaVMs>(dlsym(handle, "JNI_GetCreatedJavaVMs"));
}

namespace {

// The first JVM this process created, or null.
JavaVM* processJavaVm() {
  GetCreatedJavaVMs getCreatedJavaVMs = findGetCreatedJavaVMs();
  JavaVM* vm = nullptr;
  jsize count = 0;
  if (!getCreatedJavaVMs || getCreatedJavaVMs(&vm, 1, &count) != JNI_OK || count < 1)
    return nullptr;
  return vm;
}

thread_local JNIEnv* mainThreadEnv = nullptr;

// The main thread joins the JVM as it starts, where one runs; if it started before this library
// loaded, it joins at the first call that needs it.
[[maybe_unused]] const bool mainThreadJoinsJava =
    NSThread::addStartHook([] { mainThreadJavaEnv(); });

// System.getProperty(name) with no exception pending; empty when it is unset or fails.
std::string readProperty(JNIEnv* env, const char* name) {
  std::string value;
  if (env->PushLocalFrame(8) != JNI_OK) {
    env->ExceptionClear();
    return value;
  }
  jclass system = env->FindClass("java/lang/System");
  jmethodID getProperty = system ? env->GetStaticMethodID(system, "getProperty",
                                                          "(Ljava/lang/String;)Ljava/lang/String;")
                                 : nullptr;
  jstring key = getProperty ? env->NewStringUTF(name) : nullptr;
  auto* result =
      key ? static_cast<jstring>(env->CallStaticObjectMethod(system, getProperty, key)) : nullptr;
  if (env->ExceptionCheck()) result = nullptr;
  if (const char* chars = result ? env->GetStringUTFChars(result, nullptr) : nullptr) {
    value = chars;
    env->ReleaseStringUTFChars(result, chars);
  }
  if (env->ExceptionCheck()) env->ExceptionClear();
  env->PopLocalFrame(nullptr);
  return value;
}

} // namespace

JNIEnv* mainThreadJavaEnv(JavaVM* knownVm) {
  if (!NSThread::isMainThread()) return nullptr;
  if (mainThreadEnv) return mainThreadEnv;
  JavaVM* vm = knownVm ? knownVm : processJavaVm();
  if (!vm) return nullptr;
  JNIEnv* env = nullptr;
  if (vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_8) != JNI_OK) {
    JavaVMAttachArgs args{JNI_VERSION_1_8, const_cast<char*>(kMainThreadName), nullptr};
    if (vm->AttachCurrentThreadAsDaemon(reinterpret_cast<void**>(&env), &args) != JNI_OK)
      return nullptr;
  }
  mainThreadEnv = env;
  return env;
}

JNIEnv* currentJavaEnv(bool asDaemon, bool* attachedHere) {
  *attachedHere = false;
  JavaVM* vm = processJavaVm();
  if (!vm) return nullptr;
  JNIEnv* env = nullptr;
  if (vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_6) != JNI_EDETACHED) return env;
  const jint attached =
      asDaemon ? vm->AttachCurrentThreadAsDaemon(reinterpret_cast<void**>(&env), nullptr)
               : vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr);
  if (attached != JNI_OK) return nullptr;
  *attachedHere = true;
  return env;
}

std::string javaSystemProperty(const char* name) {
  bool attachedHere = false;
  JNIEnv* env = currentJavaEnv(/*asDaemon=*/true, &attachedHere);
  std::string value;
  if (env) {
    jthrowable pending = env->ExceptionOccurred();
    if (pending) env->ExceptionClear();
    value = readProperty(env, name);
    if (pending) {
      env->Throw(pending);
      env->DeleteLocalRef(pending);
    }
  }
  if (attachedHere) {
    JavaVM* vm = nullptr;
    env->GetJavaVM(&vm);
    vm->DetachCurrentThread();
  }
  return value;
}

} // namespace brix
