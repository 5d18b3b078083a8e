// The platform's main thread: the thread AppKit would run on. The platform starts it itself on
// first use (NSRunLoop::mainRunLoop) and it serves the main run loop for the life of the
// process; user-interface work happens only there, and other threads hand their work to it.
// What else the thread must be part of (a JVM, in a Java process) its start hooks join.
#pragma once

#include <chrono>

#include "foundation/runtime/Assert.h"

// For work that only the platform's main thread may do.
#define BRIX_ASSERT_MAIN_THREAD()                                                                  \
  BRIX_ASSERT(NSThread::isMainThread(), "called off the platform's main thread: hand the work "    \
                                        "to it (NSRunLoop::performOnMain or the main queue)")

class NSThread {
public:
  // True on the platform's main thread only.
  static bool isMainThread();
  // True once the main thread has been started.
  static bool hasMainThread();
  // Starts the main thread running serve(), once; later calls do nothing. The main run loop
  // calls this when it is first asked for; wake() makes the serving look at once whether the
  // process is exiting.
  static void startMainThread(void (*serve)(), void (*wake)());
  // Work the main thread does first, before it serves anything; startMainThread returns once it
  // is done, and exit's stop is registered after it, so that it runs before any exit handler
  // that this work registered (a library may register one on first use, to free what the main
  // thread goes on using). Added as a library loads; false, and the hook never runs, when the
  // main thread has already started.
  static bool addStartHook(void (*hook)());

  // True once the process has begun to exit: the main thread serves nothing more, so that no
  // work runs against objects that exit is destroying.
  static bool isExiting();

  // Marks the process as exiting and, called on another thread, waits (at most limit) until the
  // main thread has stopped serving: exit then destroys nothing that served work is using. A
  // main thread that is calling out (see CallingOut) is not waited for: it is in Java, which a
  // JVM's exit stops for good, or it is the thread that asked to exit. Exit calls this itself.
  static void stopServingForExit(std::chrono::milliseconds limit = std::chrono::seconds(1));
  // Where the main thread's serving ends when the process exits; it never returns.
  [[noreturn]] static void parkForExit();

  // While one lives on the main thread, the main thread is calling out of the platform (into
  // the application's Java code), where it may stay while the process exits.
  class CallingOut {
  public:
    CallingOut();
    ~CallingOut();
    CallingOut(const CallingOut&) = delete;
    CallingOut& operator=(const CallingOut&) = delete;

  private:
    bool counted_;
  };
};
