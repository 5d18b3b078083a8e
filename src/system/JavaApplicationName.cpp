// The application's name for the live display: the simple name of the Java VM's main class, from
// its sun.java.command system property, as Java's own windows are named after it. The display
// layer knows nothing of Java; the library installs this when it is loaded, and the display asks
// once, as it opens.
#include "system/JavaApplicationName.h"

#include <jni.h>

#include "bridge/JavaVm.h"
#include "display/DisplayBackend.h"

namespace {

using brix::findGetCreatedJavaVMs;
using brix::GetCreatedJavaVMs;

// sun.java.command, or an empty string when it is not set or cannot be read. A pending exception
// of the caller's survives the look-up.
std::string javaCommand(JNIEnv* env) {
  jthrowable pending = env->ExceptionOccurred();
  if (pending) env->ExceptionClear();
  std::string value;
  if (env->PushLocalFrame(8) == JNI_OK) {
    jclass system = env->FindClass("java/lang/System");
    jmethodID getProperty = system
                                ? env->GetStaticMethodID(system, "getProperty",
                                                         "(Ljava/lang/String;)Ljava/lang/String;")
                                : nullptr;
    jstring key = getProperty ? env->NewStringUTF("sun.java.command") : nullptr;
    auto* result =
        key ? static_cast<jstring>(env->CallStaticObjectMethod(system, getProperty, key)) : nullptr;
    if (env->ExceptionCheck()) {
      env->ExceptionClear();
      result = nullptr;
    }
    // Class and jar names are plain text, where modified UTF-8 is UTF-8.
    if (const char* chars = result ? env->GetStringUTFChars(result, nullptr) : nullptr) {
      value = chars;
      env->ReleaseStringUTFChars(result, chars);
    }
    env->PopLocalFrame(nullptr);
  }
  if (env->ExceptionCheck()) env->ExceptionClear();
  if (pending) {
    env->Throw(pending);
    env->DeleteLocalRef(pending);
  }
  return value;
}

} // namespace

std::string JavaMainClassName(const std::string& command) {
  std::string name = command.substr(0, command.find(' '));
  constexpr std::string_view kJar = ".jar";
  if (name.size() > kJar.size() && name.ends_with(kJar)) {
    name.resize(name.size() - kJar.size());
    return name.substr(name.find_last_of('/') + 1);
  }
  // A module's main class comes after the module's name and a slash.
  return name.substr(name.find_last_of("/.") + 1);
}

std::string JavaApplicationName() {
  GetCreatedJavaVMs getCreatedJavaVMs = findGetCreatedJavaVMs();
  if (!getCreatedJavaVMs) return {};
  JavaVM* vm = nullptr;
  jsize count = 0;
  if (getCreatedJavaVMs(&vm, 1, &count) != JNI_OK || count < 1 || !vm) return {};
  JNIEnv* env = nullptr;
  bool attachedHere = false;
  if (vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_6) == JNI_EDETACHED) {
    if (vm->AttachCurrentThreadAsDaemon(reinterpret_cast<void**>(&env), nullptr) != JNI_OK)
      return {};
    attachedHere = true;
  }
  std::string name = env ? JavaMainClassName(javaCommand(env)) : std::string();
  if (attachedHere) vm->DetachCurrentThread();
  return name;
}

namespace {

// Installed at load time, before any window can open the display.
const bool installed = [] {
  DisplayBackend::setToolkitApplicationName(JavaApplicationName);
  return true;
}();

} // namespace
