#include "bridge/JavaCallWait.h"

#include "foundation/system/NSLog.h"

namespace brix {

namespace {

// The class and its methods, looked up once on the first caller's thread, where the class
// loader of the native method's class finds them.
struct CallWaitClass {
  jclass type = nullptr;
  jmethodID begin = nullptr;
  jmethodID servesEvents = nullptr;
  jmethodID await = nullptr;
  jmethodID finish = nullptr;
  jmethodID mainWaitsForCaller = nullptr;
  jmethodID adoptLoader = nullptr;
  jmethodID restoreLoader = nullptr;
  jmethodID mainThreadIs = nullptr;
};

CallWaitClass lookUp(JNIEnv* env) {
  CallWaitClass found;
  jclass local = env->FindClass("ixa/internal/CallWait");
  if (!local) {
    env->ExceptionClear();
    NSLog("ixa.internal.CallWait is missing: calls wait without serving Swing's events");
    return found;
  }
  found.begin = env->GetStaticMethodID(local, "begin", "(Z)Lixa/internal/CallWait;");
  found.servesEvents = env->GetMethodID(local, "servesEvents", "()Z");
  found.await = env->GetMethodID(local, "await", "()Z");
  found.finish = env->GetMethodID(local, "finish", "()V");
  found.mainWaitsForCaller = env->GetMethodID(local, "mainWaitsForCaller", "()Z");
  found.adoptLoader = env->GetMethodID(local, "adoptLoader", "()Ljava/lang/ClassLoader;");
  found.restoreLoader =
      env->GetStaticMethodID(local, "restoreLoader", "(Ljava/lang/ClassLoader;)V");
  found.mainThreadIs = env->GetStaticMethodID(local, "mainThreadIs", "(Ljava/lang/Thread;)V");
  if (env->ExceptionCheck()) {
    env->ExceptionClear();
    env->DeleteLocalRef(local);
    return CallWaitClass{};
  }
  // Kept for the life of the process, as the class is.
  found.type = static_cast<jclass>(env->NewGlobalRef(local));
  env->DeleteLocalRef(local);
  return found;
}

const CallWaitClass& callWaitClass(JNIEnv* env) {
  static const CallWaitClass found = lookUp(env);
  return found;
}

// What a helper method threw is a fault of the helper, never the application's: it is printed
// and cleared so that it cannot reach a caller that did nothing wrong.
bool cleared(JNIEnv* env) {
  if (!env->ExceptionCheck()) return false;
  env->ExceptionDescribe();
  env->ExceptionClear();
  return true;
}

} // namespace

jobject beginCallWait(JNIEnv* env, bool appModal, bool& exiting) {
  exiting = false;
  const CallWaitClass& helper = callWaitClass(env);
  if (!helper.type) return nullptr;
  jobject wait =
      env->CallStaticObjectMethod(helper.type, helper.begin, static_cast<jboolean>(appModal));
  if (cleared(env)) return nullptr;
  exiting = wait == nullptr;
  if (!wait) return nullptr;
  jobject global = env->NewGlobalRef(wait);
  env->DeleteLocalRef(wait);
  return global;
}

void announceMainThread(JNIEnv* env, jobject mainThread) {
  const CallWaitClass& helper = callWaitClass(env);
  env->CallStaticVoidMethod(helper.type, helper.mainThreadIs, mainThread);
  cleared(env);
}

bool callWaitServesEvents(JNIEnv* env, jobject wait) {
  const bool serves = env->CallBooleanMethod(wait, callWaitClass(env).servesEvents);
  return !cleared(env) && serves;
}

bool awaitServingEvents(JNIEnv* env, jobject wait) {
  const bool finished = env->CallBooleanMethod(wait, callWaitClass(env).await);
  return cleared(env) || finished;
}

void finishCallWait(JNIEnv* env, jobject wait) {
  env->CallVoidMethod(wait, callWaitClass(env).finish);
  cleared(env);
}

bool mainWaitsForCaller(JNIEnv* env, jobject wait) {
  const bool waits = env->CallBooleanMethod(wait, callWaitClass(env).mainWaitsForCaller);
  return !cleared(env) && waits;
}

jobject adoptCallerLoader(JNIEnv* env, jobject wait) {
  jobject before = env->CallObjectMethod(wait, callWaitClass(env).adoptLoader);
  return cleared(env) ? nullptr : before;
}

void restoreContextLoader(JNIEnv* env, jobject loader) {
  const CallWaitClass& helper = callWaitClass(env);
  if (!helper.type) return;
  env->CallStaticVoidMethod(helper.type, helper.restoreLoader, loader);
  cleared(env);
}

} // namespace brix
