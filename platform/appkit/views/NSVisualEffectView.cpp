#include "appkit/views/NSVisualEffectView.h"

#include "appkit/look/EffectViewLook.h"
#include "foundation/json/JsonWriter.h"

NSVisualEffectView* NSVisualEffectView::initWithFrame(NSRect frame) {
  NSView::initWithFrame(frame);
  return this;
}

void NSVisualEffectView::setMaterial(NSVisualEffectMaterial material) {
  material_ = material;
  setNeedsDisplay(true);
}

void NSVisualEffectView::setBlendingMode(NSVisualEffectBlendingMode mode) {
  blendingMode_ = mode;
  setNeedsDisplay(true);
}

void NSVisualEffectView::setState(NSVisualEffectState state) {
  state_ = state;
  setNeedsDisplay(true);
}

void NSVisualEffectView::viewDidMoveToWindow() {
  // The effect is composited by layers, so the view asks for one as soon as it is in a window.
  if (window()) setWantsLayer(true);
}

void NSVisualEffectView::drawRect(NSRect dirtyRect) {
  NSDrawVisualEffectMaterial(this, dirtyRect);
}

void NSVisualEffectView::describeFields(JsonWriter& json) const {
  NSView::describeFields(json);
  json.field("material", static_cast<long>(material_));
  json.field("blendingMode", static_cast<long>(blendingMode_));
  json.field("state", static_cast<long>(state_));
}
