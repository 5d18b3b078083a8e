// Context menus from JSON: the items each record gives at the top level and in submenus, the
// positioning item, input outside the format, and choosing items while the menu is open.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "MenuTesting.h"
#include "appkit/drawing/NSBitmapImageRep.h"
#include "appkit/drawing/NSGraphicsContext.h"
#include "appkit/look/MenuDrawing.h"
#include "foundation/collections/NSDictionary.h"
#include "foundation/json/NSJSONSerialization.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/values/NSData.h"
#include "foundation/values/NSNumber.h"
#include "menus/ContextMenu.h"
#include "testkit/MenuUser.h"
#include "testkit/ScreenDescription.h"

namespace {

const char* const kFileMenu = R"([
  {"HEADER": "File", "IDENTITY": "file", "CHILDREN": [
    {"HEADER": "Open", "IDENTITY": "open"},
    {"HEADER": "Recent", "CHILDREN": [{"HEADER": "a.txt", "IDENTITY": "recent-a"},
                                      {"HEADER": "gone", "IDENTITY": "gone", "DISABLED": "1"}]}]},
  {"HEADER": "-"},
  {"HEADER": "Quit", "IDENTITY": "quit", "KEYBOARDSHORTCUT": "q"}])";

class ContextMenus : public MenuTest {
protected:
  // Shows the menu and dismisses it as soon as it is open.
  jint showAndDismiss(const char* json, double x = 10, double y = 20) {
    afterDelay(0, [] { MenuUser::dismissMenu(); });
    return show(json, x, y);
  }
  jint show(const char* json, double x = 10, double y = 20) {
    return Java_ixa_IxaDialogs_showMacContextMenuWithJSON(env, nullptr, x, y,
                                                          json ? j(json) : nullptr);
  }
  NSMenuItem* item(NSInteger index) { return brix::theMenu->itemAtIndex(index); }
  // Shows a menu that must not open. Were it popped up, the guard would find it open, dismiss it
  // (so that the test fails instead of waiting forever) and tell; the guard runs before this
  // returns either way, so it never reaches a later menu.
  jint showExpectingNoPopUp(const char* json) {
    NSMenu* const lastShown = MenuUser::lastContextMenu();
    bool poppedUp = false;
    afterDelay(0.01, [&poppedUp] {
      NSMenu* open = MenuUser::lastContextMenu();
      if (!open || !open->isTracking()) return;
      poppedUp = true;
      MenuUser::dismissMenu();
    });
    const jint result = show(json);
    runMainLoop(0.02);
    EXPECT_FALSE(poppedUp);
    EXPECT_EQ(MenuUser::lastContextMenu(), lastShown);
    return result;
  }
};

TEST_F(ContextMenus, ChoosingANestedItemFromTheRunLoopSendsItsIdentity) {
  recordUpcalls("recent-a");
  recordUpcalls("gone");
  bool chosen = false, disabledChosen = true, missingChosen = true;
  afterDelay(0.01, [&] {
    disabledChosen =
        MenuUser::chooseMenuItem({u"File", u"Recent", u"gone"}, std::chrono::milliseconds(50));
    missingChosen = MenuUser::chooseMenuItem({u"File", u"Nothing"}, std::chrono::milliseconds(50));
    chosen = MenuUser::chooseMenuItem({u"File", u"Recent", u"a.txt"});
  });
  EXPECT_EQ(show(kFileMenu), 1);
  EXPECT_TRUE(chosen);
  EXPECT_FALSE(disabledChosen);
  EXPECT_FALSE(missingChosen);
  EXPECT_FALSE(brix::theMenu->isTracking());
  EXPECT_EQ(drainUpcalls(), "recent-a");
}

TEST_F(ContextMenus, ASecondThreadChoosesWhileTheMainThreadRunsTheMenu) {
  recordUpcalls("open");
  bool chosen = false;
  std::thread user([&] { chosen = MenuUser::chooseMenuItem({u"File", u"Open"}); });
  EXPECT_EQ(show(kFileMenu), 1);
  user.join();
  EXPECT_TRUE(chosen);
  EXPECT_EQ(drainUpcalls(), "open");
}

