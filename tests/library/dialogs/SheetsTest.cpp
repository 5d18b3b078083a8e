// The text-entry sheet and the progress sheet: their frames and flags, the buttons' actions with
// the upcall, and the progress update rule with its repeat filter.
#include <gtest/gtest.h>

#include <cmath>

#include "LibraryTesting.h"
#include "TestJvm.h"
#include "appkit/application/NSApplication.h"
#include "appkit/application/NSEvent.h"
#include "appkit/controls/NSButton.h"
#include "appkit/controls/NSProgressIndicator.h"
#include "appkit/controls/NSTextField.h"
#include "appkit/drawing/NSFont.h"
#include "bridge/Bridge.h"
#include "bridge/ContextMenuSlapper.h"
#include "dialogs/SheetGlobals.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/system/NSLog.h"

extern "C" {
jint Java_ixa_IxaDialogs_showTextEntrySheetDialog(JNIEnv*, jclass, jstring, jstring, jstring,
                                                  jstring, jstring);
jint Java_ixa_IxaDialogs_initProgressDialog(JNIEnv*, jclass);
jint Java_ixa_IxaDialogs_updateProgressDialog(JNIEnv*, jclass, jstring, jstring, jdouble);
jint Java_ixa_IxaDialogs_closeProgressDialog(JNIEnv*, jclass);
}

namespace {

class Sheets : public LibraryTest {
protected:
  void SetUp() override {
    LibraryTest::SetUp();
    brix::_env = env;
    recordUpcalls("ID-1");
    drainUpcalls();
  }
  jint showSheet(const char* identity = "ID-1") {
    return Java_ixa_IxaDialogs_showTextEntrySheetDialog(env, nullptr, j("Title"), j("Message"),
                                                        j("Save"), j("Cancel"), j(identity));
  }
  NSButton* button(const char* title) {
    for (const auto& view : brix::_textEntryWindow->contentView()->subviewList())
      if (auto* b = ns_cast<NSButton>(view.get()); b && b->title()->utf8() == title) return b;
    return nullptr;
  }
  NSTextField* inputField() {
    return ns_cast<NSTextField>(brix::_textEntryWindow->contentView()->subviewList()[2].get());
  }
  void pressReturn(NSWindow* window) {
    auto* key =
        NSEvent::keyEventWithType(NSEventTypeKeyDown, NSZeroPoint, 0, 0, window->windowNumber(),
                                  nullptr, NSSTR("\r"), NSSTR("\r"), false, 36);
    NSRunLoop::mainRunLoop().postEvent(key);
    runMainLoop(0.02);
  }
};

} // namespace

TEST_F(Sheets, TextEntrySheetIsBuiltAsDescribedAndLogsItsIdentity) {
  NSWindow* parent = openTestWindow("Main");
  NSLogClearBuffer();
  EXPECT_EQ(showSheet("ID-1"), 1);
  EXPECT_EQ(NSLogBufferedLines(), std::vector<std::string>{"ID: ID-1"});
  NSWindow* sheet = brix::_textEntryWindow;
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(brix::_progressWindowParent, parent);
  EXPECT_EQ(parent->attachedSheet(), sheet);
  EXPECT_EQ(sheet->styleMask(), NSWindowStyleMaskTitled);
  const auto& views = sheet->contentView()->subviewList();
  ASSERT_EQ(views.size(), 5u);
  EXPECT_EQ(views[0].get(), brix::_progressTitleText);
  EXPECT_EQ(views[1].get(), brix::_progressMessageText);
  EXPECT_EQ(brix::_progressTitleText->frame(), NSMakeRect(20, 20, 360, 140));
  EXPECT_EQ(brix::_progressTitleText->stringValue()->utf8(), "Title");
  EXPECT_TRUE(brix::_progressTitleText->font()->isBold());
  EXPECT_EQ(brix::_progressTitleText->font()->pointSize(), 13);
  EXPECT_FALSE(brix::_progressTitleText->isEditable());
  EXPECT_FALSE(brix::_progressTitleText->isBezeled());
  EXPECT_FALSE(brix::_progressMessageText->drawsBackground());
  EXPECT_EQ(brix::_progressMessageText->frame(), NSMakeRect(20, 40, 360, 100));
  EXPECT_EQ(brix::_progressMessageText->stringValue()->utf8(), "Message");
  EXPECT_EQ(inputField()->frame(), NSMakeRect(20, 50, 360, 22));
  EXPECT_TRUE(inputField()->isEditable());
  NSButton* save = button("Save");
  NSButton* cancel = button("Cancel");
  ASSERT_TRUE(save && cancel);
  EXPECT_EQ(save->frame(), NSMakeRect(275, 12, 110, 30));
  EXPECT_EQ(save->keyEquivalent()->utf8(), "\r");
  EXPECT_EQ(save->action(), sel("clickButton:"));
  EXPECT_EQ(cancel->frame(), NSMakeRect(155, 12, 110, 30));
  EXPECT_EQ(cancel->keyEquivalent()->utf8(), "");
  EXPECT_EQ(cancel->action(), sel("clickCancelButton:"));
  EXPECT_EQ(save->target(), cancel->target());
  auto* target = ns_cast<ContextMenuSlapper>(save->target());
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(target->identity()->utf8(), "ID-1");
  EXPECT_EQ(target->textField(), inputField());
}

