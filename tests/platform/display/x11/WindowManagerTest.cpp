// The X11 display under a real window manager (openbox on the suite's own Xvfb, tests/xvfb/
// start-wm). With one running, the manager moves and resizes: a drag of our title bar is handed to
// it with _NET_WM_MOVERESIZE, and full screen is asked of it with _NET_WM_STATE_FULLSCREEN. What
// it changes besides: it reparents each top-level into a frame of its own (with our Motif hints,
// a frame without decorations), so our window's position arrives in synthetic ConfigureNotify
// events in root coordinates, and it writes WM_STATE and _NET_FRAME_EXTENTS. Our windows tell it
// what they are (a dialog of its parent, a menu it leaves alone) and whose: the application's
// class, process and icon, and the time of the input that led to each.
#include <unistd.h>

#include <algorithm>
#include <string_view>
#include <utility>

#include "LiveDisplayFixture.h"
#include "appkit/application/AppKitConstants.h"
#include "appkit/menus/NSMenu.h"
#include "appkit/panels/NSAlert.h"
#include "appkit/windows/NSHostedWindow.h"

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

  // The server's time now, which a property change on a window of the test's own reports.
  xcb_timestamp_t serverTimeNow() {
    const xcb_window_t probe = xcb_generate_id(connection);
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, probe, root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &events);
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, probe, XCB_ATOM_WM_NAME, XCB_ATOM_STRING,
                        8, 0, nullptr);
    xcb_flush(connection);
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
      if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY)
        time = reinterpret_cast<xcb_property_notify_event_t*>(event)->time;
      std::free(event);
      if (time != XCB_CURRENT_TIME) break;
    }
    xcb_destroy_window(connection, probe);
    return time;
  }

  // The sizes of the images in the window's _NET_WM_ICON: width and height, then the pixels, of
  // each in turn.
  std::vector<std::pair<uint32_t, uint32_t>> iconSizes(xcb_window_t window) {
    constexpr uint32_t kAll = 1 << 20;
    auto* reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, window, atom("_NET_WM_ICON"), XCB_ATOM_CARDINAL, 0, kAll),
        nullptr);
    std::vector<std::pair<uint32_t, uint32_t>> sizes;
    if (reply && reply->format == 32) {
      const auto* items = static_cast<const uint32_t*>(xcb_get_property_value(reply));
      const std::size_t count = static_cast<std::size_t>(xcb_get_property_value_length(reply)) / 4;
      for (std::size_t at = 0; at + 2 <= count; at += 2 + std::size_t{items[at]} * items[at + 1])
        sizes.emplace_back(items[at], items[at + 1]);
    }
    std::free(reply);
    return sizes;
  }
};

} // namespace

// A frame of another toolkit of this process (as a Java VM's are), made by the test's own
// connection, unmapped; the test hears of its reparenting.
xcb_window_t makeToolkitFrame(xcb_connection_t* c, xcb_window_t root, xcb_atom_t pidAtom) {
  const xcb_window_t window = xcb_generate_id(c);
  const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, root, 200, 150, 300, 200, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                    &events);
  const auto pid = static_cast<uint32_t>(getpid());
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, pidAtom, XCB_ATOM_CARDINAL, 32, 1, &pid);
  xcb_flush(c);
  return window;
}

TEST_F(WindowManagerTest, AToolkitsNewFrameIsHostedWithoutTheManagerEverFramingIt) {
  // The first frame is shown in the manager's frame and taken back from it, which tells the
  // display the manager's frame extents; the next one is caught as it is created.
  const xcb_window_t first = makeToolkitFrame(connection, root, atom("_NET_WM_PID"));
  xcb_map_window(connection, first);
  xcb_flush(connection);
  ASSERT_TRUE(serveUntil([&] { return NSHostedWindow::windowHosting(first) != nullptr; }));
  const xcb_window_t second = makeToolkitFrame(connection, root, atom("_NET_WM_PID"));
  serveUntil([&] { return parentOf(second) != root; });
  xcb_map_window(connection, second);
  xcb_flush(connection);
  ASSERT_TRUE(serveUntil([&] { return NSHostedWindow::windowHosting(second) != nullptr; }));
  ASSERT_TRUE(serveUntil([&] { return isViewable(second); }));

  // Every parent each had: the manager's frames are its windows, ours are the display's.
  const uint32_t idMask = xcb_get_setup(connection)->resource_id_mask;
  const xcb_window_t host = parentOf(second);
  auto byTheManager = [&](xcb_window_t parent) {
    return parent != root && (parent & ~idMask) != (host & ~idMask);
  };
  std::vector<xcb_window_t> firstParents, secondParents;
  while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
    if ((event->response_type & 0x7f) == XCB_REPARENT_NOTIFY) {
      const auto* reparent = reinterpret_cast<xcb_reparent_notify_event_t*>(event);
      (reparent->window == first ? firstParents : secondParents).push_back(reparent->parent);
    }
    std::free(event);
  }
  EXPECT_TRUE(std::any_of(firstParents.begin(), firstParents.end(), byTheManager))
      << "the first was in the manager's frame";
  EXPECT_FALSE(secondParents.empty());
  EXPECT_TRUE(std::none_of(secondParents.begin(), secondParents.end(), byTheManager))
      << "the second never was";
  EXPECT_EQ(secondParents.back(), host);
  // Its toolkit learnt the same insets as for the first.
  EXPECT_EQ(itemsProperty(second, atom("_NET_FRAME_EXTENTS")),
            itemsProperty(first, atom("_NET_FRAME_EXTENTS")));
  for (xcb_window_t window : {first, second})
    xcb_destroy_window(connection, window);
  xcb_flush(connection);
  EXPECT_TRUE(serveUntil([&] {
    return !NSHostedWindow::windowHosting(first) && !NSHostedWindow::windowHosting(second);
  }));
}

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
  const auto after = itemsProperty(id, state);
  EXPECT_EQ(std::find(after.begin(), after.end(), fullScreen), after.end());
}

