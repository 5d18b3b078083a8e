// Alerts: buttons numbered 1000, 1001, 1002 in the order they were added, AppKit's automatic
// key equivalents, the "OK" button of an alert run without buttons, and runModal as a nested
// loop ended by the pressed button's tag, also when the press comes from another thread.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "ControlsTestSupport.h"
#include "appkit/panels/NSAlert.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "testkit/MenuUser.h"
#include "testkit/SimulatedUser.h"

using namespace controls_test;

namespace {

Ref<NSAlert> makeAlert(std::initializer_list<const char*> titles) {
  Ref<NSAlert> alert = adopted(NSAlert::alloc()->init());
  alert->setMessageText(NSSTR("Delete the file?"));
  alert->setInformativeText(NSSTR("This cannot be undone."));
  for (const char* title : titles)
    alert->addButtonWithTitle(NSSTR(title));
  return alert;
}

// Runs the alert on this (the main) thread while another thread acts as the user.
NSModalResponse runWhile(NSAlert* alert, std::function<void()> user) {
  auto acting = std::async(std::launch::async, std::move(user));
  const NSModalResponse response = alert->runModal();
  acting.get();
  return response;
}

// A window behind the alert with a button that must not receive the click.
struct ButtonWindowGuard {
  Ref<NSWindow> window = adopted(makeKeyWindow());
  Ref<ActionRecorder> recorder = adopted(ActionRecorder::alloc());
  NSPoint buttonCenter;
  ButtonWindowGuard() {
    Ref<NSButton> button = adopted(NSButton::alloc()->initWithFrame(NSMakeRect(10, 10, 100, 32)));
    button->setTarget(recorder);
    button->setAction(sel("act:"));
    window->contentView()->addSubview(button);
    buttonCenter = button->convertPointToView(NSMakePoint(50, 16), nullptr);
  }
  ~ButtonWindowGuard() { window->close(); }
};

// Waits (on the user's thread) until an alert is up, as a user looks before pressing keys.
void waitForAlert() {
  for (int i = 0; i < 1000; ++i) {
    auto up = std::make_shared<bool>(false);
    NSRunLoop::mainRunLoop().performOnMain(
        [up] { *up = SimulatedUser::frontmostAlert() != nullptr; });
    if (*up) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

} // namespace

TEST(AlertButtons, NumberedInOrderWithAutomaticKeyEquivalents) {
  NSAutoreleasePool pool;
  Ref<NSAlert> alert = makeAlert({"Save", "Cancel", "Don't Save", "Later"});
  const auto& buttons = alert->buttonList();
  ASSERT_EQ(buttons.size(), 4u);
  const std::u16string keys[] = {u"\r", u"\x1b", u"d", u""};
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    EXPECT_EQ(buttons[i]->tag(), 1000 + static_cast<NSInteger>(i));
    EXPECT_EQ(text(buttons[i]->keyEquivalent()), keys[i]) << i;
  }
  EXPECT_EQ(buttons[2]->keyEquivalentModifierMask(), NSEventModifierFlagCommand);
  // "Cancel" as the first button takes Return, not Escape.
  Ref<NSAlert> first = makeAlert({"Cancel"});
  EXPECT_EQ(text(first->buttonList()[0]->keyEquivalent()), u"\r");
  EXPECT_EQ(first->addButtonWithTitle(nullptr), nullptr);
  EXPECT_EQ(first->buttonList().size(), 1u);
}

TEST(AlertButtons, LongTitlesWidenThePanelAndEveryButtonStaysInside) {
  NSAutoreleasePool pool;
  const std::string longTitle = "Close the window without saving any of the changes";
  const std::string endless(5000, 'x'); // cut off in its bezel rather than off the screen
  for (const auto& titles : std::vector<std::vector<std::string>>{
           {longTitle, longTitle + " too"}, {longTitle, "Cancel", longTitle + "!"}, {endless}}) {
    Ref<NSAlert> alert = adopted(NSAlert::alloc()->init());
    for (const std::string& title : titles)
      alert->addButtonWithTitle(NSString::stringWithUTF8String(title.c_str()));
    alert->layout();
    const NSRect panel = alert->window()->contentView()->bounds();
    EXPECT_LE(panel.size.width, 1440);
    const auto& buttons = alert->buttonList();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      const NSRect frame = buttons[i]->frame();
      EXPECT_GE(NSMinX(frame), 0) << titles[i];
      EXPECT_LE(NSMaxX(frame), NSMaxX(panel)) << titles[i];
      for (std::size_t k = 0; k < i; ++k) {
        const NSRect other = buttons[k]->frame();
        EXPECT_TRUE(NSMaxX(frame) <= NSMinX(other) || NSMaxX(other) <= NSMinX(frame))
            << "buttons " << i << " and " << k << " overlap";
      }
    }
  }
}

