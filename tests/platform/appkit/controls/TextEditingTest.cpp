// Text fields: AppKit's defaults for a new field, and keyboard editing through the field editor
// (insertion, deletion, selection, select all), with Return, Escape and Tab passed on to the
// window as AppKit passes them.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "appkit/controls/FieldEditor.h"
#include "appkit/controls/NSButton.h"
#include "appkit/controls/NSTextField.h"
#include "foundation/runtime/NSAutoreleasePool.h"

using namespace controls_test;

namespace {

struct FieldWindow {
  Ref<NSWindow> window = adopted(makeKeyWindow());
  Ref<NSTextField> first =
      adopted(NSTextField::alloc()->initWithFrame(NSMakeRect(20, 150, 200, 22)));
  Ref<NSTextField> second =
      adopted(NSTextField::alloc()->initWithFrame(NSMakeRect(20, 110, 200, 22)));
  FieldWindow() {
    window->contentView()->addSubview(first);
    window->contentView()->addSubview(second);
  }
  ~FieldWindow() { window->close(); }
};

} // namespace

TEST(FieldEditorKeys, InsertsDeletesAndMovesOverSurrogatePairs) {
  FieldEditor editor;
  editor.setText(u"ab");
  editor.interpretKey(u"\U0001F600", u"\U0001F600", 0);
  EXPECT_EQ(editor.text(), u"ab\U0001F600");
  EXPECT_EQ(editor.caret(), 4u);
  editor.interpretKey(u"\uF702", u"\uF702", 0); // left arrow steps over the whole pair
  EXPECT_EQ(editor.caret(), 2u);
  editor.interpretKey(u"\x7f", u"\x7f", 0);
  EXPECT_EQ(editor.text(), u"a\U0001F600");
  editor.interpretKey(u"\uF728", u"\uF728", 0); // forward delete removes the pair
  EXPECT_EQ(editor.text(), u"a");
  editor.interpretKey(u"\x7f", u"\x7f", 0);
  editor.interpretKey(u"\x7f", u"\x7f", 0); // at the start: nothing happens
  EXPECT_EQ(editor.text(), u"");
}

TEST(FieldEditorKeys, ShiftExtendsSelectionAndTypingReplacesIt) {
  FieldEditor editor;
  editor.setText(u"hello world");
  editor.interpretKey(u"\uF702", u"\uF702", NSEventModifierFlagShift | NSEventModifierFlagOption);
  EXPECT_EQ(editor.selectedRange().location, 6u);
  EXPECT_EQ(editor.selectedRange().length, 5u);
  editor.interpretKey(u"there", u"there", 0);
  EXPECT_EQ(editor.text(), u"hello there");
  editor.interpretKey(u"a", u"a", NSEventModifierFlagCommand);
  EXPECT_EQ(editor.selectedRange().length, 11u);
  editor.interpretKey(u"x", u"x", NSEventModifierFlagCommand);
  EXPECT_EQ(editor.text(), u"");
  editor.interpretKey(u"v", u"v", NSEventModifierFlagCommand);
  editor.interpretKey(u"v", u"v", NSEventModifierFlagCommand);
  EXPECT_EQ(editor.text(), u"hello therehello there");
}

TEST(FieldEditorKeys, KeysThatEndEditingAreReportedNotInserted) {
  FieldEditor editor;
  editor.setText(u"x");
  using R = FieldEditor::KeyResult;
  EXPECT_EQ(editor.interpretKey(u"\r", u"\r", 0), R::Return);
  EXPECT_EQ(editor.interpretKey(u"\x03", u"\x03", 0), R::Return);
  EXPECT_EQ(editor.interpretKey(u"\t", u"\t", 0), R::Tab);
  EXPECT_EQ(editor.interpretKey(u"\t", u"\t", NSEventModifierFlagShift), R::Backtab);
  EXPECT_EQ(editor.interpretKey(u"\x1b", u"\x1b", 0), R::Escape);
  EXPECT_EQ(editor.interpretKey(u"q", u"q", NSEventModifierFlagCommand), R::Ignored);
  EXPECT_EQ(editor.text(), u"x");
}

