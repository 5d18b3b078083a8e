// The menu sections of Screen.describe(): "mainMenu" (the menu bar's items with their menus)
// and "contextMenu" (the menu popped up last, open or not; null before the first).
#include "appkit/application/NSApplication.h"
#include "appkit/menus/NSMenu.h"
#include "appkit/views/NSView.h"
#include "foundation/json/JsonWriter.h"
#include "testkit/MenuUser.h"
#include "testkit/ScreenDescription.h"

namespace {

void writeItems(JsonWriter& json, const NSMenu* menu);

void writeItem(JsonWriter& json, const NSMenuItem* item) {
  json.beginObject();
  json.field("title", item->title());
  json.field("separator", item->isSeparatorItem());
  json.field("enabled", item->isEnabled());
  json.field("state", static_cast<long>(item->state()));
  json.field("keyEquivalent", item->keyEquivalent());
  json.field("keyEquivalentModifierMask",
             static_cast<unsigned long>(item->keyEquivalentModifierMask()));
  json.field("indentationLevel", static_cast<long>(item->indentationLevel()));
  json.key("representedObject");
  if (const NSString* identity = ns_cast<NSString>(item->representedObject()))
    json.string(identity);
  else
    json.null();
  json.field("target", item->target() ? item->target()->className() : nullptr);
  json.field("action", item->action() ? sel_getName(item->action()) : nullptr);
  json.key("submenu");
  if (item->submenu())
    writeItems(json, item->submenu());
  else
    json.null();
  json.endObject();
}

void writeItems(JsonWriter& json, const NSMenu* menu) {
  json.beginArray();
  for (const auto& item : menu->items())
    writeItem(json, item);
  json.endArray();
}

// Where the pop-up put the positioning item's top-left corner, in screen coordinates.
NSPoint screenLocation(const NSMenu::TrackingState& state) {
  NSView* view = state.view;
  if (!view || !view->window()) return state.location;
  return view->window()->convertPointToScreen(view->convertPointToView(state.location, nullptr));
}

const bool registered = [] {
  ScreenDescription::registerSection("mainMenu", [](JsonWriter& json) {
    NSMenu* bar = NSApplication::sharedApplication()->mainMenu();
    if (bar) {
      writeItems(json, bar);
    } else {
      json.beginArray();
      json.endArray();
    }
  });
  ScreenDescription::registerSection("contextMenu", [](JsonWriter& json) {
    NSMenu* menu = MenuUser::lastContextMenu();
    if (!menu) return json.null();
    const NSMenu::TrackingState& state = menu->trackingState();
    json.beginObject();
    json.field("title", menu->title());
    json.field("open", menu->isTracking());
    const NSPoint location = screenLocation(state);
    json.key("location");
    json.beginArray();
    json.number(location.x);
    json.number(location.y);
    json.endArray();
    json.key("items");
    writeItems(json, menu);
    json.endObject();
  });
  return true;
}();

} // namespace
