// The pointer's shape over text and over a window's edges, as the server shows it (XFixes), and
// the rounded corners cut off the X window (SHAPE).
#include <xcb/shape.h>
#include <xcb/xfixes.h>

#include "LiveDisplayFixture.h"
#include "appkit/controls/NSTextField.h"

using namespace live_test;

namespace {

// The serial of the cursor the server shows now; each cursor has its own.
uint32_t shownCursor(xcb_connection_t* connection) {
  auto* image = xcb_xfixes_get_cursor_image_reply(connection,
                                                  xcb_xfixes_get_cursor_image(connection), nullptr);
  const uint32_t serial = image ? image->cursor_serial : 0;
  std::free(image);
  return serial;
}

} // namespace

TEST_F(LiveDisplayTest, ThePointerIsAnIBeamOverTextAndAnArrowAtTheEdges) {
  std::free(xcb_xfixes_query_version_reply(connection, xcb_xfixes_query_version(connection, 4, 0),
                                           nullptr));
  NSWindow* window = makeWindow("Pointer", NSMakeRect(200, 200, 400, 200));
  Ref<NSTextField> field =
      adopted(NSTextField::alloc()->initWithFrame(NSMakeRect(20, 60, 300, 24)));
  window->contentView()->addSubview(field.get());
  ASSERT_TRUE(waitUntilShown(window));

  auto cursorAt = [&](NSPoint point) {
    std::vector<std::string> move{"mousemove"};
    for (const std::string& coordinate : screenPoint(window, point))
      move.push_back(coordinate);
    EXPECT_TRUE(xdotool(move));
    // The shape follows the motion event through the main thread; wait for it to settle.
    uint32_t last = 0;
    serveUntil(
        [&] {
          const uint32_t now = shownCursor(connection);
          const bool settled = now == last;
          last = now;
          return settled && now != 0;
        },
        std::chrono::milliseconds(300));
    serveUntil([] { return false; }, std::chrono::milliseconds(100));
    return shownCursor(connection);
  };
  const uint32_t plain = cursorAt(NSMakePoint(350, 30));
  const uint32_t text = cursorAt(NSMakePoint(100, 72)); // the middle of the field
  const uint32_t edge = cursorAt(NSMakePoint(399, 100));
  EXPECT_NE(plain, text) << "no I-beam over the field";
  EXPECT_NE(plain, edge) << "no resize arrow at the right edge";
  EXPECT_NE(text, edge);
  EXPECT_EQ(cursorAt(NSMakePoint(350, 30)), plain) << "the arrow comes back";
}

TEST_F(LiveDisplayTest, RoundedCornersAreCutOffTheWindowAndComeBackAfterFullScreen) {
  NSWindow* window = makeWindow("Corners", NSMakeRect(200, 200, 400, 200));
  ASSERT_TRUE(waitUntilShown(window));
  const xcb_window_t id = display->xWindowOf(window->windowNumber());
  // Whether the window's shape covers the pixel (x, y) of the window.
  auto covers = [&](int x, int y) {
    auto* shape = xcb_shape_get_rectangles_reply(
        connection, xcb_shape_get_rectangles(connection, id, XCB_SHAPE_SK_BOUNDING), nullptr);
    bool inside = false;
    const xcb_rectangle_t* rows = shape ? xcb_shape_get_rectangles_rectangles(shape) : nullptr;
    for (int i = 0; shape && i < xcb_shape_get_rectangles_rectangles_length(shape); ++i)
      inside = inside || (x >= rows[i].x && x < rows[i].x + rows[i].width && y >= rows[i].y &&
                          y < rows[i].y + rows[i].height);
    std::free(shape);
    return inside;
  };
  EXPECT_FALSE(covers(0, 0));
  EXPECT_FALSE(covers(399, 199));
  EXPECT_TRUE(covers(200, 0));
  EXPECT_TRUE(covers(0, 100));
  EXPECT_TRUE(covers(200, 100));
  // Full screen is square to its corners; back in its frame, the corners are cut again.
  window->toggleFullScreen(nullptr);
  ASSERT_TRUE(serveUntil([&] { return window->isFullScreen(); }));
  EXPECT_TRUE(serveUntil([&] { return covers(0, 0); }));
  window->toggleFullScreen(nullptr);
  ASSERT_TRUE(serveUntil([&] { return !window->isFullScreen(); }));
  EXPECT_TRUE(serveUntil([&] { return !covers(0, 0) && covers(200, 0); }));
}
