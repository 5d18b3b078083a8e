#include "appkit/controls/NSButton.h"

#include <cmath>

#include "appkit/application/NSApplication.h"
#include "appkit/application/NSEvent.h"
#include "appkit/controls/FieldEditor.h"
#include "appkit/rendering/TextLayout.h"
#include "appkit/windows/NSWindow.h"
#include "foundation/json/JsonWriter.h"

namespace {

// The modifier keys that take part in matching a key equivalent.
constexpr NSEventModifierFlags kKeyEquivalentModifiers =
    NSEventModifierFlagShift | NSEventModifierFlagControl | NSEventModifierFlagOption |
    NSEventModifierFlagCommand;

bool isUpperCaseLetter(char16_t c) {
  return c >= u'A' && c <= u'Z';
}

// Room the rounded bezel needs around its title (both sides together), and its frame height.
constexpr CGFloat kPushButtonTitlePadding = 2 * 6 + 2 * 14;
constexpr CGFloat kPushButtonFrameHeight = 32;

} // namespace

NSButton* NSButton::initWithFrame(NSRect frame) {
  NSControl::initWithFrame(frame);
  title_ = copiedStringOrEmpty(NSSTR("Button"));
  keyEquivalent_ = copiedStringOrEmpty(nullptr);
  return this;
}

// MARK: title, image, type

void NSButton::setTitle(const NSString* title) {
  title_ = copiedStringOrEmpty(title);
  setNeedsDisplay(true);
}

void NSButton::setImage(NSImage* image) {
  image_ = retained(image);
  setNeedsDisplay(true);
}

void NSButton::setAlternateImage(NSImage* image) {
  alternateImage_ = retained(image);
  setNeedsDisplay(true);
}

NSSize NSButton::intrinsicContentSize() const {
  TextLayout layout(title_, font(), nullptr);
  const NSSize text = layout.size();
  if (buttonType_ == NSButtonTypeSwitch || buttonType_ == NSButtonTypeRadio)
    return NSMakeSize(std::ceil(text.width) + 22, std::max<CGFloat>(18, std::ceil(text.height)));
  return NSMakeSize(std::max<CGFloat>(std::ceil(text.width) + kPushButtonTitlePadding, 80),
                    kPushButtonFrameHeight);
}

void NSButton::setButtonType(NSButtonType type) {
  buttonType_ = type;
  setNeedsDisplay(true);
}

void NSButton::setBezelStyle(NSBezelStyle style) {
  bezelStyle_ = style;
  setNeedsDisplay(true);
}

void NSButton::setBordered(bool flag) {
  bordered_ = flag;
  setNeedsDisplay(true);
}

void NSButton::setState(NSControlStateValue state) {
  state_ = state > 0 ? NSControlStateValueOn : state < 0 ? NSControlStateValueMixed : state;
  setNeedsDisplay(true);
}

void NSButton::highlight(bool flag) {
  if (highlighted_ == flag) return;
  highlighted_ = flag;
  setNeedsDisplay(true);
}

// MARK: key equivalents

void NSButton::setKeyEquivalent(const NSString* key) {
  keyEquivalent_ = copiedStringOrEmpty(key);
  setNeedsDisplay(true); // a Return key equivalent changes the look
}

void NSButton::setKeyEquivalentModifierMask(NSEventModifierFlags mask) {
  keyEquivalentModifierMask_ = mask & NSEventModifierFlagDeviceIndependentFlagsMask;
}

bool NSButton::isDefaultButton() const {
  if (keyEquivalent_->utf16() == u"\r" &&
      (keyEquivalentModifierMask_ & kKeyEquivalentModifiers) == 0)
    return true;
  return window() && NSWindowDefaultButtonCell(window()) == NSControl::cell();
}

bool NSButton::acceptsFirstResponder() const {
  return isEnabled() && !isHiddenOrHasHiddenAncestor();
}

bool NSButton::becomeFirstResponder() {
  setNeedsDisplay(true);
  return true;
}

bool NSButton::resignFirstResponder() {
  setNeedsDisplay(true);
  return true;
}

bool NSButton::showsFocusRing() const {
  return window() && window()->firstResponder() == this && windowIsKey() && isEnabled();
}

