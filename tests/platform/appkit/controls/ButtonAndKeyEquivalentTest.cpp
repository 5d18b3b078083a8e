// Buttons: AppKit's defaults, clicks through hit-testing, key equivalents with their modifier
// masks, the default button (Return) and the Cancel button (Escape), and state by button type.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "appkit/controls/NSButton.h"
#include "appkit/controls/NSCell.h"
#include "foundation/runtime/NSAutoreleasePool.h"

using namespace controls_test;

namespace {

struct ButtonWindow {
  Ref<NSWindow> window = adopted(makeKeyWindow());
  Ref<ActionRecorder> recorder = adopted(ActionRecorder::alloc());
  NSButton* add(const char* title, NSRect frame, const char* action = "act:") {
    Ref<NSButton> button = adopted(NSButton::alloc()->initWithFrame(frame));
    button->setTitle(NSSTR(title));
    button->setTarget(recorder);
    button->setAction(sel(action));
    window->contentView()->addSubview(button);
    return button;
  }
  ~ButtonWindow() { window->close(); }
};

} // namespace

TEST(ButtonDefaults, NewButtonIsMomentaryRoundedTitledButton) {
  NSAutoreleasePool pool;
  Ref<NSButton> button = adopted(NSButton::alloc()->initWithFrame(NSMakeRect(0, 0, 80, 30)));
  EXPECT_EQ(text(button->title()), u"Button");
  EXPECT_EQ(button->buttonType(), NSButtonTypeMomentaryPushIn);
  EXPECT_EQ(button->bezelStyle(), NSBezelStyleRounded);
  EXPECT_TRUE(button->isBordered());
  EXPECT_EQ(button->state(), NSControlStateValueOff);
  EXPECT_EQ(text(button->keyEquivalent()), u"");
  EXPECT_EQ(button->keyEquivalentModifierMask(), 0u);
  EXPECT_EQ(button->image(), nullptr);
  EXPECT_TRUE(button->isEnabled());
  EXPECT_EQ(button->target(), nullptr);
  EXPECT_EQ(button->action(), nullptr);
  button->setTitle(nullptr);
  EXPECT_EQ(text(button->title()), u"");
  EXPECT_EQ(button->cell()->controlView(), button.get());
}

TEST(ButtonClicks, ClickInsideSendsActionDisabledAndOutsideDoNot) {
  NSAutoreleasePool pool;
  ButtonWindow w;
  NSButton* button = w.add("Go", NSMakeRect(10, 10, 100, 32));
  clickCenter(button);
  EXPECT_EQ(w.recorder->actions.size(), 1u);
  EXPECT_EQ(w.recorder->senders[0], button);
  // Down inside, up outside: AppKit's tracking cancels the click.
  NSApplication* app = NSApplication::sharedApplication();
  const NSPoint inside = button->convertPointToView(NSMakePoint(50, 16), nullptr);
  app->sendEvent(NSEvent::mouseEventWithType(NSEventTypeLeftMouseDown, inside, 0, 0,
                                             w.window->windowNumber(), nullptr, 0, 1, 1));
  app->sendEvent(NSEvent::mouseEventWithType(NSEventTypeLeftMouseUp, NSMakePoint(300, 150), 0, 0,
                                             w.window->windowNumber(), nullptr, 0, 1, 1));
  EXPECT_EQ(w.recorder->actions.size(), 1u);
  EXPECT_FALSE(button->isHighlighted());
  button->setEnabled(false);
  clickCenter(button);
  button->performClick(nullptr);
  EXPECT_EQ(w.recorder->actions.size(), 1u);
}

TEST(ButtonClicks, SwitchAndRadioChangeStateBeforeTheAction) {
  NSAutoreleasePool pool;
  ButtonWindow w;
  NSButton* check = w.add("Check", NSMakeRect(10, 10, 100, 20));
  check->setButtonType(NSButtonTypeSwitch);
  check->performClick(nullptr);
  EXPECT_EQ(check->state(), NSControlStateValueOn);
  check->performClick(nullptr);
  EXPECT_EQ(check->state(), NSControlStateValueOff);
  NSButton* radio = w.add("Radio", NSMakeRect(10, 40, 100, 20));
  radio->setButtonType(NSButtonTypeRadio);
  radio->performClick(nullptr);
  radio->performClick(nullptr);
  EXPECT_EQ(radio->state(), NSControlStateValueOn);
  NSButton* push = w.add("Push", NSMakeRect(10, 70, 100, 32));
  push->performClick(nullptr);
  EXPECT_EQ(push->state(), NSControlStateValueOff);
  EXPECT_EQ(w.recorder->actions.size(), 5u);
}