TEST_F(ContextMenus, TheDescriptionShowsTheOpenMenu) {
  std::string described;
  afterDelay(0.01, [&] {
    described = ScreenDescription::describe();
    MenuUser::dismissMenu();
  });
  show(kFileMenu, 30, 40);
  NSData* data = NSData::dataWithBytes(described.data(), described.size());
  auto* screen = ns_cast<NSDictionary>(NSJSONSerialization::JSONObjectWithData(data, 0, nullptr));
  ASSERT_NE(screen, nullptr) << described;
  auto* menu = ns_cast<NSDictionary>(screen->objectForKey(NSSTR("contextMenu")));
  ASSERT_NE(menu, nullptr) << described;
  EXPECT_EQ(ns_cast<NSString>(menu->objectForKey(NSSTR("title")))->utf8(), "Contextual Menu");
  EXPECT_TRUE(ns_cast<NSNumber>(menu->objectForKey(NSSTR("open")))->boolValue());
  auto* location = ns_cast<NSArray>(menu->objectForKey(NSSTR("location")));
  ASSERT_NE(location, nullptr);
  // No window: the location is taken in screen coordinates.
  EXPECT_EQ(ns_cast<NSNumber>(location->objectAtIndex(0))->doubleValue(), 30);
  EXPECT_EQ(ns_cast<NSNumber>(location->objectAtIndex(1))->doubleValue(), 40);
  auto* items = ns_cast<NSArray>(menu->objectForKey(NSSTR("items")));
  ASSERT_EQ(items->count(), 3u);
  auto* quit = ns_cast<NSDictionary>(items->objectAtIndex(2));
  EXPECT_EQ(ns_cast<NSString>(quit->objectForKey(NSSTR("representedObject")))->utf8(), "quit");
  EXPECT_EQ(ns_cast<NSString>(quit->objectForKey(NSSTR("keyEquivalent")))->utf8(), "q");
  EXPECT_EQ(ns_cast<NSString>(quit->objectForKey(NSSTR("target")))->utf8(), "ContextMenuSlapper");
  EXPECT_EQ(ns_cast<NSString>(quit->objectForKey(NSSTR("action")))->utf8(),
            "clickContextMenuItem:");
}

TEST_F(ContextMenus, TheLocationIsInTheFrontViewsCoordinates) {
  NSWindow* window = openTestWindow("Front", NSMakeRect(100, 100, 600, 400));
  NSMenu::TrackingState seen;
  afterDelay(0, [&] {
    seen = brix::theMenu->trackingState();
    MenuUser::dismissMenu();
  });
  ASSERT_EQ(show(kFileMenu, 10, 20), 1);
  EXPECT_EQ(seen.view, window->contentView());
  EXPECT_EQ(seen.location, NSMakePoint(10, 20));
  EXPECT_EQ(seen.positioningItem.get(), item(0));
  const std::string described = ScreenDescription::describe();
  EXPECT_NE(described.find("\"location\":[110,120]"), std::string::npos) << described;
}

