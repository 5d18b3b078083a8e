// Real keyboard and mouse on the X server reach the platform as the simulated user's input does:
// Return presses an alert's default button, a click presses the button under it, typed text
// lands in the focused text field, Control acts as Command for key equivalents, and a context
// menu is a pop-up that the pointer and the arrow keys work.
#include "LiveDisplayFixture.h"
#include "appkit/controls/NSButton.h"
#include "appkit/controls/NSTextField.h"
#include "appkit/menus/NSMenu.h"
#include "appkit/menus/NSMenuItem.h"
#include "appkit/panels/NSAlert.h"
#include "display/x11/X11Display.h"

using namespace live_test;

namespace {

// Records the actions it answers.
class Recorder : public NSObject {
  NS_OBJECT_CLASS(Recorder)
  std::vector<std::string> actions;

protected:
  std::span<const NSActionEntry> actionTable() const override {
    static const NSActionEntry table[] = {
        {sel("alpha:"), [](NSObject* r, NSObject*) { record(r, "alpha:"); }},
        {sel("beta:"), [](NSObject* r, NSObject*) { record(r, "beta:"); }},
    };
    return table;
  }

private:
  static void record(NSObject* receiver, const char* name) {
    static_cast<Recorder*>(receiver)->actions.push_back(name);
  }
};

Ref<NSAlert> makeAlert() {
  Ref<NSAlert> alert = adopted(NSAlert::alloc()->init());
  alert->setMessageText(NSSTR("Save the changes?"));
  alert->addButtonWithTitle(NSSTR("Save"));
  alert->addButtonWithTitle(NSSTR("Cancel"));
  return alert;
}

} // namespace

TEST_F(LiveDisplayTest, ReturnAnswersAnAlertWithItsDefaultButton) {
  NSWindow* owner = makeWindow("Owner", NSMakeRect(100, 100, 600, 400));
  ASSERT_TRUE(waitUntilShown(owner));
  Ref<NSAlert> alert = makeAlert();
  pid_t typing = -1;
  // The key goes in once the alert's modal loop serves the run loop, the alert key and focused.
  NSRunLoop::mainRunLoop().performAsync([&] { typing = startXdotool({"key", "Return"}); });
  EXPECT_EQ(alert->runModal(), NSAlertFirstButtonReturn);
  EXPECT_EQ(finish(typing), 0);
}

TEST_F(LiveDisplayTest, AClickOnTheSecondButtonAnswersWithIt) {
  Ref<NSAlert> alert = makeAlert();
  alert->layout();
  NSButton* cancel = alert->buttonList().at(1).get();
  pid_t clicking = -1;
  NSRunLoop::mainRunLoop().performAsync([&] {
    NSWindow* panel = alert->window();
    const NSRect bounds = cancel->bounds();
    const NSPoint middle =
        cancel->convertPointToView(NSMakePoint(NSMidX(bounds), NSMidY(bounds)), nullptr);
    const auto at = screenPoint(panel, middle);
    clicking = startXdotool({"mousemove", at[0], at[1], "click", "1"});
  });
  EXPECT_EQ(alert->runModal(), NSAlertSecondButtonReturn);
  EXPECT_EQ(finish(clicking), 0);
}

TEST_F(LiveDisplayTest, TypedTextReachesTheFocusedField) {
  NSWindow* window = makeWindow("Typing", NSMakeRect(200, 200, 400, 200));
  // Editable, as AppKit's initWithFrame makes a text field.
  Ref<NSTextField> field =
      adopted(NSTextField::alloc()->initWithFrame(NSMakeRect(20, 60, 300, 24)));
  window->contentView()->addSubview(field.get());
  ASSERT_TRUE(window->makeFirstResponder(field.get()));
  ASSERT_TRUE(waitUntilShown(window));
  ASSERT_TRUE(
      serveUntil([&] { return focusedWindow() == display->xWindowOf(window->windowNumber()); }));

  ASSERT_TRUE(xdotool({"type", "--delay", "20", "Hello, World!"}));
  EXPECT_TRUE(serveUntil([&] { return field->stringValue()->utf8() == "Hello, World!"; }))
      << field->stringValue()->utf8();

  // Control-A selects everything (Control acts as Command); typing replaces it.
  ASSERT_TRUE(xdotool({"key", "ctrl+a", "type", "--delay", "20", "x2"}));
  EXPECT_TRUE(serveUntil([&] { return field->stringValue()->utf8() == "x2"; }))
      << field->stringValue()->utf8();
  ASSERT_TRUE(xdotool({"key", "BackSpace", "Left", "Y"}));
  EXPECT_TRUE(serveUntil([&] { return field->stringValue()->utf8() == "Yx"; }))
      << field->stringValue()->utf8();

  // A dead key, then the Compose key with two more, compose as the locale's table says; a
  // sequence that goes nowhere types nothing, and the key after it types again.
  ASSERT_TRUE(
      xdotool({"key", "ctrl+a", "dead_acute", "e", "Multi_key", "o", "c", "dead_grave", "1", "z"}));
  EXPECT_TRUE(serveUntil([&] { return field->stringValue()->utf8() == "é©z"; }))
      << field->stringValue()->utf8();
}

