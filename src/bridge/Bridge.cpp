#include "bridge/Bridge.h"

#include <limits>
#include <string>

namespace brix {

JNIEnv* _env = nullptr;

jstring newJavaString(JNIEnv* env, NSString* string) {
  if (!string) return nullptr;
  const std::u16string_view text = string->utf16();
  // A Java string holds at most 2^31 - 1 units; a longer text cannot become one.
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<jsize>::max())) return nullptr;
  return env->NewString(reinterpret_cast<const jchar*>(text.data()),
                        static_cast<jsize>(text.size()));
}

} // namespace brix

extern "C" {

// Strings cross as UTF-16 in both directions: Java strings and NSString hold the same code units,
// so the copy is lossless for every string (lone surrogates, NUL, supplementary characters) and
// needs no transcoding on either side.
NSString* jstringToNSString(JNIEnv* env, jstring string) {
  if (!string) return nullptr;
  const jsize length = env->GetStringLength(string);
  static_assert(sizeof(jchar) == sizeof(char16_t));
  // The region is the whole string, as long as the JVM just said it is: it cannot be out of
  // bounds, the one error GetStringRegion raises, so there is nothing to check afterwards.
  NSString* text = NSString::newWithLength(static_cast<NSUInteger>(length), [&](char16_t* units) {
    env->GetStringRegion(string, 0, length, reinterpret_cast<jchar*>(units));
  });
  return static_cast<NSString*>(text->autorelease());
}

jstring nstringToJString(JNIEnv* env, NSString* string) {
  // With an exception pending (an action that threw while a modal loop ran) no JNI call may be
  // made: the answer is null, and the exception reaches the Java caller.
  if (!string || env->ExceptionCheck()) return nullptr;
  return brix::newJavaString(env, string);
}

NSMutableArray* stringArrayToNSArray(JNIEnv* env, jobjectArray array) {
  NSMutableArray* result = NSMutableArray::array();
  if (!array) return result;
  const jsize count = env->GetArrayLength(array);
  for (jsize i = 0; i < count; ++i) {
    auto element = static_cast<jstring>(env->GetObjectArrayElement(array, i));
    NSString* string = jstringToNSString(env, element);
    // A null element (or one that fails to convert) keeps its place as the empty string, so
    // that indices in the result match the Java array.
    result->addObject(string ? string : NSString::string());
  }
  return result;
}

} // extern "C"
