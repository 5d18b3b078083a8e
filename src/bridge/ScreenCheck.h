// Calls that show windows need a screen a user can see. Without one (no X server, one that
// cannot be reached or went away) they fail at once, as AWT's own windows do, instead of waiting
// for an answer nobody can give.
#pragma once

#include <jni.h>

namespace brix {

// True when the display can show windows; else throws java.awt.HeadlessException in env, naming
// the native method and why there is no screen, and returns false.
bool screenAvailable(JNIEnv* env, const char* name);

} // namespace brix