TEST_F(ContextMenus, TheOpenMenuIsPlacedByItsPositioningItem) {
  NSRect frame{};
  afterDelay(0, [&] {
    frame = NSOpenMenuFrame(brix::theMenu);
    NSBitmapImageRep* bitmap = NSBitmapImageRep::alloc()->initWithPixelsWide(400, 600);
    NSGraphicsContext::saveGraphicsState();
    NSGraphicsContext::setCurrentContext(
        NSGraphicsContext::graphicsContextWithBitmapImageRep(bitmap));
    NSDrawOpenMenu(brix::theMenu, NSMakeRect(0, 0, 400, 600));
    NSGraphicsContext::restoreGraphicsState();
    if (const char* path = std::getenv("BRIX_MENU_PICTURE")) {
      NSData* png = bitmap->representationUsingType(NSBitmapImageFileTypePNG, nullptr);
      if (FILE* file = std::fopen(path, "wb")) {
        std::fwrite(png->bytes(), 1, png->length(), file);
        std::fclose(file);
      }
    }
    bitmap->release();
    MenuUser::dismissMenu();
  });
  ASSERT_EQ(show(R"([{"HEADER": "-"}, {"HEADER": "First", "STATE": "1"},
    {"HEADER": "Second", "KEYBOARDSHORTCUT": "s", "INDENTATION": 1},
    {"HEADER": "Third", "DISABLED": "1", "CHILDREN": []}])",
                 100, 500),
            1);
  // The top padding and the separator lie above the positioning item's top-left corner.
  EXPECT_EQ(frame.origin.x, 100);
  EXPECT_EQ(NSMaxY(frame), 500 + 5 + 11);
  EXPECT_EQ(frame.size.height, 5 + 11 + 22 + 22 + 22 + 5);
}

TEST_F(ContextMenus, StateDisabledAndIndentationFollowTheExactValues) {
  const char* records = R"([
    {"HEADER": "a", "STATE": "1", "DISABLED": "1", "INDENTATION": 2},
    {"HEADER": "b", "STATE": "0", "DISABLED": "0", "INDENTATION": "2"},
    {"HEADER": "c", "STATE": "true", "DISABLED": "true", "INDENTATION": "2x"},
    {"HEADER": "d", "STATE": "01", "DISABLED": " 1", "INDENTATION": "x2"},
    {"HEADER": "e", "INDENTATION": -3},
    {"HEADER": "f"}])";
  const std::string nested = std::string(R"([{"HEADER": "sub", "CHILDREN": )") + records + "}]";
  for (const std::string& json : {std::string(records), nested}) {
    SCOPED_TRACE(json);
    ASSERT_EQ(showAndDismiss(json.c_str()), 1);
    NSMenu* menu = json == records ? brix::theMenu.get() : item(0)->submenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(titlesOf(menu), (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
    const std::vector<NSControlStateValue> states{1, 0, 0, 0, 0, 0};
    const std::vector<bool> enabled{false, true, true, true, true, true};
    const std::vector<NSInteger> indentation{2, 2, 2, 0, 0, 0};
    for (NSInteger i = 0; i < 6; ++i) {
      EXPECT_EQ(menu->itemAtIndex(i)->state(), states[i]) << i;
      EXPECT_EQ(menu->itemAtIndex(i)->isEnabled(), enabled[i]) << i;
      EXPECT_EQ(menu->itemAtIndex(i)->indentationLevel(), indentation[i]) << i;
    }
  }
}

TEST_F(ContextMenus, SeparatorsIgnoreTheirChildrenAndNeverPosition) {
  ASSERT_EQ(showAndDismiss(R"([{"HEADER": "-", "CHILDREN": [{"HEADER": "x"}]},
                              {"HEADER": "first", "DISABLED": "1", "CHILDREN": []},
                              {"HEADER": "second"}])"),
            1);
  EXPECT_EQ(titlesOf(brix::theMenu), (std::vector<std::string>{"-", "first", "second"}));
  EXPECT_FALSE(item(0)->hasSubmenu());
  ASSERT_TRUE(item(1)->hasSubmenu());
  EXPECT_EQ(item(1)->submenu()->numberOfItems(), 0);
  // The first item that is not a separator is placed at the location, disabled or not.
  EXPECT_EQ(brix::theMenu->trackingState().positioningItem.get(), item(1));

  ASSERT_EQ(showAndDismiss(R"([{"HEADER": "-"}])"), 1);
  EXPECT_EQ(titlesOf(brix::theMenu), std::vector<std::string>{"-"});
  EXPECT_EQ(brix::theMenu->trackingState().positioningItem.get(), nullptr);
}

