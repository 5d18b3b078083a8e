// NSButton: a push button, check box or radio button that sends its action when clicked.
//
// A new button is titled "Button", is a momentary push-in button (type 7) with the rounded bezel
// (style 1), bordered, off, without image or key equivalent, as AppKit makes one in code. A
// button acts through its target and action when it is clicked (mouse down and up inside),
// sent performClick, or pressed through its key equivalent: performKeyEquivalent compares the
// key (ignoring modifiers) and the modifier flags with the button's and clicks an enabled
// button in a window that accepts input.
//
// The default button: a push button whose key equivalent is Return ("\r", no modifiers), or
// whose cell is its window's default button cell, takes a Return that nobody else claimed, and
// draws in the accent colour while its window is key. A button titled "Cancel" without a key
// equivalent of its own answers Escape and Command-period, as AppKit's do.
#pragma once

#include "appkit/application/NSEvent.h"
#include "appkit/controls/NSCell.h"
#include "appkit/controls/NSControl.h"
#include "appkit/controls/NSControlStateValue.h"
#include "appkit/drawing/NSImage.h"

enum NSButtonType : NSUInteger {
  NSButtonTypeMomentaryLight = 0,
  NSButtonTypePushOnPushOff = 1,
  NSButtonTypeToggle = 2,
  NSButtonTypeSwitch = 3,
  NSButtonTypeRadio = 4,
  NSButtonTypeMomentaryChange = 5,
  NSButtonTypeOnOff = 6,
  NSButtonTypeMomentaryPushIn = 7,
  NSButtonTypeAccelerator = 8,
  NSButtonTypeMultiLevelAccelerator = 9,
};

enum NSBezelStyle : NSUInteger {
  NSBezelStyleRounded = 1,
  NSBezelStyleRegularSquare = 2,
  NSBezelStyleDisclosure = 5,
  NSBezelStyleShadowlessSquare = 6,
  NSBezelStyleCircular = 7,
  NSBezelStyleTexturedSquare = 8,
  NSBezelStyleHelpButton = 9,
  NSBezelStyleSmallSquare = 10,
  NSBezelStyleTexturedRounded = 11,
  NSBezelStyleRoundRect = 12,
  NSBezelStyleRecessed = 13,
  NSBezelStyleRoundedDisclosure = 14,
  NSBezelStyleInline = 15,
};

class NSButton : public NSControl {
  NS_OBJECT_CLASS(NSButton)

  NSButton* initWithFrame(NSRect frame) override;

  // MARK: title and image
  NSString* title() const { return title_; }
  void setTitle(const NSString* title); // copied; nil is ""
  NSImage* image() const { return image_; }
  void setImage(NSImage* image);
  NSImage* alternateImage() const { return alternateImage_; }
  void setAlternateImage(NSImage* image);
  // The title's size plus the bezel's room.
  NSSize intrinsicContentSize() const;

  // MARK: type and bezel
  NSButtonType buttonType() const { return buttonType_; }
  void setButtonType(NSButtonType type);
  NSBezelStyle bezelStyle() const { return bezelStyle_; }
  void setBezelStyle(NSBezelStyle style);
  bool isBordered() const { return bordered_; }
  void setBordered(bool flag);

  // MARK: state
  NSControlStateValue state() const { return state_; }
  void setState(NSControlStateValue state);
  bool isHighlighted() const { return highlighted_; }
  void highlight(bool flag);

  // MARK: key equivalent
  NSString* keyEquivalent() const { return keyEquivalent_; }
  void setKeyEquivalent(const NSString* key); // nil is ""
  NSEventModifierFlags keyEquivalentModifierMask() const { return keyEquivalentModifierMask_; }
  void setKeyEquivalentModifierMask(NSEventModifierFlags mask);
  bool performKeyEquivalent(NSEvent* event) override;
  // The keyboard reaches an enabled button through Tab (a focus ring shows it), and Space
  // presses it; a click does not move the focus to it.
  bool acceptsFirstResponder() const override;
  bool becomesFirstResponderOnClick() const override { return false; }
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;
  void keyDown(NSEvent* event) override;
  // Whether Return presses this button: key equivalent "\r" without modifiers, or the window's
  // default button cell.
  bool isDefaultButton() const;

  // MARK: acting
  // Clicks the button as the user would: it highlights, changes state by its type and sends
  // its action. Nothing happens when it is disabled.
  void performClick(NSObject* sender);
  void mouseDown(NSEvent* event) override;
  void mouseDragged(NSEvent* event) override;
  void mouseUp(NSEvent* event) override;

  NSButtonCell* cell() const { return static_cast<NSButtonCell*>(NSControl::cell()); }

  void drawRect(NSRect dirtyRect) override;
  void describeFields(JsonWriter& json) const override;

protected:
  NSCell* makeCell() const override { return NSButtonCell::alloc(); }

private:
  Ref<NSString> title_;
  Ref<NSString> keyEquivalent_;
  Ref<NSImage> image_;
  Ref<NSImage> alternateImage_;
  NSEventModifierFlags keyEquivalentModifierMask_ = 0;
  NSButtonType buttonType_ = NSButtonTypeMomentaryPushIn;
  NSBezelStyle bezelStyle_ = NSBezelStyleRounded;
  NSControlStateValue state_ = NSControlStateValueOff;
  bool bordered_ = true;
  bool highlighted_ = false;
  bool tracking_ = false;

  void click();
  bool eventIsInside(NSEvent* event) const;
  void drawPushButton(NSRect bounds);
  void drawCheckOrRadio(NSRect bounds, bool radio);
  // Whether the keyboard is on this button in the key window: it shows the focus ring.
  bool showsFocusRing() const;
  void drawTitle(NSRect rect, NSColor* color, NSTextAlignment alignment);
};
