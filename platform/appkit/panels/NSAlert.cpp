#include "appkit/panels/NSAlert.h"

#include <algorithm>
#include <cmath>

#include "appkit/application/NSApplication.h"
#include "appkit/application/NSScreen.h"
#include "appkit/controls/NSImageView.h"
#include "display/DisplayBackend.h"
#include "foundation/collections/NSArray.h"
#include "foundation/json/JsonWriter.h"
#include "foundation/system/NSLog.h"

namespace {

// The automatic key equivalent of the button at index with that title, and its modifiers.
std::pair<std::u16string, NSEventModifierFlags> automaticKeyEquivalent(std::size_t index,
                                                                       std::u16string_view title) {
  if (index == 0) return {u"\r", 0};
  if (title == u"Cancel") return {u"\033", 0};
  if (title == u"Don't Save" || title == u"Don\u2019t Save")
    return {u"d", NSEventModifierFlagCommand};
  return {u"", 0};
}

} // namespace

NSAlert* NSAlert::init() {
  messageText_ = copiedStringOrEmpty(nullptr);
  informativeText_ = copiedStringOrEmpty(nullptr);
  panel_ = adopted(NSAlertPanel::alloc()->initWithAlert(this));
  return this;
}

NSAlert::~NSAlert() {
  // The panel is closed, so the application no longer keeps it.
  if (panel_) panel_->close();
}

// MARK: content

void NSAlert::setMessageText(const NSString* text) {
  messageText_ = copiedStringOrEmpty(text);
}

void NSAlert::setInformativeText(const NSString* text) {
  informativeText_ = copiedStringOrEmpty(text);
}

void NSAlert::setAlertStyle(NSAlertStyle style) {
  style_ = style;
}

NSImage* NSAlert::icon() const {
  return icon_ ? icon_.get() : NSApplication::sharedApplication()->applicationIconImage();
}

void NSAlert::setIcon(NSImage* icon) {
  icon_ = retained(icon);
}

void NSAlert::setAccessoryView(NSView* view) {
  accessoryView_ = retained(view);
}

// MARK: buttons

NSButton* NSAlert::addButtonWithTitle(const NSString* title) {
  if (!title) {
    NSLog("-[NSAlert addButtonWithTitle:] needs a title; no button was added");
    return nullptr;
  }
  const auto [key, modifiers] = automaticKeyEquivalent(buttons_.size(), title->utf16());
  Ref<NSButton> button = adopted(NSButton::alloc()->initWithFrame(NSMakeRect(0, 0, 90, 32)));
  button->setTitle(title);
  button->setButtonType(NSButtonTypeMomentaryPushIn);
  button->setBezelStyle(NSBezelStyleRounded);
  button->setTag(NSAlertFirstButtonReturn + static_cast<NSInteger>(buttons_.size()));
  button->setKeyEquivalent(NSString::stringWithCharacters(key.data(), key.size()));
  button->setKeyEquivalentModifierMask(modifiers);
  button->setTarget(this);
  button->setAction(sel("buttonPressed:"));
  buttons_.push_back(button);
  return button;
}

std::span<const NSActionEntry> NSAlert::actionTable() const {
  static const NSActionEntry table[] = {
      {sel("buttonPressed:"),
       [](NSObject* receiver, NSObject* sender) {
         static_cast<NSAlert*>(receiver)->buttonPressed(sender);
       }},
  };
  return table;
}

// MARK: running

void NSAlert::prepareToShow() {
  if (buttons_.empty()) addButtonWithTitle(NSSTR("OK"));
  layout();
}

void NSAlert::placePanel() {
  // On a live display the alert is a dialog of the key window, centred on it as the screen's
  // other dialogs are centred on their windows; otherwise, and without a key window, it is
  // centred on the screen as AppKit places it.
  NSWindow* key = NSApplication::sharedApplication()->keyWindow();
  if (!DisplayBackend::current().isLive() || !key || key == panel_.get() || !key->isVisible()) {
    panel_->center();
    return;
  }
  const NSRect owner = key->frame();
  const NSRect visible = NSScreen::mainScreen()->visibleFrame();
  const NSSize size = panel_->frame().size;
  const CGFloat x = std::clamp(std::floor(NSMidX(owner) - size.width / 2), NSMinX(visible),
                               std::max(NSMinX(visible), NSMaxX(visible) - size.width));
  const CGFloat y = std::clamp(std::floor(NSMidY(owner) - size.height / 2), NSMinY(visible),
                               std::max(NSMinY(visible), NSMaxY(visible) - size.height));
  panel_->setFrameOrigin({x, y});
}

NSModalResponse NSAlert::runModal() {
  Ref<NSAlert> protector(this); // a button's action must not free the alert under its loop
  prepareToShow();
  placePanel();
  const NSModalResponse response = NSApplication::sharedApplication()->runModalForWindow(panel_);
  panel_->orderOut(nullptr);
  return response;
}

void NSAlert::beginSheetModalForWindow(NSWindow* window,
                                       std::function<void(NSModalResponse)> handler) {
  if (!window) return;
  prepareToShow();
  sheetParent_ = window;
  Ref<NSAlert> keepAlive(this); // the sheet keeps its alert until it ends
  window->beginSheet(panel_, [keepAlive, handler](NSModalResponse code) {
    keepAlive->sheetParent_ = nullptr;
    if (handler) handler(code);
  });
}

void NSAlert::buttonPressed(NSObject* sender) {
  auto* button = ns_cast<NSButton>(sender);
  const NSModalResponse code = button ? button->tag() : NSModalResponseStop;
  if (sheetParent_ && panel_->sheetParent() == sheetParent_)
    return sheetParent_->endSheet(panel_, code);
  NSApplication* app = NSApplication::sharedApplication();
  if (app->modalWindow() == panel_) app->stopModalWithCode(code);
}

// MARK: description

void NSAlert::describe(JsonWriter& json) const {
  json.beginObject();
  json.field("window", static_cast<long>(panel_->windowNumber()));
  json.field("messageText", messageText_.get());
  json.field("informativeText", informativeText_.get());
  json.field("alertStyle", static_cast<unsigned long>(style_));
  json.field("icon", icon_ ? icon_->sourceName() : nullptr);
  json.key("buttons");
  json.beginArray();
  for (const auto& button : buttons_) {
    json.beginObject();
    json.field("title", button->title());
    json.field("keyEquivalent", button->keyEquivalent());
    json.endObject();
  }
  json.endArray();
  json.key("accessoryView");
  if (accessoryView_)
    accessoryView_->describe(json);
  else
    json.null();
  json.endObject();
}
