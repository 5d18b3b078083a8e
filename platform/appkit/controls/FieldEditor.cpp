#include "appkit/controls/FieldEditor.h"

#include <algorithm>
#include <cwctype>

#include "appkit/application/NSEvent.h"
#include "display/DisplayBackend.h"

namespace {

bool isHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}
bool isWordCharacter(char16_t c) {
  return isHighSurrogate(c) || isLowSurrogate(c) || std::iswalnum(static_cast<wint_t>(c));
}
// Function keys (arrows, Home, F1...) live in this private-use block of key-event characters.
bool isFunctionKey(char16_t c) {
  return c >= 0xF700 && c <= 0xF8FF;
}

} // namespace

void FieldEditor::setText(std::u16string text) {
  text_ = std::move(text);
  anchor_ = caret_ = text_.size();
}

NSRange FieldEditor::selectedRange() const {
  const std::size_t start = std::min(anchor_, caret_);
  return NSMakeRange(start, std::max(anchor_, caret_) - start);
}

void FieldEditor::setSelectedRange(NSRange range) {
  std::size_t start = std::min<std::size_t>(range.location, text_.size());
  std::size_t end =
      std::min<std::size_t>(start + std::min(range.length, text_.size()), text_.size());
  if (start > 0 && start < text_.size() && isLowSurrogate(text_[start])) --start;
  if (end > 0 && end < text_.size() && isLowSurrogate(text_[end])) ++end;
  anchor_ = start;
  caret_ = end;
}

void FieldEditor::replaceSelection(std::u16string_view replacement) {
  const NSRange selection = selectedRange();
  text_.replace(selection.location, selection.length, replacement);
  anchor_ = caret_ = selection.location + replacement.size();
}

void FieldEditor::insertText(std::u16string_view text) {
  // A field holds one line: line breaks and other control characters are not inserted.
  std::u16string filtered;
  for (char16_t c : text)
    if (c >= 0x20 && c != 0x7F && !isFunctionKey(c)) filtered.push_back(c);
  if (filtered.empty() && text.size() > 0) return;
  replaceSelection(filtered);
}

void FieldEditor::deleteBackward() {
  if (anchor_ == caret_) anchor_ = previousPosition(caret_);
  replaceSelection(u"");
}

void FieldEditor::deleteForward() {
  if (anchor_ == caret_) anchor_ = nextPosition(caret_);
  replaceSelection(u"");
}

void FieldEditor::moveCaretTo(std::size_t position, bool extend) {
  caret_ = position;
  if (!extend) anchor_ = position;
}

void FieldEditor::moveLeft(bool extend) {
  // Without extending, a selection collapses to its start, as AppKit does.
  if (!extend && anchor_ != caret_) return moveCaretTo(selectedRange().location, false);
  moveCaretTo(previousPosition(caret_), extend);
}

void FieldEditor::moveRight(bool extend) {
  if (!extend && anchor_ != caret_) {
    const NSRange selection = selectedRange();
    return moveCaretTo(selection.location + selection.length, false);
  }
  moveCaretTo(nextPosition(caret_), extend);
}

void FieldEditor::moveWordLeft(bool extend) {
  std::size_t position = caret_;
  while (position > 0 && !isWordCharacter(text_[position - 1]))
    --position;
  while (position > 0 && isWordCharacter(text_[position - 1]))
    --position;
  moveCaretTo(position, extend);
}

void FieldEditor::moveWordRight(bool extend) {
  std::size_t position = caret_;
  while (position < text_.size() && !isWordCharacter(text_[position]))
    ++position;
  while (position < text_.size() && isWordCharacter(text_[position]))
    ++position;
  moveCaretTo(position, extend);
}

void FieldEditor::moveToBeginning(bool extend) {
  moveCaretTo(0, extend);
}
void FieldEditor::moveToEnd(bool extend) {
  moveCaretTo(text_.size(), extend);
}

void FieldEditor::selectAll() {
  anchor_ = 0;
  caret_ = text_.size();
}