TEST_F(Sheets, AcceptingSendsIdentityAndTextThenEndsCancelSendsNothing) {
  NSWindow* parent = openTestWindow("Main");
  showSheet();
  inputField()->setStringValue(NSSTR("typed 東京"));
  button("Save")->performClick(nullptr);
  EXPECT_EQ(drainUpcalls(), "ID-1|typed 東京");
  EXPECT_EQ(parent->attachedSheet(), nullptr);

  showSheet();
  pressReturn(brix::_textEntryWindow); // Return is the accepting button's key equivalent
  EXPECT_EQ(drainUpcalls(), "ID-1|");  // an empty field sends the empty string
  EXPECT_EQ(parent->attachedSheet(), nullptr);

  showSheet();
  button("Cancel")->performClick(nullptr);
  EXPECT_EQ(drainUpcalls(), "");
  EXPECT_EQ(parent->attachedSheet(), nullptr);
}

TEST_F(Sheets, NoEligibleWindowShowsNoSheet) {
  openTestWindow("SHEETIFY");
  const std::size_t windowsBefore = NSApplication::sharedApplication()->windowList().size();
  EXPECT_EQ(showSheet(), 1);
  EXPECT_EQ(brix::_progressWindowParent, nullptr);
  // A sheet that nothing can ever show is closed at once and gone when the call returns.
  EXPECT_EQ(brix::_textEntryWindow.get(), nullptr);
  EXPECT_EQ(brix::_progressTitleText.get(), nullptr);
  EXPECT_EQ(NSApplication::sharedApplication()->windowList().size(), windowsBefore);
}

TEST_F(Sheets, ProgressSheetAndTheUpdateRule) {
  NSWindow* parent = openTestWindow("Main");
  brix::_lastProgress = -1.0; // as the process starts
  EXPECT_EQ(Java_ixa_IxaDialogs_initProgressDialog(env, nullptr), 1);
  NSProgressIndicator* bar = brix::_progressBar;
  EXPECT_EQ(parent->attachedSheet(), brix::_progressWindow);
  EXPECT_EQ(bar->frame(), NSMakeRect(10, 30, 380, 20));
  EXPECT_EQ(bar->doubleValue(), 20.0);
  EXPECT_TRUE(bar->isIndeterminate());
  EXPECT_FALSE(bar->isAnimating());
  EXPECT_EQ(brix::_progressTitleText->frame(), NSMakeRect(10, 20, 380, 140));
  EXPECT_EQ(brix::_progressMessageText->frame(), NSMakeRect(10, 40, 380, 70));
  auto update = [&](const char* title, double value) {
    return Java_ixa_IxaDialogs_updateProgressDialog(env, nullptr, j(title), j("msg"), value);
  };
  auto title = [] { return brix::_progressTitleText->stringValue()->utf8(); };

  // -1 first: indeterminate and animating, but filtered, so the labels stay empty.
  update("first", -1);
  EXPECT_TRUE(bar->isIndeterminate());
  EXPECT_TRUE(bar->isAnimating());
  EXPECT_EQ(title(), "");
  update("fifty", 50);
  EXPECT_FALSE(bar->isIndeterminate());
  EXPECT_EQ(bar->doubleValue(), 50);
  EXPECT_EQ(title(), "fifty");
  const auto displays = bar->displayCount();
  update("ignored", 50); // a repeat changes nothing
  EXPECT_EQ(title(), "fifty");
  EXPECT_EQ(bar->displayCount(), displays);
  update("zero", 0);
  EXPECT_FALSE(bar->isIndeterminate());
  EXPECT_EQ(bar->doubleValue(), 0);
  update("a", -100);
  update("b", -100); // -100 always applies
  EXPECT_EQ(title(), "b");
  update("nan", std::nan(""));
  EXPECT_TRUE(bar->isIndeterminate());
  EXPECT_EQ(title(), "nan");
  update("nan again", std::nan("")); // never equal: applied again
  EXPECT_EQ(title(), "nan again");
  update("over", 150); // passed on; the indicator pins it to its range
  EXPECT_EQ(brix::_lastProgress, 150);
  EXPECT_EQ(bar->doubleValue(), 100);

  EXPECT_EQ(Java_ixa_IxaDialogs_closeProgressDialog(env, nullptr), 1);
  EXPECT_EQ(parent->attachedSheet(), nullptr);

  // A new sheet keeps the last value: repeating it leaves the new labels empty.
  Java_ixa_IxaDialogs_initProgressDialog(env, nullptr);
  update("repeat", 150);
  EXPECT_EQ(title(), "");
  Java_ixa_IxaDialogs_closeProgressDialog(env, nullptr);
}

TEST_F(Sheets, SharedGlobalsLetTheNewestSheetWin) {
  NSWindow* parent = openTestWindow("Main");
  Java_ixa_IxaDialogs_initProgressDialog(env, nullptr);
  NSWindow* progress = brix::_progressWindow;
  showSheet(); // queued behind the progress sheet on the same parent
  Java_ixa_IxaDialogs_updateProgressDialog(env, nullptr, j("into the text sheet"), j("m"), 77);
  EXPECT_EQ(brix::_progressTitleText->stringValue()->utf8(), "into the text sheet");
  EXPECT_EQ(brix::_progressTitleText->window(), brix::_textEntryWindow);
  Java_ixa_IxaDialogs_closeProgressDialog(env, nullptr);
  EXPECT_NE(parent->attachedSheet(), progress);
}
