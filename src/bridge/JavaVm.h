// Finding the Java VM this library runs in, from code that was not handed a JNIEnv (the
// termination handler, the display's scale), and the platform's main thread joining it: the one
// place where the process's JVM is looked for.
#pragma once

#include <jni.h>

#include <string>

namespace brix {

using GetCreatedJavaVMs = jint (*)(JavaVM**, jsize, jsize*);

// How the platform's main thread shows in a Java thread dump. It is attached to the JVM as a
// daemon as it starts (a start hook of NSThread's), so that a dump shows it from the first call
// and it never keeps the JVM from exiting.
inline constexpr const char* kMainThreadName = "Brix Main Thread";

// JNI_GetCreatedJavaVMs of the Java VM loaded into this process, or nullptr. The launcher loads
// libjvm globally, but an embedding program may have loaded it privately, so the library is
// looked for among the loaded objects as well.
GetCreatedJavaVMs findGetCreatedJavaVMs();

// The calling thread's JNIEnv in this process's Java VM, attaching the thread (as a daemon when
// asked) when it is not attached yet, which attachedHere then tells; null without a VM.
JNIEnv* currentJavaEnv(bool asDaemon, bool* attachedHere);

// The platform's main thread's JNIEnv, attaching the thread (as a daemon named kMainThreadName)
// when it is not attached yet; null off the main thread or without a JVM. vm names the JVM
// where its library was loaded so that its symbols cannot be seen (the tests' own JVM).
JNIEnv* mainThreadJavaEnv(JavaVM* vm = nullptr);

// The Java VM's system property name, read on the calling thread (attached for the look when it
// is not); empty when there is no VM, or the property is unset or cannot be read. An exception the
// caller left pending survives the look. The values read so are plain text, where modified UTF-8
// is UTF-8.
std::string javaSystemProperty(const char* name);

} // namespace brix
