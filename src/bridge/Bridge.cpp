#include "bridge/Bridge.h"

#include <cstring>
#include <memory>

#include "foundation/NSStringEncoding.h"

namespace brix {
JNIEnv* _env = nullptr;
} // namespace brix

extern "C" {

NSString* jstringToNSString(JNIEnv* env, jstring string) {
  if (!string) return nullptr;
  const char* bytes = env->GetStringUTFChars(string, nullptr);
  if (!bytes) return nullptr; // out of memory; the JVM has an error pending for the caller
  // The JVM hands out modified UTF-8, which never contains a NUL byte, so strlen is its length.
  NSString* result = NSString::stringWithModifiedUTF8(bytes, std::strlen(bytes));
  env->ReleaseStringUTFChars(string, bytes);
  return result;
}

jstring nstringToJString(JNIEnv* env, NSString* string) {
  // With an exception pending (an action that threw while a modal loop ran) no JNI call may be
  // made: the answer is null, and the exception reaches the Java caller.
  if (!string || env->ExceptionCheck()) return nullptr;
  const std::u16string& text = string->utf16();
  const std::size_t length = modifiedUTF8Length(text);
  // Left uninitialised: every byte is written before NewStringUTF reads it.
  auto bytes = std::make_unique_for_overwrite<char[]>(length + 1);
  writeModifiedUTF8(text, bytes.get());
  bytes[length] = '\0';
  return env->NewStringUTF(bytes.get());
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
