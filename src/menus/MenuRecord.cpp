#include "menus/MenuRecord.h"

#include "appkit/menus/NSMenuItem.h"
#include "bridge/ContextMenuSlapper.h"
#include "foundation/NSNumber.h"

namespace brix {
namespace {

// The keys live for the life of the process, so every lookup reuses them.
NSString* key(const char* name) {
  return static_cast<NSString*>(NSSTR(name)->retain());
}

NSString* stringFor(NSDictionary* record, NSString* name) {
  return ns_cast<NSString>(record->objectForKey(name));
}

// The integer that intValue gives: a number's integer part, a string's leading decimal digits.
int integerFor(NSDictionary* record, NSString* name) {
  NSObject* value = record->objectForKey(name);
  if (auto* number = ns_cast<NSNumber>(value)) return number->intValue();
  if (auto* string = ns_cast<NSString>(value)) return string->intValue();
  return 0;
}

bool equalsOne(const NSString* value) {
  static NSString* const one = key("1");
  return value && value->isEqualToString(one);
}

} // namespace

bool MenuRecord::isSeparator() const {
  static NSString* const dash = key("-");
  return header && header->isEqualToString(dash);
}

bool MenuRecord::isOn() const {
  return equalsOne(state);
}

bool MenuRecord::isDisabled() const {
  return equalsOne(disabled);
}

MenuRecord readMenuRecord(NSObject* element) {
  static NSString* const kHeader = key("HEADER");
  static NSString* const kIdentity = key("IDENTITY");
  static NSString* const kShortcut = key("KEYBOARDSHORTCUT");
  static NSString* const kState = key("STATE");
  static NSString* const kIndentation = key("INDENTATION");
  static NSString* const kDisabled = key("DISABLED");
  static NSString* const kChildren = key("CHILDREN");
  MenuRecord record;
  auto* dictionary = ns_cast<NSDictionary>(element);
  if (!dictionary) return record;
  record.header = stringFor(dictionary, kHeader);
  record.identity = stringFor(dictionary, kIdentity);
  record.keyboardShortcut = stringFor(dictionary, kShortcut);
  record.state = stringFor(dictionary, kState);
  record.disabled = stringFor(dictionary, kDisabled);
  record.indentation = integerFor(dictionary, kIndentation);
  record.children = ns_cast<NSArray>(dictionary->objectForKey(kChildren));
  return record;
}

NSMenuItem* makeMenuItem(const MenuRecord& record) {
  static NSString* const noKeyEquivalent = key("");
  static const SEL action = sel("clickContextMenuItem:");
  NSMenuItem* item = NSMenuItem::alloc()->initWithTitle(record.header, nullptr, noKeyEquivalent);
  item->autorelease(); // the menu it is added to owns it
  // Each item has its own target, which lives as long as the item.
  item->setTarget(ContextMenuSlapper::targetOwnedBy(item));
  item->setAction(action);
  item->setRepresentedObject(record.identity);
  if (record.keyboardShortcut) item->setKeyEquivalent(record.keyboardShortcut);
  return item;
}

} // namespace brix
