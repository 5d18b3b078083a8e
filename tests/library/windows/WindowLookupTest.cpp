// Window lookup: the window titled exactly "SHEETIFY" is a sheet candidate, every other window is
// ordinary, and the walk goes front to back over NSApp's ordered windows.
#include <gtest/gtest.h>

#include "LibraryTesting.h"
#include "TestJvm.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "windows/WindowLookup.h"

class WindowLookup : public ::testing::Test {
protected:
  void SetUp() override {
    testJniEnv();
    closeAllWindows();
    brix::_sheetifiedWindow = nullptr;
  }
  void TearDown() override {
    closeAllWindows();
    brix::_sheetifiedWindow = nullptr;
  }
  NSAutoreleasePool pool;
};

TEST_F(WindowLookup, SheetifyInFrontIsSkippedByCurrentWindowButNotByCurrentView) {
  NSWindow* b = openTestWindow("B");
  NSWindow* a = openTestWindow("A");
  NSWindow* s = openTestWindow("SHEETIFY");
  EXPECT_EQ(getCurrentWindow(), a);
  EXPECT_EQ(getCurrentSheetWindow(), s);
  EXPECT_EQ(getCurrentSheetView(), s->contentView());
  EXPECT_EQ(getCurrentView(), s->contentView());
  (void)b;
}

TEST_F(WindowLookup, SheetifyBehindAndTwice) {
  NSWindow* back = openTestWindow("SHEETIFY");
  NSWindow* front = openTestWindow("SHEETIFY");
  NSWindow* a = openTestWindow("A");
  EXPECT_EQ(getCurrentWindow(), a);
  EXPECT_EQ(getCurrentSheetWindow(), front);
  (void)back;
}

TEST_F(WindowLookup, OnlyTheExactTitleMarksASheet) {
  NSWindow* untitled = openTestWindow("");
  untitled->setTitle(nullptr);
  EXPECT_EQ(getCurrentWindow(), untitled); // no title is an ordinary window
  NSWindow* lower = openTestWindow("sheetify");
  EXPECT_EQ(getCurrentWindow(), lower);
  NSWindow* spaced = openTestWindow("SHEETIFY ");
  EXPECT_EQ(getCurrentWindow(), spaced);
  EXPECT_EQ(getCurrentSheetWindow(), nullptr);
}

TEST_F(WindowLookup, NothingToFind) {
  EXPECT_EQ(getCurrentWindow(), nullptr);
  EXPECT_EQ(getCurrentSheetWindow(), nullptr);
  EXPECT_EQ(getCurrentSheetView(), nullptr);
  EXPECT_EQ(getCurrentView(), nullptr);
  EXPECT_EQ(getFrontView(), nullptr);
  openTestWindow("SHEETIFY");
  EXPECT_EQ(getCurrentWindow(), nullptr); // only a sheet candidate
}

TEST_F(WindowLookup, FrontViewFollowsTheSheetifiedStateNotTheWindowItself) {
  NSWindow* s = openTestWindow("SHEETIFY");
  NSWindow* a = openTestWindow("A");
  EXPECT_EQ(getFrontView(), a->contentView());
  brix::_sheetifiedWindow = a; // any window: only set or nil counts
  EXPECT_EQ(getFrontView(), s->contentView());
  s->orderOut(nullptr);
  EXPECT_EQ(getFrontView(), nullptr);
  brix::_sheetifiedWindow = nullptr;
  s->orderFront(nullptr);
  EXPECT_EQ(getFrontView(), s->contentView()); // front-most, even titled "SHEETIFY"
}