void FieldEditor::cut() {
  if (anchor_ == caret_) return;
  copy();
  replaceSelection(u"");
}

void FieldEditor::copy() const {
  const NSRange selection = selectedRange();
  if (selection.length > 0) setPasteboardText(text_.substr(selection.location, selection.length));
}

void FieldEditor::paste() {
  insertText(pasteboardText());
}

std::u16string FieldEditor::pasteboardText() {
  return DisplayBackend::current().clipboardText().value_or(std::u16string());
}

void FieldEditor::setPasteboardText(std::u16string text) {
  DisplayBackend::current().setClipboardText(std::move(text));
}

std::size_t FieldEditor::previousPosition(std::size_t position) const {
  if (position == 0) return 0;
  --position;
  if (position > 0 && isLowSurrogate(text_[position]) && isHighSurrogate(text_[position - 1]))
    --position;
  return position;
}

std::size_t FieldEditor::nextPosition(std::size_t position) const {
  if (position >= text_.size()) return text_.size();
  ++position;
  if (position < text_.size() && isLowSurrogate(text_[position]) &&
      isHighSurrogate(text_[position - 1]))
    ++position;
  return position;
}

FieldEditor::KeyResult FieldEditor::interpretKey(std::u16string_view characters,
                                                 std::u16string_view ignoringModifiers,
                                                 NSUInteger modifierFlags) {
  const bool command = modifierFlags & NSEventModifierFlagCommand;
  const bool control = modifierFlags & NSEventModifierFlagControl;
  const bool option = modifierFlags & NSEventModifierFlagOption;
  const bool shift = modifierFlags & NSEventModifierFlagShift;
  const char16_t key = ignoringModifiers.size() == 1 ? ignoringModifiers[0]
                       : characters.size() == 1      ? characters[0]
                                                     : 0;
  if (command) {
    switch (key) {
    case u'a':
      return selectAll(), KeyResult::Handled;
    case u'c':
      return copy(), KeyResult::Handled;
    case u'x':
      return cut(), KeyResult::Handled;
    case u'v':
      return paste(), KeyResult::Handled;
    case NSKey::LeftArrow:
      return moveToBeginning(shift), KeyResult::Handled;
    case NSKey::RightArrow:
      return moveToEnd(shift), KeyResult::Handled;
    case NSKey::Backspace:
      if (anchor_ == caret_) anchor_ = 0;
      return replaceSelection(u""), KeyResult::Handled;
    default:
      return KeyResult::Ignored;
    }
  }
  if (control) {
    switch (key) {
    case u'a':
      return moveToBeginning(shift), KeyResult::Handled;
    case u'e':
      return moveToEnd(shift), KeyResult::Handled;
    default:
      return KeyResult::Ignored;
    }
  }
  switch (key) {
  case NSKey::Return:
  case NSKey::Enter:
  case u'\n':
    return KeyResult::Return;
  case NSKey::Tab:
    return shift ? KeyResult::Backtab : KeyResult::Tab;
  case NSKey::Backtab:
    return KeyResult::Backtab;
  case NSKey::Escape:
    return KeyResult::Escape;
  case NSKey::Backspace:
    return deleteBackward(), KeyResult::Handled;
  case NSKey::ForwardDelete:
    return deleteForward(), KeyResult::Handled;
  case NSKey::LeftArrow:
    return (option ? moveWordLeft(shift) : moveLeft(shift)), KeyResult::Handled;
  case NSKey::RightArrow:
    return (option ? moveWordRight(shift) : moveRight(shift)), KeyResult::Handled;
  case NSKey::UpArrow:
  case NSKey::Home:
    return moveToBeginning(shift), KeyResult::Handled;
  case NSKey::DownArrow:
  case NSKey::End:
    return moveToEnd(shift), KeyResult::Handled;
  default:
    break;
  }
  if (characters.empty()) return KeyResult::Ignored;
  for (char16_t c : characters)
    if (c < 0x20 || c == 0x7F || isFunctionKey(c)) return KeyResult::Ignored;
  insertText(characters);
  return KeyResult::Handled;
}
