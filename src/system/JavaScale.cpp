// The scale Java's windows draw at, for the live display: the Java VM's sun.java2d.uiScale
// system property, read as Java reads it ("2", "2x", "200%", "192dpi"), unless
// sun.java2d.uiScale.enabled is false. The display layer knows nothing of Java; the library
// installs this when it is loaded, and the display asks once, as it opens.
#include "system/JavaScale.h"

#include <jni.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bridge/JavaVm.h"
#include "display/DisplayBackend.h"

namespace {

using brix::findGetCreatedJavaVMs;
using brix::GetCreatedJavaVMs;

// System.getProperty(name), or an empty string when it is not set or cannot be read.
std::string systemProperty(JNIEnv* env, const char* name) {
  std::string value;
  jclass system = env->FindClass("java/lang/System");
  jmethodID getProperty = system ? env->GetStaticMethodID(system, "getProperty",
                                                          "(Ljava/lang/String;)Ljava/lang/String;")
                                 : nullptr;
  jstring key = getProperty ? env->NewStringUTF(name) : nullptr;
  auto* result =
      key ? static_cast<jstring>(env->CallStaticObjectMethod(system, getProperty, key)) : nullptr;
  if (env->ExceptionCheck()) {
    env->ExceptionClear();
    result = nullptr;
  }
  if (result) {
    // The property values read here are ASCII, where modified UTF-8 is plain UTF-8.
    if (const char* chars = env->GetStringUTFChars(result, nullptr)) {
      value = chars;
      env->ReleaseStringUTFChars(result, chars);
    }
    env->DeleteLocalRef(result);
  }
  if (key) env->DeleteLocalRef(key);
  if (system) env->DeleteLocalRef(system);
  return value;
}

} // namespace

double JavaScaleFromProperty(const std::string& value) {
  std::string number = value;
  double unit = 1;
  auto strip = [&](const char* suffix, double suffixUnit) {
    const std::size_t length = std::strlen(suffix);
    if (number.size() <= length || number.compare(number.size() - length, length, suffix) != 0)
      return false;
    number.resize(number.size() - length);
    unit = suffixUnit;
    return true;
  };
  strip("x", 1) || strip("dpi", 96) || strip("%", 100);
  if (number.empty()) return 0;
  char* end = nullptr;
  const double scale = std::strtod(number.c_str(), &end);
  if (!end || *end != '\0' || !std::isfinite(scale) || scale <= 0) return 0;
  return scale / unit;
}

double JavaWindowScale() {
  GetCreatedJavaVMs getCreatedJavaVMs = findGetCreatedJavaVMs();
  if (!getCreatedJavaVMs) return 0;
  JavaVM* vm = nullptr;
  jsize count = 0;
  if (getCreatedJavaVMs(&vm, 1, &count) != JNI_OK || count < 1 || !vm) return 0;
  JNIEnv* env = nullptr;
  bool attachedHere = false;
  if (vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_6) == JNI_EDETACHED) {
    if (vm->AttachCurrentThreadAsDaemon(reinterpret_cast<void**>(&env), nullptr) != JNI_OK)
      return 0;
    attachedHere = true;
  }
  double scale = 0;
  if (env) {
    // An exception a caller left pending must survive the look-up.
    jthrowable pending = env->ExceptionOccurred();
    if (pending) env->ExceptionClear();
    if (systemProperty(env, "sun.java2d.uiScale.enabled") != "false")
      scale = JavaScaleFromProperty(systemProperty(env, "sun.java2d.uiScale"));
    if (pending) {
      env->Throw(pending);
      env->DeleteLocalRef(pending);
    }
  }
  if (attachedHere) vm->DetachCurrentThread();
  return scale;
}

namespace {

// Installed at load time, before any window can open the display.
const bool installed = [] {
  DisplayBackend::setToolkitScale(JavaWindowScale);
  return true;
}();

} // namespace
