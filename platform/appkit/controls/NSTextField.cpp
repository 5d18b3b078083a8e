#include "appkit/controls/NSTextField.h"

#include <algorithm>
#include <optional>
#include <string>

#include "appkit/application/NSEvent.h"
#include "appkit/views/KeyViewLoop.h"
#include "appkit/windows/NSWindow.h"
#include "display/DisplayBackend.h"
#include "foundation/json/JsonWriter.h"

NSTextField* NSTextField::initWithFrame(NSRect frame) {
  NSControl::initWithFrame(frame);
  textColor_ = retained(NSColor::controlTextColor());
  backgroundColor_ = retained(NSColor::textBackgroundColor());
  return this;
}

NSTextField* NSTextField::labelWithString(const NSString* text) {
  NSTextField* label = alloc()->initWithFrame(NSZeroRect);
  label->setStringValue(text);
  label->setBezeled(false);
  label->setDrawsBackground(false);
  label->setEditable(false);
  label->setSelectable(false);
  label->autorelease();
  return label;
}

// MARK: value and flags

void NSTextField::setStringValue(const NSString* value) {
  NSControl::setStringValue(value);
  if (editing_) editor_.setText(std::u16string(stringValue()->utf16()));
}

void NSTextField::setPlaceholderString(const NSString* text) {
  placeholder_ = text ? adopted(NSString::alloc()->initWithUTF16(text->utf16())) : nullptr;
  setNeedsDisplay(true);
}

void NSTextField::setEditable(bool flag) {
  editable_ = flag;
  if (flag) selectable_ = true;
  setNeedsDisplay(true);
}

void NSTextField::setSelectable(bool flag) {
  selectable_ = flag;
  if (!flag) editable_ = false;
  // A field that can no longer be selected gives up the keyboard focus.
  if (!flag && editing_ && window()) window()->makeFirstResponder(nullptr);
  setNeedsDisplay(true);
}

void NSTextField::setBezeled(bool flag) {
  bezeled_ = flag;
  setNeedsDisplay(true);
}

void NSTextField::setBordered(bool flag) {
  bordered_ = flag;
  setNeedsDisplay(true);
}

void NSTextField::setDrawsBackground(bool flag) {
  drawsBackground_ = flag;
  setNeedsDisplay(true);
}

void NSTextField::setEnabled(bool flag) {
  NSControl::setEnabled(flag);
  if (!flag && editing_ && window()) window()->makeFirstResponder(nullptr);
}

void NSTextField::setTextColor(NSColor* color) {
  textColor_ = retained(color ? color : NSColor::controlTextColor());
  setNeedsDisplay(true);
}

void NSTextField::setBackgroundColor(NSColor* color) {
  backgroundColor_ = retained(color ? color : NSColor::textBackgroundColor());
  setNeedsDisplay(true);
}

// MARK: first responder

bool NSTextField::acceptsFirstResponder() const {
  return selectable_ && isEnabled();
}

bool NSTextField::becomeFirstResponder() {
  editing_ = true;
  editor_.setText(std::u16string(stringValue()->utf16()));
  // Arriving by keyboard selects the whole text; a click then places the caret.
  editor_.selectAll();
  setNeedsDisplay(true);
  return true;
}

bool NSTextField::resignFirstResponder() {
  if (editing_) commitEditorText();
  editing_ = false;
  setNeedsDisplay(true);
  return true;
}

void NSTextField::selectText(NSObject*) {
  if (!editing_) {
    if (!window() || !acceptsFirstResponder() || !window()->makeFirstResponder(this)) return;
  }
  editor_.selectAll();
  setNeedsDisplay(true);
}

void NSTextField::commitEditorText() {
  if (editor_.text() == stringValue()->utf16()) return;
  Ref<NSString> text = adopted(NSString::alloc()->initWithUTF16(editor_.text()));
  NSControl::setStringValue(text);
}

void NSTextField::viewWillMoveToWindow(NSWindow* window) {
  // Leaving the window ends editing; the text typed so far is kept.
  if (editing_ && window != this->window()) {
    commitEditorText();
    editing_ = false;
  }
}

// MARK: events

