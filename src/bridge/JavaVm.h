// Finding the Java VM this library runs in, from code that was not handed a JNIEnv (the
// termination handler, the display's scale).
#pragma once

#include <jni.h>

namespace brix {

using GetCreatedJavaVMs = jint (*)(JavaVM**, jsize, jsize*);

// JNI_GetCreatedJavaVMs of the Java VM loaded into this process, or nullptr. The launcher loads
// libjvm globally, but an embedding program may have loaded it privately, so the library is
// looked for among the loaded objects as well.
GetCreatedJavaVMs findGetCreatedJavaVMs();

} // namespace brix