// A menu without items shows nothing that could be chosen, nor anything to click away: it is not
// popped up, and the call returns at once without anyone dismissing it.
TEST_F(ContextMenus, AMenuWithoutItemsIsNotPoppedUp) {
  for (const char* text : std::initializer_list<const char*>{
           "[]", "not json", "42", "\"x\"", "null", R"({"HEADER": "x"})", "",
           R"([5, "s", null, {"IDENTITY": "no header"}, {"HEADER": 5}, {"HEADER": null}])",
           "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[]]]]]]]]]]"
           "]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]",
           nullptr}) {
    SCOPED_TRACE(text ? text : "null");
    EXPECT_EQ(showExpectingNoPopUp(text), 1);
  }
}

TEST_F(ContextMenus, AMenuWithoutItemsStillClosesTheOpenOne) {
  // Held here: the library lets the first menu go once the next one has replaced it.
  Ref<NSMenu> first;
  bool firstCancelled = false, emptyPoppedUp = false;
  NSRunLoop::mainRunLoop().performAsync([&] {
    first = retained(brix::theMenu.get());
    // Were the empty menu popped up, this would dismiss it so that the test ends.
    afterDelay(0.01, [&] {
      NSMenu* open = MenuUser::lastContextMenu();
      if (open == first || !open->isTracking()) return;
      emptyPoppedUp = true;
      MenuUser::dismissMenu();
    });
    show("[]");
    firstCancelled = first->trackingState().cancelRequested;
  });
  ASSERT_EQ(show(R"([{"HEADER": "first"}])"), 1);
  runMainLoop(0.02); // the guard above runs now if it has not yet
  EXPECT_TRUE(firstCancelled);
  EXPECT_FALSE(emptyPoppedUp);
  EXPECT_FALSE(first->isTracking());
}

TEST_F(ContextMenus, TextOutsideTheFormatGivesWhatCanBeBuilt) {
  ASSERT_EQ(showAndDismiss(R"([5, "s", null, {"IDENTITY": "no header"}, {"HEADER": 5},
      {"HEADER": "ok", "STATE": 1, "DISABLED": true, "KEYBOARDSHORTCUT": 7, "IDENTITY": 3,
       "INDENTATION": [1], "CHILDREN": "none"}])"),
            1);
  EXPECT_EQ(titlesOf(brix::theMenu), std::vector<std::string>{"ok"});
  EXPECT_TRUE(item(0)->isEnabled());
  EXPECT_EQ(item(0)->state(), NSControlStateValueOff);
  EXPECT_EQ(item(0)->keyEquivalent()->utf8(), "");
  EXPECT_EQ(item(0)->representedObject(), nullptr);
  EXPECT_FALSE(item(0)->hasSubmenu());
}

// Everything an item shows or does, with its submenu, one line per item.
std::string describeItems(const NSMenu* menu, const std::string& indent = "") {
  std::string out;
  for (const auto& item : menu->items()) {
    if (item->isSeparatorItem()) {
      out += indent + "-\n";
      continue;
    }
    auto* identity = ns_cast<NSString>(item->representedObject());
    out += indent + item->title()->utf8() + " id=" + (identity ? identity->utf8() : "nil") +
           " key=" + item->keyEquivalent()->utf8() + " state=" + std::to_string(item->state()) +
           " action=" + (item->action() ? "yes" : "no") +
           " indent=" + std::to_string(item->indentationLevel()) + "\n";
    if (item->hasSubmenu()) out += describeItems(item->submenu(), indent + "  ");
  }
  return out;
}

