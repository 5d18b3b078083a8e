// NSApplication orderedWindows with panels and sheets, key status, closing, and
// beginSheet/endSheet with the sheet queue of each parent.
#include "AppKitFixture.h"
#include "appkit/windows/NSPanel.h"
#include "display/HeadlessDisplay.h"
#include "foundation/system/NSLog.h"

using Ordering = AppKitTest;
using Sheets = AppKitTest;

// orderedWindows: on-screen windows front to back; ordered-out windows, panels and attached
// sheets are not listed. The display learns the full stack, panels and sheets included.
TEST_F(Ordering, OrderedWindowsAreFrontToBackWithoutPanelsAndSheets) {
  NSWindow* a = makeWindow("A", NSMakeRect(0, 0, 300, 200));
  NSWindow* b = makeWindow("B", NSMakeRect(10, 10, 300, 200));
  NSWindow* c = makeWindow("C", NSMakeRect(20, 20, 300, 200));
  EXPECT_EQ(ordered(), (std::vector<NSWindow*>{c, b, a}));
  a->orderFront(nullptr);
  EXPECT_EQ(ordered(), (std::vector<NSWindow*>{a, c, b}));
  c->orderOut(nullptr);
  c->orderOut(nullptr); // idempotent
  EXPECT_EQ(ordered(), (std::vector<NSWindow*>{a, b}));
  b->orderBack(nullptr);
  EXPECT_EQ(ordered(), (std::vector<NSWindow*>{a, b}));

  NSPanel* panel = NSPanel::alloc()->initWithContentRect(
      NSMakeRect(0, 0, 100, 100), NSWindowStyleMaskTitled, NSBackingStoreBuffered, false);
  windows.push_back(adopted(static_cast<NSWindow*>(panel)));
  panel->makeKeyAndOrderFront(nullptr);
  EXPECT_TRUE(panel->isKeyWindow());
  EXPECT_EQ(ordered(), (std::vector<NSWindow*>{a, b}));
  EXPECT_EQ(app->screenList().front(), panel);

  auto* display = dynamic_cast<HeadlessDisplay*>(&DisplayBackend::current());
  ASSERT_NE(display, nullptr);
  EXPECT_EQ(display->stack(),
            (std::vector<NSInteger>{panel->windowNumber(), a->windowNumber(), b->windowNumber()}));
}

// A floating panel stays in front of normal windows that are ordered front later.
TEST_F(Ordering, LevelsKeepFloatingPanelsInFront) {
  NSPanel* palette = NSPanel::alloc()->initWithContentRect(
      NSMakeRect(0, 0, 100, 100), NSWindowStyleMaskTitled, NSBackingStoreBuffered, false);
  windows.push_back(adopted(static_cast<NSWindow*>(palette)));
  palette->setFloatingPanel(true);
  palette->orderFront(nullptr);
  NSWindow* a = makeWindow("A", NSMakeRect(0, 0, 300, 200));
  EXPECT_EQ(app->screenList(), (std::vector<NSWindow*>{palette, a}));
}

// Key status moves to the next window that can take it when the key window goes; closing
// takes a window off the screen and out of the application's open windows.
TEST_F(Ordering, KeyWindowHandOffAndClose) {
  NSWindow* a = makeWindow("A", NSMakeRect(0, 0, 300, 200));
  NSWindow* b = makeWindow("B", NSMakeRect(0, 0, 300, 200));
  EXPECT_TRUE(b->isKeyWindow());
  EXPECT_TRUE(b->isMainWindow());
  b->orderOut(nullptr);
  EXPECT_TRUE(a->isKeyWindow());
  EXPECT_TRUE(a->isMainWindow());
  NSWindow* borderless =
      makeWindow("X", NSMakeRect(0, 0, 10, 10), NSWindowStyleMaskBorderless, false);
  borderless->makeKeyAndOrderFront(nullptr);
  EXPECT_FALSE(borderless->isKeyWindow()); // borderless windows cannot become key

  const std::size_t before = a->retainCount();
  a->close();
  EXPECT_TRUE(a->isClosed());
  EXPECT_FALSE(a->isVisible());
  EXPECT_EQ(a->retainCount(), before - 1); // the application let it go
  EXPECT_EQ(app->keyWindow(), nullptr);
  // Not released when closed: it may come back, open again.
  a->makeKeyAndOrderFront(nullptr);
  EXPECT_TRUE(a->isVisible());
  EXPECT_FALSE(a->isClosed());
  EXPECT_EQ(app->windowWithWindowNumber(a->windowNumber()), a);
}

