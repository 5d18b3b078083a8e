#include "bridge/Upcall.h"

#include <string>

#include "bridge/Bridge.h"
#include "bridge/NativeScope.h"
#include "foundation/system/NSLog.h"

namespace brix {

const UpcallTarget kNamedRunnable{"ixa/Ixa", "callNamedRunnable"};

namespace {

constexpr const char* kOneString = "(Ljava/lang/String;)V";
constexpr const char* kTwoStrings = "(Ljava/lang/String;Ljava/lang/String;)V";
// Room for the converted strings, the class lookup and the call's own needs.
constexpr jint kLocalFrameCapacity = 12;

// The class loader of the class whose native method last stored _env (a global reference, or
// null for none or the boot loader). Upcalls run on the main thread, where no Java frame tells
// the JVM which loader to use; this is the one FindClass would have used in that native method.
jobject callerLoader = nullptr;

// The target class, by the caller's loader when there is one; null with the lookup's error
// pending when it cannot be found.
jclass findTargetClass(JNIEnv* env, const char* className) {
  if (!callerLoader) return env->FindClass(className);
  jclass classClass = env->FindClass("java/lang/Class");
  if (!classClass) return nullptr;
  jmethodID forName = env->GetStaticMethodID(
      classClass, "forName", "(Ljava/lang/String;ZLjava/lang/ClassLoader;)Ljava/lang/Class;");
  if (!forName) return nullptr;
  std::string binaryName = className;
  for (char& c : binaryName)
    if (c == '/') c = '.';
  jstring javaName = env->NewStringUTF(binaryName.c_str());
  if (!javaName) return nullptr;
  auto found = static_cast<jclass>(
      env->CallStaticObjectMethod(classClass, forName, javaName, JNI_TRUE, callerLoader));
  env->ExceptionCheck(); // looked at here; the caller handles a failure by the null class
  return found;
}

// An exception the application's handler threw while no Java caller waits on the main thread
// (a sheet's button pressed between calls) has nobody to reach: it is printed with its stack,
// as the JVM prints an uncaught exception, logged and cleared, so the next upcall goes through.
void reportUncaught(JNIEnv* env, NSString* name) {
  jthrowable exception = env->ExceptionOccurred();
  env->ExceptionDescribe(); // prints and clears
  std::string text = "an exception";
  if (exception) {
    jclass throwable = env->FindClass("java/lang/Throwable");
    jmethodID toString =
        throwable ? env->GetMethodID(throwable, "toString", "()Ljava/lang/String;") : nullptr;
    auto description =
        toString ? static_cast<jstring>(env->CallObjectMethod(exception, toString)) : nullptr;
    if (description && !env->ExceptionCheck()) {
      if (const char* chars = env->GetStringUTFChars(description, nullptr)) {
        text = chars;
        env->ReleaseStringUTFChars(description, chars);
      }
    }
    env->ExceptionClear();
  }
  NSLog("The handler of %s threw %s, and no caller waits for it; it was cleared",
        name ? name->utf8().c_str() : "(null)", text.c_str());
}

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

// The handler's name of an upcall, as the log shows it.
template <class... Strings> std::string handlerNameOf(NSString* first, Strings*...) {
  return first ? first->utf8() : std::string("(null)");
}

// Converts the strings, looks up the class and its method, and calls it, all inside a local
// frame so that a long modal loop never piles up local references. No JNI function but the
// exempt ones is called while an exception is pending.
template <class... Strings>
void upcall(const UpcallTarget& target, const char* signature, const UpcallObserver* observer,
            Strings*... strings) {
  JNIEnv* env = _env;
  if (!env) {
    NSLog("The answer \"%s\" was dropped: modifyMenuBar, showMacContextMenuWithJSON or "
          "renderMacButton must run once before answers can reach Java",
          handlerNameOf(strings...).c_str());
    return;
  }
  if (env->ExceptionCheck()) return;
  if (env->PushLocalFrame(kLocalFrameCapacity) != 0) return; // out of memory is now pending
  // Only a string that came back null can have failed; a conversion that ran out of memory left
  // its error pending, which is the caller's, and no further JNI call may be made.
  NSString* const given[] = {strings...};
  jstring converted[sizeof...(Strings)] = {};
  for (std::size_t i = 0; i < sizeof...(Strings); ++i) {
    converted[i] = newJavaString(env, given[i]);
    if (given[i] && !converted[i] && env->ExceptionCheck()) {
      env->PopLocalFrame(nullptr);
      return;
    }
  }
  jclass ixa = findTargetClass(env, target.className);
  if (observer) observer->classFound(ixa);
  if (!ixa) clearFailedLookup(env, target, signature, true);
  jmethodID method = ixa ? env->GetStaticMethodID(ixa, target.methodName, signature) : nullptr;
  if (ixa && observer) observer->methodFound(method);
  if (ixa && !method) clearFailedLookup(env, target, signature, false);
  if (method) {
    NSString* name = given[0];
    {
      HandlerRun run(env, name);
      if constexpr (sizeof...(Strings) == 1)
        env->CallStaticVoidMethod(ixa, method, converted[0]);
      else
        env->CallStaticVoidMethod(ixa, method, converted[0], converted[1]);
    }
    // An exception thrown by the application's own handler is the application's: it stays
    // pending for the Java caller of the running native method, and later upcalls in the same
    // native call are skipped by the check above.
    if (env->ExceptionCheck() && !javaCallerWaits()) reportUncaught(env, name);
  }
  env->PopLocalFrame(nullptr);
}

} // namespace

void rememberJavaCaller(JNIEnv* env, jclass caller) {
  _env = env;
  if (!caller) return;
  jclass classClass = env->GetObjectClass(caller);
  jmethodID getLoader = env->GetMethodID(classClass, "getClassLoader", "()Ljava/lang/ClassLoader;");
  jobject loader = getLoader ? env->CallObjectMethod(caller, getLoader) : nullptr;
  if (env->ExceptionCheck()) return; // left for the caller, as the JVM's own error
  if (callerLoader) env->DeleteGlobalRef(callerLoader);
  // Kept until the next storing call replaces it.
  callerLoader = loader ? env->NewGlobalRef(loader) : nullptr;
  if (loader) env->DeleteLocalRef(loader);
  env->DeleteLocalRef(classClass);
}

jobject rememberedCallerLoader() {
  return callerLoader;
}

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