// The menu built from the text straight from the parser, and the one built from
// NSJSONSerialization's objects by populateMenu, are the same menu.
TEST_F(ContextMenus, TheParsedTextMeansWhatItsFoundationObjectsMean) {
  const char* text = R"([
    {"HEADER": "dup", "HEADER": "last", "IDENTITY": "a", "IDENTITY": 5, "STATE": "1"},
    {"HEADER": "typed", "STATE": "1", "STATE": 1, "DISABLED": "1", "DISABLED": "0"},
    {"HEADER": "n", "INDENTATION": 2.9, "KEYBOARDSHORTCUT": "k", "KEYBOARDSHORTCUT": "\u00e9"},
    {"HEADER": "big", "INDENTATION": 4294967299, "IDENTITY": "\ud83d\ude00\u0000x"},
    {"HEADER": "neg", "INDENTATION": -1e300, "STATE": "0"},
    {"HEADER": "str", "INDENTATION": " +3 apples", "DISABLED": "1"},
    {"HEADER": "-", "IDENTITY": "sep"}, {"\u0048EADER": "escaped key"},
    {"HEADER": "kids", "CHILDREN": [{"HEADER": "x"}], "CHILDREN": "no"},
    {"HEADER": "tree", "CHILDREN": [{"HEADER": "y", "CHILDREN": [{"HEADER": "z"}]}, 7,
      {"HEADER": "w", "CHILDREN": [], "STATE": "1", "DISABLED": "1", "INDENTATION": "1"}]},
    {"HEADER": "gone", "HEADER": null}, {"HEADER": 1, "HEADER": "back"}, [], {}])";
  NSMenuItem* positioning = nullptr;
  const std::string built = describeItems(brix::buildContextMenu(NSSTR(text), &positioning));

  NSData* data = NSData::dataWithBytes(text, std::strlen(text));
  auto* records = ns_cast<NSArray>(NSJSONSerialization::JSONObjectWithData(data, 0, nullptr));
  ASSERT_NE(records, nullptr);
  NSMenuItem* holder = NSMenuItem::alloc()->init();
  populateMenu(holder, records);
  EXPECT_EQ(built, describeItems(holder->submenu()));
  holder->release();
  EXPECT_NE(built.find("last id=nil key= state=1"), std::string::npos) << built;
  EXPECT_NE(built.find("escaped key"), std::string::npos) << built;
  EXPECT_EQ(built.find("gone"), std::string::npos) << built;
  EXPECT_EQ(built.find("\n  x"), std::string::npos) << built;
  EXPECT_EQ(positioning, brix::theMenu->itemAtIndex(0));
}

// Containers may nest 512 deep, wherever they are; one more and the text gives no menu at all.
TEST_F(ContextMenus, TheNestingLimitIsNSJSONSerializations) {
  auto nestedUnderAnItem = [](std::size_t levels) {
    // The top-level array and the record are two levels.
    return R"([{"HEADER": "deep", "X": )" + std::string(levels - 2, '[') +
           std::string(levels - 2, ']') + "}]";
  };
  NSMenuItem* positioning = nullptr;
  EXPECT_EQ(titlesOf(brix::buildContextMenu(NSSTR(nestedUnderAnItem(512)), &positioning)),
            std::vector<std::string>{"deep"});
  EXPECT_EQ(brix::buildContextMenu(NSSTR(nestedUnderAnItem(513)), &positioning)->numberOfItems(),
            0);
  EXPECT_EQ(positioning, nullptr);
  // Submenus 255 deep (each an object and its array) and one more.
  for (const int depth : {255, 256}) {
    std::string menu;
    for (int i = 0; i < depth; ++i)
      menu += R"([{"HEADER": "m", "CHILDREN": )";
    menu += "[]";
    for (int i = 0; i < depth; ++i)
      menu += "}]";
    EXPECT_EQ(brix::buildContextMenu(NSSTR(menu), &positioning)->numberOfItems(),
              depth == 255 ? 1 : 0)
        << depth;
  }
}

TEST_F(ContextMenus, TitlesAndIdentitiesOutsideAsciiArriveWhole) {
  recordUpcalls("\xc3\xa9t\xc3\xa9-\xe6\x97\xa5");
  afterDelay(0.01, [] { MenuUser::chooseMenuItem({u"\u00d6ffnen \u65e5\u672c"}); });
  // One title written as it stands, one as \u escapes.
  ASSERT_EQ(show(R"([{"HEADER": "Öffnen \u65e5\u672c", "IDENTITY": "été-日"}])"), 1);
  EXPECT_EQ(item(0)->title()->utf8(), "\xc3\x96"
                                      "ffnen \xe6\x97\xa5\xe6\x9c\xac");
  EXPECT_EQ(drainUpcalls(), "\xc3\xa9t\xc3\xa9-\xe6\x97\xa5");
}

