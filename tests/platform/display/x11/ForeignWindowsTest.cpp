// Windows of another toolkit in this process, as a Java VM's frames are: the test's own
// connection plays that toolkit, making top-level windows with this process's _NET_WM_PID. The
// application adopts each shown one into a window that hosts it under a title bar of ours and
// follows what the toolkit does to it.
#include "LiveDisplayFixture.h"
#include "appkit/application/AppKitConstants.h"
#include "appkit/windows/NSHostedWindow.h"
#include "foundation/runtime/NSCensus.h"

using namespace live_test;

namespace {

class ForeignWindowsTest : public LiveDisplayTest {
protected:
  void TearDown() override {
    for (xcb_window_t window : made)
      xcb_destroy_window(connection, window);
    xcb_flush(connection);
    serveUntil([&] {
      for (xcb_window_t window : made)
        if (NSHostedWindow::windowHosting(window)) return false;
      return true;
    });
    LiveDisplayTest::TearDown();
  }

  // A top-level window as the other toolkit makes one: at (x, y) of the root, w x h pixels,
  // titled, with this process's id (or another), shown unless said otherwise.
  xcb_window_t makeForeign(const char* title, int x, int y, int w, int h, bool show = true,
                           uint32_t pid = static_cast<uint32_t>(getpid()),
                           bool overrideRedirect = false) {
    const xcb_window_t window = xcb_generate_id(connection);
    const uint32_t values[] = {overrideRedirect ? 1u : 0u,
                               XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, root, static_cast<int16_t>(x),
                      static_cast<int16_t>(y), static_cast<uint16_t>(w), static_cast<uint16_t>(h),
                      0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    setTitle(window, title);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_PID"),
                        XCB_ATOM_CARDINAL, 32, 1, &pid);
    const xcb_atom_t protocols[] = {atom("WM_DELETE_WINDOW")};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom("WM_PROTOCOLS"),
                        XCB_ATOM_ATOM, 32, 1, protocols);
    if (show) xcb_map_window(connection, window);
    xcb_flush(connection);
    made.push_back(window);
    return window;
  }

  void setTitle(xcb_window_t window, const char* title) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_NAME"),
                        atom("UTF8_STRING"), 8, static_cast<uint32_t>(std::strlen(title)), title);
    xcb_flush(connection);
  }

  NSHostedWindow* waitForHost(xcb_window_t window) {
    serveUntil([&] { return NSHostedWindow::windowHosting(window) != nullptr; });
    return NSHostedWindow::windowHosting(window);
  }

  xcb_window_t parentOf(xcb_window_t window) {
    auto* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    const xcb_window_t parent = tree ? tree->parent : XCB_NONE;
    std::free(tree);
    return parent;
  }

  X11Rect geometryOf(xcb_window_t window) {
    auto* reply = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr);
    X11Rect rect;
    if (reply) rect = {reply->x, reply->y, reply->width, reply->height};
    std::free(reply);
    return rect;
  }

  // The events the toolkit's connection received, served while they come in.
  std::vector<xcb_generic_event_t*>
  eventsUntil(const std::function<bool(xcb_generic_event_t*)>& wanted) {
    std::vector<xcb_generic_event_t*> events;
    serveUntil([&] {
      while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
        events.push_back(event);
        if (wanted(event)) return true;
      }
      return false;
    });
    return events;
  }

  static void freeAll(std::vector<xcb_generic_event_t*>& events) {
    for (auto* event : events)
      std::free(event);
    events.clear();
  }

  std::vector<xcb_window_t> made;
};

} // namespace

TEST_F(ForeignWindowsTest, AShownWindowOfThisProcessIsHostedUnderATitleBarOfOurs) {
  const xcb_window_t doc = makeForeign("Doc ✓", 300, 200, 400, 200);
  NSHostedWindow* window = waitForHost(doc);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->title()->isEqualToString(NSSTR("Doc ✓")));
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(window->isKeyWindow());
  // The content stays where it was on screen; our title bar sits above it.
  EXPECT_EQ(window->frame(), NSMakeRect(300, 900 - 200 - 200, 400, 200 + kTitleBarHeight));
  EXPECT_EQ(window->hostedView()->rectInWindow(), NSMakeRect(0, 0, 400, 200));
  ASSERT_TRUE(
      serveUntil([&] { return parentOf(doc) == display->xWindowOf(window->windowNumber()); }));
  EXPECT_EQ(geometryOf(doc), (X11Rect{0, 28, 400, 200}));
  const xcb_window_t host = display->xWindowOf(window->windowNumber());
  EXPECT_EQ(geometryOf(host), (X11Rect{300, 172, 400, 228}));
  // Its frame's extents (left, right, top, bottom), from which its toolkit takes its insets.
  EXPECT_EQ(itemsProperty(doc, atom("_NET_FRAME_EXTENTS")), (std::vector<uint32_t>{0, 0, 28, 0}));
  // Told where it is on the root, as a window manager tells its clients.
  std::vector<xcb_generic_event_t*> events = eventsUntil([&](xcb_generic_event_t* event) {
    const auto* configure = reinterpret_cast<xcb_configure_notify_event_t*>(event);
    return event->response_type == (XCB_CONFIGURE_NOTIFY | 0x80) && configure->window == doc &&
           configure->x == 300 && configure->y == 200;
  });
  EXPECT_FALSE(events.empty());
  freeAll(events);
  EXPECT_EQ(focusedWindow(), doc) << "the key window's keyboard focus goes to the hosted window";
}

