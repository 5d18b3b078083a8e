// NSApplication: the main menu and the application menu it starts with.
#include "appkit/application/NSApplication.h"
#include "appkit/windows/NSWindow.h"
#include "display/DisplayBackend.h"

namespace {

NSString* stringFromUTF16(const std::u16string& text) {
  return static_cast<NSString*>(NSString::alloc()->initWithUTF16(text)->autorelease());
}

NSMenuItem* addItem(NSMenu* menu, const std::u16string& title, const char* action,
                    const char* keyEquivalent,
                    NSEventModifierFlags mask = NSEventModifierFlagCommand) {
  NSMenuItem* item = menu->addItemWithTitle(stringFromUTF16(title), action ? sel(action) : nullptr,
                                            NSSTR(keyEquivalent));
  item->setKeyEquivalentModifierMask(mask);
  return item;
}

// Where an action with a nil target goes, as AppKit's responder chain takes it: the key
// window's first responder and the responders after it, the key window, then the application.
NSObject* nilTargetedActionReceiver(SEL action) {
  if (!NSApp) return nullptr;
  if (NSWindow* key = NSApp->keyWindow()) {
    for (NSResponder* responder = key->firstResponder(); responder;
         responder = responder->nextResponder())
      if (responder->respondsToSelector(action)) return responder;
    if (key->respondsToSelector(action)) return key;
  }
  return NSApp->respondsToSelector(action) ? NSApp : nullptr;
}

} // namespace

void NSApplication::installResponderChain() {
  NSMenu::setResponderChainLookup(nilTargetedActionReceiver);
}

std::span<const NSActionEntry> NSApplication::actionTable() const {
  static const NSActionEntry table[] = {
      {sel("terminate:"),
       [](NSObject* receiver, NSObject* sender) {
         static_cast<NSApplication*>(receiver)->terminate(sender);
       }},
  };
  return table;
}

// The menu bar a Java application gets from its toolkit: the application menu, named after the
// application as its windows are. Its actions go to the responder chain (nil targets).
NSMenu* makeDefaultMainMenu() {
  const std::u16string name = NSUTF8ToUTF16(DisplayBackend::applicationName());
  NSMenu* mainMenu = NSMenu::alloc()->initWithTitle(NSSTR("Main Menu"));
  NSMenu* appMenu = NSMenu::alloc()->initWithTitle(stringFromUTF16(name));
  addItem(appMenu, u"About " + name, "orderFrontStandardAboutPanel:", "");
  appMenu->addItem(NSMenuItem::separatorItem());
  addItem(appMenu, u"Preferences\u2026", "showPreferencesWindow:", ",");
  appMenu->addItem(NSMenuItem::separatorItem());
  NSMenuItem* services = addItem(appMenu, u"Services", nullptr, "");
  NSMenu* servicesMenu = NSMenu::alloc()->initWithTitle(NSSTR("Services"));
  appMenu->setSubmenu(servicesMenu, services);
  servicesMenu->release();
  appMenu->addItem(NSMenuItem::separatorItem());
  addItem(appMenu, u"Hide " + name, "hide:", "h");
  addItem(appMenu, u"Hide Others", "hideOtherApplications:", "h",
          NSEventModifierFlagCommand | NSEventModifierFlagOption);
  addItem(appMenu, u"Show All", "unhideAllApplications:", "");
  appMenu->addItem(NSMenuItem::separatorItem());
  addItem(appMenu, u"Quit " + name, "terminate:", "q");
  NSMenuItem* appItem = addItem(mainMenu, name, nullptr, "");
  mainMenu->setSubmenu(appMenu, appItem);
  appMenu->release();
  return mainMenu;
}

NSMenu* NSApplication::mainMenu() const {
  return mainMenu_.get();
}

void NSApplication::setMainMenu(NSMenu* menu) {
  mainMenu_ = Ref<NSMenu>(menu);
}

void NSApplication::setApplicationMenuTitles(const std::vector<std::u16string>& titles) {
  NSMenuItem* first = mainMenu_ ? mainMenu_->itemAtIndex(0) : nullptr;
  NSMenu* appMenu = first ? first->submenu() : nullptr;
  if (!appMenu) return;
  appMenu->removeAllItems();
  for (const std::u16string& title : titles) {
    if (title == u"-")
      appMenu->addItem(NSMenuItem::separatorItem());
    else
      addItem(appMenu, title, nullptr, "");
  }
}
