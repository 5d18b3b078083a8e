// The Java bridge: the remembered JNIEnv, string conversion between Java and the platform, and
// the scope every native method opens.
#pragma once

#include <jni.h>

#include "Globals.h"
#include "foundation/collections/NSArray.h"
#include "foundation/strings/NSString.h"

extern "C" {
// A Java string as an autoreleased NSString, every Unicode character kept; nil for null.
BRIX_EXPORT NSString* jstringToNSString(JNIEnv* env, jstring string);
// An NSString as a new local Java string reference, every character kept; null for nil, and
// null while a Java exception is pending (no JNI call may be made then).
BRIX_EXPORT jstring nstringToJString(JNIEnv* env, NSString* string);
// A Java String[] as an autoreleased NSMutableArray. A null array gives an empty array; a null
// element becomes the empty string, so indices keep matching the Java array.
BRIX_EXPORT NSMutableArray* stringArrayToNSArray(JNIEnv* env, jobjectArray array);
}

namespace brix {
// nstringToJString for a caller that has already made sure no exception is pending: null for
// nil, and null with OutOfMemoryError pending when the JVM has no room for it.
jstring newJavaString(JNIEnv* env, NSString* string);
} // namespace brix
