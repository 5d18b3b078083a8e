// The action target: what reaches Java through ixa.Ixa.callNamedRunnable, the diagnostic lines of
// a chosen menu item, the colour text, and the safe outcomes when an upcall cannot be made.
#include <gtest/gtest.h>

#include "LibraryTesting.h"
#include "TestJvm.h"
#include "appkit/drawing/NSColor.h"
#include "appkit/menus/NSMenuItem.h"
#include "appkit/panels/NSColorPanel.h"
#include "bridge/Bridge.h"
#include "bridge/ContextMenuSlapper.h"
#include "bridge/NativeScope.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/system/NSLog.h"
#include "foundation/values/NSNumber.h"

namespace {

class ActionTarget : public ::testing::Test {
protected:
  void SetUp() override {
    env = testJniEnv();
    brix::_env = env;
    recordUpcalls("ITEM");
    recordUpcalls("COLORCHANGED");
    drainUpcalls();
  }
  void TearDown() override { expectNoPendingException(env); }
  NSMenuItem* itemWith(NSObject* representedObject) {
    auto* item = NSMenuItem::alloc()->initWithTitle(NSSTR("Item"), nullptr, NSSTR(""));
    item->setRepresentedObject(representedObject);
    item->autorelease();
    return item;
  }
  JNIEnv* env = nullptr;
  NSAutoreleasePool pool;
  const Ref<ContextMenuSlapper> target = adopted(ContextMenuSlapper::alloc()->init());
};

} // namespace

TEST_F(ActionTarget, MenuItemSendsItsIdentityAfterThreeLines) {
  testing::internal::CaptureStdout();
  target->clickContextMenuItem(itemWith(NSSTR("ITEM")));
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(drainUpcalls(), "ITEM");
  char env_line[64];
  std::snprintf(env_line, sizeof env_line, " ENV: %p\n", static_cast<void*>(env));
  ASSERT_EQ(out.rfind(env_line, 0), 0u) << out;
  const auto classAt = out.find(" CLASS: 0x");
  const auto methodAt = out.find(" METHORD 0x");
  EXPECT_NE(classAt, std::string::npos);
  EXPECT_GT(methodAt, classAt);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3);
}

TEST_F(ActionTarget, ActionsAreReachedBySelector) {
  EXPECT_TRUE(target->respondsToSelector(sel("clickContextMenuItem:")));
  EXPECT_TRUE(target->respondsToSelector(sel("colorChanged:")));
  EXPECT_FALSE(target->respondsToSelector(sel("setIdentity:"))); // configuration, not an action
  testing::internal::CaptureStdout();
  EXPECT_TRUE(target->performAction(sel("clickContextMenuItem:"), itemWith(NSSTR("ITEM"))));
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(drainUpcalls(), "ITEM");
}

TEST_F(ActionTarget, UnsendableUpcallsAreSkipped) {
  testing::internal::CaptureStdout();
  target->clickContextMenuItem(itemWith(nullptr));                    // no identity
  target->clickContextMenuItem(itemWith(NSNumber::numberWithInt(3))); // not a string
  target->clickContextMenuItem(nullptr);
  brix::_env = nullptr;
  target->clickContextMenuItem(itemWith(NSSTR("ITEM")));
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.substr(out.rfind(" ENV")), " ENV: (nil)\n");
  brix::_env = env;
  EXPECT_EQ(drainUpcalls(), "");
}

// Inside a native call the handler's exception stays pending for that call's Java caller, and
// later upcalls of the call are skipped; with no caller waiting (a button pressed between
// calls) it is logged and cleared, and the next upcall goes through.
TEST_F(ActionTarget, AThrowingHandlersExceptionGoesToTheWaitingCallerOrIsLoggedAndCleared) {
  JNIEnv* e = env;
  jclass recorder = e->FindClass("ixa/testing/UpcallRecorder");
  jmethodID throwOn = e->GetStaticMethodID(recorder, "throwOn", "(Ljava/lang/String;)V");
  jstring name = e->NewStringUTF("ITEM");
  e->CallStaticVoidMethod(recorder, throwOn, name);
  expectNoPendingException(e);
  testing::internal::CaptureStdout();
  brix::nativeMethod(e, "showMacContextMenuWithJSON", 1, [&] {
    target->clickContextMenuItem(itemWith(NSSTR("ITEM")));
    target->clickContextMenuItem(itemWith(NSSTR("ITEM"))); // skipped: one is pending
  });
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(e->ExceptionCheck());
  e->ExceptionClear();
  EXPECT_EQ(drainUpcalls(), "ITEM");

  NSLogClearBuffer();
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  target->clickContextMenuItem(itemWith(NSSTR("ITEM")));
  testing::internal::GetCapturedStdout();
  const std::string printed = testing::internal::GetCapturedStderr();
  expectNoPendingException(e);
  EXPECT_NE(printed.find("ITEM"), std::string::npos) << printed; // the stack, as Java prints it
  const auto lines = NSLogBufferedLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("The handler of ITEM threw"), std::string::npos) << lines[0];
  e->CallStaticVoidMethod(recorder, throwOn, nullptr);
  expectNoPendingException(e);
  testing::internal::CaptureStdout();
  target->clickContextMenuItem(itemWith(NSSTR("ITEM")));
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(drainUpcalls(), "ITEM\nITEM");
  e->DeleteLocalRef(name);
  e->DeleteLocalRef(recorder);
}

TEST_F(ActionTarget, ColourTextTruncatesAndIsNotClamped) {
  EXPECT_EQ(brix::colorTextFromComponents(1.0, 0.5, 0.0)->utf8(), "#FF7F00");
  EXPECT_EQ(brix::colorTextFromComponents(0, 0, 0)->utf8(), "#000000");
  EXPECT_EQ(brix::colorTextFromComponents(1, 1, 1)->utf8(), "#FFFFFF");
  EXPECT_EQ(brix::colorTextFromComponents(1.1, 0, 0)->utf8(), "#1180000");
}

TEST_F(ActionTarget, ColourPanelPicksReachJavaAlsoForGreys) {
  NSColorPanel* panel = NSColorPanel::sharedColorPanel();
  panel->setColor(NSColor::colorWithCalibratedRed(1.0, 0.5, 0.0, 1.0));
  target->colorChanged(panel);
  panel->setColor(NSColor::colorWithCalibratedWhite(1.0, 1.0)); // converted to RGB first
  target->colorChanged(panel);
  target->colorChanged(nullptr); // no panel: nothing
  EXPECT_EQ(drainUpcalls(), "COLORCHANGED|#FF7F00\nCOLORCHANGED|#FFFFFF");
}

TEST_F(ActionTarget, IdentityIsACopyAndTheLastOneWins) {
  NSMutableString* identity = NSMutableString::stringWithString(NSSTR("first"));
  target->setIdentity(identity);
  identity->setString(NSSTR("changed"));
  EXPECT_EQ(target->identity()->utf8(), "first");
  target->setIdentity(NSSTR("second"));
  EXPECT_EQ(target->identity()->utf8(), "second");
}