class ContextMenuTest : public LiveDisplayTest {
protected:
  void SetUp() override {
    LiveDisplayTest::SetUp();
    window = makeWindow("Menus", NSMakeRect(300, 200, 500, 400));
    ASSERT_TRUE(waitUntilShown(window));
    menu = adopted(NSMenu::alloc()->initWithTitle(NSSTR("Context")));
    for (const char* action : {"alpha:", "beta:"}) {
      NSMenuItem* item = menu->addItemWithTitle(NSSTR(action[0] == 'a' ? "Alpha" : "Beta"),
                                                sel(action), NSSTR(""));
      item->setTarget(recorder.get());
    }
  }

  // Pops the menu up at a point of the content view while xdotool runs the arguments; whether an
  // item was chosen.
  bool popUpWhile(const std::vector<std::string>& arguments) {
    pid_t input = -1;
    NSRunLoop::mainRunLoop().performAsync([&] {
      // The grabs are taken as the menu opens; input before them would go elsewhere.
      serveUntil([&] { return display->popUpHasGrab(); });
      input = startXdotool(arguments);
    });
    const bool chosen = menu->popUpMenuPositioningItem(nullptr, kAt, window->contentView());
    EXPECT_EQ(finish(input), 0);
    return chosen;
  }

  // The X position of the middle of the menu's row (0 for the first item).
  std::vector<std::string> row(int index) {
    constexpr CGFloat kPadding = 5, kItemHeight = 22;
    return screenPoint(
        window, NSMakePoint(kAt.x + 40, kAt.y - kPadding - kItemHeight * index - kItemHeight / 2));
  }

  static constexpr NSPoint kAt{100, 300};
  NSWindow* window = nullptr;
  Ref<NSMenu> menu;
  Ref<Recorder> recorder = adopted(Recorder::alloc()->init());
};

TEST_F(ContextMenuTest, AClickOnAnItemChoosesItAfterTheMenuCloses) {
  const auto beta = row(1);
  EXPECT_TRUE(popUpWhile({"mousemove", beta[0], beta[1], "sleep", "0.1", "click", "1"}));
  EXPECT_EQ(recorder->actions, std::vector<std::string>{"beta:"});
  EXPECT_FALSE(menu->isTracking());
  EXPECT_EQ(display->xWindowOf(-1), 0u) << "the pop-up is gone";
}

TEST_F(ContextMenuTest, TheArrowKeysAndReturnChooseAnItem) {
  EXPECT_TRUE(popUpWhile({"key", "Down", "Down", "Up", "Down", "Return"}));
  EXPECT_EQ(recorder->actions, std::vector<std::string>{"beta:"});
}

TEST_F(ContextMenuTest, EscapeAndAClickOutsideCloseTheMenuWithoutAChoice) {
  EXPECT_FALSE(popUpWhile({"key", "Escape"}));
  const auto outside = screenPoint(window, NSMakePoint(450, 50));
  EXPECT_FALSE(popUpWhile({"mousemove", outside[0], outside[1], "click", "1"}));
  EXPECT_TRUE(recorder->actions.empty());
}

TEST_F(ContextMenuTest, TheMenuIsAPopUpAboveItsWindowThatHighlightsTheItemUnderThePointer) {
  const auto alpha = row(0);
  NSMenuItem* highlighted = nullptr;
  xcb_window_t popUp = 0;
  std::vector<uint32_t> transientFor;
  bool overrideRedirect = false;
  NSRunLoop::mainRunLoop().performAsync([&] {
    serveUntil([&] { return display->popUpHasGrab(); });
    popUp = display->xWindowOf(-1);
    transientFor = itemsProperty(popUp, XCB_ATOM_WM_TRANSIENT_FOR);
    auto* attributes = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, popUp), nullptr);
    overrideRedirect = attributes && attributes->override_redirect;
    std::free(attributes);
    EXPECT_TRUE(xdotool({"mousemove", alpha[0], alpha[1]}));
    serveUntil([&] { return menu->trackingState().highlightedItem.get() != nullptr; });
    highlighted = menu->trackingState().highlightedItem.get();
    menu->cancelTrackingWithoutAnimation();
  });
  EXPECT_FALSE(menu->popUpMenuPositioningItem(nullptr, kAt, window->contentView()));
  EXPECT_NE(popUp, 0u);
  EXPECT_TRUE(overrideRedirect);
  EXPECT_EQ(transientFor, std::vector<uint32_t>{display->xWindowOf(window->windowNumber())});
  EXPECT_EQ(highlighted, menu->itemAtIndex(0));
  EXPECT_TRUE(recorder->actions.empty());
}
