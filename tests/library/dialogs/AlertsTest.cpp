// Modal alerts: buttons numbered in the order they were added, whichever titles were null; the
// text-entry alert answers with the field's text only for its first button.
#include <gtest/gtest.h>

#include "LibraryTesting.h"
#include "TestJvm.h"
#include "appkit/application/NSApplication.h"
#include "appkit/controls/NSButton.h"
#include "appkit/controls/NSTextField.h"
#include "appkit/drawing/NSImage.h"
#include "appkit/panels/NSAlert.h"
#include "dialogs/Alerts.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "testkit/SimulatedUser.h"

extern "C" {
jint Java_ixa_IxaDialogs_showMacDialog(JNIEnv*, jclass, jstring, jstring, jstring, jstring);
jint Java_ixa_IxaDialogs_show3ButtonMacDialog(JNIEnv*, jclass, jstring, jstring, jstring, jstring,
                                              jstring);
jstring Java_ixa_IxaDialogs_showMacTextEntryDialog(JNIEnv*, jclass, jstring, jstring, jstring,
                                                   jstring, jstring);
}

namespace {

struct SeenAlert {
  std::vector<std::string> titles;
  std::string message, informative;
  bool hasIcon = false;
};

// Presses the button titled title of the front-most alert once it is up, noting what it showed.
void pressWhenShown(const std::string& title, SeenAlert* seen,
                    std::function<void(NSAlert*)> beforePress = nullptr) {
  afterDelay(0.02, [=] {
    NSAlert* alert = SimulatedUser::frontmostAlert();
    ASSERT_NE(alert, nullptr);
    seen->titles.clear();
    for (const auto& button : alert->buttonList())
      seen->titles.push_back(button->title()->utf8());
    seen->message = alert->messageText()->utf8();
    seen->informative = alert->informativeText()->utf8();
    seen->hasIcon = alert->hasCustomIcon();
    if (beforePress) beforePress(alert);
    for (const auto& button : alert->buttonList())
      if (button->title()->utf8() == title) return button->performClick(nullptr);
    ADD_FAILURE() << "no button " << title;
  });
}

class Alerts : public LibraryTest {};

} // namespace

TEST_F(Alerts, ShowMacDialogAnswersWhetherTheFirstButtonWasPressed) {
  SeenAlert seen;
  pressWhenShown("Delete", &seen);
  EXPECT_EQ(Java_ixa_IxaDialogs_showMacDialog(env, nullptr, j("Delete?"), j("For ever"),
                                              j("Delete"), nullptr),
            1);
  EXPECT_EQ(seen.titles, std::vector<std::string>{"Delete"});
  EXPECT_EQ(seen.message, "Delete?");
  EXPECT_EQ(seen.informative, "For ever");
  EXPECT_TRUE(seen.hasIcon); // Ixa.icns from the bundle

  pressWhenShown("Keep", &seen);
  EXPECT_EQ(Java_ixa_IxaDialogs_showMacDialog(env, nullptr, j("m"), j("i"), j("Delete"), j("Keep")),
            0);
  EXPECT_EQ(seen.titles, (std::vector<std::string>{"Delete", "Keep"}));
}

TEST_F(Alerts, ThreeButtonsCountInTheOrderAdded) {
  SeenAlert seen;
  const char* titles[] = {"One", "Two", "Three"};
  for (int i = 0; i < 3; ++i) {
    pressWhenShown(titles[i], &seen);
    EXPECT_EQ(Java_ixa_IxaDialogs_show3ButtonMacDialog(env, nullptr, j("m"), j("i"), j("One"),
                                                       j("Two"), j("Three")),
              i + 1);
  }
  // A null second title: the third title is the second button and answers 2, never 3.
  pressWhenShown("Three", &seen);
  EXPECT_EQ(Java_ixa_IxaDialogs_show3ButtonMacDialog(env, nullptr, j("m"), j("i"), j("One"),
                                                     nullptr, j("Three")),
            2);
  EXPECT_EQ(seen.titles, (std::vector<std::string>{"One", "Three"}));
  pressWhenShown("One", &seen);
  EXPECT_EQ(Java_ixa_IxaDialogs_show3ButtonMacDialog(env, nullptr, j("m"), j("i"), j("One"),
                                                     nullptr, nullptr),
            1);
  EXPECT_EQ(seen.titles.size(), 1u);
  // Any other way of ending the alert is -1.
  afterDelay(0.02, [] { NSApplication::sharedApplication()->stopModalWithCode(-1000); });
  EXPECT_EQ(Java_ixa_IxaDialogs_show3ButtonMacDialog(env, nullptr, j("m"), j("i"), j("One"),
                                                     nullptr, nullptr),
            -1);
}

TEST_F(Alerts, TextEntryAnswersTheFieldOnlyForTheFirstButton) {
  SeenAlert seen;
  pressWhenShown("OK", &seen, [](NSAlert* alert) {
    auto* field = ns_cast<NSTextField>(alert->accessoryView());
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->frame().size, NSMakeSize(200, 24)); // the alert places it
    EXPECT_TRUE(field->isEditable());
    EXPECT_EQ(field->stringValue()->utf8(), "initial");
  });
  jstring answer = Java_ixa_IxaDialogs_showMacTextEntryDialog(env, nullptr, j("Name?"), j("i"),
                                                              j("OK"), j("Cancel"), j("initial"));
  EXPECT_EQ(testJavaStringValue(env, answer), u"initial");
  EXPECT_FALSE(seen.hasIcon); // the application's own icon

  pressWhenShown("OK", &seen, [](NSAlert* alert) {
    ns_cast<NSTextField>(alert->accessoryView())->setStringValue(NSSTR(""));
  });
  answer = Java_ixa_IxaDialogs_showMacTextEntryDialog(env, nullptr, j("m"), j("i"), j("OK"),
                                                      j("Cancel"), j("x"));
  ASSERT_NE(answer, nullptr); // emptied: the empty string, not null
  EXPECT_EQ(testJavaStringValue(env, answer), u"");

  pressWhenShown("Cancel", &seen, [](NSAlert* alert) {
    ns_cast<NSTextField>(alert->accessoryView())->setStringValue(NSSTR("typed"));
  });
  EXPECT_EQ(Java_ixa_IxaDialogs_showMacTextEntryDialog(env, nullptr, j("m"), j("i"), j("OK"),
                                                       j("Cancel"), j("x")),
            nullptr);
}

TEST_F(Alerts, IconComesFromTheBundleAndIsNilWithoutIt) {
  NSImage* icon = getIcon();
  ASSERT_NE(icon, nullptr);
  EXPECT_GT(icon->size().width, 0);
  NSImage* second = getIcon();
  EXPECT_NE(icon, second); // a new image every time
  icon->release();
  second->release();
  const char* bundle = std::getenv("BRIX_MAIN_BUNDLE");
  setenv("BRIX_MAIN_BUNDLE", "/nonexistent", 1);
  EXPECT_EQ(getIcon(), nullptr);
  if (bundle) setenv("BRIX_MAIN_BUNDLE", bundle, 1);
}