void NSTextField::keyDown(NSEvent* event) {
  if (!editing_) return NSControl::keyDown(event);
  Ref<NSTextField> protector(this); // the action or the window may remove the field
  const std::u16string_view characters = event->characters() ? event->characters()->utf16() : u"";
  const std::u16string_view ignoring =
      event->charactersIgnoringModifiers() ? event->charactersIgnoringModifiers()->utf16() : u"";
  switch (editor_.interpretKey(characters, ignoring, event->modifierFlags())) {
  case FieldEditor::KeyResult::Handled:
    commitEditorText();
    offerSelection();
    setNeedsDisplay(true);
    return;
  case FieldEditor::KeyResult::Return:
    // Return ends this round of editing: the value is final, the field's action goes out, the
    // text stays selected, and the key goes on to the window for its default button.
    commitEditorText();
    if (action()) sendAction(action(), target());
    if (editing_) editor_.selectAll();
    setNeedsDisplay(true);
    return NSControl::keyDown(event);
  case FieldEditor::KeyResult::Tab:
    commitEditorText();
    if (window()) NSWindowSelectKeyView(window(), this, true);
    return;
  case FieldEditor::KeyResult::Backtab:
    commitEditorText();
    if (window()) NSWindowSelectKeyView(window(), this, false);
    return;
  case FieldEditor::KeyResult::Escape:
  case FieldEditor::KeyResult::Ignored:
    return NSControl::keyDown(event);
  }
}

void NSTextField::mouseDown(NSEvent* event) {
  if (!selectable_ || !isEnabled() || !window()) return NSControl::mouseDown(event);
  Ref<NSTextField> protector(this);
  if (!editing_ && !window()->makeFirstResponder(this)) return;
  if (!editing_) return;
  const NSPoint point = convertPointFromView(event->locationInWindow(), nullptr);
  const NSUInteger index = indexForPoint(point);
  const bool extend = event->modifierFlags() & NSEventModifierFlagShift;
  if (event->clickCount() >= 2) {
    editor_.selectAll();
  } else if (extend) {
    const NSRange selection = editor_.selectedRange();
    const NSUInteger start = std::min<NSUInteger>(selection.location, index);
    const NSUInteger end = std::max<NSUInteger>(selection.location + selection.length, index);
    editor_.setSelectedRange(NSMakeRange(start, end - start));
  } else {
    editor_.setSelectedRange(NSMakeRange(index, 0));
  }
  dragAnchor_ = editor_.selectedRange().location;
  offerSelection();
  setNeedsDisplay(true);
}

void NSTextField::mouseUp(NSEvent* event) {
  if (!editing_) return NSControl::mouseUp(event);
  offerSelection(); // what the drag selected
}

void NSTextField::otherMouseDown(NSEvent* event) {
  if (!editable_ || !isEnabled() || !window()) return NSControl::otherMouseDown(event);
  Ref<NSTextField> protector(this);
  if (!editing_ && !window()->makeFirstResponder(this)) return;
  if (!editing_) return;
  const std::optional<std::u16string> primary = DisplayBackend::current().primarySelectionText();
  if (!primary) return;
  const NSPoint point = convertPointFromView(event->locationInWindow(), nullptr);
  editor_.setSelectedRange(NSMakeRange(indexForPoint(point), 0));
  editor_.insertText(*primary);
  commitEditorText();
  setNeedsDisplay(true);
}

void NSTextField::offerSelection() {
  const NSRange range = editor_.selectedRange();
  if (range.length == 0) return offeredSelection_.clear();
  std::u16string selected = editor_.text().substr(range.location, range.length);
  if (selected == offeredSelection_) return;
  offeredSelection_ = selected;
  DisplayBackend::current().setPrimarySelectionText(std::move(selected));
}

void NSTextField::mouseDragged(NSEvent* event) {
  if (!editing_) return NSControl::mouseDragged(event);
  const NSPoint point = convertPointFromView(event->locationInWindow(), nullptr);
  const NSUInteger index = indexForPoint(point);
  const NSUInteger start = std::min(dragAnchor_, index);
  editor_.setSelectedRange(NSMakeRange(start, std::max(dragAnchor_, index) - start));
  setNeedsDisplay(true);
}

// MARK: description

void NSTextField::describeFields(JsonWriter& json) const {
  NSControl::describeFields(json);
  json.field("text", stringValue());
  json.field("editable", editable_);
  json.field("selectable", selectable_);
  json.field("bezeled", bezeled_);
  json.field("drawsBackground", drawsBackground_);
  json.key("font");
  json.beginObject();
  json.field("family", font()->familyName());
  json.field("size", font()->pointSize());
  json.field("bold", font()->isBold());
  json.endObject();
}