// A lone surrogate raw in the Java string becomes U+FFFD; the rest of its title and every other
// item are built as usual, and the item can still be chosen. Escaped in the JSON, a surrogate
// without its other half makes the text invalid JSON, as Foundation's parser has it: no menu.
TEST_F(ContextMenus, ALoneSurrogateCostsOneCharacterNotTheMenu) {
  const std::string replacement = "\xef\xbf\xbd";
  recordUpcalls(("open" + replacement).c_str());
  // High and low surrogates, at the start and the end of titles and identities.
  const std::u16string raw = u"[{\"HEADER\": \"\xD800"
                             u"Open\", \"IDENTITY\": \"open\xDC00\"},"
                             u" {\"HEADER\": \"-\"}, {\"HEADER\": \"Close\xDBFF\"},"
                             u" {\"HEADER\": \"\xDFFF"
                             u"Quit\", \"IDENTITY\": \"quit\"}]";
  afterDelay(0.01, [] { MenuUser::chooseMenuItem({u"\uFFFDOpen"}); });
  ASSERT_EQ(Java_ixa_IxaDialogs_showMacContextMenuWithJSON(env, nullptr, 10, 20,
                                                           testJavaString(env, raw)),
            1);
  ASSERT_EQ(titlesOf(brix::theMenu),
            (std::vector<std::string>{replacement + "Open", "-", "Close" + replacement,
                                      replacement + "Quit"}));
  EXPECT_EQ(ns_cast<NSString>(item(3)->representedObject())->utf8(), "quit");
  EXPECT_EQ(drainUpcalls(), "open" + replacement);

  for (const char* escaped : {R"([{"HEADER": "\ud800Open"}])", R"([{"HEADER": "Close\udbff"}])",
                              R"([{"HEADER": "\udfffQuit"}])", R"([{"HEADER": "\ud800\u0041"}])"}) {
    EXPECT_EQ(Java_ixa_IxaDialogs_showMacContextMenuWithJSON(env, nullptr, 10, 20, j(escaped)), 1);
    EXPECT_TRUE(titlesOf(brix::theMenu).empty()) << escaped;
  }
  EXPECT_EQ(drainUpcalls(), "");
}

TEST_F(ContextMenus, ASecondMenuCancelsTheFirst) {
  // Held here: the library lets the first menu go once the second has replaced it.
  Ref<NSMenu> first;
  bool firstCancelled = false;
  // A run-loop task, not a main-queue block: a main-queue block running the second menu would
  // hold up the blocks that dismiss it, as libdispatch does.
  NSRunLoop::mainRunLoop().performAsync([&] {
    first = retained(brix::theMenu.get());
    afterDelay(0.01, [&] {
      firstCancelled = first->trackingState().cancelRequested;
      MenuUser::dismissMenu();
    });
    show(R"([{"HEADER": "second"}])");
  });
  ASSERT_EQ(show(R"([{"HEADER": "first"}])"), 1);
  EXPECT_TRUE(firstCancelled);
  EXPECT_FALSE(first->isTracking());
  EXPECT_EQ(titlesOf(brix::theMenu), std::vector<std::string>{"second"});
  // Cancelling a menu that is not open does nothing.
  first->cancelTrackingWithoutAnimation();
  EXPECT_FALSE(first->isTracking());
}

TEST_F(ContextMenus, EscapeDismissesAndAnItemsShortcutChoosesIt) {
  recordUpcalls("quit");
  afterDelay(0.01, [] { MenuUser::pressShortcut(u"Escape", {}); });
  ASSERT_EQ(show(kFileMenu), 1);
  // A shortcut of an item while the menu is open chooses that item.
  afterDelay(0.01, [] { MenuUser::pressShortcut(u"q", {u"command"}); });
  ASSERT_EQ(show(kFileMenu), 1);
  EXPECT_EQ(drainUpcalls(), "quit");
}

} // namespace
