#include "menus/MenuRecord.h"

#include <array>
#include <iterator>
#include <string_view>
#include <utility>

#include "appkit/menus/NSMenuItem.h"
#include "bridge/ContextMenuSlapper.h"
#include "foundation/values/NSNumber.h"

namespace brix {
namespace {

// The keys live for the life of the process, so every lookup reuses them, and every item shares
// them without counting references.
NSString* key(const char* name) {
  return static_cast<NSString*>(NSSTR(name)->makeImmortal());
}

NSString* stringFor(NSDictionary* record, NSString* name) {
  return ns_cast<NSString>(record->objectForKey(name));
}

// The integer that intValue gives: a number's integer part, a string's leading decimal digits.
int integerOf(NSObject* value) {
  if (auto* number = ns_cast<NSNumber>(value)) return number->intValue();
  if (auto* string = ns_cast<NSString>(value)) return string->intValue();
  return 0;
}

int integerOf(const JSONValue& value) {
  if (value.isNumber()) return value.intValue();
  if (value.isString()) return adopted(value.newString())->intValue();
  return 0;
}

bool equalsOne(const NSString* value) {
  static NSString* const one = key("1");
  return value && value->isEqualToString(one);
}

void setHeader(MenuItemFields& record, bool isSeparator, Ref<NSString> header) {
  record.buildable = true;
  record.separator = isSeparator;
  if (!isSeparator) record.header = std::move(header);
}

} // namespace

MenuRecord<NSArray*> readMenuRecord(NSObject* element) {
  static NSString* const kHeader = key("HEADER");
  static NSString* const kIdentity = key("IDENTITY");
  static NSString* const kShortcut = key("KEYBOARDSHORTCUT");
  static NSString* const kState = key("STATE");
  static NSString* const kIndentation = key("INDENTATION");
  static NSString* const kDisabled = key("DISABLED");
  static NSString* const kChildren = key("CHILDREN");
  static NSString* const kDash = key("-");
  MenuRecord<NSArray*> record;
  auto* dictionary = ns_cast<NSDictionary>(element);
  if (!dictionary) return record;
  NSString* header = stringFor(dictionary, kHeader);
  if (!header) return record;
  setHeader(record, header->isEqualToString(kDash), retained(header));
  record.identity = retained(stringFor(dictionary, kIdentity));
  record.keyboardShortcut = retained(stringFor(dictionary, kShortcut));
  const NSString* state = stringFor(dictionary, kState);
  record.hasState = state;
  record.on = equalsOne(state);
  record.disabled = equalsOne(stringFor(dictionary, kDisabled));
  record.indentation = integerOf(dictionary->objectForKey(kIndentation));
  if (auto* children = ns_cast<NSArray>(dictionary->objectForKey(kChildren)))
    record.children = children;
  return record;
}

MenuRecord<JSONValue> readMenuRecord(const JSONValue& element) {
  MenuRecord<JSONValue> record;
  // The value each key had last; a later duplicate of a key replaces an earlier one, whatever
  // their types.
  static constexpr std::array<std::string_view, 7> kKeys = {
      "HEADER", "IDENTITY", "KEYBOARDSHORTCUT", "STATE", "DISABLED", "INDENTATION", "CHILDREN"};
  std::array<std::optional<JSONValue>, std::size(kKeys)> values;
  element.membersNamed(kKeys, values);
  const auto& [header, identity, shortcut, state, disabled, indentation, children] = values;
  if (!header || !header->isString()) return record;
  // newString() is nil, and utf8() empty, for a value that is not a string.
  auto stringOf = [](const std::optional<JSONValue>& value) {
    return value ? adopted(value->newString()) : Ref<NSString>();
  };
  auto isOne = [](const std::optional<JSONValue>& value) { return value && value->utf8() == "1"; };
  const bool isSeparator = header->utf8() == "-";
  setHeader(record, isSeparator, isSeparator ? Ref<NSString>() : stringOf(header));
  record.identity = stringOf(identity);
  record.keyboardShortcut = stringOf(shortcut);
  record.hasState = state && state->isString();
  record.on = isOne(state);
  record.disabled = isOne(disabled);
  record.indentation = indentation ? integerOf(*indentation) : 0;
  if (children && children->isArray()) record.children = children;
  return record;
}

Ref<NSMenuItem> makeMenuItem(MenuItemFields& record) {
  static NSString* const noKeyEquivalent = key("");
  static const SEL action = sel("clickContextMenuItem:");
  auto item = adopted(
      NSMenuItem::alloc()->initWithTitle(std::move(record.header), nullptr, noKeyEquivalent));
  // Each item has its own target, which lives as long as the item.
  item->setTarget(ContextMenuSlapper::targetOwnedBy(item));
  item->setAction(action);
  item->setRepresentedObject(std::move(record.identity));
  if (record.keyboardShortcut) item->setKeyEquivalent(std::move(record.keyboardShortcut));
  return item;
}

} // namespace brix
