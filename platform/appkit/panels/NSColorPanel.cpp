#include "appkit/panels/NSColorPanel.h"

#include <atomic>

#include "appkit/panels/NSColorPanelContentView.h"
#include "foundation/json/JsonWriter.h"

namespace {

// Where the panel first appears: near the right edge of the 1440 x 900 screen, below the menu
// bar, with the content size of AppKit's colour panel in wheel mode.
constexpr NSRect kInitialContentRect{{1168, 430}, {232, 320}};
constexpr NSWindowStyleMask kPanelStyle =
    NSWindowStyleMaskTitled | NSWindowStyleMaskClosable | NSWindowStyleMaskResizable;

std::atomic<NSColorPanel*> sharedPanel{nullptr};

} // namespace

NSColorPanel* NSColorPanel::sharedColorPanel() {
  if (NSColorPanel* panel = sharedPanel.load()) return panel;
  // Made once, by the first caller, and never released: the one shared panel.
  auto* panel = NSColorPanel::alloc();
  panel->initWithContentRect(kInitialContentRect, kPanelStyle, NSBackingStoreBuffered, false);
  panel->setTitle(NSSTR("Colors"));
  panel->setFloatingPanel(true);
  panel->setRestorable(false);
  panel->color_ = retained(NSColor::colorWithCalibratedRed(1, 1, 1, 1));
  NSColorPanelContentView* content = NSColorPanelContentView::alloc()->initWithFrame(
      NSMakeRect(0, 0, kInitialContentRect.size.width, kInitialContentRect.size.height));
  panel->setContentView(content);
  content->release();
  sharedPanel.store(panel);
  return panel;
}

bool NSColorPanel::sharedColorPanelExists() {
  return sharedPanel.load() != nullptr;
}

void NSColorPanel::setColor(NSColor* color) {
  if (!color) return;
  color_ = retained(color);
  if (NSView* content = contentView()) content->setNeedsDisplay(true);
}

bool NSColorPanel::pickColor(NSColor* color) {
  if (!color) return false;
  setColor(color);
  if (!target_ || !action_) return false;
  // The target is not ours; keep it alive while it runs, in case its action lets it go.
  Ref<NSObject> target(target_);
  return target->performAction(action_, this);
}

void NSColorPanel::describePanel(JsonWriter& json) const {
  json.beginObject();
  json.field("visible", isVisible());
  json.field("key", isKeyWindow());
  // The colour's own components, extended range included (the display would limit them).
  json.key("color");
  NSColor* rgb = color_->colorUsingColorSpaceName(NSCalibratedRGBColorSpace);
  json.beginArray();
  if (rgb) {
    json.number(rgb->redComponent());
    json.number(rgb->greenComponent());
    json.number(rgb->blueComponent());
  } else {
    const NSColor::RGBA shown = color_->displayRGBA();
    json.number(shown.red);
    json.number(shown.green);
    json.number(shown.blue);
  }
  json.number(color_->alphaComponent());
  json.endArray();
  json.field("hasTarget", target_ != nullptr);
  json.key("action");
  if (action_)
    json.stringUTF8(sel_getName(action_));
  else
    json.null();
  json.endObject();
}
