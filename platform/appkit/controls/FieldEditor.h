// FieldEditor: the editing engine behind an editable text field while it is first responder, as
// AppKit's shared field editor is: one line of UTF-16 text, a selection with an anchor, and the
// standard key bindings (insertion, deletion, caret movement, selection, select all, cut, copy
// and paste). Keys that end editing (Return, Tab, Escape) are not handled here: the editor says
// which one came, and the field passes it on to the window.
//
// Indices count UTF-16 units; the caret never stops inside a surrogate pair.
#pragma once

#include <string>
#include <string_view>

#include "foundation/strings/NSString.h"

// The characters AppKit puts into key events for keys that do not type text.
namespace NSKey {
constexpr char16_t Enter = 0x03;
constexpr char16_t Tab = 0x09;
constexpr char16_t Return = 0x0D;
constexpr char16_t Backtab = 0x19;
constexpr char16_t Escape = 0x1B;
constexpr char16_t Backspace = 0x7F; // NSDeleteCharacter
constexpr char16_t UpArrow = 0xF700;
constexpr char16_t DownArrow = 0xF701;
constexpr char16_t LeftArrow = 0xF702;
constexpr char16_t RightArrow = 0xF703;
constexpr char16_t ForwardDelete = 0xF728;
constexpr char16_t Home = 0xF729;
constexpr char16_t End = 0xF72B;
} // namespace NSKey

class FieldEditor {
public:
  // What a key did.
  enum class KeyResult {
    Handled, // edited or moved
    Ignored, // not an editing key (a control character, an unknown command)
    Return,  // Return or Enter: end editing, then the window's default button
    Tab,     // Tab: on to the next key view
    Backtab, // Shift-Tab: on to the previous key view
    Escape,  // Escape: on to the window (a Cancel button)
  };

  const std::u16string& text() const { return text_; }
  // Replaces the text and puts the caret at its end.
  void setText(std::u16string text);
  NSRange selectedRange() const;
  // Clamped to the text, and widened to whole surrogate pairs. The anchor is the range's start.
  void setSelectedRange(NSRange range);
  // The caret position (the moving end of the selection).
  std::size_t caret() const { return caret_; }

  // Editing commands, named after the NSResponder actions they stand for.
  void insertText(std::u16string_view text);
  void deleteBackward();
  void deleteForward();
  void moveLeft(bool extend);
  void moveRight(bool extend);
  void moveWordLeft(bool extend);
  void moveWordRight(bool extend);
  void moveToBeginning(bool extend);
  void moveToEnd(bool extend);
  void selectAll();
  // Cut, copy and paste go through the display's clipboard: the desktop's, shared with every
  // other application, on a live display.
  void cut();
  void copy() const;
  void paste();
  static std::u16string pasteboardText();
  static void setPasteboardText(std::u16string text);

  // Interprets one key-down, given its characters, its characters without modifiers and its
  // modifier flags, as AppKit's standard key bindings do.
  KeyResult interpretKey(std::u16string_view characters, std::u16string_view ignoringModifiers,
                         NSUInteger modifierFlags);

private:
  std::u16string text_;
  std::size_t anchor_ = 0;
  std::size_t caret_ = 0;

  void replaceSelection(std::u16string_view replacement);
  void moveCaretTo(std::size_t position, bool extend);
  std::size_t previousPosition(std::size_t position) const;
  std::size_t nextPosition(std::size_t position) const;
};
