// The event path: NSApp's sendEvent routes mouse events to the view under them and key events
// to the key window's first responder; sheets and modal sessions block the windows behind them.
// Also hit testing, coordinate conversion, full screen and terminate.
#include "AppKitFixture.h"
#include "appkit/windows/NSPanel.h"

using Events = AppKitTest;
using Views = AppKitTest;
using FullScreen = AppKitTest;
using Termination = AppKitTest;

namespace {

Ref<RecordingView> recordingView(NSRect frame) {
  Ref<RecordingView> view = adopted(RecordingView::alloc());
  view->initWithFrame(frame);
  return view;
}

} // namespace

// A click reaches the front-most view under it, makes its window key and front, and makes the
// view first responder when it accepts that; the mouse-up goes to the same view.
TEST_F(Events, ClickReachesTheViewUnderIt) {
  NSWindow* back = makeWindow("Back", NSMakeRect(0, 0, 400, 300));
  Ref<RecordingView> lower = recordingView(NSMakeRect(0, 0, 200, 200));
  Ref<RecordingView> upper = recordingView(NSMakeRect(100, 100, 100, 100));
  upper->acceptsFirst = true;
  back->contentView()->addSubview(lower);
  back->contentView()->addSubview(upper);
  makeWindow("Front", NSMakeRect(0, 0, 400, 300));

  click(back, NSMakePoint(150, 150));
  EXPECT_EQ(upper->mouseDowns, 1);
  EXPECT_EQ(upper->mouseUps, 1);
  EXPECT_EQ(lower->mouseDowns, 0);
  EXPECT_TRUE(back->isKeyWindow());
  EXPECT_EQ(ordered().front(), back);
  EXPECT_EQ(back->firstResponder(), upper.get());
  click(back, NSMakePoint(50, 50));
  EXPECT_EQ(lower->mouseDowns, 1);
  EXPECT_EQ(back->firstResponder(), upper.get()); // lower does not accept first responder

  // Typing goes to the first responder; hiding it hands first responder back to the window.
  pressKey(u"a");
  EXPECT_EQ(upper->keys, std::vector<std::u16string>{u"a"});
  upper->setHidden(true);
  EXPECT_EQ(back->firstResponder(), back);
  click(back, NSMakePoint(150, 150));
  EXPECT_EQ(upper->mouseDowns, 1);
}

// Return that nobody handles is offered to the views as a key equivalent (the default button);
// chords with command go to the key window's views first.
TEST_F(Events, ReturnAndCommandChordsReachKeyEquivalents) {
  NSWindow* window = makeWindow("W", NSMakeRect(0, 0, 400, 300));
  Ref<RecordingView> button = recordingView(NSMakeRect(10, 10, 80, 30));
  button->keyEquivalent = u"\r";
  window->contentView()->addSubview(button);
  pressKey(u"\r");
  EXPECT_EQ(button->keyEquivalents, 1);
  pressKey(u"x");
  EXPECT_EQ(button->keyEquivalents, 1);
  button->keyEquivalent = u",";
  int menuCalls = 0;
  app->setMainMenuKeyEquivalentHandler([&](NSEvent*) { return ++menuCalls > 0; });
  pressKey(u",", NSEventModifierFlagCommand);
  pressKey(u"q", NSEventModifierFlagCommand);
  app->setMainMenuKeyEquivalentHandler(nullptr);
  EXPECT_EQ(button->keyEquivalents, 2);
  EXPECT_EQ(menuCalls, 1);
}

