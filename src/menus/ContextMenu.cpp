#include "menus/ContextMenu.h"
#include "bridge/Bridge.h"

#include <string>

#include "appkit/menus/NSMenu.h"
#include "bridge/NativeScope.h"
#include "bridge/Upcall.h"
#include "foundation/NSData.h"
#include "foundation/NSJSONSerialization.h"
#include "menus/MenuRecord.h"
#include "windows/WindowLookup.h"

namespace brix {
Weak<NSMenu> theMenu;
} // namespace brix

namespace {
// The menu built last, kept until the next one replaces it; its items' targets go with it.
Ref<NSMenu> menuBuiltLast;
} // namespace

namespace {

// The records of the description. The text is encoded as UTF-8, so titles and identities in any
// script reach the menu; a lone surrogate, which UTF-8 cannot hold, becomes U+FFFD, so broken
// text costs one character rather than the whole menu. A text that does not parse, or whose top
// level is not an array, has no records.
NSArray* parseRecords(NSString* json) {
  if (!json) return nullptr;
  const std::string text = json->utf8();
  NSData* data = NSData::dataWithBytes(text.data(), text.size());
  NSError* error = nullptr;
  return ns_cast<NSArray>(NSJSONSerialization::JSONObjectWithData(data, 0, &error));
}

} // namespace

extern "C" {

void populateMenu(NSMenuItem* parent, NSArray* children) {
  if (!parent || !children) return;
  // Attached before it is filled, as the menu tree is built depth first.
  NSMenu* submenu = NSMenu::alloc()->init();
  parent->setSubmenu(submenu);
  submenu->release(); // the parent item owns it
  for (NSUInteger i = 0; i < children->count(); ++i) {
    const brix::MenuRecord record = brix::readMenuRecord(children->objectAtIndex(i));
    if (!record.header) continue;
    if (record.isSeparator()) {
      submenu->addItem(NSMenuItem::separatorItem());
      continue;
    }
    NSMenuItem* item = brix::makeMenuItem(record);
    if (record.isDisabled()) item->setAction(nullptr);
    if (record.state)
      item->setState(record.isOn() ? NSControlStateValueOn : NSControlStateValueOff);
    submenu->addItem(item);
    if (record.children) populateMenu(item, record.children);
    item->setIndentationLevel(record.indentation);
  }
}

// IxaDialogs.showMacContextMenuWithJSON(double, double, String)
JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_showMacContextMenuWithJSON(JNIEnv* env, jclass caller,
                                                                      jdouble x, jdouble y,
                                                                      jstring json) noexcept {
  return brix::nativeMethod(
      env, "showMacContextMenuWithJSON", jint{1}, brix::javaArguments(caller, x, y, json),
      [](JNIEnv* env, jclass caller, jdouble x, jdouble y, jstring json) {
        brix::rememberJavaCaller(env, caller);
        NSMenuItem* positioningItem = nullptr;
        NSMenu* menu = brix::buildContextMenu(jstringToNSString(env, json), &positioningItem);
        // A menu without items would show nothing that could be chosen or clicked away, and the
        // call would wait for a dismissal nobody can give.
        if (menu->numberOfItems() == 0) return 1;
        // Runs the menu; returns when it closes. Whether an item was chosen does not matter here:
        // the item's target has already told Java.
        menu->popUpMenuPositioningItem(positioningItem, NSMakePoint(x, y), getFrontView());
        return 1;
      });
}

} // extern "C"

namespace brix {

NSMenu* buildContextMenu(NSString* json, NSMenuItem** positioningItem) {
  NSArray* records = parseRecords(json);
  if (theMenu) theMenu->cancelTrackingWithoutAnimation();
  menuBuiltLast = adopted(NSMenu::alloc()->initWithTitle(NSSTR("Contextual Menu")));
  theMenu = menuBuiltLast;
  *positioningItem = nullptr;
  const NSUInteger count = records ? records->count() : 0;
  for (NSUInteger i = 0; i < count; ++i) {
    const MenuRecord record = readMenuRecord(records->objectAtIndex(i));
    if (!record.header) continue;
    if (record.isSeparator()) {
      theMenu->addItem(NSMenuItem::separatorItem());
      continue;
    }
    NSMenuItem* item = makeMenuItem(record);
    if (record.state)
      item->setState(record.isOn() ? NSControlStateValueOn : NSControlStateValueOff);
    if (record.isDisabled()) item->setAction(nullptr);
    if (!*positioningItem) *positioningItem = item;
    item->setIndentationLevel(record.indentation);
    theMenu->addItem(item);
    if (record.children) populateMenu(item, record.children);
  }
  return theMenu;
}

} // namespace brix
