// The library's entries in the application menu, and the store-build flag that leaves out the
// update entry.
#include "menus/AppMenu.h"

#include <algorithm>

#include "appkit/application/NSApplication.h"
#include "appkit/menus/NSMenu.h"
#include "bridge/ContextMenuSlapper.h"
#include "bridge/NativeScope.h"
#include "bridge/Upcall.h"

namespace brix {
bool _appStore = false;
} // namespace brix

namespace {

// Absolute positions in the application menu at the moment of each insertion; they are not
// adjusted when the update entry is left out.
constexpr NSInteger kAboutIndex = 0, kUpdatesIndex = 1, kFirstSeparatorIndex = 2,
                    kPreferencesIndex = 3, kSecondSeparatorIndex = 4, kThirdSeparatorIndex = 6;

// The application menu, fetched afresh before each insertion.
NSMenu* applicationMenu() {
  NSMenu* mainMenu = NSApplication::sharedApplication()->mainMenu();
  NSMenuItem* first = mainMenu ? mainMenu->itemAtIndex(0) : nullptr;
  return first ? first->submenu() : nullptr;
}

// Inserts at index, or at the end of a menu too short for it.
void insertAt(NSMenuItem* item, NSInteger index) {
  NSMenu* menu = applicationMenu();
  if (!menu) return;
  menu->insertItem(item, std::min(index, menu->numberOfItems()));
}

NSMenuItem* makeEntry(const char* title, const char* keyEquivalent, const char* identity) {
  // The menu it is inserted into owns the item, and the item its target.
  NSMenuItem* item =
      NSMenuItem::alloc()->initWithTitle(NSSTR(title), nullptr, NSSTR(keyEquivalent));
  item->autorelease();
  item->setTarget(ContextMenuSlapper::targetOwnedBy(item));
  item->setAction(sel("clickContextMenuItem:"));
  item->setRepresentedObject(NSSTR(identity));
  return item;
}

} // namespace

extern "C" {

bool isAppStore() {
  return brix::_appStore;
}

void setupAppMenu() {
  if (!applicationMenu()) return;
  insertAt(makeEntry("About Ixa", "", "APPMENU_ABOUT"), kAboutIndex);
  if (!isAppStore())
    insertAt(makeEntry("Check for Updates...", "", "APPMENU_CHECKFORUPDATES"), kUpdatesIndex);
  insertAt(NSMenuItem::separatorItem(), kFirstSeparatorIndex);
  insertAt(makeEntry("Preferences", ",", "APPMENU_PREFS"), kPreferencesIndex);
  insertAt(NSMenuItem::separatorItem(), kSecondSeparatorIndex);
  insertAt(NSMenuItem::separatorItem(), kThirdSeparatorIndex);
}

// IxaDialogs.modifyMenuBar()
JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_modifyMenuBar(JNIEnv* env, jclass caller) noexcept {
  return brix::nativeMethod(env, "modifyMenuBar", jint{1}, brix::javaArguments(caller),
                            [](JNIEnv* env, jclass caller) {
                              brix::rememberJavaCaller(env, caller);
                              setupAppMenu();
                              return 1;
                            });
}

// IxaDialogs.setAsAppStore()
JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_setAsAppStore(JNIEnv* env, jclass) noexcept {
  return brix::nativeMethod(
      env, "setAsAppStore", jint{1},
      [] {
        brix::_appStore = true;
        return 1;
      },
      brix::ThreadRule::MainThreadOffScreen);
}

} // extern "C"
