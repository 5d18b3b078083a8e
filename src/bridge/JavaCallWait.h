// The Java side of a call's wait for the main thread (ixa.internal.CallWait): whether the JVM is
// exiting, Swing's events served while the event dispatch thread waits, the caller's context
// class loader lent to the main thread, and whether the main thread is blocked on a lock the
// caller holds. Every function leaves no Java exception pending; one that cannot reach the Java
// class (a class path without it) answers as if the wait were an ordinary one.
#pragma once

#include <jni.h>

namespace brix {

// Begins a wait on the calling thread: a global reference to the wait, or null when the class
// cannot be found or the JVM is exiting (exiting tells which). An application-modal call keeps the
// application's AWT windows from taking input until finishCallWait.
jobject beginCallWait(JNIEnv* env, bool appModal, bool& exiting);
// On the main thread, once a wait exists: names the main thread's java.lang.Thread to the waits,
// whose watch looks at its locks.
void announceMainThread(JNIEnv* env, jobject mainThread);
// True when the caller is Swing's event dispatch thread, which waits by serving events.
bool callWaitServesEvents(JNIEnv* env, jobject wait);
// On the event dispatch thread: serves events until the main thread calls finishCallWait; false
// when the wait was given up because the main thread is blocked on a lock this thread holds.
bool awaitServingEvents(JNIEnv* env, jobject wait);
// When the call has finished (on the main thread), or will never run (on the calling thread).
void finishCallWait(JNIEnv* env, jobject wait);
// On the calling thread: true when the main thread is blocked on a lock the caller holds.
bool mainWaitsForCaller(JNIEnv* env, jobject wait);
// On the main thread: gives it the caller's context class loader and returns (as a local
// reference) the one it had.
jobject adoptCallerLoader(JNIEnv* env, jobject wait);
// On the main thread: sets its context class loader.
void restoreContextLoader(JNIEnv* env, jobject loader);

} // namespace brix
