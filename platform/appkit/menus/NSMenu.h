// NSMenu: an ordered list of menu items, the model behind menu bars, their menus and context
// menus. A menu retains its items; an item retains its submenu; a submenu knows the item that
// holds it (and through it its supermenu) without retaining it.
//
// Index arguments follow AppKit, except that nothing raises: insertItem past the end appends,
// itemAtIndex past the end gives nil, removeItemAtIndex past the end does nothing, and an item
// that already belongs to a menu is refused with AppKit's log line.
//
// Sections of the implementation: NSMenu.cpp (the list, enabling, key equivalents, actions),
// NSMenuTracking.cpp (pop-up menus and their modal tracking), NSMenuScrolling.cpp (open menus
// taller than the screen, which show part of their rows and scroll).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "appkit/menus/NSMenuItem.h"
#include "foundation/runloop/NSNotification.h"
#include "foundation/values/NSGeometry.h"

class NSArray;
class NSView;
struct NSMenuAutoscroll;

// Posted with the menu as sender when a pop-up starts tracking, and when its tracking ends
// (before the chosen item's action is sent).
inline constexpr NSNotificationName NSMenuDidBeginTrackingNotification =
    "NSMenuDidBeginTrackingNotification";
inline constexpr NSNotificationName NSMenuDidEndTrackingNotification =
    "NSMenuDidEndTrackingNotification";

class NSMenu : public NSObject {
  NS_OBJECT_CLASS(NSMenu)

  NSMenu* init(); // untitled
  NSMenu* initWithTitle(const NSString* title);
  ~NSMenu() override;

  NSString* title() const { return title_; }
  void setTitle(const NSString* title);
  // Automatic enabling of the items (see NSMenuItem); on by default.
  bool autoenablesItems() const { return autoenablesItems_; }
  void setAutoenablesItems(bool autoenables) { autoenablesItems_ = autoenables; }

  // MARK: items
  void addItem(NSMenuItem* item);
  void addItem(Ref<NSMenuItem>&& item); // takes over the caller's reference
  void insertItem(NSMenuItem* item, NSInteger index);
  // Make, add and return an item (held by the menu, not owned by the caller).
  NSMenuItem* addItemWithTitle(const NSString* title, SEL action, const NSString* keyEquivalent);
  NSMenuItem* insertItemWithTitle(const NSString* title, SEL action, const NSString* keyEquivalent,
                                  NSInteger index);
  void removeItem(NSMenuItem* item);
  void removeItemAtIndex(NSInteger index);
  void removeAllItems();

  NSInteger numberOfItems() const { return static_cast<NSInteger>(items_.size()); }
  NSMenuItem* itemAtIndex(NSInteger index) const;
  // The items in order, autoreleased.
  NSArray* itemArray() const;
  // The items without an autoreleased array, for the platform's own walks.
  const std::vector<Ref<NSMenuItem>>& items() const { return items_; }
  NSMenuItem* itemWithTitle(const NSString* title) const; // the first with an equal title
  NSInteger indexOfItem(const NSMenuItem* item) const;    // -1 when absent
  NSInteger indexOfItemWithTitle(const NSString* title) const;
  NSInteger indexOfItemWithSubmenu(const NSMenu* submenu) const;

  // MARK: submenus
  // Makes submenu the item's submenu and gives the item the action submenuAction:, as AppKit's
  // setSubmenu:forItem: does.
  void setSubmenu(NSMenu* submenu, NSMenuItem* item);
  // The menu whose item holds this menu as its submenu; nil for a top-level menu.
  NSMenu* supermenu() const;
  // The item whose submenu this menu is; nil for a top-level menu.
  NSMenuItem* parentItem() const;

  // MARK: enabling and actions
  // Sends the item's action to its target, or with a nil target to the object the responder
  // chain lookup finds. Does nothing for an index past the end or an item without action.
  void performActionForItemAtIndex(NSInteger index);
  // A key-down that matches the key equivalent of an enabled item of this menu or of its
  // submenus (depth first, in order) performs that item's action: true. Disabled or missing
  // items: false.
  bool performKeyEquivalent(NSEvent* event);
  NSMenuItem* itemForKeyEquivalent(const NSString* charactersIgnoringModifiers,
                                   NSEventModifierFlags modifierFlags) const;
  // Visits the items of this menu and its submenus depth first, in order, until visit answers
  // true.
  void forEachItemDepthFirst(const std::function<bool(NSMenuItem*)>& visit) const;

