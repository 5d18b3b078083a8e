// The application's own icon for an application without a bundle icon: the one its Java frames
// carry (Window.setIconImage), as a desktop's window list shows them.
#pragma once

#include <jni.h>

class NSImage;

namespace brix {

// The largest icon image (at most 256 pixels a side) of the first showing Java frame that has
// one, autoreleased; nil when no frame has one or it is not a BufferedImage. Leaves no Java
// exception pending.
NSImage* javaFrameIcon(JNIEnv* env);
// For an application whose bundle has no icon: makes the Java frames' icon the application's,
// which alerts show in place of the generic one. Main thread.
void adoptJavaFrameIcon(JNIEnv* env);

} // namespace brix
