// Resizing a window from its edges on a screen without a window manager: the edge or corner the
// pointer holds follows it, the opposite ones stay, the window never gets smaller than a title bar
// and a little content, and its frame follows. An alert is centred on the key window.
#include "LiveDisplayFixture.h"
#include "appkit/application/AppKitConstants.h"
#include "appkit/panels/NSAlert.h"

using namespace live_test;

namespace {

// Presses at (x, y) of the screen, drags by (dx, dy) in two steps, releases.
bool dragOnScreen(int x, int y, int dx, int dy) {
  return xdotool({"mousemove", std::to_string(x), std::to_string(y), "mousedown", "1", "sleep",
                  "0.05", "mousemove", std::to_string(x + dx / 2), std::to_string(y + dy / 2),
                  "sleep", "0.05", "mousemove", std::to_string(x + dx), std::to_string(y + dy),
                  "sleep", "0.05", "mouseup", "1"});
}

} // namespace

TEST_F(LiveDisplayTest, DraggingAnEdgeOrCornerResizesTheWindow) {
  NSWindow* window = makeWindow("Resize me", NSMakeRect(300, 300, 400, 250));
  ASSERT_TRUE(waitUntilShown(window));
  // X: 300..699 across, 350..599 down. The bottom-right corner grows it right and down (pressed
  // just inside the rounded corner, which is cut off the window).
  ASSERT_TRUE(dragOnScreen(696, 596, 100, 50));
  EXPECT_TRUE(serveUntil([&] { return window->frame() == NSMakeRect(300, 250, 500, 300); }))
      << NSStringFromRect(window->frame())->utf8();
  // The left edge grows it to the left; its right edge stays.
  ASSERT_TRUE(dragOnScreen(301, 500, -50, 0));
  EXPECT_TRUE(serveUntil([&] { return window->frame() == NSMakeRect(250, 250, 550, 300); }))
      << NSStringFromRect(window->frame())->utf8();
  // Far past the right edge to the left: the smallest width, the right edge where it was.
  ASSERT_TRUE(dragOnScreen(251, 500, 600, 0));
  EXPECT_TRUE(serveUntil([&] { return window->frame() == NSMakeRect(680, 250, 120, 300); }))
      << NSStringFromRect(window->frame())->utf8();
  // The top edge, dragged down past the bottom: the title bar and a little content remain.
  ASSERT_TRUE(dragOnScreen(740, 351, 0, 400));
  EXPECT_TRUE(serveUntil([&] {
    return window->frame() == NSMakeRect(680, 250, 120, kTitleBarHeight + 40);
  })) << NSStringFromRect(window->frame())->utf8();
  // The content follows the frame.
  EXPECT_EQ(window->contentView()->frame().size.width, 120);
}

TEST_F(LiveDisplayTest, APressInsideTheWindowAwayFromItsEdgesResizesNothing) {
  NSWindow* window = makeWindow("Stay", NSMakeRect(300, 300, 400, 250));
  ASSERT_TRUE(waitUntilShown(window));
  ASSERT_TRUE(dragOnScreen(500, 500, 60, 40));
  NSRunLoop::mainRunLoop().runPending();
  serveUntil([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_EQ(window->frame(), NSMakeRect(300, 300, 400, 250));
}

TEST_F(LiveDisplayTest, AnAlertIsCentredOnTheKeyWindow) {
  NSWindow* owner = makeWindow("Owner", NSMakeRect(100, 150, 700, 500));
  ASSERT_TRUE(waitUntilShown(owner));
  Ref<NSAlert> alert = adopted(NSAlert::alloc()->init());
  alert->setMessageText(NSSTR("Centred?"));
  NSRect frame;
  std::optional<std::pair<int, int>> shownAt;
  NSRunLoop::mainRunLoop().performAsync([&] {
    NSWindow* panel = alert->window();
    frame = panel->frame();
    ASSERT_TRUE(waitUntilShown(panel));
    const xcb_window_t id = display->xWindowOf(panel->windowNumber());
    auto* geometry = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr);
    if (geometry) shownAt = std::pair<int, int>{geometry->x, geometry->y};
    std::free(geometry);
    EXPECT_TRUE(xdotool({"key", "Return"}));
  });
  EXPECT_EQ(alert->runModal(), NSAlertFirstButtonReturn);
  EXPECT_NEAR(NSMidX(frame), NSMidX(owner->frame()), 1);
  EXPECT_NEAR(NSMidY(frame), NSMidY(owner->frame()), 1);
  ASSERT_TRUE(shownAt);
  EXPECT_EQ(shownAt->first, static_cast<int>(frame.origin.x));
  EXPECT_EQ(shownAt->second, static_cast<int>(900 - NSMaxY(frame)));
}
