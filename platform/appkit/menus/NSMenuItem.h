// NSMenuItem: one entry of a menu: a title, an action sent to a target (not retained), a key
// equivalent with its modifier mask (Command by default), a state shown as a check mark, an
// indentation level (0 to 15), a represented object (retained) and an optional submenu
// (retained). The separator item is a disabled item that draws as a line.
//
// Enabling follows AppKit's automatic enabling while the item's menu has autoenablesItems (the
// default): an item that opens a submenu is enabled; otherwise it is enabled only when it has an
// action and a target that answers it (for a nil target, the object that NSMenu's responder-chain
// lookup finds), and a target that also adopts NSMenuItemValidation decides by
// validateMenuItem(). Outside such a menu, isEnabled() is what setEnabled() stored.
#pragma once

#include <cstdint>

#include "appkit/application/NSEvent.h"
#include "appkit/controls/NSControlStateValue.h"

class NSMenu;
class NSMenuItem;

// Adopted by a target that decides itself whether the items it serves are enabled.
class NSMenuItemValidation {
public:
  virtual bool validateMenuItem(NSMenuItem* item) = 0;

protected:
  ~NSMenuItemValidation() = default;
};

class NSMenuItem : public NSObject {
  NS_OBJECT_CLASS(NSMenuItem)

  // A new separator each time, autoreleased: an item can belong to one menu only.
  static NSMenuItem* separatorItem();

  NSMenuItem* init();
  // A nil title or key equivalent is taken as "" (AppKit would raise); a null action is none.
  NSMenuItem* initWithTitle(const NSString* title, SEL action, const NSString* keyEquivalent);
  // The same, taking over the caller's reference to the title (no retain, no later release).
  NSMenuItem* initWithTitle(Ref<NSString>&& title, SEL action, const NSString* keyEquivalent);
  ~NSMenuItem() override;

  NSString* title() const { return title_; }
  void setTitle(const NSString* title);
  bool isSeparatorItem() const { return separator_; }

  SEL action() const { return action_; }
  void setAction(SEL action) { action_ = action; }
  NSObject* target() const { return target_; }
  void setTarget(NSObject* target) { target_ = target; }
  bool isEnabled() const;
  void setEnabled(bool enabled) { enabled_ = enabled; }

  // On (1), Off (0) or Mixed (-1); any other positive value is On, any other negative Mixed.
  NSControlStateValue state() const { return state_; }
  void setState(NSControlStateValue state);
  NSInteger indentationLevel() const { return indentationLevel_; }
  // Clamped to 0...15, the range AppKit keeps.
  void setIndentationLevel(NSInteger level);

  NSString* keyEquivalent() const { return keyEquivalent_; }
  void setKeyEquivalent(const NSString* keyEquivalent);
  void setKeyEquivalent(Ref<NSString>&& keyEquivalent); // takes over the caller's reference
  NSEventModifierFlags keyEquivalentModifierMask() const { return keyEquivalentModifierMask_; }
  void setKeyEquivalentModifierMask(NSEventModifierFlags mask);
  // Whether a key-down with these characters (ignoring modifiers) and modifier flags selects the
  // item. An upper-case letter as key equivalent also requires Shift, as in AppKit.
  bool matchesKeyEquivalent(const NSString* charactersIgnoringModifiers,
                            NSEventModifierFlags modifierFlags) const;

  NSObject* representedObject() const { return representedObject_; }
  void setRepresentedObject(NSObject* object);
  // Takes over the caller's reference.
  template <class T> void setRepresentedObject(Ref<T>&& object) {
    representedObject_ = Ref<NSObject>(std::move(object));
  }

  bool hasSubmenu() const { return submenu_ != nullptr; }
  NSMenu* submenu() const { return submenu_; }
  // A submenu that already belongs to another item is refused with a log line (AppKit raises).
  void setSubmenu(NSMenu* submenu);
  // The menu that holds the item, and the item whose submenu that menu is; not retained.
  NSMenu* menu() const { return menu_; }
  NSMenuItem* parentItem() const;

  NSString* description() const override;

private:
  friend class NSMenu;
  Ref<NSString> title_;
  Ref<NSString> keyEquivalent_;
  SEL action_ = nullptr;
  Weak<NSObject> target_; // not retained, as in AppKit
  Ref<NSObject> representedObject_;
  Ref<NSMenu> submenu_;
  // The menu holding this item: set and cleared by that menu, when the item joins it, leaves it
  // or outlives it.
  NSMenu* menu_ = nullptr;
  NSEventModifierFlags keyEquivalentModifierMask_ = NSEventModifierFlagCommand;
  // Kept narrow, since a large menu holds many items: the state is -1, 0 or 1 and the
  // indentation 0 to 15 once set.
  std::int8_t state_ = NSControlStateValueOff;
  std::int8_t indentationLevel_ = 0;
  bool enabled_ = true;
  bool separator_ = false;
};

// An item owns its submenu (Ref<NSMenu>), whose release needs the whole class.
#include "appkit/menus/NSMenu.h"
