#include "appkit/menus/NSMenu.h"

#include "foundation/collections/NSArray.h"
#include "foundation/system/NSLog.h"

namespace {

NSMenu::ResponderChainLookup responderChainLookup = nullptr;

} // namespace

NSMenu* NSMenu::init() {
  return initWithTitle(nullptr);
}

NSMenu* NSMenu::initWithTitle(const NSString* title) {
  setTitle(title);
  return this;
}

// An item held elsewhere outlives its menu and no longer names it; the rest go with it, in order.
NSMenu::~NSMenu() {
  for (Ref<NSMenuItem>& item : items_) {
    item->menu_ = nullptr;
    item = nullptr;
  }
}

NSMenuItem* NSMenu::parentItem() const {
  return parentItem_.get();
}

void NSMenu::setTitle(const NSString* title) {
  title_ = copiedStringOrEmpty(title);
}

// MARK: items

bool NSMenu::acceptsItem(const NSMenuItem* item) const {
  if (!item) return false;
  if (item->menu_) {
    NSLog("Item to be inserted into menu already is in another menu");
    return false;
  }
  if (item->submenu_ && item->submenu_->isSelfOrAncestorOf(this)) {
    NSLog("NSMenu: an item whose submenu contains the menu cannot be inserted into it; ignored");
    return false;
  }
  return true;
}

bool NSMenu::isSelfOrAncestorOf(const NSMenu* menu) const {
  for (; menu; menu = menu->supermenu())
    if (menu == this) return true;
  return false;
}

void NSMenu::adopt(Ref<NSMenuItem> item, std::size_t index) {
  NSMenuItem* joining = item;
  items_.insert(items_.begin() + static_cast<long>(index), std::move(item));
  joining->menu_ = this; // only once it is in the menu
}

void NSMenu::addItem(NSMenuItem* item) {
  if (acceptsItem(item)) adopt(Ref<NSMenuItem>(item), items_.size());
}

void NSMenu::addItem(Ref<NSMenuItem>&& item) {
  if (acceptsItem(item)) adopt(std::move(item), items_.size());
}

void NSMenu::insertItem(NSMenuItem* item, NSInteger index) {
  if (!acceptsItem(item)) return;
  const auto count = static_cast<NSInteger>(items_.size());
  adopt(Ref<NSMenuItem>(item), static_cast<std::size_t>(index < 0       ? 0
                                                        : index > count ? count
                                                                        : index));
}

NSMenuItem* NSMenu::addItemWithTitle(const NSString* title, SEL action,
                                     const NSString* keyEquivalent) {
  return insertItemWithTitle(title, action, keyEquivalent, numberOfItems());
}

NSMenuItem* NSMenu::insertItemWithTitle(const NSString* title, SEL action,
                                        const NSString* keyEquivalent, NSInteger index) {
  auto item = adopted(NSMenuItem::alloc()->initWithTitle(title, action, keyEquivalent));
  insertItem(item, index);
  return item; // the menu holds it now
}

void NSMenu::removeItem(NSMenuItem* item) {
  removeItemAtIndex(indexOfItem(item));
}

void NSMenu::removeItemAtIndex(NSInteger index) {
  if (index < 0 || index >= numberOfItems()) return;
  const auto position = items_.begin() + index;
  (*position)->menu_ = nullptr;
  items_.erase(position);
}

void NSMenu::removeAllItems() {
  auto removed = std::move(items_);
  items_.clear();
  for (auto& item : removed)
    item->menu_ = nullptr;
}

NSMenuItem* NSMenu::itemAtIndex(NSInteger index) const {
  if (index < 0 || index >= numberOfItems()) return nullptr;
  return items_[static_cast<std::size_t>(index)];
}

NSArray* NSMenu::itemArray() const {
  auto* array = NSMutableArray::arrayWithCapacity(items_.size());
  for (const auto& item : items_)
    array->addObject(item);
  return array;
}

