// Submenus of a context menu on the X server: each opens beside its item as a pop-up of its own
// when the pointer rests on the item or Right is pressed, Left closes it again, and a click on
// one of its items chooses that item after every menu has closed.
#include "LiveDisplayFixture.h"
#include "appkit/menus/NSMenu.h"
#include "appkit/menus/NSMenuItem.h"

using namespace live_test;

namespace {

// Records the actions it answers.
class SubmenuRecorder : public NSObject {
  NS_OBJECT_CLASS(SubmenuRecorder)
  std::vector<std::string> actions;

protected:
  std::span<const NSActionEntry> actionTable() const override {
    static const NSActionEntry table[] = {
        {sel("top:"), [](NSObject* r, NSObject*) { record(r, "top:"); }},
        {sel("inner:"), [](NSObject* r, NSObject*) { record(r, "inner:"); }},
        {sel("deep:"), [](NSObject* r, NSObject*) { record(r, "deep:"); }},
    };
    return table;
  }

private:
  static void record(NSObject* receiver, const char* name) {
    static_cast<SubmenuRecorder*>(receiver)->actions.push_back(name);
  }
};

constexpr CGFloat kPadding = 5, kItemHeight = 22;

class SubmenuTest : public LiveDisplayTest {
protected:
  // Top (top:), More ▸ [Inner (inner:), Deeper ▸ [Deep (deep:)]].
  void SetUp() override {
    LiveDisplayTest::SetUp();
    window = makeWindow("Submenus", NSMakeRect(200, 150, 600, 450));
    ASSERT_TRUE(waitUntilShown(window));
    menu = adopted(NSMenu::alloc()->initWithTitle(NSSTR("Context")));
    add(menu.get(), "Top", "top:");
    NSMenuItem* more = menu->addItemWithTitle(NSSTR("More"), nullptr, NSSTR(""));
    inner = adopted(NSMenu::alloc()->initWithTitle(NSSTR("More")));
    add(inner.get(), "Inner", "inner:");
    NSMenuItem* deeper = inner->addItemWithTitle(NSSTR("Deeper"), nullptr, NSSTR(""));
    deep = adopted(NSMenu::alloc()->initWithTitle(NSSTR("Deeper")));
    add(deep.get(), "Deep", "deep:");
    more->setSubmenu(inner.get());
    deeper->setSubmenu(deep.get());
  }

  void add(NSMenu* to, const char* title, const char* action) {
    to->addItemWithTitle(NSSTR(title), sel(action), NSSTR(""))->setTarget(recorder.get());
  }

  // The X geometry of a pop-up (-1 the menu, -2 its open submenu, ...) once it is viewable.
  std::optional<X11Rect> popUpRect(NSInteger number) {
    std::optional<X11Rect> found;
    serveUntil([&] {
      const xcb_window_t id = display->xWindowOf(number);
      if (!isViewable(id)) return false;
      auto* geometry =
          xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr);
      if (geometry) found = X11Rect{geometry->x, geometry->y, geometry->width, geometry->height};
      std::free(geometry);
      return found.has_value();
    });
    return found;
  }

  // The X position of the middle of a pop-up's row.
  static std::vector<std::string> rowOf(X11Rect popUp, int index) {
    return {std::to_string(popUp.x + 40),
            std::to_string(popUp.y +
                           static_cast<int>(kPadding + kItemHeight * index + kItemHeight / 2))};
  }

  // Pops the menu up and runs body once it holds the grabs; whether an item was chosen.
  bool popUpWhile(const std::function<void()>& body) {
    NSRunLoop::mainRunLoop().performAsync([&] {
      serveUntil([&] { return display->popUpHasGrab(); });
      body();
    });
    return menu->popUpMenuPositioningItem(nullptr, NSMakePoint(60, 380), window->contentView());
  }

  NSWindow* window = nullptr;
  Ref<NSMenu> menu, inner, deep;
  Ref<SubmenuRecorder> recorder = adopted(SubmenuRecorder::alloc()->init());
};

} // namespace

