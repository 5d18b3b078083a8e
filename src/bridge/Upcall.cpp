#include "Upcall.h"

#include "Bridge.h"

namespace brix {
namespace {

constexpr const char* kClassName = "ixa/Ixa";
constexpr const char* kMethodName = "callNamedRunnable";
// Room for the converted strings, the class reference and the call's own needs.
constexpr jint kLocalFrameCapacity = 8;

// Converts the strings, looks up ixa.Ixa and its method, and calls it, all inside a local frame
// so that a long modal loop never piles up local references. No JNI function but the exempt
// ones is called while an exception is pending.
template <class... Strings>
void upcall(const char* signature, const UpcallObserver* observer, Strings*... strings) {
  JNIEnv* env = _env;
  if (!env || env->ExceptionCheck()) return;
  if (env->PushLocalFrame(kLocalFrameCapacity) != 0) return; // out of memory is now pending
  jstring converted[] = {nstringToJString(env, strings)...};
  jclass ixa = env->ExceptionCheck() ? nullptr : env->FindClass(kClassName);
  if (observer) observer->classFound(ixa);
  jmethodID method = ixa ? env->GetStaticMethodID(ixa, kMethodName, signature) : nullptr;
  if (ixa && observer) observer->methodFound(method);
  if (method) {
    if constexpr (sizeof...(Strings) == 1)
      env->CallStaticVoidMethod(ixa, method, converted[0]);
    else
      env->CallStaticVoidMethod(ixa, method, converted[0], converted[1]);
    // Looked at so that the JVM knows it was checked; an exception stays pending for the Java
    // caller, and later upcalls in the same native call are skipped by the check above.
    env->ExceptionCheck();
  }
  env->PopLocalFrame(nullptr);
}

} // namespace

void callNamedRunnable(NSString* name, const UpcallObserver* observer) {
  upcall("(Ljava/lang/String;)V", observer, name);
}

void callNamedRunnable(NSString* name, NSString* value) {
  upcall("(Ljava/lang/String;Ljava/lang/String;)V", nullptr, name, value);
}

} // namespace brix
