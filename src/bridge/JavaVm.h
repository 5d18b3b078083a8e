// Finding the Java VM this library runs in, from code that was not handed a JNIEnv (the
// termination handler, the display's scale).
#pragma once

#include <jni.h>

#include <string>

namespace brix {

using GetCreatedJavaVMs = jint (*)(JavaVM**, jsize, jsize*);

// JNI_GetCreatedJavaVMs of the Java VM loaded into this process, or nullptr. The launcher loads
// libjvm globally, but an embedding program may have loaded it privately, so the library is
// looked for among the loaded objects as well.
GetCreatedJavaVMs findGetCreatedJavaVMs();

// The calling thread's JNIEnv in this process's Java VM, attaching the thread (as a daemon when
// asked) when it is not attached yet, which attachedHere then tells; null without a VM.
JNIEnv* currentJavaEnv(bool asDaemon, bool* attachedHere);

// The Java VM's system property name, read on the calling thread (attached for the look when it
// is not); empty when there is no VM, or the property is unset or cannot be read. An exception the
// caller left pending survives the look. The values read so are plain text, where modified UTF-8
// is UTF-8.
std::string javaSystemProperty(const char* name);

} // namespace brix
