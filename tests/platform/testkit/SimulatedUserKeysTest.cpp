// The simulated user's keys: pressKey, pressShortcut and type read one key table, so a key name
// means the same key (characters and key code) to each of them, and a name one refuses the
// other refuses in the same words.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ControlsTestSupport.h"
#include "appkit/controls/FieldEditor.h"
#include "appkit/controls/NSTextField.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "testkit/MenuUser.h"
#include "testkit/SimulatedUser.h"

using namespace controls_test;

namespace {

struct KeyPress {
  std::u16string characters;
  unsigned short keyCode;
  NSEventModifierFlags flags;
  bool operator==(const KeyPress&) const = default;
};

std::ostream& operator<<(std::ostream& out, const KeyPress& press) {
  out << "{";
  for (char16_t c : press.characters)
    out << "U+" << std::hex << static_cast<unsigned>(c) << std::dec << " ";
  return out << "code " << press.keyCode << ", flags " << press.flags << "}";
}

// A view that takes the keyboard and records every key-down it gets.
class KeyRecorder : public NSView {
  NS_OBJECT_CLASS(KeyRecorder)
  std::vector<KeyPress> presses;
  bool acceptsFirstResponder() const override { return true; }
  void keyDown(NSEvent* event) override {
    presses.push_back(KeyPress{text(event->characters()), event->keyCode(),
                               event->modifierFlags() &
                                   (NSEventModifierFlagCommand | NSEventModifierFlagShift |
                                    NSEventModifierFlagOption | NSEventModifierFlagControl)});
  }
};

// A key window whose first responder records the keys.
struct RecorderWindow {
  Ref<NSWindow> window = adopted(makeKeyWindow());
  Ref<KeyRecorder> recorder = adopted(
      static_cast<KeyRecorder*>(KeyRecorder::alloc()->initWithFrame(NSMakeRect(0, 0, 400, 200))));
  RecorderWindow() {
    window->contentView()->addSubview(recorder);
    window->makeFirstResponder(recorder);
  }
  ~RecorderWindow() { window->close(); }
};

// The message of the BadArgument error the action gives, or "accepted".
std::string refusal(const std::function<void()>& action) {
  try {
    action();
  } catch (const SimulatedUserError& error) {
    EXPECT_EQ(error.kind, SimulatedUserError::Kind::BadArgument) << error.what();
    return error.what();
  }
  return "accepted";
}

} // namespace

TEST(SimulatedUserKeys, PressKeyAndPressShortcutPressTheSameKeyForEveryName) {
  NSAutoreleasePool pool;
  RecorderWindow w;
  ASSERT_EQ(w.window->firstResponder(), w.recorder.get());
  const std::vector<std::u16string> names = {
      u"Return", u"Enter", u"Escape", u"Tab",  u"Backspace", u"Delete",    u"Left",
      u"Right",  u"Up",    u"Down",   u"Home", u"End",       u"Space",     u"LEFT",
      u"escape", u",",     u"q",      u"7",    u"\u00e9",    u"\U0001F600"};
  for (const std::u16string& name : names) {
    w.recorder->presses.clear();
    SimulatedUser::pressKey(name);
    MenuUser::pressShortcut(name, {});
    ASSERT_EQ(w.recorder->presses.size(), 2u) << NSUTF16ToUTF8(name);
    EXPECT_EQ(w.recorder->presses[0], w.recorder->presses[1]) << NSUTF16ToUTF8(name);
  }
  // What some of them are: arrows and Escape by their function-key characters and the key codes
  // of a US keyboard, which menu tracking reads for Escape; "," by its own key.
  w.recorder->presses.clear();
  SimulatedUser::pressKey(u"left");
  SimulatedUser::pressKey(u"Escape");
  SimulatedUser::pressKey(u",");
  SimulatedUser::type(u",\u00e9");
  const std::vector<KeyPress> expected = {{std::u16string(1, NSKey::LeftArrow), 123, 0},
                                          {std::u16string(1, NSKey::Escape), 53, 0},
                                          {u",", 43, 0},
                                          {u",", 43, 0},
                                          {u"\u00e9", 0, 0}};
  EXPECT_EQ(w.recorder->presses, expected);
}

TEST(SimulatedUserKeys, ShortcutModifiersIgnoreCaseAndLettersTypeTheirOwnCharacter) {
  NSAutoreleasePool pool;
  RecorderWindow w;
  MenuUser::pressShortcut(u"Left", {u"Shift"});
  MenuUser::pressShortcut(u"D", {u"SHIFT", u"control"});
  SimulatedUser::pressKey(u"D");
  const std::vector<KeyPress> expected = {
      {std::u16string(1, NSKey::LeftArrow), 123, NSEventModifierFlagShift},
      {u"d", 2, NSEventModifierFlagShift | NSEventModifierFlagControl},
      {u"D", 2, 0}};
  EXPECT_EQ(w.recorder->presses, expected);
}

TEST(SimulatedUserKeys, ArrowShortcutMovesTheCaretAsPressKeyDoes) {
  NSAutoreleasePool pool;
  Ref<NSWindow> window = adopted(makeKeyWindow());
  Ref<NSTextField> field =
      adopted(NSTextField::alloc()->initWithFrame(NSMakeRect(20, 20, 200, 24)));
  field->setStringValue(NSSTR("abc"));
  window->contentView()->addSubview(field);
  SimulatedUser::focusField(0);
  ASSERT_TRUE(field->isEditing());
  SimulatedUser::pressKey(u"End");
  MenuUser::pressShortcut(u"Left", {});
  SimulatedUser::type(u"X");
  SimulatedUser::pressKey(u"Left");
  SimulatedUser::pressKey(u"Left");
  SimulatedUser::type(u"Y");
  EXPECT_EQ(text(field->stringValue()), u"aYbXc");
  window->close();
}

TEST(SimulatedUserKeys, UnknownKeysAndModifiersAreRefusedAlike) {
  NSAutoreleasePool pool;
  RecorderWindow w;
  for (const std::u16string& bad : {std::u16string(u"NoSuchKey"), std::u16string(u""),
                                    std::u16string(u"ab"), std::u16string(u"Left ")}) {
    const std::string message = "unknown key \"" + NSUTF16ToUTF8(bad) + "\"";
    EXPECT_EQ(refusal([&] { SimulatedUser::pressKey(bad); }), message);
    EXPECT_EQ(refusal([&] { MenuUser::pressShortcut(bad, {u"command"}); }), message);
  }
  EXPECT_EQ(refusal([] {
              MenuUser::pressShortcut(u"a", {u"command", u"hyper"});
            }),
            "unknown modifier \"hyper\"");
  EXPECT_EQ(refusal([] { MenuUser::pressShortcut(u"a", {u""}); }), "unknown modifier \"\"");
  // Nothing refused reached the window.
  EXPECT_TRUE(w.recorder->presses.empty());
}
