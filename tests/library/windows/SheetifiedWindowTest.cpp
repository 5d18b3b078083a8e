// The sheetified window: off the screen at once and redrawn, attached as a sheet of the then
// current window a tenth of a second later; closing it ends, hides and forgets it. Full screen
// toggles the current window.
#include <gtest/gtest.h>

#include "LibraryTesting.h"
#include "TestJvm.h"
#include "appkit/application/NSApplication.h"
#include "foundation/collections/NSArray.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "windows/WindowLookup.h"

extern "C" {
jint Java_ixa_IxaDialogs_sheetifyWindow(JNIEnv*, jclass);
jint Java_ixa_IxaDialogs_closeSheetifiedWindow(JNIEnv*, jclass);
jint Java_ixa_IxaDialogs_enterFullScreen(JNIEnv*, jclass);
void hideFullscreenButtonOfWindow(NSWindow* window);
}

class SheetifiedWindow : public ::testing::Test {
protected:
  void SetUp() override {
    env = testJniEnv();
    closeAllWindows();
    brix::_sheetifiedWindow = nullptr;
  }
  void TearDown() override {
    closeAllWindows();
    brix::_sheetifiedWindow = nullptr;
  }
  JNIEnv* env = nullptr;
  NSAutoreleasePool pool;
};

TEST_F(SheetifiedWindow, HiddenAtOnceAndAttachedToTheCurrentWindowLater) {
  NSWindow* a = openTestWindow("A");
  NSWindow* s = openTestWindow("SHEETIFY");
  // Closing the sheetified window releases it; the test holds it to look at it afterwards.
  const Ref<NSWindow> held = retained(s);
  const auto displaysBefore = s->displayCount();
  EXPECT_EQ(Java_ixa_IxaDialogs_sheetifyWindow(env, nullptr), 1);
  EXPECT_EQ(brix::_sheetifiedWindow, s);
  EXPECT_FALSE(s->isVisible());
  EXPECT_GT(s->displayCount(), displaysBefore); // the forced redraw
  EXPECT_EQ(a->attachedSheet(), nullptr);
  runMainLoop(0.03);
  EXPECT_EQ(a->attachedSheet(), nullptr); // not before a tenth of a second
  runMainLoop(0.25);
  EXPECT_EQ(a->attachedSheet(), s);
  EXPECT_EQ(s->sheetParent(), a);
  EXPECT_TRUE(s->isVisible());

  EXPECT_EQ(Java_ixa_IxaDialogs_closeSheetifiedWindow(env, nullptr), 1);
  EXPECT_EQ(brix::_sheetifiedWindow, nullptr);
  EXPECT_EQ(a->attachedSheet(), nullptr);
  EXPECT_FALSE(s->isVisible());
  EXPECT_EQ(getFrontView(), a->contentView());
}

TEST_F(SheetifiedWindow, TheParentIsChosenWhenTheAttachmentRuns) {
  NSWindow* a = openTestWindow("A");
  openTestWindow("SHEETIFY");
  Java_ixa_IxaDialogs_sheetifyWindow(env, nullptr);
  NSWindow* b = openTestWindow("B"); // comes to the front within the tenth of a second
  runMainLoop(0.25);
  EXPECT_EQ(b->attachedSheet(), brix::_sheetifiedWindow);
  EXPECT_EQ(a->attachedSheet(), nullptr);
}

TEST_F(SheetifiedWindow, OnlyTheFrontMostMarkedWindowAndNothingWithoutOne) {
  openTestWindow("A");
  EXPECT_EQ(Java_ixa_IxaDialogs_sheetifyWindow(env, nullptr), 1);
  EXPECT_EQ(brix::_sheetifiedWindow, nullptr);
  NSWindow* back = openTestWindow("SHEETIFY");
  NSWindow* front = openTestWindow("SHEETIFY");
  Java_ixa_IxaDialogs_sheetifyWindow(env, nullptr);
  EXPECT_EQ(brix::_sheetifiedWindow, front);
  EXPECT_TRUE(back->isVisible());
}

TEST_F(SheetifiedWindow, CloseWithNothingSheetifiedAndCloseBeforeTheAttachment) {
  NSWindow* a = openTestWindow("A");
  EXPECT_EQ(Java_ixa_IxaDialogs_closeSheetifiedWindow(env, nullptr), 1);
  EXPECT_TRUE(a->isVisible());
  EXPECT_TRUE(a->isKeyWindow());
  NSWindow* s = openTestWindow("SHEETIFY");
  s->setReleasedWhenClosed(false);
  Java_ixa_IxaDialogs_sheetifyWindow(env, nullptr);
  Java_ixa_IxaDialogs_closeSheetifiedWindow(env, nullptr);
  // The scheduled attachment still holds the closed window; it must not bring it back alive in
  // a broken state or crash.
  runMainLoop(0.25);
  EXPECT_EQ(a->attachedSheet(), nullptr);
  EXPECT_EQ(s->sheetParent(), nullptr);
  EXPECT_FALSE(s->isVisible());
  EXPECT_TRUE(a->isKeyWindow());
  EXPECT_EQ(getCurrentWindow(), a);
}

TEST_F(SheetifiedWindow, NoOrdinaryWindowLeavesTheSheetOffScreen) {
  NSWindow* s = openTestWindow("SHEETIFY");
  Java_ixa_IxaDialogs_sheetifyWindow(env, nullptr);
  runMainLoop(0.25);
  EXPECT_FALSE(s->isVisible());
  EXPECT_EQ(brix::_sheetifiedWindow, s);
}

TEST_F(SheetifiedWindow, FullScreenTogglesTheCurrentWindow) {
  openTestWindow("SHEETIFY");
  NSWindow* a = openTestWindow("A");
  a->orderBack(nullptr);
  Java_ixa_IxaDialogs_enterFullScreen(env, nullptr);
  runMainLoop(0.05);
  EXPECT_TRUE(a->isFullScreen());
  Java_ixa_IxaDialogs_enterFullScreen(env, nullptr);
  runMainLoop(0.05);
  EXPECT_FALSE(a->isFullScreen());
  closeAllWindows();
  EXPECT_EQ(Java_ixa_IxaDialogs_enterFullScreen(env, nullptr), 1); // no window: nothing
  hideFullscreenButtonOfWindow(nullptr);
  NSWindow* b = openTestWindow("B");
  hideFullscreenButtonOfWindow(b); // modern windows have no such button: nothing happens
  EXPECT_EQ(b->standardWindowButton(NSWindowFullScreenButton), nullptr);
}
