// NSMenu and NSMenuItem as a model: AppKit's automatic enabling, the index rules (with clamping
// where AppKit would raise), separators, state, indentation, key equivalents, submenus and the
// ownership of targets, represented objects and submenus; pop-up menus taller than the screen,
// which scroll.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "appkit/application/NSScreen.h"
#include "appkit/controls/FieldEditor.h"
#include "appkit/look/MenuDrawing.h"
#include "appkit/menus/NSMenu.h"
#include "foundation/collections/NSArray.h"
#include "foundation/runloop/NSNotificationCenter.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/runtime/NSCensus.h"
#include "testkit/MenuUser.h"

namespace {

// A target that answers "clickItem:" and counts what reaches it.
class Clicker : public NSObject {
  NS_OBJECT_CLASS(Clicker)
public:
  int clicks = 0;
  NSObject* lastSender = nullptr;

protected:
  std::span<const NSActionEntry> actionTable() const override {
    static const std::array<NSActionEntry, 1> table{
        {{sel("clickItem:"), [](NSObject* self, NSObject* sender) {
            auto* clicker = static_cast<Clicker*>(self);
            ++clicker->clicks;
            clicker->lastSender = sender;
          }}}};
    return table;
  }
};

// A target that answers the action but lets validateMenuItem decide.
class Validator : public Clicker, public NSMenuItemValidation {
public:
  static Validator* alloc() { return new Validator(); }
  bool allow = false;
  bool validateMenuItem(NSMenuItem*) override { return allow; }
};

class MenuModel : public ::testing::Test {
protected:
  NSMenuItem* item(const char* title, SEL action = nullptr, const char* key = "") {
    return static_cast<NSMenuItem*>(
        NSMenuItem::alloc()->initWithTitle(NSSTR(title), action, NSSTR(key))->autorelease());
  }
  NSMenu* menu(const char* title = "") {
    return static_cast<NSMenu*>(NSMenu::alloc()->initWithTitle(NSSTR(title))->autorelease());
  }
  std::string titles(NSMenu* m) {
    std::string out;
    for (const auto& i : m->items())
      out += (i->isSeparatorItem() ? "-" : i->title()->utf8()) + " ";
    return out;
  }

