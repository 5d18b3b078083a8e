// Windows of the platform on a real X server: each is a window of its own with the properties a
// window manager reads, at the place its frame says (AppKit's origin at the lower left of the
// screen, X's at the top left), moved by a drag of its title bar, closed by WM_DELETE_WINDOW,
// and key while it holds the X focus.
#include "LiveDisplayFixture.h"
#include "appkit/application/AppKitConstants.h"
#include "appkit/panels/NSAlert.h"
#include "appkit/windows/NSPanel.h"

using namespace live_test;

TEST_F(LiveDisplayTest, TheScreenIsTheServersScreen) {
  EXPECT_STREQ(display->name(), "x11");
  EXPECT_EQ(display->screenFrame(), NSMakeRect(0, 0, 1440, 900));
}

TEST_F(LiveDisplayTest, AWindowIsAnUndecoratedTopLevelWithItsTitleAndFrame) {
  NSWindow* window = makeWindow("Dökument ✓", NSMakeRect(200, 300, 420, 260));
  ASSERT_TRUE(waitUntilShown(window));
  const xcb_window_t id = display->xWindowOf(window->windowNumber());

  EXPECT_EQ(textProperty(id, atom("_NET_WM_NAME")), "Dökument ✓");
  EXPECT_EQ(textProperty(id, XCB_ATOM_WM_NAME), "D\xf6kument ?"); // Latin-1
  EXPECT_EQ(itemsProperty(id, atom("_MOTIF_WM_HINTS")), (std::vector<uint32_t>{2, 0, 0, 0, 0}));
  EXPECT_EQ(itemsProperty(id, atom("WM_PROTOCOLS")),
            std::vector<uint32_t>{atom("WM_DELETE_WINDOW")});
  EXPECT_EQ(itemsProperty(id, atom("_NET_WM_WINDOW_TYPE")),
            std::vector<uint32_t>{atom("_NET_WM_WINDOW_TYPE_NORMAL")});
  EXPECT_EQ(itemsProperty(id, atom("_NET_WM_PID")),
            std::vector<uint32_t>{static_cast<uint32_t>(getpid())});

  auto* geometry = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr);
  ASSERT_NE(geometry, nullptr);
  EXPECT_EQ(geometry->x, 200);
  EXPECT_EQ(geometry->y, 900 - 300 - 260);
  EXPECT_EQ(geometry->width, 420);
  EXPECT_EQ(geometry->height, 260);
  std::free(geometry);
  EXPECT_EQ(focusedWindow(), id) << "a window made key holds the X focus";

  window->setTitle(NSSTR("Renamed"));
  // The display hears of the new title on the run loop.
  serveUntil([&] { return textProperty(id, atom("_NET_WM_NAME")) == "Renamed"; });
  EXPECT_EQ(textProperty(id, atom("_NET_WM_NAME")), "Renamed");
  // Untitled, it goes by the application's name: WM_CLASS's instance, which is not empty.
  window->setTitle(NSSTR(""));
  const std::string wmClass = textProperty(id, XCB_ATOM_WM_CLASS);
  const std::string applicationName = wmClass.substr(0, wmClass.find('\0'));
  ASSERT_FALSE(applicationName.c_str()[0] == '\0') << "WM_CLASS names the application";
  serveUntil([&] { return textProperty(id, atom("_NET_WM_NAME")) != "Renamed"; });
  EXPECT_STREQ(textProperty(id, atom("_NET_WM_NAME")).c_str(), applicationName.c_str());
  window->orderOut(nullptr);
  EXPECT_TRUE(serveUntil([&] { return !isViewable(id); }));
}

TEST_F(LiveDisplayTest, AModalPanelIsADialogTransientForTheKeyWindow) {
  NSWindow* document = makeWindow("Owner", NSMakeRect(100, 100, 500, 400));
  ASSERT_TRUE(waitUntilShown(document));
  Ref<NSPanel> panel = adopted(NSPanel::alloc()->initWithContentRect(
      NSMakeRect(150, 150, 300, 150), NSWindowStyleMaskTitled, NSBackingStoreBuffered, false));
  panel->setReleasedWhenClosed(false);
  panel->setLevel(NSModalPanelWindowLevel);
  panel->makeKeyAndOrderFront(nullptr);
  ASSERT_TRUE(waitUntilShown(panel.get()));
  const xcb_window_t id = display->xWindowOf(panel->windowNumber());

  EXPECT_EQ(itemsProperty(id, XCB_ATOM_WM_TRANSIENT_FOR),
            std::vector<uint32_t>{display->xWindowOf(document->windowNumber())});
  EXPECT_EQ(itemsProperty(id, atom("_NET_WM_WINDOW_TYPE")),
            std::vector<uint32_t>{atom("_NET_WM_WINDOW_TYPE_DIALOG")});
  EXPECT_EQ(itemsProperty(id, atom("_NET_WM_STATE")),
            std::vector<uint32_t>{atom("_NET_WM_STATE_MODAL")});
  // The panel is above its owner: query_tree lists the root's children bottom to top.
  auto* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr);
  ASSERT_NE(tree, nullptr);
  const xcb_window_t* children = xcb_query_tree_children(tree);
  const int count = xcb_query_tree_children_length(tree);
  int panelAt = -1, documentAt = -1;
  for (int i = 0; i < count; ++i) {
    if (children[i] == id) panelAt = i;
    if (children[i] == display->xWindowOf(document->windowNumber())) documentAt = i;
  }
  std::free(tree);
  EXPECT_GT(panelAt, documentAt);
  EXPECT_GE(documentAt, 0);
  panel->close();
}