TEST_F(ForeignWindowsTest, OurWindowsTakeTheToolkitsWindowClassToGroupWithItsWindows) {
  const xcb_window_t frame = makeForeign("Frame", 300, 200, 400, 200, /*show=*/false);
  const char wmClass[] = "sun-awt-X11-XFramePeer\0p-Frm";
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, frame, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING,
                      8, sizeof wmClass, wmClass);
  xcb_map_window(connection, frame);
  xcb_flush(connection);
  NSHostedWindow* host = waitForHost(frame);
  ASSERT_NE(host, nullptr);
  const std::string hostClass =
      textProperty(display->xWindowOf(host->windowNumber()), XCB_ATOM_WM_CLASS);
  // The instance stays the application's name; the class is the toolkit's.
  const std::size_t end = hostClass.find('\0');
  ASSERT_NE(end, std::string::npos);
  EXPECT_FALSE(hostClass.substr(0, end).empty());
  EXPECT_EQ(hostClass.substr(end + 1), std::string("p-Frm", 6)) << hostClass;
}

TEST_F(ForeignWindowsTest, HelperWindowsPopUpsAndOtherProcessesWindowsAreNotAdopted) {
  const xcb_window_t hidden = makeForeign("hidden helper", 10, 10, 16, 16, /*show=*/false);
  const xcb_window_t popUp = makeForeign("pop-up", 20, 20, 50, 50, true, getpid(), true);
  const xcb_window_t other = makeForeign("another program", 30, 30, 80, 80, true, getpid() + 1);
  const xcb_window_t doc = makeForeign("Doc", 100, 100, 200, 100);
  ASSERT_NE(waitForHost(doc), nullptr);
  for (xcb_window_t window : {hidden, popUp, other})
    EXPECT_EQ(NSHostedWindow::windowHosting(window), nullptr);
  EXPECT_EQ(parentOf(other), root);
  EXPECT_EQ(parentOf(popUp), root);
}

TEST_F(ForeignWindowsTest, ADialogBelongsToTheWindowThatHostsItsOwner) {
  const xcb_window_t doc = makeForeign("Doc", 100, 100, 400, 300);
  NSHostedWindow* owner = waitForHost(doc);
  ASSERT_NE(owner, nullptr);
  const xcb_window_t dialog = makeForeign("Find", 150, 150, 200, 100, /*show=*/false);
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, dialog, XCB_ATOM_WM_TRANSIENT_FOR,
                      XCB_ATOM_WINDOW, 32, 1, &doc);
  xcb_map_window(connection, dialog);
  xcb_flush(connection);
  NSHostedWindow* window = waitForHost(dialog);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(window->styleMask() & NSWindowStyleMaskResizable);
  const xcb_window_t host = display->xWindowOf(window->windowNumber());
  EXPECT_TRUE(serveUntil([&] {
    return itemsProperty(host, XCB_ATOM_WM_TRANSIENT_FOR) ==
           std::vector<uint32_t>{display->xWindowOf(owner->windowNumber())};
  }));
  EXPECT_EQ(itemsProperty(host, atom("_NET_WM_WINDOW_TYPE")),
            std::vector<uint32_t>{atom("_NET_WM_WINDOW_TYPE_DIALOG")});
}

