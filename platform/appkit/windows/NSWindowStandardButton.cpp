#include "appkit/windows/NSWindowStandardButton.h"

#include "appkit/application/NSEvent.h"
#include "appkit/look/WindowChromeLook.h"
#include "appkit/windows/NSWindow.h"
#include "foundation/json/JsonWriter.h"

NSWindowStandardButton* NSWindowStandardButton::initWithType(NSWindowButton type) {
  initWithFrame(NSZeroRect);
  type_ = type;
  return this;
}

void NSWindowStandardButton::setEnabled(bool flag) {
  enabled_ = flag;
  setNeedsDisplay(true);
}

bool NSWindowStandardButton::eventIsInside(NSEvent* event) const {
  const NSPoint local = convertPointFromView(event->locationInWindow(), nullptr);
  return mouseInRect(local, bounds());
}

void NSWindowStandardButton::mouseDown(NSEvent*) {
  if (!enabled_) return;
  highlighted_ = true;
  setNeedsDisplay(true);
}

void NSWindowStandardButton::mouseDragged(NSEvent* event) {
  if (!enabled_) return;
  const bool inside = eventIsInside(event);
  if (inside != highlighted_) {
    highlighted_ = inside;
    setNeedsDisplay(true);
  }
}

void NSWindowStandardButton::mouseUp(NSEvent* event) {
  if (!enabled_ || !highlighted_) return;
  highlighted_ = false;
  setNeedsDisplay(true);
  if (!eventIsInside(event)) return;
  // Miniaturizing and zooming have no meaning on a screen without a desktop around the
  // windows; only the close button acts.
  if (type_ == NSWindowCloseButton)
    if (NSWindow* window = this->window()) window->performClose(this);
}

void NSWindowStandardButton::drawRect(NSRect) {
  NSDrawStandardButton(this);
}

void NSWindowStandardButton::describeFields(JsonWriter& json) const {
  NSView::describeFields(json);
  json.field("buttonType", static_cast<unsigned long>(type_));
  json.field("enabled", enabled_);
}