// A window released when closed is gone for the application, even while someone still holds
// it, and cannot be shown again.
TEST_F(Ordering, ReleasedWhenClosedWindowsNeverComeBack) {
  NSWindow* window = NSWindow::alloc()->initWithContentRect(
      NSMakeRect(0, 0, 100, 100), kDocumentStyle, NSBackingStoreBuffered, false);
  Ref<NSWindow> holder(window); // like a block that captured it
  const NSInteger number = window->windowNumber();
  window->makeKeyAndOrderFront(nullptr);
  window->close(); // consumes the creator's reference
  pool.drain();
  EXPECT_EQ(holder->retainCount(), 1u);
  EXPECT_EQ(app->windowWithWindowNumber(number), nullptr);
  holder->orderFront(nullptr);
  EXPECT_FALSE(holder->isVisible());
}

// Window numbers are unique and increase.
TEST_F(Ordering, WindowNumbersIncrease) {
  NSWindow* a = makeWindow("A", NSMakeRect(0, 0, 10, 10), kDocumentStyle, false);
  NSWindow* b = makeWindow("B", NSMakeRect(0, 0, 10, 10), kDocumentStyle, false);
  EXPECT_GT(b->windowNumber(), a->windowNumber());
}

// beginSheet returns at once, puts the sheet under the parent's title bar, centred, directly in
// front of the parent, and makes it key; the sheet is not in orderedWindows.
TEST_F(Sheets, SheetIsPositionedUnderTheTitleBarAndNotOrdered) {
  NSWindow* parent = makeWindow("P", NSMakeRect(100, 100, 800, 600));
  NSWindow* other = makeWindow("O", NSMakeRect(0, 0, 300, 200));
  parent->orderFront(nullptr);
  NSWindow* sheet = makeWindow("S", NSMakeRect(0, 0, 400, 200), NSWindowStyleMaskTitled, false);
  parent->beginSheet(sheet, nullptr);
  EXPECT_EQ(parent->attachedSheet(), sheet);
  EXPECT_EQ(sheet->sheetParent(), parent);
  EXPECT_TRUE(sheet->isSheet());
  EXPECT_TRUE(sheet->isVisible());
  EXPECT_TRUE(sheet->isKeyWindow());
  EXPECT_EQ(sheet->frame(), NSMakeRect(100 + 200, 100 + 600 - kTitleBarHeight - 200, 400, 200));
  EXPECT_EQ(ordered(), (std::vector<NSWindow*>{parent, other}));
  EXPECT_EQ(app->screenList(), (std::vector<NSWindow*>{sheet, parent, other}));

  // The sheet moves with its parent and stays in front of it.
  other->orderFront(nullptr);
  parent->setFrameOrigin(NSMakePoint(0, 0));
  EXPECT_EQ(sheet->frame().origin, NSMakePoint(200, 600 - kTitleBarHeight - 200));
  parent->orderFront(nullptr);
  EXPECT_EQ(app->screenList(), (std::vector<NSWindow*>{sheet, parent, other}));

  // Ordered out with its parent, back with it.
  parent->orderOut(nullptr);
  EXPECT_FALSE(sheet->isVisible());
  parent->makeKeyAndOrderFront(nullptr);
  EXPECT_TRUE(sheet->isVisible());
  EXPECT_TRUE(sheet->isKeyWindow());
}

