#include "bridge/Upcall.h"

#include "bridge/Bridge.h"
#include "foundation/NSLog.h"

namespace brix {

const UpcallTarget kNamedRunnable{"ixa/Ixa", "callNamedRunnable"};

namespace {

constexpr const char* kOneString = "(Ljava/lang/String;)V";
constexpr const char* kTwoStrings = "(Ljava/lang/String;Ljava/lang/String;)V";
// Room for the converted strings, the class reference and the call's own needs.
constexpr jint kLocalFrameCapacity = 8;

// A lookup that failed has left NoClassDefFoundError or NoSuchMethodError pending. It is cleared
// here, since nothing in Java asked for this lookup, and logged, since otherwise the action would
// vanish without a trace.
void clearFailedLookup(JNIEnv* env, const UpcallTarget& target, const char* signature,
                       bool classMissing) {
  env->ExceptionClear();
  if (classMissing)
    NSLog("Upcall skipped: class %s not found", target.className);
  else
    NSLog("Upcall skipped: method %s%s not found in class %s", target.methodName, signature,
          target.className);
}

// Converts the strings, looks up the class and its method, and calls it, all inside a local
// frame so that a long modal loop never piles up local references. No JNI function but the
// exempt ones is called while an exception is pending.
template <class... Strings>
void upcall(const UpcallTarget& target, const char* signature, const UpcallObserver* observer,
            Strings*... strings) {
  JNIEnv* env = _env;
  if (!env || env->ExceptionCheck()) return;
  if (env->PushLocalFrame(kLocalFrameCapacity) != 0) return; // out of memory is now pending
  jstring converted[] = {nstringToJString(env, strings)...};
  if (env->ExceptionCheck()) { // a conversion ran out of memory; that error is the caller's
    env->PopLocalFrame(nullptr);
    return;
  }
  jclass ixa = env->FindClass(target.className);
  if (observer) observer->classFound(ixa);
  if (!ixa) clearFailedLookup(env, target, signature, true);
  jmethodID method = ixa ? env->GetStaticMethodID(ixa, target.methodName, signature) : nullptr;
  if (ixa && observer) observer->methodFound(method);
  if (ixa && !method) clearFailedLookup(env, target, signature, false);
  if (method) {
    if constexpr (sizeof...(Strings) == 1)
      env->CallStaticVoidMethod(ixa, method, converted[0]);
    else
      env->CallStaticVoidMethod(ixa, method, converted[0], converted[1]);
    // An exception thrown by the application's own handler is the application's: it stays
    // pending for the Java caller of the running native method, and later upcalls in the same
    // native call are skipped by the check above. Looked at so that the JVM knows it was checked.
    env->ExceptionCheck();
  }
  env->PopLocalFrame(nullptr);
}

} // namespace

void callStaticStringMethod(const UpcallTarget& target, NSString* name,
                            const UpcallObserver* observer) {
  upcall(target, kOneString, observer, name);
}

void callStaticStringMethod(const UpcallTarget& target, NSString* name, NSString* value) {
  upcall(target, kTwoStrings, nullptr, name, value);
}

void callNamedRunnable(NSString* name, const UpcallObserver* observer) {
  callStaticStringMethod(kNamedRunnable, name, observer);
}

void callNamedRunnable(NSString* name, NSString* value) {
  callStaticStringMethod(kNamedRunnable, name, value);
}

} // namespace brix
