#include "LibraryTesting.h"

#include <gtest/gtest.h>

#include "TestJvm.h"
#include "appkit/application/NSApplication.h"
#include "dispatch/dispatch.h"
#include "foundation/runloop/NSRunLoop.h"

void closeAllWindows() {
  NSApplication* app = NSApplication::sharedApplication();
  while (app->modalWindow())
    app->abortModal();
  for (NSWindow* window : app->windowList()) {
    if (NSWindow* sheet = window->attachedSheet()) window->endSheet(sheet);
  }
  for (NSWindow* window : app->windowList()) {
    window->setReleasedWhenClosed(false);
    window->close();
  }
  NSRunLoop::mainRunLoop().runPending();
}

NSWindow* openTestWindow(const char* title, NSRect frame) {
  const auto style = NSWindowStyleMaskTitled | NSWindowStyleMaskClosable |
                     NSWindowStyleMaskResizable | NSWindowStyleMaskMiniaturizable;
  NSWindow* window =
      NSWindow::alloc()->initWithContentRect(frame, style, NSBackingStoreBuffered, false);
  window->setTitle(NSSTR(title));
  NSView* content = window->contentView();
  NSView* fill = NSView::alloc()->initWithFrame(content->bounds());
  fill->setAutoresizingMask(NSViewWidthSizable | NSViewHeightSizable);
  content->addSubview(fill);
  fill->release();
  window->makeKeyAndOrderFront(nullptr);
  return window;
}

void runMainLoop(double seconds) {
  NSRunLoop::mainRunLoop().runForSeconds(seconds);
}

void afterDelay(double seconds, std::function<void()> action) {
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, static_cast<int64_t>(seconds * 1e9)),
                 dispatch_get_main_queue(), std::move(action));
}

namespace {
jclass recorderClass(JNIEnv* env) {
  jclass recorder = env->FindClass("ixa/testing/UpcallRecorder");
  EXPECT_NE(recorder, nullptr);
  return recorder;
}
} // namespace

void recordUpcalls(const char* name) {
  JNIEnv* env = testJniEnv();
  jclass recorder = recorderClass(env);
  jmethodID record = env->GetStaticMethodID(recorder, "record", "(Ljava/lang/String;)V");
  jstring javaName = env->NewStringUTF(name);
  env->CallStaticVoidMethod(recorder, record, javaName);
  expectNoPendingException(env);
  env->DeleteLocalRef(javaName);
  env->DeleteLocalRef(recorder);
}

std::string drainUpcalls() {
  JNIEnv* env = testJniEnv();
  jclass recorder = recorderClass(env);
  jmethodID drain = env->GetStaticMethodID(recorder, "drain", "()Ljava/lang/String;");
  auto text = static_cast<jstring>(env->CallStaticObjectMethod(recorder, drain));
  expectNoPendingException(env);
  const char* bytes = env->GetStringUTFChars(text, nullptr);
  std::string result = bytes;
  env->ReleaseStringUTFChars(text, bytes);
  env->DeleteLocalRef(text);
  env->DeleteLocalRef(recorder);
  return result;
}

void LibraryTest::SetUp() {
  env = testJniEnv();
  env->PushLocalFrame(64);
  closeAllWindows();
}

void LibraryTest::TearDown() {
  expectNoPendingException(env);
  env->PopLocalFrame(nullptr);
  closeAllWindows();
}