TEST(AlertDefaults, WarningStyleApplicationIconAndEmptyTexts) {
  NSAutoreleasePool pool;
  Ref<NSAlert> alert = adopted(NSAlert::alloc()->init());
  EXPECT_EQ(alert->alertStyle(), NSAlertStyleWarning);
  EXPECT_EQ(text(alert->messageText()), u"");
  EXPECT_FALSE(alert->hasCustomIcon());
  EXPECT_EQ(alert->icon(), NSImage::imageNamed(NSImageNameApplicationIcon));
  alert->setMessageText(nullptr);
  EXPECT_EQ(text(alert->messageText()), u"");
  EXPECT_EQ(SimulatedUser::frontmostAlert(), nullptr);
}

TEST(AlertRunModal, PressFromAnotherThreadEndsWithThatButtonsTag) {
  NSAutoreleasePool pool;
  Ref<NSAlert> alert = makeAlert({"One", "Two", "Three"});
  const NSModalResponse response =
      runWhile(alert, [] { EXPECT_TRUE(SimulatedUser::pressButton(u"Three")); });
  EXPECT_EQ(response, NSAlertThirdButtonReturn);
  EXPECT_FALSE(alert->window()->isVisible());
  EXPECT_EQ(SimulatedUser::frontmostAlert(), nullptr);
}

TEST(AlertRunModal, AlertWithoutButtonsGetsOKAndReturnPressesIt) {
  NSAutoreleasePool pool;
  Ref<NSAlert> alert = makeAlert({});
  const NSModalResponse response = runWhile(alert, [] {
    waitForAlert();
    SimulatedUser::pressKey(u"Return");
  });
  EXPECT_EQ(response, NSAlertFirstButtonReturn);
  ASSERT_EQ(alert->buttonList().size(), 1u);
  EXPECT_EQ(text(alert->buttonList()[0]->title()), u"OK");
}

TEST(AlertRunModal, EscapePressesCancelAndTypedTextReachesTheAccessoryField) {
  NSAutoreleasePool pool;
  Ref<NSAlert> alert = makeAlert({"Rename", "Cancel"});
  Ref<NSTextField> field = adopted(NSTextField::alloc()->initWithFrame(NSMakeRect(0, 0, 200, 24)));
  field->setStringValue(NSSTR("old name"));
  alert->setAccessoryView(field);
  NSModalResponse response = runWhile(alert, [] {
    SimulatedUser::focusField(0);
    SimulatedUser::pressKey(u"End");
    SimulatedUser::pressKey(u"Backspace");
    SimulatedUser::type(u"Ü \U0001F600");
    SimulatedUser::pressKey(u"Escape");
  });
  EXPECT_EQ(response, NSAlertSecondButtonReturn);
  EXPECT_EQ(text(field->stringValue()), u"old nam\u00dc \U0001F600");
  // The same alert runs again, and Return accepts.
  response = runWhile(alert, [] {
    waitForAlert();
    SimulatedUser::pressKey(u"Return");
  });
  EXPECT_EQ(response, NSAlertFirstButtonReturn);
}

