// NSControl: a view that the user operates, which sends an action message to a target. The
// target is not retained. A nil target means "whoever answers the action": the key window's
// first responder and its responder chain, then the key window, then the application.
//
// Controls keep one value (a string or a number) and the font they draw it in; subclasses
// decide how they show it.
#pragma once

#include "appkit/drawing/NSFont.h"
#include "appkit/drawing/NSParagraphStyle.h"
#include "appkit/views/NSView.h"

#include "appkit/controls/NSCell.h"

class NSControl : public NSView {
  NS_OBJECT_CLASS(NSControl)

  NSControl* initWithFrame(NSRect frame) override;
  ~NSControl() override;

  // MARK: target and action
  NSObject* target() const { return target_; }
  void setTarget(NSObject* target) { target_ = target; }
  SEL action() const { return action_; }
  void setAction(SEL action) { action_ = action; }
  // Sends action to target (nil: the responder chain of the key window, then the application);
  // false when nothing answered the action.
  bool sendAction(SEL action, NSObject* target);

  // MARK: state
  bool isEnabled() const { return enabled_; }
  virtual void setEnabled(bool flag);
  NSInteger tag() const override { return tag_; }
  void setTag(NSInteger tag) { tag_ = tag; }
  // The cell that stands for this control, as AppKit's controls have one.
  NSCell* cell() const;

  // MARK: value
  // The string value is never nil; nil sets the empty string.
  virtual NSString* stringValue() const;
  virtual void setStringValue(const NSString* value);

  // MARK: text attributes
  // nil restores the system font at the regular size.
  NSFont* font() const { return font_; }
  virtual void setFont(NSFont* font);
  NSTextAlignment alignment() const { return alignment_; }
  void setAlignment(NSTextAlignment alignment);

  // Fields that every control adds to the screen description.
  void describeFields(JsonWriter& json) const override;

protected:
  // Whether the control's window is key: controls draw their active look only then.
  bool windowIsKey() const;
  // The cell this class uses; a new object owned by the caller.
  virtual NSCell* makeCell() const;

private:
  Weak<NSObject> target_; // not retained, as in AppKit
  SEL action_ = nullptr;
  bool enabled_ = true;
  NSInteger tag_ = 0;
  Ref<NSString> stringValue_;
  Ref<NSFont> font_;
  NSTextAlignment alignment_ = NSTextAlignmentNatural;
  mutable Ref<NSCell> cell_;
};

// Sends an action as NSApplication's sendAction:to:from: does: to the target when it answers
// the action; for a nil target, to the first object that answers it along the key window's
// responder chain, then the key window, the main window and the application. False when no one
// answered.
bool NSSendActionToTarget(SEL action, NSObject* target, NSObject* sender);
// The object that would receive an action sent to a nil target, or nil.
NSObject* NSTargetForAction(SEL action);
