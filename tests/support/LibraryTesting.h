// Helpers for tests of the library: a clean screen, windows like a Java application's, running
// the main run loop, and the upcalls that reached Java.
#pragma once

#include <gtest/gtest.h>
#include <jni.h>

#include <functional>
#include <string>

#include "appkit/windows/NSWindow.h"
#include "foundation/runtime/NSAutoreleasePool.h"

// Closes every window, ends modal sessions and sheets, so each test starts with an empty screen.
void closeAllWindows();
// A titled, closable, resizable window, ordered front and made key, whose content view holds one
// plain subview that fills it (as a Java toolkit's own window does).
NSWindow* openTestWindow(const char* title, NSRect frame = NSMakeRect(100, 100, 600, 400));
// Serves the main run loop for that long.
void runMainLoop(double seconds);
// Runs action on the main run loop after delay seconds, from inside whatever loop is running
// then (an alert's runModal, an open menu).
void afterDelay(double seconds, std::function<void()> action);

// Upcalls: start recording calls of name, and take the calls recorded so far ("name|value").
void recordUpcalls(const char* name);
std::string drainUpcalls();

// A test of the library's native methods: the in-process JVM's environment with a local frame
// of its own, an autorelease pool, and an empty screen before and after.
class LibraryTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  // A new local Java string of UTF-8 text.
  jstring j(const char* text) { return env->NewStringUTF(text); }

  JNIEnv* env = nullptr;
  NSAutoreleasePool pool;
};
