// Reading one record of a context-menu description: a JSON object with "HEADER", "IDENTITY",
// "KEYBOARDSHORTCUT", "STATE", "INDENTATION", "DISABLED" and "CHILDREN". Values of the wrong
// type read as missing, so that a malformed record never stops the rest of the menu. Records are
// read either from the Foundation objects NSJSONSerialization makes or straight from a parsed
// JSONDocument, with the same meaning: of duplicate keys the last one counts.
#pragma once

#include <optional>

#include "foundation/collections/NSArray.h"
#include "foundation/collections/NSDictionary.h"
#include "foundation/json/JSONDocument.h"

class NSMenuItem;

namespace brix {

// What a record says about its item.
struct MenuItemFields {
  bool buildable = false; // false: no string "HEADER", the record makes no item
  bool separator = false; // "HEADER" exactly "-"
  Ref<NSString> header;   // nil for a separator
  Ref<NSString> identity;
  Ref<NSString> keyboardShortcut;
  bool hasState = false; // "STATE" is a string
  bool on = false;       // "STATE" exactly "1"
  bool disabled = false; // "DISABLED" exactly "1"
  int indentation = 0;
};

// The record's item and its children: an NSArray or an array JSONValue, nullopt when missing.
template <class Children> struct MenuRecord : MenuItemFields { std::optional<Children> children; };

// The record's values; an element that is not an object gives a record that is not buildable.
MenuRecord<NSArray*> readMenuRecord(NSObject* element);
MenuRecord<JSONValue> readMenuRecord(const JSONValue& element);

// A new item (owned by the caller, who gives it to a menu) titled by the record's header with its
// own action target (which lives as long as the item), its identity as represented object and its
// key equivalent; state, disabling and indentation are left to the caller, whose order of steps
// differs between the top level and submenus. The record's strings are handed to the item, which
// leaves them nil in the record.
Ref<NSMenuItem> makeMenuItem(MenuItemFields& record);

} // namespace brix
