#include "testkit/TestkitJni.h"

#include <exception>

#include "display/DisplayBackend.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "testkit/SimulatedUser.h"

namespace {

// The simulated user answers windows on the headless display as well, so with the testkit loaded
// a missing X server leaves the headless display in its place rather than failing calls.
const bool headlessStandsIn = [] {
  DisplayBackend::allowHeadlessStandIn();
  return true;
}();

} // namespace

namespace testkit {

void throwJava(JNIEnv* env, const char* className, const std::string& message) {
  if (env->ExceptionCheck()) return;
  jclass type = env->FindClass(className);
  if (!type) return; // FindClass left its own error pending
  env->ThrowNew(type, message.c_str());
  env->DeleteLocalRef(type);
}

std::optional<std::u16string> stringValue(JNIEnv* env, jstring string) {
  if (!string) return std::nullopt;
  const jsize length = env->GetStringLength(string);
  const jchar* chars = env->GetStringChars(string, nullptr);
  if (!chars) return std::nullopt;
  std::u16string text(reinterpret_cast<const char16_t*>(chars), static_cast<std::size_t>(length));
  env->ReleaseStringChars(string, chars);
  return text;
}

jstring newString(JNIEnv* env, std::u16string_view text) {
  return env->NewString(reinterpret_cast<const jchar*>(text.data()),
                        static_cast<jsize>(text.size()));
}

jobjectArray newStringArray(JNIEnv* env, const std::vector<std::u16string>& texts) {
  jclass stringClass = env->FindClass("java/lang/String");
  if (!stringClass) return nullptr;
  jobjectArray array = env->NewObjectArray(static_cast<jsize>(texts.size()), stringClass, nullptr);
  env->DeleteLocalRef(stringClass);
  if (!array) return nullptr;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    jstring element = newString(env, texts[i]);
    if (!element) return nullptr;
    env->SetObjectArrayElement(array, static_cast<jsize>(i), element);
    // Long arrays (the log) must not pile up local references.
    env->DeleteLocalRef(element);
  }
  return array;
}

std::optional<std::vector<std::u16string>> stringArrayValue(JNIEnv* env, jobjectArray array,
                                                            const char* what) {
  if (!array) {
    throwJava(env, kNullPointer, std::string(what) + " must not be null");
    return std::nullopt;
  }
  const jsize length = env->GetArrayLength(array);
  std::vector<std::u16string> texts;
  texts.reserve(static_cast<std::size_t>(length));
  for (jsize i = 0; i < length; ++i) {
    auto element = static_cast<jstring>(env->GetObjectArrayElement(array, i));
    if (env->ExceptionCheck()) return std::nullopt;
    std::optional<std::u16string> text = stringValue(env, element);
    if (element) env->DeleteLocalRef(element);
    if (!text) {
      throwJava(env, kNullPointer,
                std::string(what) + "[" + std::to_string(i) + "] must not be null");
      return std::nullopt;
    }
    texts.push_back(std::move(*text));
  }
  return texts;
}

bool runOnMain(JNIEnv* env, const char* method, std::function<void()> work) {
  // The simulated user's limit, so that Screen and User wait for the main thread alike.
  const std::chrono::milliseconds limit = SimulatedUser::kDefaultLimit;
  const bool finished = NSRunLoop::mainRunLoop().performOnMain(std::move(work), limit);
  if (!finished)
    throwJava(env, kIllegalState,
              std::string(method) + ": the main thread did not serve its run loop within " +
                  std::to_string(limit.count() / 1000) +
                  " s (is it running Screen.run or a modal loop?)");
  return finished;
}

void runOnMainWithoutLimit(std::function<void()> work) {
  if (NSThread::isMainThread()) return work();
  const auto handover = NSRunLoop::mainRunLoop().handOver(std::move(work));
  while (!handover->waitFor(std::chrono::hours(1))) {
  }
}

void guarded(JNIEnv* env, const char* method, const std::function<void()>& body) {
  NSAutoreleasePool pool;
  try {
    body();
  } catch (const std::exception& error) {
    throwJava(env, "java/lang/RuntimeException", std::string(method) + " failed: " + error.what());
  } catch (...) {
    throwJava(env, "java/lang/RuntimeException", std::string(method) + " failed");
  }
}

} // namespace testkit
