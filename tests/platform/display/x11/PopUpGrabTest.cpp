// A menu whose grab another program keeps from it is never left up dead: it runs without the
// grab while one of our windows has the keyboard focus and closes as the focus moves to another
// program's window, and closes at once when the focus is elsewhere already.
#include "LiveDisplayFixture.h"
#include "appkit/menus/NSMenu.h"
#include "appkit/menus/NSMenuItem.h"

using namespace live_test;

namespace {

class PopUpGrabTest : public LiveDisplayTest {
protected:
  void SetUp() override {
    LiveDisplayTest::SetUp();
    window = makeWindow("Grabbed elsewhere", NSMakeRect(300, 200, 500, 400));
    ASSERT_TRUE(waitUntilShown(window));
    ASSERT_TRUE(
        serveUntil([&] { return focusedWindow() == display->xWindowOf(window->windowNumber()); }));
    menu = adopted(NSMenu::alloc()->initWithTitle(NSSTR("Context")));
    menu->addItemWithTitle(NSSTR("Alpha"), nullptr, NSSTR(""));
    // Another program's window, and that program holding the pointer.
    other = xcb_generate_id(connection);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, other, root, 900, 100, 200, 150, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(connection, other);
    auto* grab = xcb_grab_pointer_reply(
        connection,
        xcb_grab_pointer(connection, 0, root, XCB_EVENT_MASK_BUTTON_PRESS, XCB_GRAB_MODE_ASYNC,
                         XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
        nullptr);
    ASSERT_TRUE(grab && grab->status == XCB_GRAB_STATUS_SUCCESS);
    std::free(grab);
  }

  void TearDown() override {
    xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
    xcb_destroy_window(connection, other);
    xcb_flush(connection);
    LiveDisplayTest::TearDown();
  }

  NSWindow* window = nullptr;
  Ref<NSMenu> menu;
  xcb_window_t other = 0;
};

} // namespace

TEST_F(PopUpGrabTest, WithoutTheGrabTheMenuClosesWhenAnotherProgramTakesTheFocus) {
  bool ranUngrabbed = false, stillOpen = false;
  NSRunLoop::mainRunLoop().performAsync([&] {
    ranUngrabbed = serveUntil([&] { return display->popUpRunsUngrabbed(); });
    stillOpen = menu->isTracking() && isViewable(display->xWindowOf(-1));
    EXPECT_TRUE(xdotool({"windowfocus", std::to_string(other)}));
  });
  const auto started = Clock::now();
  EXPECT_FALSE(
      menu->popUpMenuPositioningItem(nullptr, NSMakePoint(50, 300), window->contentView()));
  EXPECT_LT(Clock::now() - started, kLimit);
  EXPECT_TRUE(ranUngrabbed);
  EXPECT_TRUE(stillOpen) << "the menu stays usable while our window has the focus";
  EXPECT_FALSE(display->popUpRunsUngrabbed());
  EXPECT_EQ(display->xWindowOf(-1), 0u);
}

TEST_F(PopUpGrabTest, WithoutTheGrabAndTheFocusTheMenuCloses) {
  ASSERT_TRUE(xdotool({"windowfocus", std::to_string(other)}));
  ASSERT_TRUE(serveUntil([&] { return focusedWindow() == other; }));
  const auto started = Clock::now();
  EXPECT_FALSE(
      menu->popUpMenuPositioningItem(nullptr, NSMakePoint(50, 300), window->contentView()));
  EXPECT_LT(Clock::now() - started, kLimit);
  EXPECT_EQ(display->xWindowOf(-1), 0u);
  EXPECT_FALSE(display->popUpRunsUngrabbed());
}