  // Where an action with a nil target goes: NSApp installs its responder chain here. Without a
  // lookup such actions reach nobody, and their items are disabled.
  using ResponderChainLookup = NSObject* (*)(SEL action);
  static void setResponderChainLookup(ResponderChainLookup lookup);
  static NSObject* targetForNilTargetedAction(SEL action);

  // MARK: tracking (NSMenuTracking.cpp)
  // Pops the menu up so that the top-left corner of item (or of the menu's content, for nil) lies
  // at location, in view's coordinates or, for a nil view, in screen coordinates; tracks it
  // modally until it closes and answers whether an item was chosen, whose action has then been
  // sent.
  bool popUpMenuPositioningItem(NSMenuItem* item, NSPoint location, NSView* view);
  // Ends tracking at once, as though the user dismissed the menu; a menu that is not being
  // tracked ignores it.
  void cancelTrackingWithoutAnimation();
  // Ends tracking with item chosen; false when the menu is not being tracked or the item is
  // disabled or not in this menu or its submenus.
  bool chooseItemDuringTracking(NSMenuItem* item);
  bool isTracking() const { return tracking_.open; }
  // Highlights an item of the open menu (nil for none), as the pointer or arrow keys do.
  void highlightItemDuringTracking(NSMenuItem* item);

  // MARK: scrolling (NSMenuScrolling.cpp)
  // An open menu taller than the screen shows part of its rows, with a scroll arrow at each end
  // where more lie out of view. Moves the rows of the open menu by distance points towards its
  // end (negative: towards its start), as far as they go.
  void scrollDuringTracking(CGFloat distance);
  // Scrolls the open menu as little as shows item's row whole; false when the menu is not open or
  // the item is not one of its own.
  bool scrollItemToVisibleDuringTracking(NSMenuItem* item);
  // Keeps scrolling the open menu at a steady pace towards its end (direction 1) or its start
  // (-1), as while the pointer rests on a scroll arrow, until it reaches that end or is told 0.
  void autoscrollDuringTracking(int direction);

  // What the tracking of a pop-up knows, for the display and the testkit.
  struct TrackingState {
    bool open = false;            // from the start of popUp until it returns
    bool cancelRequested = false; // the loop is asked to end without a choice
    Ref<NSMenuItem> positioningItem;
    NSPoint location;  // as given to popUp
    Weak<NSView> view; // as given to popUp
    Ref<NSMenuItem> chosenItem;
    // The item under the pointer or chosen with the arrow keys; drawn highlighted.
    Ref<NSMenuItem> highlightedItem;
    // A release of the button chooses the highlighted item once the user pressed inside the
    // menu or dragged onto an item; the release of the click that opened the menu does not.
    bool armed = false;
    // The window number of this menu's pop-up: its input comes as events of that number, and a
    // live display shows it as a window of that number (a submenu opened from the tracked menu
    // has one of its own); 0 when the menu is not open.
    NSInteger popUpNumber = 0;
    // How far the rows of a menu taller than the screen are scrolled up past its window's top,
    // in points; 0 for a menu that fits.
    CGFloat scrollOffset = 0;
    // The steady scrolling while the pointer rests on a scroll arrow; letting go of it stops
    // the scrolling.
    std::shared_ptr<NSMenuAutoscroll> autoscroll;
    // The menu's width, measured at its first need while open rather than at each move of the
    // pointer; 0 until then.
    mutable CGFloat width = 0;
  };
  const TrackingState& trackingState() const { return tracking_; }

  NSString* description() const override;

private:
  friend class NSMenuItem;
  friend struct NSMenuAutoscroll;
  friend class MenuTrackingSession;
  // Whether item may join this menu: not nil, not in a menu already.
  bool acceptsItem(const NSMenuItem* item) const;
  void adopt(Ref<NSMenuItem> item, std::size_t index);
  bool containsItem(const NSMenuItem* item) const; // here or in a submenu
  // Whether menu is this menu or lies below it.
  bool isSelfOrAncestorOf(const NSMenu* menu) const;
  // Draws the open menu into its pop-up's picture on a live display and shows it.
  void drawPopUp() const;

  Ref<NSString> title_;
  std::vector<Ref<NSMenuItem>> items_;
  Weak<NSMenuItem> parentItem_;
  bool autoenablesItems_ = true;
  TrackingState tracking_;
};
