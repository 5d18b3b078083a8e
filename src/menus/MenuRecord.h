// Reading one record of a context-menu description: a JSON object with "HEADER", "IDENTITY",
// "KEYBOARDSHORTCUT", "STATE", "INDENTATION", "DISABLED" and "CHILDREN". Values of the wrong
// type read as missing, so that a malformed record never stops the rest of the menu.
#pragma once

#include "foundation/NSArray.h"
#include "foundation/NSDictionary.h"

class NSMenuItem;

namespace brix {

struct MenuRecord {
  NSString* header = nullptr; // nil: the record cannot be built
  NSString* identity = nullptr;
  NSString* keyboardShortcut = nullptr;
  NSString* state = nullptr;
  NSString* disabled = nullptr;
  int indentation = 0;
  NSArray* children = nullptr;

  bool isSeparator() const;
  bool isOn() const;       // "STATE" exactly "1"
  bool isDisabled() const; // "DISABLED" exactly "1"
};

// The record's values; an element that is not an object gives a record without a header.
MenuRecord readMenuRecord(NSObject* element);

// An autoreleased item titled by the record's header with its own action target (which lives as
// long as the item), its identity as represented
// object and its key equivalent; state, disabling and indentation are left to the caller,
// whose order of steps differs between the top level and submenus.
NSMenuItem* makeMenuItem(const MenuRecord& record);

} // namespace brix
