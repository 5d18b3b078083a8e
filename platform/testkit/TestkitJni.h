// Helpers shared by the testkit's native methods: Java strings and arrays, Java exceptions, and
// the hand-over of work to the main thread.
//
// Every native method of the testkit converts its arguments on the calling thread, hands the
// work (which owns copies of everything it needs) to the main thread, waits for it, and turns
// the outcome into a Java result or exception on the calling thread again. No JNI call is made
// on the main thread on behalf of another thread, and no C++ exception reaches the JVM.
#pragma once

#include <jni.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testkit {

constexpr const char* kIllegalArgument = "java/lang/IllegalArgumentException";
constexpr const char* kIllegalState = "java/lang/IllegalStateException";
constexpr const char* kNullPointer = "java/lang/NullPointerException";

// Throws a new Java exception of that class; does nothing when one is already pending.
void throwJava(JNIEnv* env, const char* className, const std::string& message);

// The UTF-16 text of a Java string (exact, whatever it holds); nullopt for null.
std::optional<std::u16string> stringValue(JNIEnv* env, jstring string);
jstring newString(JNIEnv* env, std::u16string_view text);
// A String[] of the texts; nullptr with an exception pending when Java cannot make it.
jobjectArray newStringArray(JNIEnv* env, const std::vector<std::u16string>& texts);
// The elements of a String[]; nullopt with a NullPointerException thrown for a null array or a
// null element (named after what), or with the JVM's exception pending.
std::optional<std::vector<std::u16string>> stringArrayValue(JNIEnv* env, jobjectArray array,
                                                            const char* what);

// Runs work on the main thread and waits for it (at once on the main thread). When the main
// thread does not finish it within the testkit's limit, throws IllegalStateException naming the
// method (as the message should show it, "Screen.describe") and returns false. The work must own
// everything it uses: the caller may stop waiting.
bool runOnMain(JNIEnv* env, const char* method, std::function<void()> work);

// Runs work on the main thread and waits for it to finish, however long that takes (a modal
// session that a person or another thread ends).
void runOnMainWithoutLimit(std::function<void()> work);

// Runs body and turns any C++ exception escaping it into a Java RuntimeException.
void guarded(JNIEnv* env, const char* method, const std::function<void()>& body);

} // namespace testkit