TEST_F(ForeignWindowsTest, TheWindowFollowsWhatItsToolkitDoes) {
  const xcb_window_t doc = makeForeign("Doc", 200, 150, 300, 200);
  Ref<NSHostedWindow> window(waitForHost(doc));
  ASSERT_TRUE(window);
  ASSERT_TRUE(serveUntil([&] { return parentOf(doc) != root; }));

  setTitle(doc, "Renamed");
  EXPECT_TRUE(serveUntil([&] { return window->title()->isEqualToString(NSSTR("Renamed")); }));

  // A new size: the window grows around it, its top left corner staying where it was.
  const NSRect before = window->frame();
  const uint32_t size[] = {360, 260};
  xcb_configure_window(connection, doc, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
  xcb_flush(connection);
  ASSERT_TRUE(serveUntil([&] { return window->frame().size.width == 360; }));
  EXPECT_EQ(window->frame(), NSMakeRect(before.origin.x, NSMaxY(before) - 260 - kTitleBarHeight,
                                        360, 260 + kTitleBarHeight));
  EXPECT_TRUE(serveUntil([&] { return geometryOf(doc) == X11Rect{0, 28, 360, 260}; }));

  // A new place: the toolkit's frame's corner, which counts our title bar as its top inset (as
  // AWT does), so the window's corner goes there and the content under the bar.
  const uint32_t place[] = {500, 400};
  xcb_configure_window(connection, doc, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, place);
  xcb_flush(connection);
  ASSERT_TRUE(serveUntil([&] { return window->frame().origin.x == 500; }));
  EXPECT_EQ(window->frame(),
            NSMakeRect(500, 900 - 400 - 260 - kTitleBarHeight, 360, 260 + kTitleBarHeight));
  EXPECT_TRUE(serveUntil([&] {
    return geometryOf(display->xWindowOf(window->windowNumber())) == X11Rect{500, 400, 360, 288};
  }));

  // Hidden and shown again by its toolkit.
  xcb_unmap_window(connection, doc);
  xcb_flush(connection);
  EXPECT_TRUE(serveUntil([&] { return !window->isVisible(); }));
  EXPECT_TRUE(serveUntil([&] { return !isViewable(display->xWindowOf(window->windowNumber())); }));
  xcb_map_window(connection, doc);
  xcb_flush(connection);
  EXPECT_TRUE(serveUntil([&] { return window->isVisible() && isViewable(doc); }));

  // Destroyed by its toolkit: the window closes for good.
  xcb_destroy_window(connection, doc);
  xcb_flush(connection);
  EXPECT_TRUE(serveUntil([&] { return window->isClosed(); }));
  EXPECT_EQ(NSHostedWindow::windowHosting(doc), nullptr);
}

TEST_F(ForeignWindowsTest, ClosingAsksTheToolkitWhichDecides) {
  const xcb_window_t doc = makeForeign("Doc", 200, 150, 300, 200);
  NSHostedWindow* window = waitForHost(doc);
  ASSERT_NE(window, nullptr);
  window->performClose(nullptr);
  std::vector<xcb_generic_event_t*> events = eventsUntil([&](xcb_generic_event_t* event) {
    const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
    return (event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && message->window == doc &&
           message->type == atom("WM_PROTOCOLS") &&
           message->data.data32[0] == atom("WM_DELETE_WINDOW");
  });
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back()->response_type & 0x7f, XCB_CLIENT_MESSAGE);
  freeAll(events);
  // The toolkit has not closed it: it stays.
  EXPECT_FALSE(window->isClosed());
  EXPECT_TRUE(window->isVisible());
}

TEST_F(ForeignWindowsTest, TheHostedContentFollowsItsViewAndFullScreen) {
  const xcb_window_t doc = makeForeign("Doc", 200, 150, 300, 200);
  Ref<NSHostedWindow> window(waitForHost(doc));
  ASSERT_TRUE(window);
  ASSERT_TRUE(serveUntil([&] { return geometryOf(doc) == X11Rect{0, 28, 300, 200}; }));
  // The view gives up its top 50 points, as the restyling does (in a turn of the run loop, whose
  // display pass tells the display).
  NSRunLoop::mainRunLoop().performAsync(
      [window] { window->hostedView()->setFrame(NSMakeRect(0, 0, 300, 150)); });
  EXPECT_TRUE(serveUntil([&] { return geometryOf(doc) == X11Rect{0, 78, 300, 150}; }));

  NSRunLoop::mainRunLoop().performAsync([window] {
    window->hostedView()->setFrame(NSMakeRect(0, 0, 300, 200));
    window->toggleFullScreen(nullptr);
  });
  ASSERT_TRUE(serveUntil([&] { return window->isFullScreen(); }));
  EXPECT_TRUE(serveUntil([&] { return geometryOf(doc) == X11Rect{0, 0, 1440, 900}; }));
  window->toggleFullScreen(nullptr);
  EXPECT_TRUE(serveUntil([&] { return geometryOf(doc) == X11Rect{0, 28, 300, 200}; }));
}

TEST_F(ForeignWindowsTest, AdoptingAndLosingWindowsLeavesNoObjectBehind) {
  std::map<std::string, long> before;
  // The first round makes the lasting objects (fonts, images of the title bar); the census
  // after each later round is the census after the first.
  for (int round = 0; round < 4; ++round) {
    const xcb_window_t doc = makeForeign("Doc", 100 + round, 100, 200, 100);
    ASSERT_NE(waitForHost(doc), nullptr);
    xcb_destroy_window(connection, doc);
    xcb_flush(connection);
    ASSERT_TRUE(serveUntil([&] { return NSHostedWindow::windowHosting(doc) == nullptr; }));
    pool.drain();
    NSRunLoop::mainRunLoop().runPending();
    if (round == 0)
      before = NSCensus::snapshot();
    else
      EXPECT_EQ(NSCensus::snapshot(), before) << "after round " << round;
  }
}
