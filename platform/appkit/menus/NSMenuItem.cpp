#include "appkit/menus/NSMenuItem.h"

#include "appkit/menus/NSMenu.h"
#include "foundation/system/NSLog.h"

namespace {

constexpr NSInteger kMaximumIndentationLevel = 15;

bool isUpperCaseLetter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
}

// Latin letters, the only ones whose case AppKit's key equivalents distinguish in practice.
char16_t toLowerCase(char16_t c) {
  return isUpperCaseLetter(c) ? static_cast<char16_t>(c + 0x20) : c;
}

bool isLetter(char16_t c) {
  return isUpperCaseLetter(c) || (c >= u'a' && c <= u'z') || (c >= 0xDF && c <= 0xFF && c != 0xF7);
}

// The modifiers that select a key equivalent; Caps Lock, the numeric pad and Function do not.
constexpr NSEventModifierFlags kEquivalentModifiers =
    NSEventModifierFlagShift | NSEventModifierFlagControl | NSEventModifierFlagOption |
    NSEventModifierFlagCommand;

} // namespace

NSMenuItem* NSMenuItem::separatorItem() {
  auto* item = alloc()->init();
  item->separator_ = true;
  item->enabled_ = false;
  return static_cast<NSMenuItem*>(item->autorelease());
}

NSMenuItem* NSMenuItem::init() {
  return initWithTitle(nullptr, nullptr, nullptr);
}

NSMenuItem* NSMenuItem::initWithTitle(const NSString* title, SEL action,
                                      const NSString* keyEquivalent) {
  return initWithTitle(copiedStringOrEmpty(title), action, keyEquivalent);
}

NSMenuItem* NSMenuItem::initWithTitle(Ref<NSString>&& title, SEL action,
                                      const NSString* keyEquivalent) {
  title_ = copiedStringOrEmpty(std::move(title));
  keyEquivalent_ = copiedStringOrEmpty(keyEquivalent);
  action_ = action;
  return this;
}

NSMenuItem::~NSMenuItem() = default;

void NSMenuItem::setTitle(const NSString* title) {
  title_ = copiedStringOrEmpty(title);
}

bool NSMenuItem::isEnabled() const {
  if (separator_) return false;
  if (!menu_ || !menu_->autoenablesItems()) return enabled_;
  // An item that opens a submenu is usable whatever its action.
  if (submenu_) return true;
  if (!action_) return false;
  NSObject* receiver = target_ ? target_.get() : NSMenu::targetForNilTargetedAction(action_);
  if (!receiver || !receiver->respondsToSelector(action_)) return false;
  if (auto* validator = dynamic_cast<NSMenuItemValidation*>(receiver))
    return validator->validateMenuItem(const_cast<NSMenuItem*>(this));
  return true;
}

void NSMenuItem::setState(NSControlStateValue state) {
  state_ = static_cast<std::int8_t>(state > 0   ? NSControlStateValueOn
                                    : state < 0 ? NSControlStateValueMixed
                                                : NSControlStateValueOff);
}

void NSMenuItem::setIndentationLevel(NSInteger level) {
  indentationLevel_ =
      static_cast<std::int8_t>(level < 0                          ? 0
                               : level > kMaximumIndentationLevel ? kMaximumIndentationLevel
                                                                  : level);
}

void NSMenuItem::setKeyEquivalent(const NSString* keyEquivalent) {
  setKeyEquivalent(copiedStringOrEmpty(keyEquivalent));
}

void NSMenuItem::setKeyEquivalent(Ref<NSString>&& keyEquivalent) {
  keyEquivalent_ = copiedStringOrEmpty(std::move(keyEquivalent));
}

void NSMenuItem::setKeyEquivalentModifierMask(NSEventModifierFlags mask) {
  keyEquivalentModifierMask_ = mask & NSEventModifierFlagDeviceIndependentFlagsMask;
}

bool NSMenuItem::matchesKeyEquivalent(const NSString* characters,
                                      NSEventModifierFlags modifierFlags) const {
  if (separator_ || !characters || keyEquivalent_->length() != 1 || characters->length() != 1)
    return false;
  const char16_t key = keyEquivalent_->characterAtIndex(0);
  const char16_t typed = characters->characterAtIndex(0);
  NSEventModifierFlags wanted = keyEquivalentModifierMask_ & kEquivalentModifiers;
  NSEventModifierFlags pressed = modifierFlags & kEquivalentModifiers;
  if (isLetter(key)) {
    // "A" means Shift-A; typed letters compare without case, Shift is then part of the flags.
    if (isUpperCaseLetter(key)) wanted |= NSEventModifierFlagShift;
    if (toLowerCase(key) != toLowerCase(typed)) return false;
  } else {
    // Shift is how a symbol such as "?" is typed, so it only counts when the mask asks for it.
    if (!(wanted & NSEventModifierFlagShift)) pressed &= ~NSEventModifierFlagShift;
    if (key != typed) return false;
  }
  return wanted == pressed;
}

void NSMenuItem::setRepresentedObject(NSObject* object) {
  representedObject_ = retained(object);
}

void NSMenuItem::setSubmenu(NSMenu* submenu) {
  if (submenu == submenu_) return;
  if (submenu && submenu->parentItem_) {
    NSLog("NSMenuItem: the submenu %s is already used by another menu item; ignored",
          submenu->title()->utf8().c_str());
    return;
  }
  if (submenu && submenu->isSelfOrAncestorOf(menu_)) {
    NSLog("NSMenuItem: a menu cannot be a submenu of its own item or of an item below it; "
          "ignored");
    return;
  }
  if (submenu) submenu->parentItem_ = this;
  if (submenu_) submenu_->parentItem_ = nullptr;
  submenu_ = retained(submenu);
}

NSMenuItem* NSMenuItem::parentItem() const {
  return menu_ ? menu_->parentItem() : nullptr;
}

NSString* NSMenuItem::description() const {
  return NSString::stringWithFormat("<NSMenuItem: %p %@%s>", static_cast<const void*>(this),
                                    separator_ ? NSSTR("(separator)") : title_.get(),
                                    submenu_ ? ", submenu" : "");
}
