// One pop-up menu's tracking, as steps: place the menu (and, on a live display, show it as a
// pop-up window), track it (a nested loop on the main run loop that takes every input event, as
// AppKit's menu tracking does, opening and closing submenus as the pointer and the keys move),
// then dismiss it and hand back the item chosen, if any. NSMenu::popUpMenuPositioningItem runs
// one session; the session keeps the menus that are open, the tracked one first and each open
// submenu after the menu it opened from.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "appkit/look/MenuDrawing.h"
#include "appkit/menus/NSMenu.h"

class DisplayBackend;
class NSEvent;

class MenuTrackingSession {
public:
  explicit MenuTrackingSession(NSMenu* menu);
  MenuTrackingSession(const MenuTrackingSession&) = delete;
  MenuTrackingSession& operator=(const MenuTrackingSession&) = delete;

  // Opens the menu with the top-left corner of item (of the content, for nil or an item of
  // another menu) at location, in view's coordinates or, for a nil view, the screen's.
  void place(NSMenuItem* item, NSPoint location, NSView* view);
  // Serves input until an item is chosen or the menu is dismissed.
  void track();
  // Closes every open menu and answers the chosen item, or nil.
  Ref<NSMenuItem> dismiss();
  // Ends every tracking under way as though the user dismissed its menu. Main thread only.
  static void cancelEveryTracking();

private:
  // Which open menu a pointer event lies in (the innermost where they overlap) and the item or
  // scroll arrow under it.
  struct Hit {
    bool inside = false;
    std::size_t depth = 0;
    NSMenuItem* item = nullptr;
    NSOpenMenuScrollArrow arrow = NSOpenMenuScrollArrow::None;
  };

  // Whether the event was the menu's (every key and pointer event is, while it tracks).
  bool takeEvent(NSObject* object);
  void handleKey(NSEvent* event);
  void handlePointerMove(NSEvent* event);
  void handleWheel(NSEvent* event);
  void handlePointerDown(NSEvent* event);
  void handlePointerUp(NSEvent* event);

  // Closes the submenus deeper than depth.
  void closeSubmenusBelow(std::size_t depth);
  // Opens the submenu of item, an item of the menu at depth, closing any other below it; nil
  // when it has none to open.
  NSMenu* openSubmenu(std::size_t depth, NSMenuItem* item);
  // The deepest open menu with a highlighted item (the tracked one when none has): where the
  // arrow keys and Return act.
  std::size_t activeDepth() const;
  // Highlights item in the menu at depth: its submenu opens, any other closes.
  void highlight(std::size_t depth, NSMenuItem* item);
  Hit hitOf(NSEvent* event) const;
  // The item of menu that the letters typed so far (with this key's) pick, if any.
  NSMenuItem* typeSelect(const NSMenu* menu, const NSMenuItem* highlighted, NSEvent* event);
  // The pointer rests on the scroll arrow of the hit menu, or on none: that menu scrolls
  // steadily, every other stops.
  void autoscrollFor(const Hit& hit);

  NSMenu* const menu_;
  DisplayBackend& display_;
  const bool live_;
  std::vector<Ref<NSMenu>> menus_;
  // The letters typed for type selection, and when the last came (the events' time).
  static constexpr NSTimeInterval kTypeSelectPause = 1.0;
  std::u16string typed_;
  NSTimeInterval lastTypedAt_ = -1e9;
};