NSMenuItem* NSMenu::itemWithTitle(const NSString* title) const {
  return itemAtIndex(indexOfItemWithTitle(title));
}

NSInteger NSMenu::indexOfItem(const NSMenuItem* item) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i] == item) return static_cast<NSInteger>(i);
  return -1;
}

NSInteger NSMenu::indexOfItemWithTitle(const NSString* title) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i]->title()->isEqualToString(title)) return static_cast<NSInteger>(i);
  return -1;
}

NSInteger NSMenu::indexOfItemWithSubmenu(const NSMenu* submenu) const {
  if (!submenu) return -1;
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i]->submenu() == submenu) return static_cast<NSInteger>(i);
  return -1;
}

bool NSMenu::containsItem(const NSMenuItem* item) const {
  bool found = false;
  forEachItemDepthFirst([&](NSMenuItem* candidate) {
    found = candidate == item;
    return found;
  });
  return found;
}

void NSMenu::forEachItemDepthFirst(const std::function<bool(NSMenuItem*)>& visit) const {
  // An explicit stack of (menu, next index), so that deep menu trees cannot exhaust the stack.
  std::vector<std::pair<const NSMenu*, std::size_t>> pending{{this, 0}};
  while (!pending.empty()) {
    auto& [menu, next] = pending.back();
    if (next == menu->items_.size()) {
      pending.pop_back();
      continue;
    }
    NSMenuItem* item = menu->items_[next++];
    if (visit(item)) return;
    if (item->submenu()) pending.push_back({item->submenu(), 0});
  }
}

// MARK: submenus

void NSMenu::setSubmenu(NSMenu* submenu, NSMenuItem* item) {
  if (!item) return;
  item->setSubmenu(submenu);
  item->setAction(sel("submenuAction:"));
}

NSMenu* NSMenu::supermenu() const {
  return parentItem_ ? parentItem_->menu() : nullptr;
}

// MARK: enabling and actions

void NSMenu::setResponderChainLookup(ResponderChainLookup lookup) {
  responderChainLookup = lookup;
}

NSObject* NSMenu::targetForNilTargetedAction(SEL action) {
  return responderChainLookup && action ? responderChainLookup(action) : nullptr;
}

void NSMenu::performActionForItemAtIndex(NSInteger index) {
  // The action may remove the item from the menu or drop the menu; keep both alive until it
  // has returned.
  Ref<NSMenuItem> item(itemAtIndex(index));
  if (!item || !item->action()) return;
  Ref<NSMenu> protector(this);
  NSObject* receiver = item->target() ? item->target() : targetForNilTargetedAction(item->action());
  if (receiver) receiver->performAction(item->action(), item);
}

NSMenuItem* NSMenu::itemForKeyEquivalent(const NSString* characters,
                                         NSEventModifierFlags modifierFlags) const {
  NSMenuItem* match = nullptr;
  forEachItemDepthFirst([&](NSMenuItem* item) {
    if (item->matchesKeyEquivalent(characters, modifierFlags)) match = item;
    return match != nullptr;
  });
  return match;
}

bool NSMenu::performKeyEquivalent(NSEvent* event) {
  if (!event || event->type() != NSEventTypeKeyDown) return false;
  NSMenuItem* item =
      itemForKeyEquivalent(event->charactersIgnoringModifiers(), event->modifierFlags());
  if (!item || !item->isEnabled() || !item->menu()) return false;
  NSMenu* menu = item->menu();
  menu->performActionForItemAtIndex(menu->indexOfItem(item));
  return true;
}

NSString* NSMenu::description() const {
  return NSString::stringWithFormat("<NSMenu: %p>\n\tTitle: %@\n\tSupermenu: %p, autoenable: %s\n"
                                    "\tItems: %ld",
                                    static_cast<const void*>(this), title_.get(),
                                    static_cast<const void*>(supermenu()),
                                    autoenablesItems_ ? "YES" : "NO", numberOfItems());
}
