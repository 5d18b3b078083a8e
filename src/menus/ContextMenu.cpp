#include "menus/ContextMenu.h"
#include "bridge/Bridge.h"

#include "appkit/menus/NSMenu.h"
#include "bridge/NativeScope.h"
#include "bridge/Upcall.h"
#include "foundation/json/JSONDocument.h"
#include "foundation/runtime/SmallObjectMemory.h"
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

// The records of a parsed description: its top-level array, or nothing.
void forEachRecord(NSArray* records, auto&& visit) {
  for (NSUInteger i = 0; i < records->count(); ++i)
    visit(brix::readMenuRecord(records->objectAtIndex(i)));
}

void forEachRecord(const JSONValue& records, auto&& visit) {
  records.forEachElement([&](const JSONValue& element) { visit(brix::readMenuRecord(element)); });
}

template <class Records> void fillSubmenu(NSMenuItem* parent, const Records& children) {
  // Attached before it is filled, as the menu tree is built depth first.
  NSMenu* submenu = NSMenu::alloc()->init();
  parent->setSubmenu(submenu);
  submenu->release(); // the parent item owns it
  forEachRecord(children, [&](auto&& record) {
    if (!record.buildable) return;
    if (record.separator) {
      submenu->addItem(NSMenuItem::separatorItem());
      return;
    }
    Ref<NSMenuItem> made = brix::makeMenuItem(record);
    NSMenuItem* item = made; // the submenu holds it from here on
    if (record.disabled) item->setAction(nullptr);
    if (record.hasState) item->setState(record.on ? NSControlStateValueOn : NSControlStateValueOff);
    submenu->addItem(std::move(made));
    if (record.children) fillSubmenu(item, *record.children);
    item->setIndentationLevel(record.indentation);
  });
}

} // namespace

extern "C" {

void populateMenu(NSMenuItem* parent, NSArray* children) {
  if (!parent || !children) return;
  fillSubmenu(parent, children);
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
      },
      brix::ThreadRule::AppModal);
}

} // extern "C"

namespace brix {

// The description is read straight from the parsed text, with the meaning NSJSONSerialization's
// objects would give it, so a large menu costs no Foundation tree besides its items. The text is
// read as UTF-8, so titles and identities in any script reach the menu; a lone surrogate in the
// string itself, which UTF-8 cannot hold, becomes U+FFFD, so broken text costs one character
// rather than the whole menu (an escaped one is invalid JSON, as Foundation's parser has it). A
// text that does not parse, or whose top level is not an array, has no records.
NSMenu* buildContextMenu(NSString* json, NSMenuItem** positioningItem) {
  // The menu's objects are made together and go together when the next menu replaces it.
  SmallObjectRegion region;
  JSONDocument document;
  const bool parsed =
      json && document.parseUnicode(json->utf16(), false) && document.root().isArray();
  if (theMenu) theMenu->cancelTrackingWithoutAnimation();
  menuBuiltLast = adopted(NSMenu::alloc()->initWithTitle(NSSTR("Contextual Menu")));
  theMenu = menuBuiltLast;
  *positioningItem = nullptr;
  if (!parsed) return menuBuiltLast;
  // Filled through the strong reference: reading the weak global costs a lock per item.
  NSMenu* menu = menuBuiltLast;
  forEachRecord(document.root(), [&](auto&& record) {
    if (!record.buildable) return;
    if (record.separator) {
      menu->addItem(NSMenuItem::separatorItem());
      return;
    }
    Ref<NSMenuItem> made = makeMenuItem(record);
    NSMenuItem* item = made; // the menu holds it from here on
    if (record.hasState) item->setState(record.on ? NSControlStateValueOn : NSControlStateValueOff);
    if (record.disabled) item->setAction(nullptr);
    if (!*positioningItem) *positioningItem = item;
    item->setIndentationLevel(record.indentation);
    menu->addItem(std::move(made));
    if (record.children) fillSubmenu(item, *record.children);
  });
  return menu;
}

} // namespace brix