TEST(TextFieldDefaults, NewFieldIsEditableBezeledAndHoldsEmptyString) {
  NSAutoreleasePool pool;
  Ref<NSTextField> field = adopted(NSTextField::alloc()->init());
  EXPECT_TRUE(field->isEditable());
  EXPECT_TRUE(field->isSelectable());
  EXPECT_TRUE(field->isBezeled());
  EXPECT_FALSE(field->isBordered());
  EXPECT_TRUE(field->drawsBackground());
  EXPECT_EQ(text(field->stringValue()), u"");
  EXPECT_EQ(field->font()->pointSize(), 13);
  EXPECT_FALSE(field->font()->isBold());
  EXPECT_TRUE(field->frame() == NSZeroRect);

  field->setStringValue(nullptr); // AppKit raises; we keep a valid, empty value
  EXPECT_EQ(text(field->stringValue()), u"");
  field->setSelectable(false);
  EXPECT_FALSE(field->isEditable());
  field->setEditable(true);
  EXPECT_TRUE(field->isSelectable());
  EXPECT_FALSE(NSTextField::labelWithString(NSSTR("x"))->acceptsFirstResponder());
}

TEST(TextFieldEditing, ClickTypeDeleteAndSelectAll) {
  NSAutoreleasePool pool;
  FieldWindow w;
  w.first->setStringValue(NSSTR("ab"));
  clickCenter(w.first); // caret after the text: the click lands right of it
  ASSERT_EQ(w.window->firstResponder(), w.first.get());
  ASSERT_TRUE(w.first->isEditing());
  typeText(u"cd");
  EXPECT_EQ(text(w.first->stringValue()), u"abcd");
  pressKey(u"\x7f");
  EXPECT_EQ(text(w.first->stringValue()), u"abc");
  pressKey(u"a", NSEventModifierFlagCommand);
  typeText(u"Z");
  EXPECT_EQ(text(w.first->stringValue()), u"Z");
  // Setting the value while editing replaces the editor's text too.
  w.first->setStringValue(NSSTR("new"));
  typeText(u"!");
  EXPECT_EQ(text(w.first->stringValue()), u"new!");
}

TEST(TextFieldEditing, TabMovesToNextFieldAndSelectsItsText) {
  NSAutoreleasePool pool;
  FieldWindow w;
  w.second->setStringValue(NSSTR("old"));
  clickCenter(w.first);
  pressKey(u"\t");
  EXPECT_EQ(w.window->firstResponder(), w.second.get());
  typeText(u"new");
  EXPECT_EQ(text(w.second->stringValue()), u"new");
  pressKey(u"\t", NSEventModifierFlagShift);
  EXPECT_EQ(w.window->firstResponder(), w.first.get());
  pressKey(u"\t");
  pressKey(u"\t"); // wraps around to the first field
  EXPECT_EQ(w.window->firstResponder(), w.first.get());
}

TEST(TextFieldEditing, ReturnSendsFieldActionThenPressesDefaultButton) {
  NSAutoreleasePool pool;
  FieldWindow w;
  Ref<ActionRecorder> recorder = adopted(ActionRecorder::alloc());
  w.first->setTarget(recorder);
  w.first->setAction(sel("other:"));
  Ref<NSButton> ok = adopted(NSButton::alloc()->initWithFrame(NSMakeRect(280, 10, 100, 32)));
  ok->setKeyEquivalent(NSSTR("\r"));
  ok->setTarget(recorder);
  ok->setAction(sel("act:"));
  w.window->contentView()->addSubview(ok);
  clickCenter(w.first);
  typeText(u"typed");
  pressKey(u"\r");
  ASSERT_EQ(recorder->actions, (std::vector<std::string>{"other:", "act:"}));
  EXPECT_EQ(recorder->senders[1], ok.get());
  EXPECT_EQ(text(w.first->stringValue()), u"typed");
  // The text stays selected, so typing replaces it.
  typeText(u"x");
  EXPECT_EQ(text(w.first->stringValue()), u"x");
}

TEST(TextFieldEditing, EscapePressesCancelButtonAndLabelsIgnoreKeys) {
  NSAutoreleasePool pool;
  FieldWindow w;
  Ref<ActionRecorder> recorder = adopted(ActionRecorder::alloc());
  Ref<NSButton> cancel = adopted(NSButton::alloc()->initWithFrame(NSMakeRect(170, 10, 100, 32)));
  cancel->setTitle(NSSTR("Cancel"));
  cancel->setTarget(recorder);
  cancel->setAction(sel("act:"));
  w.window->contentView()->addSubview(cancel);
  w.first->setEditable(false);
  w.first->setSelectable(false);
  clickCenter(w.first); // a label does not take the focus
  EXPECT_EQ(w.window->firstResponder(), w.window.get());
  typeText(u"abc");
  EXPECT_EQ(text(w.first->stringValue()), u"");
  pressKey(u"\x1b");
  EXPECT_EQ(recorder->actions, std::vector<std::string>{"act:"});
}
