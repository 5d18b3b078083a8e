// NSTextField: a label or a one-line editable field.
//
// A new field is editable, selectable, bezeled and draws its background, holds "", and uses
// the system font at 13 points, as AppKit's initWithFrame: makes it. Labels are made by
// switching those off. setStringValue(nil) sets "" (AppKit would raise; we never throw into the
// JVM). The field is flipped, and its text starts at the top of the frame.
//
// Editing: a selectable field accepts first responder. While it is first responder it edits
// through a FieldEditor: typed text, Backspace, Delete, the arrows with Shift and Option,
// Command-A, cut, copy and paste. Return ends editing (sending the field's action, if it has
// one) and goes on to the window, whose default button takes it; Escape goes on to the window
// (a Cancel button); Tab and Shift-Tab move to the next or previous key view.
#pragma once

#include "appkit/controls/FieldEditor.h"
#include "appkit/controls/NSControl.h"
#include "appkit/drawing/NSColor.h"

class NSTextField : public NSControl {
  NS_OBJECT_CLASS(NSTextField)

  NSTextField* initWithFrame(NSRect frame) override;
  NSTextField* init() { return initWithFrame(NSZeroRect); }
  // Autoreleased conveniences, with AppKit's settings for each kind.
  static NSTextField* labelWithString(const NSString* text);

  bool isFlipped() const override { return true; }

  // MARK: value
  void setStringValue(const NSString* value) override;
  NSString* placeholderString() const { return placeholder_; }
  void setPlaceholderString(const NSString* text);

  // MARK: flags
  bool isEditable() const { return editable_; }
  // Editable implies selectable.
  void setEditable(bool flag);
  bool isSelectable() const { return selectable_; }
  // Not selectable implies not editable.
  void setSelectable(bool flag);
  bool isBezeled() const { return bezeled_; }
  void setBezeled(bool flag);
  bool isBordered() const { return bordered_; }
  void setBordered(bool flag);
  bool drawsBackground() const { return drawsBackground_; }
  void setDrawsBackground(bool flag);
  void setEnabled(bool flag) override;
  bool showsTextPointer() const override { return selectable_ && isEnabled(); }

  // MARK: colours
  NSColor* textColor() const { return textColor_; }
  void setTextColor(NSColor* color); // nil restores the default
  NSColor* backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(NSColor* color);

  // MARK: editing
  // True while the field is first responder of its window and edits its text.
  bool isEditing() const { return editing_; }
  // Selects the whole text, taking first responder first if need be (AppKit's selectText:).
  void selectText(NSObject* sender);

  bool acceptsFirstResponder() const override;
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;
  void keyDown(NSEvent* event) override;
  void mouseDown(NSEvent* event) override;
  void mouseDragged(NSEvent* event) override;
  void mouseUp(NSEvent* event) override;
  // A middle click pastes the desktop's primary selection where it lands, as X applications do.
  void otherMouseDown(NSEvent* event) override;
  void viewWillMoveToWindow(NSWindow* window) override;

  void drawRect(NSRect dirtyRect) override;
  void describeFields(JsonWriter& json) const override;

  // The rectangle the text is laid out in, inside the bezel and padding (flipped coordinates).
  NSRect textRect() const;

private:
  bool editable_ = true;
  bool selectable_ = true;
  bool bezeled_ = true;
  bool bordered_ = false;
  bool drawsBackground_ = true;
  bool editing_ = false;
  Ref<NSColor> textColor_;
  Ref<NSColor> backgroundColor_;
  Ref<NSString> placeholder_;
  FieldEditor editor_;
  NSUInteger dragAnchor_ = 0;
  // How far the text is scrolled left to keep the caret in view, as last drawn.
  mutable CGFloat scrollOffset_ = 0;

  // Stores the editor's text as the field's value after an edit.
  void commitEditorText();
  // Makes the selected text the desktop's primary selection, when there is some and it changed.
  void offerSelection();
  std::u16string offeredSelection_;
  NSUInteger indexForPoint(NSPoint pointInView) const;
};