// A window with a sheet takes no clicks; during a modal session only the modal window (and
// panels that work when modal) take input; closing the modal window aborts the session.
TEST_F(Events, SheetsAndModalSessionsBlockInput) {
  NSWindow* parent = makeWindow("P", NSMakeRect(0, 0, 400, 300));
  Ref<RecordingView> view = recordingView(NSMakeRect(0, 0, 400, 272));
  parent->contentView()->addSubview(view);
  NSWindow* sheet = makeWindow("S", NSMakeRect(0, 0, 200, 100), NSWindowStyleMaskTitled, false);
  parent->beginSheet(sheet, nullptr);
  click(parent, NSMakePoint(10, 10));
  EXPECT_EQ(view->mouseDowns, 0);
  parent->endSheet(sheet);
  click(parent, NSMakePoint(10, 10));
  EXPECT_EQ(view->mouseDowns, 1);

  NSWindow* modal = makeWindow("M", NSMakeRect(500, 500, 200, 100));
  NSModalResponse result = 0;
  NSRunLoop::mainRunLoop().performAsync([&] {
    click(parent, NSMakePoint(10, 10));
    EXPECT_EQ(view->mouseDowns, 1);
    EXPECT_EQ(app->modalWindow(), modal);
    parent->makeKeyAndOrderFront(nullptr); // the keyboard stays with the modal window
    EXPECT_TRUE(modal->isKeyWindow());
    modal->close();
  });
  result = app->runModalForWindow(modal);
  EXPECT_EQ(result, NSModalResponseAbort);
  EXPECT_EQ(app->modalWindow(), nullptr);
  click(parent, NSMakePoint(10, 10));
  EXPECT_EQ(view->mouseDowns, 2);
}

// hitTest takes a point in the superview's coordinates and skips hidden views; conversions go
// through the window, flipped views counting y from their top.
TEST_F(Views, HitTestingAndConversion) {
  class FlippedView : public NSView {
    NS_OBJECT_CLASS(FlippedView)
    bool isFlipped() const override { return true; }
  };
  NSWindow* window = makeWindow("W", NSMakeRect(0, 0, 400, 300));
  Ref<NSView> flipped = adopted(static_cast<NSView*>(FlippedView::alloc()));
  flipped->initWithFrame(NSMakeRect(100, 50, 200, 100));
  Ref<NSView> inner = adopted(NSView::alloc()->initWithFrame(NSMakeRect(10, 10, 20, 20)));
  window->contentView()->addSubview(flipped);
  flipped->addSubview(inner);

  // inner spans y 10..30 from the flipped view's top: window y from 120 to 140.
  EXPECT_EQ(inner->convertPointToView(NSZeroPoint, nullptr), NSMakePoint(110, 120));
  EXPECT_EQ(inner->convertPointFromView(NSMakePoint(110, 120), nullptr), NSZeroPoint);
  EXPECT_EQ(inner->convertRectToView(inner->bounds(), nullptr), NSMakeRect(110, 120, 20, 20));
  EXPECT_EQ(flipped->convertPointFromView(NSMakePoint(5, 5), inner), NSMakePoint(15, 25));
  EXPECT_EQ(window->frameView()->hitTest(NSMakePoint(115, 130)), inner.get());
  EXPECT_EQ(window->frameView()->hitTest(NSMakePoint(105, 60)), flipped.get());
  EXPECT_EQ(window->frameView()->hitTest(NSMakePoint(50, 60)), window->contentView());
  inner->setHidden(true);
  EXPECT_EQ(window->frameView()->hitTest(NSMakePoint(115, 130)), flipped.get());
  EXPECT_EQ(flipped->hitTest(NSMakePoint(0, 0)), nullptr);
}

// The view tree: addSubview re-parents and refuses cycles, order is back to front, removal
// clears superview and window, description prints class and address.
TEST_F(Views, TreeAndDescription) {
  Ref<NSView> a = adopted(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 10, 10)));
  Ref<NSView> b = adopted(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 10, 10)));
  Ref<NSView> c = adopted(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 10, 10)));
  a->addSubview(b);
  a->addSubview(c);
  EXPECT_EQ(a->subviews()->firstObject(), b.get());
  b->addSubview(c);
  EXPECT_EQ(a->subviews()->count(), 1u);
  EXPECT_EQ(c->superview(), b.get());
  b->addSubview(a); // a is b's ancestor
  b->addSubview(b);
  a->addSubview(nullptr);
  EXPECT_EQ(a->superview(), nullptr);
  EXPECT_EQ(b->superview(), a.get());
  c->removeFromSuperview();
  pool.drain(); // the subviews arrays above held their elements
  EXPECT_EQ(c->superview(), nullptr);
  EXPECT_EQ(c->retainCount(), 1u);
  const std::string description = a->description()->utf8();
  EXPECT_TRUE(description.starts_with("<NSView: 0x")) << description;
  EXPECT_TRUE(description.ends_with(">"));
}