TEST(AlertRunModal, TabReachesTheButtonsInVisualOrderAndSpacePressesTheFocusedOne) {
  NSAutoreleasePool pool;
  Ref<NSAlert> alert = makeAlert({"Save", "Cancel", "Don't Save"});
  auto focusedTitle = [&] {
    auto* button = ns_cast<NSButton>(alert->window()->firstResponder());
    return button ? text(button->title()) : std::u16string();
  };
  // Left to right on screen: Don't Save, then Cancel and Save at the right.
  std::vector<std::u16string> focused;
  NSModalResponse response = runWhile(alert, [&] {
    waitForAlert();
    for (int i = 0; i < 3; ++i) {
      SimulatedUser::pressKey(u"Tab");
      focused.push_back(focusedTitle());
    }
    SimulatedUser::pressKey(u"Tab"); // round again
    SimulatedUser::pressKey(u"Space");
  });
  EXPECT_EQ(focused, (std::vector<std::u16string>{u"Don't Save", u"Cancel", u"Save"}));
  EXPECT_EQ(response, NSAlertThirdButtonReturn);
  // Shift-Tab goes the other way; Return still presses the default button, wherever the focus is.
  response = runWhile(alert, [&] {
    waitForAlert();
    MenuUser::pressShortcut(u"Tab", {u"Shift"});
    MenuUser::pressShortcut(u"Tab", {u"Shift"});
    focused = {focusedTitle()};
    SimulatedUser::pressKey(u"Return");
  });
  EXPECT_EQ(focused, (std::vector<std::u16string>{u"Cancel"}));
  EXPECT_EQ(response, NSAlertFirstButtonReturn);
}

TEST(AlertRunModal, OtherWindowsGetNoInputWhileTheAlertRuns) {
  NSAutoreleasePool pool;
  ButtonWindowGuard guard;
  Ref<NSAlert> alert = makeAlert({"OK"});
  const NSModalResponse response = runWhile(alert, [&] {
    SimulatedUser::click(guard.window->windowNumber(), guard.buttonCenter);
    SimulatedUser::pressButton(u"OK");
  });
  EXPECT_EQ(response, NSAlertFirstButtonReturn);
  EXPECT_TRUE(guard.recorder->actions.empty());
}

TEST(SimulatedUserLimits, MissingTargetsAndUnknownKeysAreReported) {
  NSAutoreleasePool pool;
  Ref<NSWindow> window = adopted(makeKeyWindow());
  EXPECT_FALSE(SimulatedUser::pressButton(u"Nowhere", std::chrono::milliseconds(50)));
  EXPECT_THROW(SimulatedUser::focusField(0, std::chrono::milliseconds(50)), SimulatedUserError);
  EXPECT_THROW(SimulatedUser::pressKey(u"NoSuchKey"), SimulatedUserError);
  EXPECT_THROW(SimulatedUser::click(987654, NSMakePoint(1, 1)), SimulatedUserError);
  window->close();
}

// A button missing at the limit is an answer (false), not a main thread taken for busy: the
// last look, at the limit, is served like every other.
TEST(SimulatedUserLimits, MissingTargetsFromAnotherThreadAreAnsweredWhileTheLoopRuns) {
  NSAutoreleasePool pool;
  Ref<NSWindow> window = adopted(makeKeyWindow());
  for (int round = 0; round < 5; ++round) {
    // The limit covers the wait for the main thread too, so it leaves room for a busy machine.
    auto user = std::async(std::launch::async, [] {
      return SimulatedUser::pressButton(u"Nowhere", std::chrono::milliseconds(300));
    });
    const auto giveUp = NSRunLoop::Clock::now() + std::chrono::seconds(5);
    while (user.wait_for(std::chrono::seconds(0)) != std::future_status::ready &&
           NSRunLoop::Clock::now() < giveUp)
      NSRunLoop::mainRunLoop().runUntil([] { return false; },
                                        NSRunLoop::Clock::now() + std::chrono::milliseconds(5));
    bool pressed = true;
    EXPECT_NO_THROW(pressed = user.get());
    EXPECT_FALSE(pressed);
  }
  window->close();
}
