// One real JVM per test binary, created in-process on first use with -Xcheck:jni and the class
// path of the built jars (ixa.jar and the Java test classes). The platform's main thread, where
// the tests run, is attached to it as in applications: a daemon thread with its own name.
#pragma once

#include <jni.h>

#include <string>

// The calling thread's JNIEnv, creating the JVM the first time and attaching the thread.
JNIEnv* testJniEnv();
JavaVM* testJavaVm();

// Helpers for tests: a Java string from UTF-16 (so any text, U+0000 included, can be made) and
// back, through the JVM's own functions, not the library's conversions.
jstring testJavaString(JNIEnv* env, const std::u16string& text);
std::u16string testJavaStringValue(JNIEnv* env, jstring string);
// Fails the current test when a Java exception is pending, after describing it.
void expectNoPendingException(JNIEnv* env);