// endSheet orders the sheet out, runs its handler with NSModalResponseStop (or the code), then
// presents the next queued sheet; the parent becomes key again.
TEST_F(Sheets, QueuedSheetsArePresentedOneAfterAnother) {
  NSWindow* parent = makeWindow("P", NSMakeRect(0, 0, 800, 600));
  NSWindow* first = makeWindow("1", NSMakeRect(0, 0, 400, 200), NSWindowStyleMaskTitled, false);
  NSWindow* second = makeWindow("2", NSMakeRect(0, 0, 300, 100), NSWindowStyleMaskTitled, false);
  std::vector<std::pair<std::string, NSModalResponse>> ended;
  parent->beginSheet(first, [&](NSModalResponse code) { ended.push_back({"1", code}); });
  parent->beginSheet(second, [&](NSModalResponse code) { ended.push_back({"2", code}); });
  EXPECT_EQ(parent->attachedSheet(), first);
  EXPECT_EQ(second->sheetParent(), nullptr);
  EXPECT_FALSE(second->isVisible());
  EXPECT_EQ(parent->sheets()->count(), 2u);

  parent->endSheet(first);
  EXPECT_FALSE(first->isVisible());
  EXPECT_EQ(first->sheetParent(), nullptr);
  EXPECT_EQ(parent->attachedSheet(), second);
  EXPECT_TRUE(second->isKeyWindow());
  parent->endSheet(second, 7);
  EXPECT_EQ(ended, (std::vector<std::pair<std::string, NSModalResponse>>{{"1", NSModalResponseStop},
                                                                         {"2", 7}}));
  EXPECT_EQ(parent->attachedSheet(), nullptr);
  EXPECT_TRUE(parent->isKeyWindow());
}

// endSheet with nil logs AppKit's line and does nothing; a window that is not this window's
// sheet is ignored; a sheet ordered out without endSheet still blocks the queue.
TEST_F(Sheets, BadEndSheetCallsChangeNothing) {
  NSWindow* parent = makeWindow("P", NSMakeRect(0, 0, 800, 600));
  NSWindow* sheet = makeWindow("S", NSMakeRect(0, 0, 400, 200), NSWindowStyleMaskTitled, false);
  NSWindow* stranger = makeWindow("X", NSMakeRect(0, 0, 400, 200));
  parent->beginSheet(sheet, nullptr);
  NSLogClearBuffer();
  parent->endSheet(nullptr);
  EXPECT_EQ(NSLogBufferedLines(),
            std::vector<std::string>{"endSheet:returnCode: requires a non-nil sheet"});
  parent->endSheet(stranger);
  stranger->endSheet(sheet);
  EXPECT_EQ(parent->attachedSheet(), sheet);
  EXPECT_TRUE(stranger->isVisible());

  sheet->orderOut(nullptr);
  NSWindow* next = makeWindow("N", NSMakeRect(0, 0, 100, 100), NSWindowStyleMaskTitled, false);
  parent->beginSheet(next, nullptr);
  EXPECT_EQ(parent->attachedSheet(), sheet); // still waiting for endSheet
  parent->endSheet(sheet);
  EXPECT_EQ(parent->attachedSheet(), next);

  // A window cannot be a sheet twice, of itself, or of its own sheet.
  stranger->beginSheet(next, nullptr);
  parent->beginSheet(parent, nullptr);
  next->beginSheet(parent, nullptr);
  EXPECT_EQ(stranger->attachedSheet(), nullptr);
  EXPECT_EQ(next->attachedSheet(), nullptr);
}

// A parent that is closed and released ends its sheets with NSModalResponseAbort.
TEST_F(Sheets, ReleasedParentEndsItsSheets) {
  NSWindow* parent = NSWindow::alloc()->initWithContentRect(
      NSMakeRect(0, 0, 500, 400), kDocumentStyle, NSBackingStoreBuffered, false);
  parent->makeKeyAndOrderFront(nullptr);
  NSWindow* sheet = makeWindow("S", NSMakeRect(0, 0, 100, 100), NSWindowStyleMaskTitled, false);
  NSModalResponse code = 0;
  parent->beginSheet(sheet, [&](NSModalResponse response) { code = response; });
  parent->close();
  EXPECT_EQ(code, NSModalResponseAbort);
  EXPECT_EQ(sheet->sheetParent(), nullptr);
  EXPECT_FALSE(sheet->isVisible());
}
