#include "bridge/ScreenCheck.h"

#include <string>

#include "display/DisplayBackend.h"

namespace brix {

bool screenAvailable(JNIEnv* env, const char* name) {
  const std::string why = DisplayBackend::whyNoScreen();
  if (why.empty()) return true;
  if (env->ExceptionCheck()) return false;
  const std::string message = std::string("IxaDialogs.") + name + " needs a screen: " + why;
  if (jclass type = env->FindClass("java/awt/HeadlessException")) {
    env->ThrowNew(type, message.c_str());
    env->DeleteLocalRef(type);
  }
  return false;
}

} // namespace brix
