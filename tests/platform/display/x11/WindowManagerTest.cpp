// The X11 display under a real window manager (openbox on the suite's own Xvfb, tests/xvfb/
// start-wm). With one running, the manager moves and resizes: a drag of our title bar is handed to
// it with _NET_WM_MOVERESIZE, and full screen is asked of it with _NET_WM_STATE_FULLSCREEN. What
// it changes besides: it reparents each top-level into a frame of its own (with our Motif hints,
// a frame without decorations), so our window's position arrives in synthetic ConfigureNotify
// events in root coordinates, and it writes WM_STATE and _NET_FRAME_EXTENTS.
#include "LiveDisplayFixture.h"
#include "appkit/application/AppKitConstants.h"

using namespace live_test;

namespace {

class WindowManagerTest : public LiveDisplayTest {
protected:
  // The window's parent on the server; the root when no manager framed it.
  xcb_window_t parentOf(xcb_window_t window) {
    auto* reply = xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    const xcb_window_t parent = reply ? reply->parent : XCB_NONE;
    std::free(reply);
    return parent;
  }

  // Where the window is on the screen and how large, in X's terms.
  std::vector<int> rootGeometry(xcb_window_t window) {
    auto* geometry =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr);
    auto* at = xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, window, root, 0, 0), nullptr);
    std::vector<int> result;
    if (geometry && at) result = {at->dst_x, at->dst_y, geometry->width, geometry->height};
    std::free(geometry);
    std::free(at);
    return result;
  }
};

} // namespace

TEST_F(WindowManagerTest, TheManagerFramesOurWindowWithoutDecorations) {
  ASSERT_FALSE(itemsProperty(root, atom("_NET_SUPPORTING_WM_CHECK")).empty()) << "openbox runs";
  NSWindow* window = makeWindow("Framed", NSMakeRect(300, 300, 400, 250));
  ASSERT_TRUE(waitUntilShown(window));
  const xcb_window_t id = display->xWindowOf(window->windowNumber());
  ASSERT_TRUE(serveUntil([&] { return parentOf(id) != root; })) << "the manager reparents it";
  EXPECT_FALSE(itemsProperty(id, atom("WM_STATE")).empty());
  EXPECT_EQ(itemsProperty(id, atom("_NET_FRAME_EXTENTS")), (std::vector<uint32_t>{0, 0, 0, 0}));
  // Placed where the frame says: 900 - 300 - 250 from the top.
  EXPECT_TRUE(serveUntil([&] {
    return rootGeometry(id) == std::vector<int>{300, 350, 400, 250};
  })) << rootGeometry(id)[0]
      << ", " << rootGeometry(id)[1];
  EXPECT_EQ(window->frame(), NSMakeRect(300, 300, 400, 250));
}

TEST_F(WindowManagerTest, DraggingTheTitleBarMovesTheWindowThroughTheManager) {
  NSWindow* window = makeWindow("Drag me", NSMakeRect(300, 300, 400, 250));
  ASSERT_TRUE(waitUntilShown(window));
  const xcb_window_t id = display->xWindowOf(window->windowNumber());
  ASSERT_TRUE(serveUntil([&] { return parentOf(id) != root; }));
  const auto start = screenPoint(window, NSMakePoint(200, 250 - kTitleBarHeight / 2));
  const int toX = std::stoi(start[0]) + 120, toY = std::stoi(start[1]) + 80;
  ASSERT_TRUE(
      xdotool({"mousemove", start[0], start[1], "mousedown", "1", "sleep", "0.2", "mousemove",
               std::to_string(toX - 60), std::to_string(toY - 40), "sleep", "0.2", "mousemove",
               std::to_string(toX), std::to_string(toY), "sleep", "0.2", "mouseup", "1"}));
  EXPECT_TRUE(serveUntil([&] { return window->frame().origin == NSMakePoint(420, 220); }))
      << "frame origin " << window->frame().origin.x << ", " << window->frame().origin.y;
  EXPECT_EQ(rootGeometry(id), (std::vector<int>{420, 430, 400, 250}));
}

TEST_F(WindowManagerTest, FullScreenIsTheManagersAndEndsWhereTheWindowWas) {
  NSWindow* window = makeWindow("Full", NSMakeRect(200, 200, 500, 300));
  ASSERT_TRUE(waitUntilShown(window));
  const xcb_window_t id = display->xWindowOf(window->windowNumber());
  ASSERT_TRUE(serveUntil([&] { return parentOf(id) != root; }));
  const xcb_atom_t state = atom("_NET_WM_STATE"), fullScreen = atom("_NET_WM_STATE_FULLSCREEN");
  window->toggleFullScreen(nullptr);
  EXPECT_TRUE(serveUntil([&] {
    return rootGeometry(id) == std::vector<int>{0, 0, 1440, 900} &&
           window->frame() == NSMakeRect(0, 0, 1440, 900);
  })) << "frame "
      << window->frame().size.width << " x " << window->frame().size.height;
  const auto states = itemsProperty(id, state);
  EXPECT_NE(std::find(states.begin(), states.end(), fullScreen), states.end())
      << "the manager records the state";
  window->toggleFullScreen(nullptr);
  EXPECT_TRUE(serveUntil([&] {
    return rootGeometry(id) == std::vector<int>{200, 400, 500, 300} &&
           window->frame() == NSMakeRect(200, 200, 500, 300);
  })) << "frame "
      << window->frame().origin.x << ", " << window->frame().origin.y;
}