TEST_F(SubmenuTest, RestingOnAnItemOpensItsSubmenuBesideItWhoseItemsAClickChooses) {
  std::optional<X11Rect> root, submenu, deepest;
  xcb_window_t rootId = 0, submenuId = 0;
  std::vector<uint32_t> transientFor;
  const bool chosen = popUpWhile([&] {
    root = popUpRect(-1);
    ASSERT_TRUE(root);
    const auto more = rowOf(*root, 1);
    ASSERT_TRUE(xdotool({"mousemove", more[0], more[1]}));
    submenu = popUpRect(-2);
    ASSERT_TRUE(submenu);
    rootId = display->xWindowOf(-1);
    submenuId = display->xWindowOf(-2);
    transientFor = itemsProperty(submenuId, XCB_ATOM_WM_TRANSIENT_FOR);
    // Along the submenu's first row, then down to Deeper, which opens the third level.
    const auto innerRow = rowOf(*submenu, 0), deeperRow = rowOf(*submenu, 1);
    ASSERT_TRUE(xdotool({"mousemove", innerRow[0], innerRow[1], "sleep", "0.05", "mousemove",
                         deeperRow[0], deeperRow[1]}));
    deepest = popUpRect(-3);
    ASSERT_TRUE(deepest);
    const auto deepRow = rowOf(*deepest, 0);
    ASSERT_TRUE(xdotool({"mousemove", deepRow[0], deepRow[1], "sleep", "0.05", "click", "1"}));
  });
  EXPECT_TRUE(chosen);
  EXPECT_EQ(recorder->actions, std::vector<std::string>{"deep:"});
  ASSERT_TRUE(root && submenu && deepest);
  // Beside the item, overlapping the menu slightly; its first row level with the item's.
  EXPECT_NEAR(submenu->x, root->x + root->width, 4);
  EXPECT_EQ(submenu->y, root->y + static_cast<int>(kItemHeight));
  EXPECT_EQ(deepest->y, submenu->y + static_cast<int>(kItemHeight));
  EXPECT_EQ(transientFor, std::vector<uint32_t>{rootId});
  EXPECT_EQ(display->xWindowOf(-2), 0u) << "every pop-up is gone";
  EXPECT_EQ(display->xWindowOf(-3), 0u);
  EXPECT_FALSE(isViewable(submenuId));
  EXPECT_FALSE(inner->isTracking());
}

TEST_F(SubmenuTest, RightOpensASubmenuAtItsFirstItemAndLeftClosesIt) {
  bool openAfterRight = false, closedAfterLeft = false;
  NSMenuItem* highlightedInside = nullptr;
  const bool chosen = popUpWhile([&] {
    ASSERT_TRUE(xdotool({"key", "Down", "Down", "Right"}));
    openAfterRight = serveUntil([&] { return isViewable(display->xWindowOf(-2)); });
    highlightedInside = inner->trackingState().highlightedItem.get();
    ASSERT_TRUE(xdotool({"key", "Left"}));
    closedAfterLeft = serveUntil([&] { return display->xWindowOf(-2) == 0; });
    // Back in the menu, More is still highlighted: Up then Return chooses Top.
    ASSERT_TRUE(xdotool({"key", "Up", "Return"}));
  });
  EXPECT_TRUE(openAfterRight);
  EXPECT_EQ(highlightedInside, inner->itemAtIndex(0));
  EXPECT_TRUE(closedAfterLeft);
  EXPECT_TRUE(chosen);
  EXPECT_EQ(recorder->actions, std::vector<std::string>{"top:"});
}

TEST_F(SubmenuTest, MovingToAnotherItemClosesTheSubmenuAndAClickOnAParentItemChoosesNothing) {
  bool closedByMoving = false;
  const bool chosen = popUpWhile([&] {
    const std::optional<X11Rect> root = popUpRect(-1);
    ASSERT_TRUE(root);
    const auto more = rowOf(*root, 1), top = rowOf(*root, 0);
    ASSERT_TRUE(xdotool({"mousemove", more[0], more[1]}));
    ASSERT_TRUE(popUpRect(-2));
    ASSERT_TRUE(xdotool({"mousemove", top[0], top[1]}));
    closedByMoving = serveUntil([&] { return display->xWindowOf(-2) == 0; });
    // A click on More opens its submenu again and chooses nothing; Escape then closes all.
    ASSERT_TRUE(xdotool({"mousemove", more[0], more[1], "click", "1"}));
    ASSERT_TRUE(popUpRect(-2));
    ASSERT_TRUE(xdotool({"key", "Escape"}));
  });
  EXPECT_TRUE(closedByMoving);
  EXPECT_FALSE(chosen);
  EXPECT_TRUE(recorder->actions.empty());
}

// A menu taller than the screen scrolls with the real wheel: each notch down shows later rows.
TEST_F(SubmenuTest, TheWheelScrollsAMenuTallerThanTheScreen) {
  menu = adopted(NSMenu::alloc()->initWithTitle(NSSTR("Tall")));
  for (int i = 0; i < 200; ++i)
    add(menu.get(), ("Item " + std::to_string(i)).c_str(), "top:");
  CGFloat before = 0, scrolled = 0;
  popUpWhile([&] {
    const std::optional<X11Rect> tall = popUpRect(-1);
    ASSERT_TRUE(tall);
    before = menu->trackingState().scrollOffset;
    const std::string x = std::to_string(tall->x + 40), y = std::to_string(tall->y + 100);
    ASSERT_TRUE(xdotool({"mousemove", x, y, "click", "5", "click", "5", "click", "5"}));
    serveUntil([&] { return menu->trackingState().scrollOffset >= before + 3 * kItemHeight; });
    scrolled = menu->trackingState().scrollOffset;
    ASSERT_TRUE(xdotool({"key", "Escape"}));
  });
  EXPECT_GE(scrolled - before, 3 * kItemHeight);
}