TEST_F(LiveDisplayTest, DraggingTheTitleBarMovesTheWindowAndItsFrame) {
  NSWindow* window = makeWindow("Drag me", NSMakeRect(300, 300, 400, 250));
  ASSERT_TRUE(waitUntilShown(window));
  const NSPoint onTitleBar = NSMakePoint(200, 250 - kTitleBarHeight / 2);
  const auto start = screenPoint(window, onTitleBar);
  const int toX = std::stoi(start[0]) + 120, toY = std::stoi(start[1]) + 80;
  ASSERT_TRUE(
      xdotool({"mousemove", start[0], start[1], "mousedown", "1", "sleep", "0.1", "mousemove",
               std::to_string(toX - 60), std::to_string(toY - 40), "sleep", "0.1", "mousemove",
               std::to_string(toX), std::to_string(toY), "sleep", "0.1", "mouseup", "1"}));
  // X's y grows downward: 80 pixels down is 80 points lower in AppKit's coordinates.
  EXPECT_TRUE(serveUntil([&] { return window->frame().origin == NSMakePoint(420, 220); }))
      << "frame origin " << window->frame().origin.x << ", " << window->frame().origin.y;
  EXPECT_EQ(window->frame().size, NSMakeSize(400, 250));
}

TEST_F(LiveDisplayTest, TheWindowManagersCloseRequestClosesTheWindow) {
  NSWindow* window = makeWindow("Close me", NSMakeRect(100, 500, 300, 200));
  ASSERT_TRUE(waitUntilShown(window));
  const xcb_window_t id = display->xWindowOf(window->windowNumber());
  // What a window manager sends when its close button is clicked.
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = id;
  message.type = atom("WM_PROTOCOLS");
  message.data.data32[0] = atom("WM_DELETE_WINDOW");
  message.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(connection, 0, id, XCB_EVENT_MASK_NO_EVENT,
                 reinterpret_cast<const char*>(&message));
  xcb_flush(connection);
  EXPECT_TRUE(serveUntil([&] { return window->isClosed(); }));
  EXPECT_TRUE(serveUntil([&] { return !isViewable(id); }));
}

TEST_F(LiveDisplayTest, TheKeyWindowFollowsTheXFocus) {
  NSWindow* first = makeWindow("First", NSMakeRect(100, 100, 300, 200));
  NSWindow* second = makeWindow("Second", NSMakeRect(600, 100, 300, 200));
  ASSERT_TRUE(waitUntilShown(first));
  ASSERT_TRUE(waitUntilShown(second));
  ASSERT_TRUE(second->isKeyWindow());
  const xcb_window_t firstId = display->xWindowOf(first->windowNumber());
  ASSERT_TRUE(xdotool({"windowfocus", std::to_string(firstId)}));
  EXPECT_TRUE(serveUntil([&] { return first->isKeyWindow(); }));

  second->makeKeyAndOrderFront(nullptr);
  EXPECT_TRUE(
      serveUntil([&] { return focusedWindow() == display->xWindowOf(second->windowNumber()); }));
}

TEST_F(LiveDisplayTest, ASheetHangsUnderItsParentsTitleBarAndMovesWithIt) {
  NSWindow* parent = makeWindow("Parent", NSMakeRect(200, 200, 600, 400));
  ASSERT_TRUE(waitUntilShown(parent));
  Ref<NSWindow> sheet = adopted(NSWindow::alloc()->initWithContentRect(
      NSMakeRect(0, 0, 300, 120), NSWindowStyleMaskTitled, NSBackingStoreBuffered, false));
  sheet->setReleasedWhenClosed(false);
  parent->beginSheet(sheet.get(), [](NSModalResponse) {});
  ASSERT_TRUE(waitUntilShown(sheet.get()));
  const xcb_window_t id = display->xWindowOf(sheet->windowNumber());
  EXPECT_EQ(itemsProperty(id, XCB_ATOM_WM_TRANSIENT_FOR),
            std::vector<uint32_t>{display->xWindowOf(parent->windowNumber())});
  EXPECT_EQ(focusedWindow(), id) << "the sheet takes the keyboard";

  // Moved by the user, the parent takes its sheet along.
  const xcb_window_t parentId = display->xWindowOf(parent->windowNumber());
  const uint32_t position[] = {100, 50};
  xcb_configure_window(connection, parentId, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, position);
  xcb_flush(connection);
  ASSERT_TRUE(serveUntil([&] { return parent->frame().origin == NSMakePoint(100, 450); }));
  auto sheetPosition = [&] {
    auto* geometry = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr);
    const std::pair<int, int> at =
        geometry ? std::pair<int, int>{geometry->x, geometry->y} : std::pair<int, int>{-1, -1};
    std::free(geometry);
    return at;
  };
  // Centred under the title bar: x = 100 + (600 - 300) / 2, y = 50 + 28.
  EXPECT_TRUE(serveUntil([&] {
    return sheetPosition() == std::pair<int, int>{250, 78};
  })) << sheetPosition().first
      << ", " << sheetPosition().second;
  parent->endSheet(sheet.get());
}