TEST(KeyEquivalents, ModifierMaskMustMatchExactly) {
  NSAutoreleasePool pool;
  ButtonWindow w;
  NSButton* button = w.add("Don't Save", NSMakeRect(10, 10, 100, 32));
  button->setKeyEquivalent(NSSTR("d"));
  button->setKeyEquivalentModifierMask(NSEventModifierFlagCommand);
  pressKey(u"d"); // without Command: typed text, no key equivalent
  pressKey(u"d", NSEventModifierFlagCommand | NSEventModifierFlagShift);
  EXPECT_TRUE(w.recorder->actions.empty());
  pressKey(u"d", NSEventModifierFlagCommand);
  EXPECT_EQ(w.recorder->actions.size(), 1u);
  // An upper-case key equivalent stands for the letter with Shift.
  button->setKeyEquivalent(NSSTR("D"));
  pressKey(u"d", NSEventModifierFlagCommand);
  EXPECT_EQ(w.recorder->actions.size(), 1u);
  pressKey(u"D", NSEventModifierFlagCommand | NSEventModifierFlagShift);
  EXPECT_EQ(w.recorder->actions.size(), 2u);
  // A disabled button does not take its key equivalent.
  button->setEnabled(false);
  EXPECT_FALSE(button->performKeyEquivalent(
      keyDown(u"D", NSEventModifierFlagCommand | NSEventModifierFlagShift, w.window)));
}

TEST(KeyEquivalents, ReturnPressesDefaultButtonAndEscapeTheCancelButton) {
  NSAutoreleasePool pool;
  ButtonWindow w;
  NSButton* ok = w.add("OK", NSMakeRect(280, 10, 100, 32), "act:");
  NSButton* cancel = w.add("Cancel", NSMakeRect(170, 10, 100, 32), "other:");
  EXPECT_FALSE(ok->isDefaultButton());
  pressKey(u"\r");
  EXPECT_TRUE(w.recorder->actions.empty());
  ok->setKeyEquivalent(NSSTR("\r"));
  EXPECT_TRUE(ok->isDefaultButton());
  pressKey(u"\r");
  pressKey(u"\x03"); // Enter on the keypad
  pressKey(u"\x1b");
  pressKey(u".", NSEventModifierFlagCommand);
  EXPECT_EQ(w.recorder->actions, (std::vector<std::string>{"act:", "act:", "other:", "other:"}));
  // A Cancel button with its own key equivalent answers only that.
  cancel->setKeyEquivalent(NSSTR("x"));
  pressKey(u"\x1b");
  EXPECT_EQ(w.recorder->actions.size(), 4u);
}

TEST(KeyEquivalents, DefaultButtonCellTakesReturn) {
  NSAutoreleasePool pool;
  ButtonWindow w;
  NSButton* button = w.add("A test button", NSMakeRect(10, 10, 120, 32));
  NSWindowSetDefaultButtonCell(w.window, button->cell());
  EXPECT_EQ(NSWindowDefaultButtonCell(w.window), button->cell());
  EXPECT_TRUE(button->isDefaultButton());
  pressKey(u"\r");
  EXPECT_EQ(w.recorder->actions.size(), 1u);
  NSWindowSetDefaultButtonCell(w.window, nullptr);
  pressKey(u"\r");
  EXPECT_EQ(w.recorder->actions.size(), 1u);
}

TEST(Actions, NilTargetGoesToFirstResponderChainAndMissingActionToNoOne) {
  NSAutoreleasePool pool;
  ButtonWindow w;
  NSButton* button = w.add("Chain", NSMakeRect(10, 10, 100, 32));
  button->setTarget(nullptr);
  EXPECT_FALSE(NSSendActionToTarget(sel("act:"), nullptr, button));
  EXPECT_FALSE(NSSendActionToTarget(nullptr, w.recorder, button));
  EXPECT_TRUE(NSSendActionToTarget(sel("act:"), w.recorder, button));
  EXPECT_EQ(NSTargetForAction(sel("nobodyAnswers:")), nullptr);
}