  NSAutoreleasePool pool;
  Ref<Clicker> target = adopted(Clicker::alloc());
};

TEST_F(MenuModel, AutomaticEnablingFollowsActionAndTarget) {
  auto* m = menu();
  auto* noAction = item("No action");
  auto* answered = item("Answered", sel("clickItem:"));
  answered->setTarget(target);
  auto* unanswered = item("Unanswered", sel("other:"));
  unanswered->setTarget(target);
  auto* noTarget = item("No target", sel("clickItem:"));
  for (auto* i : {noAction, answered, unanswered, noTarget})
    m->addItem(i);

  EXPECT_FALSE(noAction->isEnabled());
  EXPECT_TRUE(answered->isEnabled());
  EXPECT_FALSE(unanswered->isEnabled());
  EXPECT_FALSE(noTarget->isEnabled()); // nobody on the responder chain yet
  answered->setAction(nullptr);        // how a context menu disables an item
  EXPECT_FALSE(answered->isEnabled());

  // With a responder chain, a nil target reaches whoever answers the action.
  static Clicker* chainTarget = target;
  NSMenu::setResponderChainLookup([](SEL) -> NSObject* { return chainTarget; });
  EXPECT_TRUE(noTarget->isEnabled());
  NSMenu::setResponderChainLookup(nullptr);

  // Without automatic enabling the stored flag rules.
  m->setAutoenablesItems(false);
  EXPECT_TRUE(noAction->isEnabled());
  noAction->setEnabled(false);
  EXPECT_FALSE(noAction->isEnabled());
}

TEST_F(MenuModel, SubmenusSeparatorsAndValidationAffectEnabling) {
  auto* m = menu();
  auto* parent = item("Parent");
  parent->setSubmenu(menu());
  auto* separator = NSMenuItem::separatorItem();
  auto validator = adopted(Validator::alloc());
  auto* validated = item("Validated", sel("clickItem:"));
  validated->setTarget(validator);
  for (auto* i : {parent, separator, validated})
    m->addItem(i);

  EXPECT_TRUE(parent->isEnabled()); // opens its submenu whatever its action
  EXPECT_FALSE(separator->isEnabled());
  EXPECT_FALSE(validated->isEnabled());
  validator->allow = true;
  EXPECT_TRUE(validated->isEnabled());
}

TEST_F(MenuModel, IndicesClampInsteadOfRaising) {
  auto* m = menu();
  m->addItem(item("B"));
  m->insertItem(item("C"), 100);
  m->insertItem(item("A"), -5);
  m->insertItem(item("AB"), 1);
  EXPECT_EQ(titles(m), "A AB B C ");
  EXPECT_EQ(m->itemAtIndex(4), nullptr);
  EXPECT_EQ(m->itemAtIndex(-1), nullptr);
  m->removeItemAtIndex(9);
  m->removeItemAtIndex(1);
  EXPECT_EQ(titles(m), "A B C ");
  EXPECT_EQ(m->indexOfItem(m->itemWithTitle(NSSTR("C"))), 2);
  EXPECT_EQ(m->indexOfItemWithTitle(NSSTR("missing")), -1);
  EXPECT_EQ(m->itemArray()->count(), 3u);

  // An item belongs to one menu; a second menu refuses it.
  auto* other = menu();
  other->addItem(m->itemAtIndex(0));
  EXPECT_EQ(other->numberOfItems(), 0);
  // A removed item is free again, and an item that outlives its menu forgets it.
  Ref<NSMenuItem> kept(m->itemAtIndex(0));
  m->removeItem(kept);
  EXPECT_EQ(kept->menu(), nullptr);
  other->addItem(kept);
  EXPECT_EQ(kept->menu(), other);
  {
    NSAutoreleasePool inner;
    auto* shortLived = NSMenu::alloc()->init();
    Ref<NSMenuItem> survivor(shortLived->addItemWithTitle(NSSTR("S"), nullptr, NSSTR("")));
    shortLived->release();
    EXPECT_EQ(survivor->menu(), nullptr);
  }
}

TEST_F(MenuModel, SeparatorsStateAndIndentation) {
  auto* first = NSMenuItem::separatorItem();
  auto* second = NSMenuItem::separatorItem();
  EXPECT_NE(first, second);
  EXPECT_TRUE(first->isSeparatorItem());
  EXPECT_EQ(first->title()->length(), 0u);

  auto* i = item("Item");
  EXPECT_EQ(i->state(), NSControlStateValueOff);
  i->setState(NSControlStateValueOn);
  EXPECT_EQ(i->state(), NSControlStateValueOn);
  i->setState(NSControlStateValueMixed);
  EXPECT_EQ(i->state(), -1);
  i->setState(5);
  EXPECT_EQ(i->state(), NSControlStateValueOn);
  i->setState(256); // beyond a byte: still on, not off
  EXPECT_EQ(i->state(), NSControlStateValueOn);
  i->setState(-256);
  EXPECT_EQ(i->state(), NSControlStateValueMixed);

  EXPECT_EQ(i->indentationLevel(), 0);
  for (auto [given, kept] :
       {std::pair{7L, 7L}, {15L, 15L}, {16L, 15L}, {-3L, 0L}, {1L << 40, 15L}}) {
    i->setIndentationLevel(given);
    EXPECT_EQ(i->indentationLevel(), kept) << given;
  }
}

// A menu shows the keys a Linux user presses, in GTK's order.
TEST_F(MenuModel, ShortcutsReadAsTheKeysALinuxUserPresses) {
  const auto label = [&](const char16_t* key, NSEventModifierFlags mask) {
    NSMenuItem* shortcut = item("S", nullptr, "");
    shortcut->setKeyEquivalent(adopted(NSString::newWithCharacters(key)));
    shortcut->setKeyEquivalentModifierMask(mask);
    NSString* text = NSMenuItemShortcutLabel(shortcut);
    return text ? text->utf8() : std::string("(none)");
  };
  EXPECT_EQ(label(u"c", NSEventModifierFlagCommand), "Ctrl+C");
  EXPECT_EQ(label(u"s", NSEventModifierFlagCommand | NSEventModifierFlagShift), "Shift+Ctrl+S");
  EXPECT_EQ(label(u",", NSEventModifierFlagCommand), "Ctrl+,");
  EXPECT_EQ(label(u"h", NSEventModifierFlagCommand | NSEventModifierFlagOption), "Ctrl+Alt+H");
  EXPECT_EQ(label(u"\uF704", NSEventModifierFlagOption), "Alt+F1");
  EXPECT_EQ(label(u"\r", NSEventModifierFlagControl), "Super+Return");
  EXPECT_EQ(label(u"\uF72D", 0), "Page Down");
  EXPECT_EQ(label(u"", NSEventModifierFlagCommand), "(none)");
}

TEST_F(MenuModel, KeyEquivalentsDefaultToCommandAndReachNestedItems) {
  auto* prefs = item("Preferences", sel("clickItem:"), ",");
  prefs->setTarget(target);
  EXPECT_EQ(prefs->keyEquivalentModifierMask(), NSEventModifierFlagCommand);
  EXPECT_TRUE(prefs->matchesKeyEquivalent(NSSTR(","), NSEventModifierFlagCommand));
  EXPECT_FALSE(prefs->matchesKeyEquivalent(NSSTR(","), 0));
  EXPECT_FALSE(prefs->matchesKeyEquivalent(NSSTR(","),
                                           NSEventModifierFlagCommand | NSEventModifierFlagOption));
  EXPECT_TRUE(prefs->matchesKeyEquivalent(NSSTR(","), NSEventModifierFlagCommand |
                                                          NSEventModifierFlagCapsLock));

  auto* upper = item("Upper", nullptr, "A");
  EXPECT_FALSE(upper->matchesKeyEquivalent(NSSTR("a"), NSEventModifierFlagCommand));
  EXPECT_TRUE(upper->matchesKeyEquivalent(NSSTR("A"),
                                          NSEventModifierFlagCommand | NSEventModifierFlagShift));
  auto* question = item("Help", nullptr, "?");
  EXPECT_TRUE(question->matchesKeyEquivalent(NSSTR("?"), NSEventModifierFlagCommand |
                                                             NSEventModifierFlagShift));
  EXPECT_FALSE(item("None")->matchesKeyEquivalent(NSSTR(""), NSEventModifierFlagCommand));

  auto* bar = menu("Main");
  auto* appItem = item("App");
  bar->addItem(appItem);
  auto* appMenu = menu("App");
  appItem->setSubmenu(appMenu);
  appMenu->addItem(prefs);
  auto* press =
      NSEvent::keyEventWithType(NSEventTypeKeyDown, NSZeroPoint, NSEventModifierFlagCommand, 0, 0,
                                nullptr, NSSTR(","), NSSTR(","), false, 43);
  EXPECT_TRUE(bar->performKeyEquivalent(press));
  EXPECT_EQ(target->clicks, 1);
  EXPECT_EQ(target->lastSender, prefs);
  prefs->setAction(nullptr); // a disabled item does not take its key equivalent
  EXPECT_FALSE(bar->performKeyEquivalent(press));
  EXPECT_EQ(target->clicks, 1);
}

TEST_F(MenuModel, SubmenusKnowTheirParents) {
  auto* top = menu("Top");
  auto* parent = item("Parent");
  auto* sub = menu();
  parent->setSubmenu(sub); // before the parent joins a menu, as a context menu builds it
  top->addItem(parent);
  auto* child = sub->addItemWithTitle(NSSTR("Child"), nullptr, NSSTR(""));
  EXPECT_EQ(sub->supermenu(), top);
  EXPECT_EQ(sub->parentItem(), parent);
  EXPECT_EQ(child->parentItem(), parent);
  EXPECT_EQ(parent->parentItem(), nullptr);
  EXPECT_EQ(top->indexOfItemWithSubmenu(sub), 0);

  // A submenu serves one item only.
  auto* thief = item("Thief");
  thief->setSubmenu(sub);
  EXPECT_FALSE(thief->hasSubmenu());

  // No menu may end up below itself, or walks over the tree would never end: neither by giving
  // an item a submenu from above it, nor by inserting an item below its own submenu.
  auto* loop = item("Loop");
  sub->addItem(loop);
  loop->setSubmenu(top);
  EXPECT_FALSE(loop->hasSubmenu());
  auto* holder = item("Holder");
  auto* holderMenu = menu();
  holder->setSubmenu(holderMenu);
  auto* middle = holderMenu->addItemWithTitle(NSSTR("Middle"), nullptr, NSSTR(""));
  auto* lower = menu();
  middle->setSubmenu(lower);
  lower->addItem(holder);
  EXPECT_EQ(holder->menu(), nullptr);
  EXPECT_EQ(lower->numberOfItems(), 0);

  auto* viaMenu = item("Via menu");
  top->addItem(viaMenu);
  top->setSubmenu(menu(), viaMenu);
  EXPECT_EQ(viaMenu->action(), sel("submenuAction:"));
}

TEST_F(MenuModel, AnItemNamesTheMenuHoldingItUntilItLeavesOrTheMenuGoes) {
  auto* kept = item("Kept");
  auto* removed = item("Removed");
  {
    auto first = adopted(NSMenu::alloc()->initWithTitle(NSSTR("First")));
    first->addItem(kept);
    first->addItem(removed);
    first->addItemWithTitle(NSSTR("Going"), nullptr, NSSTR(""));
    EXPECT_EQ(kept->menu(), first.get());
    first->removeItem(removed);
    EXPECT_EQ(removed->menu(), nullptr);
    EXPECT_EQ(kept->menu(), first.get());
  } // the menu goes; the pool still holds the item
  EXPECT_EQ(kept->menu(), nullptr);
  EXPECT_EQ(kept->parentItem(), nullptr);
  auto* second = menu("Second");
  second->addItem(kept); // free to join another menu
  EXPECT_EQ(kept->menu(), second);
  EXPECT_EQ(second->numberOfItems(), 1);
}

TEST_F(MenuModel, TargetsAreNotRetainedButRepresentedObjectsAndSubmenusAre) {
  auto* i = item("Item", sel("clickItem:"));
  const auto targetCount = target->retainCount();
  i->setTarget(target);
  EXPECT_EQ(target->retainCount(), targetCount);

  auto* identity = NSString::alloc()->initWithUTF16(u"IDENTITY");
  i->setRepresentedObject(identity);
  identity->release();
  EXPECT_TRUE(ns_cast<NSString>(i->representedObject())->isEqualToString(NSSTR("IDENTITY")));

  auto* sub = NSMenu::alloc()->init();
  i->setSubmenu(sub);
  EXPECT_EQ(sub->retainCount(), 2u);
  sub->release();
  EXPECT_EQ(i->submenu(), sub);

  // Titles and key equivalents are copied, so later edits of the caller's string do not leak in.
  auto* title = NSMutableString::stringWithString(NSSTR("Before"));
  i->setTitle(title);
  title->setString(NSSTR("After"));
  EXPECT_TRUE(i->title()->isEqualToString(NSSTR("Before")));
}

TEST_F(MenuModel, HandedOverReferencesAreTakenWithoutAnotherRetain) {
  auto title = adopted(NSString::newWithCharacters(u"Title"));
  NSString* titleObject = title;
  auto identity = adopted(NSString::newWithCharacters(u"IDENTITY"));
  NSString* identityObject = identity;
  auto shortcut = adopted(NSString::newWithCharacters(u"k"));
  NSString* shortcutObject = shortcut;
  auto made = adopted(NSMenuItem::alloc()->initWithTitle(std::move(title), nullptr, NSSTR("")));
  NSMenuItem* item = made;
  item->setRepresentedObject(std::move(identity));
  item->setKeyEquivalent(std::move(shortcut));
  EXPECT_FALSE(title || identity || shortcut); // the item holds them now
  EXPECT_EQ(item->title(), titleObject);
  EXPECT_EQ(titleObject->retainCount(), 1u);
  EXPECT_EQ(item->representedObject(), identityObject);
  EXPECT_EQ(identityObject->retainCount(), 1u);
  EXPECT_EQ(item->keyEquivalent(), shortcutObject);
  EXPECT_EQ(shortcutObject->retainCount(), 1u);

  auto* m = menu();
  m->addItem(std::move(made));
  EXPECT_FALSE(made);
  EXPECT_EQ(item->retainCount(), 1u);
  EXPECT_EQ(item->menu(), m);

  // A mutable title is still copied when it is handed over.
  auto mutableTitle = Ref<NSString>(NSMutableString::stringWithString(NSSTR("Before")));
  auto* mutableObject = static_cast<NSMutableString*>(mutableTitle.get());
  auto copied =
      adopted(NSMenuItem::alloc()->initWithTitle(std::move(mutableTitle), nullptr, nullptr));
  mutableObject->setString(NSSTR("After"));
  EXPECT_TRUE(copied->title()->isEqualToString(NSSTR("Before")));
}

TEST_F(MenuModel, PerformActionSendsTheItemAsSender) {
  auto* m = menu();
  auto* i = m->addItemWithTitle(NSSTR("Go"), sel("clickItem:"), NSSTR(""));
  i->setTarget(target);
  m->addItem(item("Inert"));
  m->performActionForItemAtIndex(0);
  m->performActionForItemAtIndex(1);
  m->performActionForItemAtIndex(7);
  EXPECT_EQ(target->clicks, 1);
  EXPECT_EQ(target->lastSender, i);
}

TEST_F(MenuModel, PopUpTracksUntilDismissedOrChosen) {
  auto* m = menu("Contextual Menu");
  auto* first = m->addItemWithTitle(NSSTR("First"), nullptr, NSSTR(""));
  auto* go = m->addItemWithTitle(NSSTR("Go"), sel("clickItem:"), NSSTR(""));
  go->setTarget(target);
  // Served by the menu's own tracking loop, once it is open.
  NSRunLoop::mainRunLoop().performAsync([m, first] {
    EXPECT_TRUE(m->isTracking());
    EXPECT_FALSE(m->chooseItemDuringTracking(first)); // no action: disabled
    m->cancelTrackingWithoutAnimation();
  });
  EXPECT_FALSE(m->popUpMenuPositioningItem(first, NSMakePoint(10, 20), nullptr));
  EXPECT_EQ(MenuUser::lastContextMenu(), m);
  EXPECT_EQ(m->trackingState().positioningItem.get(), first);
  EXPECT_EQ(m->trackingState().location, NSMakePoint(10, 20));
  EXPECT_FALSE(m->isTracking());
  m->cancelTrackingWithoutAnimation(); // not tracked: nothing happens
  EXPECT_FALSE(m->chooseItemDuringTracking(go));
  EXPECT_EQ(target->clicks, 0);

  // Tracking is announced as it starts and as it ends, before the chosen item's action.
  std::vector<std::string> heard;
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  auto note = [&](NSNotification* notification) {
    heard.push_back(std::string(notification->name()) + (notification->object() == m ? "" : "?") +
                    " after " + std::to_string(target->clicks) + " clicks");
  };
  NSObject* began = center->addObserverForName(NSMenuDidBeginTrackingNotification, nullptr, note);
  NSObject* ended = center->addObserverForName(NSMenuDidEndTrackingNotification, nullptr, note);
  NSRunLoop::mainRunLoop().performAsync([m, go] { EXPECT_TRUE(m->chooseItemDuringTracking(go)); });
  EXPECT_TRUE(m->popUpMenuPositioningItem(nullptr, NSMakePoint(0, 0), nullptr));
  center->removeObserver(began);
  center->removeObserver(ended);
  EXPECT_EQ(target->clicks, 1);
  EXPECT_EQ(target->lastSender, go);
  EXPECT_EQ(heard, (std::vector<std::string>{"NSMenuDidBeginTrackingNotification after 0 clicks",
                                             "NSMenuDidEndTrackingNotification after 0 clicks"}));
}

// A menu taller than the screen's visible frame keeps to it and shows part of its rows, with a
// scroll arrow at each end where more lie out of view; the wheel, resting on an arrow and the
// arrow keys scroll it, as AppKit's menus do. A menu that fits is placed as before.
class MenuScrolling : public MenuModel {
protected:
  // "Item 0" ... "Item count-1", each sending clickItem: to the target.
  NSMenu* menuOf(int count) {
    auto* m = menu("Contextual Menu");
    for (int i = 0; i < count; ++i)
      m->addItemWithTitle(NSString::stringWithUTF8String(("Item " + std::to_string(i)).c_str()),
                          sel("clickItem:"), NSSTR(""))
          ->setTarget(target);
    return m;
  }
  // Pops m up with its first item at a screen location, runs body inside its tracking loop and
  // dismisses it.
  bool whileOpen(NSMenu* m, NSPoint location, const std::function<void()>& body) {
    NSRunLoop::mainRunLoop().performAsync([m, &body] {
      body();
      m->cancelTrackingWithoutAnimation();
    });
    return m->popUpMenuPositioningItem(m->itemAtIndex(0), location, nullptr);
  }
  // Hands an event at a point of the open menu's window (y from its bottom) to the tracking.
  static void send(NSMenu* m, NSEventType type, CGFloat y, CGFloat wheelLines = 0) {
    const NSPoint point = NSMakePoint(NSOpenMenuFrame(m).size.width / 2, y);
    const NSInteger window = m->trackingState().popUpNumber;
    NSRunLoop::mainRunLoop().postEvent(
        type == NSEventTypeScrollWheel
            ? NSEvent::scrollWheelEvent(point, 0, 0, window, 0, wheelLines)
            : NSEvent::mouseEventWithType(type, point, 0, 0, window, nullptr, 0, 0, 0));
    NSRunLoop::mainRunLoop().runPending();
  }
  static NSUInteger firstShown(NSMenu* m) { return NSOpenMenuVisibleItems(m).location; }
  static bool shows(NSMenu* m, NSOpenMenuScrollArrow arrow) {
    return NSOpenMenuShowsScrollArrow(m, arrow);
  }
};

TEST_F(MenuScrolling, ATallMenuKeepsToTheScreenAndScrollsByWheelArrowAndKeys) {
  NSMenu* m = menuOf(200);
  const NSRect visible = NSScreen::mainScreen()->visibleFrame();
  whileOpen(m, NSMakePoint(200, 700), [&] {
    const NSRect frame = NSOpenMenuFrame(m);
    EXPECT_EQ(frame.origin.y, NSMinY(visible)) << NSStringFromRect(frame)->utf8();
    EXPECT_EQ(frame.size.height, visible.size.height);
    EXPECT_TRUE(shows(m, NSOpenMenuScrollArrow::Bottom));
    EXPECT_FALSE(shows(m, NSOpenMenuScrollArrow::Top));
    EXPECT_EQ(firstShown(m), 0u);
    // The bottom arrow's band hides the rows behind it from the pointer.
    EXPECT_EQ(NSOpenMenuItemAtPoint(m, NSMakePoint(NSMidX(frame), NSMinY(frame) + 4)), nullptr);

    // Three lines of the wheel towards the end.
    send(m, NSEventTypeScrollWheel, frame.size.height / 2, -3);
    const NSUInteger afterWheel = firstShown(m);
    EXPECT_GT(afterWheel, 0u);
    EXPECT_TRUE(shows(m, NSOpenMenuScrollArrow::Top));
    // Resting on the bottom arrow scrolls on by itself, until the pointer leaves it.
    send(m, NSEventTypeMouseMoved, 4);
    EXPECT_TRUE(
        NSRunLoop::mainRunLoop().runUntil([&] { return firstShown(m) >= afterWheel + 3; },
                                          NSRunLoop::Clock::now() + std::chrono::seconds(5)));
    send(m, NSEventTypeMouseMoved, frame.size.height / 2);
    const NSUInteger rested = firstShown(m);
    NSRunLoop::mainRunLoop().runForSeconds(0.15);
    EXPECT_EQ(firstShown(m), rested);

    // Down from the last item in view brings the next one into view.
    const NSRange shown = NSOpenMenuVisibleItems(m);
    const NSUInteger last = shown.location + shown.length - 1;
    m->highlightItemDuringTracking(m->itemAtIndex(static_cast<NSInteger>(last)));
    const char16_t down[] = {NSKey::DownArrow, 0};
    NSRunLoop::mainRunLoop().postEvent(NSEvent::keyEventWithType(
        NSEventTypeKeyDown, NSZeroPoint, 0, 0, 0, nullptr, NSString::stringWithCharacters(down, 1),
        NSString::stringWithCharacters(down, 1), false, 125));
    NSRunLoop::mainRunLoop().runPending();
    EXPECT_EQ(m->trackingState().highlightedItem.get(),
              m->itemAtIndex(static_cast<NSInteger>(last + 1)));
    const NSRange scrolled = NSOpenMenuVisibleItems(m);
    EXPECT_EQ(scrolled.location + scrolled.length, last + 2);
  });
}

// A key typed at a moment (seconds) into the open menu.
void typeKey(char16_t key, NSTimeInterval at) {
  NSString* characters = NSString::stringWithCharacters(&key, 1);
  NSRunLoop::mainRunLoop().postEvent(NSEvent::keyEventWithType(
      NSEventTypeKeyDown, NSZeroPoint, 0, at, 0, nullptr, characters, characters, false, 0));
  NSRunLoop::mainRunLoop().runPending();
}

TEST_F(MenuScrolling, HomeEndAndTypedLettersPickEnabledItems) {
  NSMenu* tall = menuOf(200);
  whileOpen(tall, NSMakePoint(200, 700), [&] {
    typeKey(NSKey::End, 1);
    EXPECT_EQ(tall->trackingState().highlightedItem.get(), tall->itemAtIndex(199));
    const NSRange shown = NSOpenMenuVisibleItems(tall);
    EXPECT_EQ(shown.location + shown.length, 200u);
    typeKey(NSKey::Home, 2);
    EXPECT_EQ(tall->trackingState().highlightedItem.get(), tall->itemAtIndex(0));
    EXPECT_EQ(firstShown(tall), 0u);
  });

  NSMenu* m = menu("Edit");
  for (const char* title : {"Copy", "Cut", "-", "Delete", "Duplicate", "Paste"}) {
    if (title[0] == '-') {
      m->addItem(NSMenuItem::separatorItem());
      continue;
    }
    NSMenuItem* item =
        m->addItemWithTitle(NSString::stringWithUTF8String(title), sel("clickItem:"), NSSTR(""));
    item->setTarget(target);
    item->setEnabled(std::string_view(title) != "Delete");
  }
  m->setAutoenablesItems(false);
  auto highlighted = [&] { return m->trackingState().highlightedItem.get(); };
  EXPECT_TRUE(whileOpen(m, NSMakePoint(100, 500), [&] {
    typeKey(u'd', 10); // Delete is disabled
    EXPECT_EQ(highlighted(), m->itemAtIndex(4));
    typeKey(u'p', 10.2); // "dp" begins no title: the highlight stays
    EXPECT_EQ(highlighted(), m->itemAtIndex(4));
    typeKey(u'C', 12); // after a pause, a new word; any case
    EXPECT_EQ(highlighted(), m->itemAtIndex(0));
    typeKey(u'c', 12.1); // the same letter again: the next item it begins, round again
    EXPECT_EQ(highlighted(), m->itemAtIndex(1));
    typeKey(u'c', 12.2);
    EXPECT_EQ(highlighted(), m->itemAtIndex(0));
    typeKey(u'c', 14);
    typeKey(u'u', 14.1);
    EXPECT_EQ(highlighted(), m->itemAtIndex(1));
    typeKey(NSKey::Return, 14.2);
  }));
  EXPECT_EQ(target->clicks, 1);
  EXPECT_EQ(target->lastSender, m->itemAtIndex(1));
}

TEST_F(MenuScrolling, TheSimulatedUserScrollsToAnItemOutOfViewBeforeChoosingIt) {
  NSMenu* m = menuOf(200);
  bool shownWhenChosen = false;
  EXPECT_TRUE(whileOpen(m, NSMakePoint(200, 700), [&] {
    EXPECT_TRUE(MenuUser::chooseMenuItem({u"Item 180"}));
    const NSRange shown = NSOpenMenuVisibleItems(m);
    shownWhenChosen = shown.location <= 180 && 180 < shown.location + shown.length;
  }));
  EXPECT_TRUE(shownWhenChosen);
  EXPECT_EQ(target->clicks, 1);
  EXPECT_EQ(target->lastSender, m->itemAtIndex(180));
}

TEST_F(MenuScrolling, AMenuThatFitsHasNoArrowsAndMovesUpOnlyToStayOnTheScreen) {
  NSMenu* m = menuOf(3);
  whileOpen(m, NSMakePoint(100, 500), [&] {
    // As placed before: the first item's top-left corner at the location, below the padding.
    EXPECT_EQ(NSOpenMenuFrame(m), NSMakeRect(100, 500 + 5 - 76, NSOpenMenuFrame(m).size.width, 76));
    EXPECT_FALSE(shows(m, NSOpenMenuScrollArrow::Top));
    EXPECT_FALSE(shows(m, NSOpenMenuScrollArrow::Bottom));
    EXPECT_EQ(NSOpenMenuMaximumScrollOffset(m), 0);
    send(m, NSEventTypeScrollWheel, 30, -3);
    EXPECT_EQ(m->trackingState().scrollOffset, 0);
    EXPECT_EQ(NSOpenMenuVisibleItems(m).length, 3u);
  });
  // Opened near the bottom, it moves up onto the screen.
  whileOpen(m, NSMakePoint(100, 20), [&] { EXPECT_EQ(NSOpenMenuFrame(m).origin.y, 0); });
}

TEST_F(MenuScrolling, OpeningAndClosingATallMenuLeavesTheCensusAsItWas) {
  auto openAndClose = [&] {
    NSAutoreleasePool inner;
    NSMenu* m = menuOf(200);
    whileOpen(m, NSMakePoint(200, 700), [&] {
      send(m, NSEventTypeScrollWheel, 400, -3);
      send(m, NSEventTypeMouseMoved, 4); // closes while it scrolls on
    });
    NSRunLoop::mainRunLoop().runForSeconds(0.1);
  };
  // The first run makes what lives on (the screen, fonts); the menu tracked last stays known.
  openAndClose();
  const auto before = NSCensus::snapshot();
  openAndClose();
  openAndClose();
  EXPECT_EQ(NSCensus::snapshot(), before);
}

} // namespace