// toggleFullScreen completes on the next run-loop turn; a second toggle during the transition
// is ignored, one after it restores the frame. Panels and sheets do not go full screen.
TEST_F(FullScreen, TransitionCompletesOnTheNextTurn) {
  NSWindow* window = makeWindow("W", NSMakeRect(100, 100, 600, 400));
  window->toggleFullScreen(nullptr);
  window->toggleFullScreen(nullptr);
  EXPECT_FALSE(window->isFullScreen());
  NSRunLoop::mainRunLoop().runPending();
  EXPECT_TRUE(window->isFullScreen());
  EXPECT_EQ(window->frame(), NSMakeRect(0, 0, 1440, 900));
  EXPECT_EQ(window->contentView()->frame(), NSMakeRect(0, 0, 1440, 900));
  window->toggleFullScreen(nullptr);
  NSRunLoop::mainRunLoop().runPending();
  EXPECT_FALSE(window->isFullScreen());
  EXPECT_EQ(window->frame(), NSMakeRect(100, 100, 600, 400));
  EXPECT_EQ(window->contentView()->frame(), NSMakeRect(0, 0, 600, 400 - kTitleBarHeight));

  NSPanel* panel = NSPanel::alloc()->initWithContentRect(NSMakeRect(0, 0, 100, 100), kDocumentStyle,
                                                         NSBackingStoreBuffered, false);
  windows.push_back(adopted(static_cast<NSWindow*>(panel)));
  panel->toggleFullScreen(nullptr);
  NSWindow* fixed = makeWindow("F", NSMakeRect(0, 0, 100, 100), NSWindowStyleMaskTitled);
  fixed->toggleFullScreen(nullptr);
  NSRunLoop::mainRunLoop().runPending();
  EXPECT_FALSE(panel->isFullScreen());
  EXPECT_FALSE(fixed->isFullScreen());
}

// terminate asks the delegate: Cancel returns, Now tells it and exits through the handler,
// Later waits for the reply.
TEST_F(Termination, DelegateDecides) {
  struct Delegate : NSApplicationDelegate {
    NSApplicationTerminateReply reply = NSTerminateCancel;
    int willTerminate = 0;
    NSApplicationTerminateReply applicationShouldTerminate(NSApplication*) override {
      return reply;
    }
    void applicationWillTerminate(NSApplication*) override { ++willTerminate; }
  } delegate;
  int exits = 0;
  NSApplication::setTerminationHandler([&] { ++exits; });
  app->setDelegate(&delegate);
  app->terminate(nullptr);
  EXPECT_EQ(exits, 0);
  delegate.reply = NSTerminateNow;
  app->terminate(nullptr);
  EXPECT_EQ(exits, 1);
  EXPECT_EQ(delegate.willTerminate, 1);
  delegate.reply = NSTerminateLater;
  NSRunLoop::mainRunLoop().performAsync([&] { app->replyToApplicationShouldTerminate(false); });
  app->terminate(nullptr);
  EXPECT_EQ(exits, 1);
  NSRunLoop::mainRunLoop().performAsync([&] { app->replyToApplicationShouldTerminate(true); });
  app->terminate(nullptr);
  EXPECT_EQ(exits, 2);
  app->setDelegate(nullptr);
  NSApplication::setTerminationHandler(nullptr);
}

// The application menu is named after the application (the tests' bundle is Ixa.app); its Quit
// item's action goes along the responder chain to the application, so it is enabled and ends it.
TEST_F(Termination, TheApplicationMenusQuitItemTerminates) {
  NSMenu* appMenu = app->mainMenu()->itemAtIndex(0)->submenu();
  ASSERT_NE(appMenu, nullptr);
  NSMenuItem* quit = appMenu->itemWithTitle(NSSTR("Quit Ixa"));
  ASSERT_NE(quit, nullptr);
  EXPECT_EQ(quit->target(), nullptr);
  EXPECT_FALSE(appMenu->itemWithTitle(NSSTR("Hide Ixa"))->isEnabled()) << "nobody answers hide:";
  makeWindow("W", NSMakeRect(0, 0, 400, 300)); // a key window whose responders answer nothing
  int exits = 0;
  NSApplication::setTerminationHandler([&] { ++exits; });
  EXPECT_TRUE(quit->isEnabled());
  appMenu->performActionForItemAtIndex(appMenu->indexOfItem(quit));
  EXPECT_EQ(exits, 1);
  NSApplication::setTerminationHandler(nullptr);
}
