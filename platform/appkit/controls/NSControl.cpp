#include "appkit/controls/NSControl.h"

#include <cmath>

#include "appkit/application/NSApplication.h"
#include "appkit/controls/NSCell.h"
#include "appkit/windows/NSWindow.h"
#include "foundation/json/JsonWriter.h"
#include "foundation/values/NSNumber.h"

namespace {

// The first responder that answers the action along one window's chain, then the window.
NSObject* answererInWindow(NSWindow* window, SEL action) {
  if (!window) return nullptr;
  for (NSResponder* responder = window->firstResponder(); responder;
       responder = responder->nextResponder())
    if (responder->respondsToSelector(action)) return responder;
  if (window->respondsToSelector(action)) return window;
  return nullptr;
}

} // namespace

NSObject* NSTargetForAction(SEL action) {
  if (!action) return nullptr;
  NSApplication* app = NSApplication::sharedApplication();
  NSWindow* key = app->keyWindow();
  if (NSObject* found = answererInWindow(key, action)) return found;
  NSWindow* main = app->mainWindow();
  if (main != key)
    if (NSObject* found = answererInWindow(main, action)) return found;
  if (app->respondsToSelector(action)) return app;
  return nullptr;
}

bool NSSendActionToTarget(SEL action, NSObject* target, NSObject* sender) {
  if (!action) return false;
  NSObject* receiver = target ? target : NSTargetForAction(action);
  if (!receiver) return false;
  // The action may release the sender (a sheet's button ending its sheet); keep it until done.
  Ref<NSObject> keepSender(sender);
  return receiver->performAction(action, sender);
}

NSControl* NSControl::initWithFrame(NSRect frame) {
  NSView::initWithFrame(frame);
  stringValue_ = retained(NSString::string());
  font_ = retained(NSFont::systemFontOfSize(NSFont::systemFontSize()));
  return this;
}

NSControl::~NSControl() {
  if (cell_) cell_->setControlView(nullptr);
}

bool NSControl::sendAction(SEL action, NSObject* target) {
  return NSSendActionToTarget(action, target, this);
}

void NSControl::setEnabled(bool flag) {
  if (enabled_ == flag) return;
  enabled_ = flag;
  setNeedsDisplay(true);
}

NSCell* NSControl::cell() const {
  if (!cell_) {
    cell_ = adopted(makeCell());
    cell_->setControlView(const_cast<NSControl*>(this));
  }
  return cell_;
}

NSCell* NSControl::makeCell() const {
  return NSCell::alloc();
}

NSString* NSControl::stringValue() const {
  return stringValue_;
}

void NSControl::setStringValue(const NSString* value) {
  stringValue_ = copiedStringOrEmpty(value);
  setNeedsDisplay(true);
}

void NSControl::setFont(NSFont* font) {
  font_ = retained(font ? font : NSFont::systemFontOfSize(NSFont::systemFontSize()));
  setNeedsDisplay(true);
}

void NSControl::setAlignment(NSTextAlignment alignment) {
  alignment_ = alignment;
  setNeedsDisplay(true);
}

bool NSControl::windowIsKey() const {
  return window() && window()->isKeyWindow();
}

void NSControl::describeFields(JsonWriter& json) const {
  NSView::describeFields(json);
  json.field("enabled", enabled_);
  json.field("target", target_ ? target_->className() : nullptr);
  json.field("action", action_ ? sel_getName(action_) : nullptr);
}