// An alert is a modal dialog of the window it belongs to and, as every window of ours, tells the
// manager whose it is (the application's class, process and icon) and the time of the input that
// led to it, by which a manager lets a new window take the keyboard.
TEST_F(WindowManagerTest, AnAlertIsAModalDialogOfItsWindowWithTheApplicationsHints) {
  NSWindow* parent = makeWindow("Parent", NSMakeRect(200, 200, 600, 400));
  ASSERT_TRUE(waitUntilShown(parent));
  const xcb_window_t parentId = display->xWindowOf(parent->windowNumber());
  const xcb_timestamp_t beforeClick = serverTimeNow();
  const auto inside = screenPoint(parent, NSMakePoint(300, 150));
  ASSERT_TRUE(xdotool({"mousemove", inside[0], inside[1], "click", "1"}));
  Ref<NSAlert> alert = adopted(NSAlert::alloc()->init());
  alert->setMessageText(NSSTR("Replace the file?"));
  xcb_window_t id = 0;
  std::vector<uint32_t> transientFor, type, states, pid, userTime;
  std::vector<std::pair<uint32_t, uint32_t>> icon;
  std::string wmClass;
  bool focused = false;
  NSRunLoop::mainRunLoop().performAsync([&] {
    id = display->xWindowOf(alert->window()->windowNumber());
    // The manager gives it the keyboard as it maps it.
    focused = serveUntil([&] { return focusedWindow() == id; });
    transientFor = itemsProperty(id, XCB_ATOM_WM_TRANSIENT_FOR);
    type = itemsProperty(id, atom("_NET_WM_WINDOW_TYPE"));
    states = itemsProperty(id, atom("_NET_WM_STATE"));
    wmClass = textProperty(id, XCB_ATOM_WM_CLASS);
    pid = itemsProperty(id, atom("_NET_WM_PID"));
    userTime = itemsProperty(id, atom("_NET_WM_USER_TIME"));
    icon = iconSizes(id);
    app->abortModal();
  });
  alert->runModal();
  EXPECT_TRUE(focused);
  EXPECT_EQ(transientFor, std::vector<uint32_t>{parentId});
  EXPECT_EQ(type, std::vector<uint32_t>{atom("_NET_WM_WINDOW_TYPE_DIALOG")});
  EXPECT_NE(std::find(states.begin(), states.end(), atom("_NET_WM_STATE_MODAL")), states.end());
  // Named after the main bundle, Ixa.app: instance and class.
  EXPECT_EQ(wmClass, std::string_view("Ixa\0Ixa\0", 8));
  EXPECT_EQ(pid, std::vector<uint32_t>{static_cast<uint32_t>(getpid())});
  // Ixa.icns holds 16, 32, 48, 128, 256 and 512 pixels square; 512 is left out.
  EXPECT_EQ(icon, (std::vector<std::pair<uint32_t, uint32_t>>{
                      {256, 256}, {128, 128}, {48, 48}, {32, 32}, {16, 16}}));
  ASSERT_EQ(userTime.size(), 1u);
  EXPECT_GE(static_cast<int32_t>(userTime[0] - beforeClick), 0) << "the time of the click";
}

TEST_F(WindowManagerTest, AContextMenuIsAPopUpMenuTheManagerLeavesAlone) {
  NSWindow* window = makeWindow("Menus", NSMakeRect(300, 200, 500, 400));
  ASSERT_TRUE(waitUntilShown(window));
  Ref<NSMenu> menu = adopted(NSMenu::alloc()->initWithTitle(NSSTR("Context")));
  menu->addItemWithTitle(NSSTR("Alpha"), nullptr, NSSTR(""));
  std::vector<uint32_t> type, transientFor;
  xcb_window_t parent = XCB_NONE;
  NSRunLoop::mainRunLoop().performAsync([&] {
    const xcb_window_t popUp = display->xWindowOf(-1);
    serveUntil([&] { return isViewable(popUp); });
    type = itemsProperty(popUp, atom("_NET_WM_WINDOW_TYPE"));
    transientFor = itemsProperty(popUp, XCB_ATOM_WM_TRANSIENT_FOR);
    parent = parentOf(popUp);
    menu->cancelTrackingWithoutAnimation();
  });
  menu->popUpMenuPositioningItem(nullptr, NSMakePoint(40, 300), window->contentView());
  EXPECT_EQ(type, std::vector<uint32_t>{atom("_NET_WM_WINDOW_TYPE_POPUP_MENU")});
  EXPECT_EQ(transientFor, std::vector<uint32_t>{display->xWindowOf(window->windowNumber())});
  EXPECT_EQ(parent, root) << "never framed";
}