void NSButton::keyDown(NSEvent* event) {
  const std::u16string_view key =
      event->charactersIgnoringModifiers() ? event->charactersIgnoringModifiers()->utf16() : u"";
  const NSEventModifierFlags flags = event->modifierFlags() & kKeyEquivalentModifiers;
  if (key == u" " && flags == 0 && isEnabled()) {
    Ref<NSButton> protector(this); // its action may close the window
    performClick(this);
    return;
  }
  NSControl::keyDown(event);
}

bool NSButton::performKeyEquivalent(NSEvent* event) {
  if (!event || event->type() != NSEventTypeKeyDown || isHiddenOrHasHiddenAncestor()) return false;
  if (!isEnabled() || !window() || !NSApp || !NSApp->windowAcceptsInput(window())) return false;
  std::u16string_view key =
      event->charactersIgnoringModifiers() ? event->charactersIgnoringModifiers()->utf16() : u"";
  // The keypad's Enter presses whatever Return presses.
  if (key == std::u16string(1, NSKey::Enter)) key = u"\r";
  const NSEventModifierFlags flags = event->modifierFlags() & kKeyEquivalentModifiers;
  bool matches = false;
  const std::u16string_view own = keyEquivalent_->utf16();
  if (!own.empty()) {
    NSEventModifierFlags required = keyEquivalentModifierMask_ & kKeyEquivalentModifiers;
    // An upper-case letter stands for the letter with Shift.
    if (own.size() == 1 && isUpperCaseLetter(own[0])) required |= NSEventModifierFlagShift;
    std::u16string wanted(own);
    if (own.size() == 1 && isUpperCaseLetter(own[0])) wanted[0] = own[0] - u'A' + u'a';
    std::u16string pressed(key);
    if (pressed.size() == 1 && isUpperCaseLetter(pressed[0])) pressed[0] = pressed[0] - u'A' + u'a';
    matches = pressed == wanted && flags == required;
  } else if (title_->utf16() == u"Cancel") {
    matches = (key == std::u16string(1, NSKey::Escape) && flags == 0) ||
              (key == u"." && flags == NSEventModifierFlagCommand);
  }
  if (!matches && key == u"\r" && flags == 0)
    matches = NSWindowDefaultButtonCell(window()) == NSControl::cell();
  if (!matches) return false;
  performClick(this);
  return true;
}

// MARK: acting

void NSButton::click() {
  switch (buttonType_) {
  case NSButtonTypePushOnPushOff:
  case NSButtonTypeToggle:
  case NSButtonTypeSwitch:
  case NSButtonTypeOnOff:
    setState(state_ == NSControlStateValueOn ? NSControlStateValueOff : NSControlStateValueOn);
    break;
  case NSButtonTypeRadio:
    setState(NSControlStateValueOn);
    break;
  default:
    break;
  }
  sendAction(action(), target());
}

void NSButton::performClick(NSObject*) {
  if (!isEnabled()) return;
  Ref<NSButton> protector(this); // the action may close the window that holds the button
  highlight(true);
  highlight(false);
  click();
}

bool NSButton::eventIsInside(NSEvent* event) const {
  const NSPoint point = convertPointFromView(event->locationInWindow(), nullptr);
  return NSPointInRect(point, bounds());
}

void NSButton::mouseDown(NSEvent* event) {
  // A disabled button swallows the click, as AppKit's does.
  if (!isEnabled()) return;
  tracking_ = true;
  highlight(eventIsInside(event));
}

void NSButton::mouseDragged(NSEvent* event) {
  if (tracking_) highlight(eventIsInside(event));
}

void NSButton::mouseUp(NSEvent* event) {
  if (!tracking_) return;
  tracking_ = false;
  highlight(false);
  if (!isEnabled() || !eventIsInside(event)) return;
  Ref<NSButton> protector(this);
  click();
}

// MARK: description

void NSButton::describeFields(JsonWriter& json) const {
  NSControl::describeFields(json);
  json.field("title", title_.get());
  json.field("keyEquivalent", keyEquivalent_.get());
  json.field("buttonType", static_cast<unsigned long>(buttonType_));
  json.field("bezelStyle", static_cast<unsigned long>(bezelStyle_));
  json.field("state", static_cast<long>(state_));
  json.field("image", image_ ? image_->sourceName() : nullptr);
}
