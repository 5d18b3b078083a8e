// The library's entries in the application menu: the orders with and without the store flag, a
// second call, a menu too short for the indices, and the entries reaching Java.
#include "menus/AppMenu.h"
#include "MenuTesting.h"
#include "appkit/application/NSApplication.h"
#include "testkit/MenuUser.h"

namespace {

class AppMenus : public MenuTest {
protected:
  void SetUp() override {
    MenuTest::SetUp();
    brix::_appStore = false;
  }
  NSMenu* appMenu() {
    return NSApplication::sharedApplication()->mainMenu()->itemAtIndex(0)->submenu();
  }
  void startWith(std::vector<std::u16string> titles) {
    NSApplication::sharedApplication()->setApplicationMenuTitles(titles);
  }
};

using Titles = std::vector<std::string>;

// The menu bar as the process starts with it, taken before any test runs: the tests change the
// application menu, and gtest may run them in any order.
struct StartingMenuBar : ::testing::Environment {
  void SetUp() override {
    NSAutoreleasePool pool;
    NSMenu* bar = NSApplication::sharedApplication()->mainMenu();
    NSMenuItem* first = bar && bar->numberOfItems() > 0 ? bar->itemAtIndex(0) : nullptr;
    if (first && first->submenu()) applicationMenu = titlesOf(first->submenu());
  }
  static inline Titles applicationMenu;
};
[[maybe_unused]] ::testing::Environment* const startingMenuBar =
    ::testing::AddGlobalTestEnvironment(new StartingMenuBar);

// Named after the application, as its windows are: here the tests' bundle, Ixa.app.
TEST_F(AppMenus, TheApplicationMenuStartsAsAJavaApplicationsDoes) {
  const std::string name = "Ixa";
  EXPECT_EQ(StartingMenuBar::applicationMenu,
            (Titles{"About " + name, "-", "Preferences\xe2\x80\xa6", "-", "Services", "-",
                    "Hide " + name, "Hide Others", "Show All", "-", "Quit " + name}));
}

TEST_F(AppMenus, EntriesGoToAbsoluteIndices) {
  startWith({u"A", u"B", u"C"});
  EXPECT_EQ(Java_ixa_IxaDialogs_modifyMenuBar(env, nullptr), 1);
  EXPECT_EQ(titlesOf(appMenu()), (Titles{"About Ixa", "Check for Updates...", "-", "Preferences",
                                         "-", "A", "-", "B", "C"}));
  NSMenuItem* prefs = appMenu()->itemAtIndex(3);
  EXPECT_EQ(prefs->keyEquivalent()->utf8(), ",");
  EXPECT_EQ(prefs->keyEquivalentModifierMask(), NSEventModifierFlagCommand);
  EXPECT_TRUE(prefs->isEnabled());

  // A second call inserts a second set at the same indices.
  EXPECT_EQ(Java_ixa_IxaDialogs_modifyMenuBar(env, nullptr), 1);
  EXPECT_EQ(titlesOf(appMenu()),
            (Titles{"About Ixa", "Check for Updates...", "-", "Preferences", "-", "About Ixa", "-",
                    "Check for Updates...", "-", "Preferences", "-", "A", "-", "B", "C"}));
}

TEST_F(AppMenus, TheStoreBuildLeavesOutUpdatesWithoutShiftingTheIndices) {
  startWith({u"A", u"B", u"C"});
  EXPECT_EQ(Java_ixa_IxaDialogs_setAsAppStore(env, nullptr), 1);
  EXPECT_TRUE(isAppStore());
  EXPECT_EQ(Java_ixa_IxaDialogs_modifyMenuBar(env, nullptr), 1);
  EXPECT_EQ(titlesOf(appMenu()),
            (Titles{"About Ixa", "A", "-", "Preferences", "-", "B", "-", "C"}));
}

TEST_F(AppMenus, AShortMenuTakesTheEntriesAtItsEnd) {
  startWith({});
  EXPECT_EQ(Java_ixa_IxaDialogs_modifyMenuBar(env, nullptr), 1);
  EXPECT_EQ(titlesOf(appMenu()),
            (Titles{"About Ixa", "Check for Updates...", "-", "Preferences", "-", "-"}));
}

TEST_F(AppMenus, CommandCommaAndChoosingSendTheIdentities) {
  startWith({u"A"});
  Java_ixa_IxaDialogs_modifyMenuBar(env, nullptr);
  recordUpcalls("APPMENU_PREFS");
  recordUpcalls("APPMENU_ABOUT");
  recordUpcalls("APPMENU_CHECKFORUPDATES");
  // Without a key window, then through one.
  MenuUser::pressShortcut(u",", {u"command"});
  openTestWindow("Main");
  MenuUser::pressShortcut(u",", {u"command"});
  MenuUser::pressShortcut(u",", {}); // no Command: not the shortcut
  EXPECT_EQ(drainUpcalls(), "APPMENU_PREFS\nAPPMENU_PREFS");
  EXPECT_TRUE(MenuUser::chooseMenuItem({u"About Ixa"}));
  EXPECT_TRUE(MenuUser::chooseMenuItem({u"Check for Updates..."}));
  runMainLoop(0.05);
  EXPECT_EQ(drainUpcalls(), "APPMENU_ABOUT\nAPPMENU_CHECKFORUPDATES");
}

} // namespace
