// NSWindow geometry: the content rectangle under the title bar, setContentView sizing, the
// full-size content view bit, and layer backing.
#include "AppKitFixture.h"
#include "appkit/views/NSVisualEffectView.h"

using WindowGeometry = AppKitTest;

// contentRectForFrameRect:styleMask: takes the title bar off the top of titled windows only;
// x, y and width never change.
TEST_F(WindowGeometry, ContentRectLosesTheTitleBarAtTheTop) {
  const NSRect frame = NSMakeRect(100, 100, 400, 200);
  EXPECT_EQ(NSWindow::contentRectForFrameRect(frame, NSWindowStyleMaskTitled),
            NSMakeRect(100, 100, 400, 200 - kTitleBarHeight));
  EXPECT_EQ(NSWindow::contentRectForFrameRect(frame, NSWindowStyleMaskBorderless), frame);
  EXPECT_EQ(NSWindow::contentRectForFrameRect(frame, NSWindowStyleMaskTitled |
                                                         NSWindowStyleMaskFullSizeContentView),
            frame);
  // The two conversions are inverse, and a frame lower than the title bar has no content.
  const NSRect content = NSWindow::contentRectForFrameRect(frame, NSWindowStyleMaskTitled);
  EXPECT_EQ(NSWindow::frameRectForContentRect(content, NSWindowStyleMaskTitled), frame);
  EXPECT_EQ(NSWindow::contentRectForFrameRect(NSMakeRect(0, 0, 50, 10), NSWindowStyleMaskTitled)
                .size.height,
            0);
}

// initWithContentRect: makes the frame from the content rect; the default content view fills
// the content area in window coordinates; a window made in code has the title "".
TEST_F(WindowGeometry, NewWindowFrameAndDefaultContentView) {
  NSWindow* window = NSWindow::alloc()->initWithContentRect(
      NSWindow::contentRectForFrameRect(NSMakeRect(100, 100, 400, 200), NSWindowStyleMaskTitled),
      NSWindowStyleMaskTitled, NSBackingStoreBuffered, false);
  EXPECT_TRUE(window->isReleasedWhenClosed());
  window->setReleasedWhenClosed(false); // the test's reference is released by the fixture
  windows.push_back(adopted(window));
  EXPECT_EQ(window->frame(), NSMakeRect(100, 100, 400, 200));
  ASSERT_NE(window->contentView(), nullptr);
  EXPECT_EQ(window->contentView()->frame(), NSMakeRect(0, 0, 400, 200 - kTitleBarHeight));
  EXPECT_EQ(window->contentView()->window(), window);
  EXPECT_TRUE(window->title()->isEqualToString(NSSTR("")));
  EXPECT_FALSE(window->isVisible());
  EXPECT_GT(window->windowNumber(), 0);
}

// setContentView: sizes the view to the content area whatever frame it was made with, gives it
// the mask width|height, and detaches and releases the old view with its subviews.
TEST_F(WindowGeometry, SetContentViewSizesTheViewAndReleasesTheOldOne) {
  NSWindow* window = makeWindow("W", NSMakeRect(50, 60, 600, 400));
  Ref<NSView> old(window->contentView());
  Ref<NSView> child = adopted(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 10, 10)));
  old->addSubview(child);
  const std::size_t oldCount = old->retainCount();

  Ref<NSVisualEffectView> effect =
      adopted(NSVisualEffectView::alloc()->initWithFrame(window->frame()));
  window->setContentView(effect);
  EXPECT_EQ(window->contentView(), effect.get());
  EXPECT_EQ(effect->frame(), NSMakeRect(0, 0, 600, 400 - kTitleBarHeight));
  EXPECT_EQ(effect->autoresizingMask(), NSViewWidthSizable | NSViewHeightSizable);
  EXPECT_EQ(effect->window(), window);
  EXPECT_EQ(old->superview(), nullptr);
  EXPECT_EQ(old->window(), nullptr);
  EXPECT_EQ(child->window(), nullptr);
  EXPECT_EQ(old->retainCount(), oldCount - 1);

  // The window keeps the content view sized on every resize.
  window->setFrame(NSMakeRect(50, 60, 700, 500), false);
  EXPECT_EQ(effect->frame(), NSMakeRect(0, 0, 700, 500 - kTitleBarHeight));
  window->setContentView(nullptr);
  EXPECT_EQ(window->contentView(), nullptr);
}

// The full-size content view bit makes the content view cover the whole window. Setting it on
// a live window enlarges the content view upward (origin stays), which autoresizes its
// subviews, and makes every view in the window layer-backed, views added later included.
TEST_F(WindowGeometry, FullSizeContentViewCoversTheTitleBarAndBacksViewsWithLayers) {
  NSWindow* window = makeWindow("W", NSMakeRect(0, 0, 800, 600));
  NSView* content = window->contentView();
  Ref<NSView> filler = adopted(NSView::alloc()->initWithFrame(content->bounds()));
  filler->setAutoresizingMask(NSViewWidthSizable | NSViewHeightSizable);
  content->addSubview(filler);
  EXPECT_EQ(filler->layer(), nullptr);

  window->setStyleMask(window->styleMask() | NSWindowStyleMaskFullSizeContentView);
  EXPECT_EQ(content->frame(), NSMakeRect(0, 0, 800, 600));
  EXPECT_EQ(filler->frame(), NSMakeRect(0, 0, 800, 600));
  EXPECT_EQ(window->contentLayoutRect(), NSMakeRect(0, 0, 800, 600 - kTitleBarHeight));
  ASSERT_NE(filler->layer(), nullptr);
  filler->layer()->setBackgroundColor(NSColor::clearColor()->CGColor());
  EXPECT_EQ(filler->layer()->backgroundColor(), (CGColor{0, 0, 0, 0}));

  Ref<NSView> later = adopted(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 5, 5)));
  filler->addSubview(later);
  EXPECT_NE(later->layer(), nullptr);
  later->removeFromSuperview();
  EXPECT_EQ(later->layer(), nullptr);
}

// A view has a layer when it or an ancestor wants one; a visual effect view asks for one when
// it enters a window.
TEST_F(WindowGeometry, LayersFollowWantsLayerDownTheTree) {
  Ref<NSView> parent = adopted(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 10, 10)));
  Ref<NSView> child = adopted(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 5, 5)));
  parent->addSubview(child);
  EXPECT_EQ(child->layer(), nullptr);
  parent->setWantsLayer(true);
  EXPECT_NE(child->layer(), nullptr);

  NSWindow* window = makeWindow("W", NSMakeRect(0, 0, 300, 200));
  Ref<NSVisualEffectView> effect = adopted(NSVisualEffectView::alloc()->init());
  EXPECT_FALSE(effect->wantsLayer());
  EXPECT_EQ(effect->material(), NSVisualEffectMaterialAppearanceBased);
  EXPECT_EQ(effect->blendingMode(), NSVisualEffectBlendingModeBehindWindow);
  window->setContentView(effect);
  EXPECT_TRUE(effect->wantsLayer());
  EXPECT_NE(effect->layer(), nullptr);
}

// standardWindowButton: titled windows have close, miniaturize and zoom buttons in the title
// bar; the full-screen button is always nil, and untitled windows have none.
TEST_F(WindowGeometry, StandardWindowButtons) {
  NSWindow* window = makeWindow("W", NSMakeRect(0, 0, 300, 200));
  NSWindowStandardButton* close = window->standardWindowButton(NSWindowCloseButton);
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close, window->standardWindowButton(NSWindowCloseButton));
  EXPECT_EQ(close->superview(), window->frameView());
  EXPECT_GE(close->frame().origin.y, 200 - kTitleBarHeight);
  EXPECT_NE(window->standardWindowButton(NSWindowZoomButton), nullptr);
  EXPECT_EQ(window->standardWindowButton(NSWindowFullScreenButton), nullptr);
  EXPECT_EQ(window->standardWindowButton(NSWindowToolbarButton), nullptr);

  NSWindow* borderless =
      makeWindow("B", NSMakeRect(0, 0, 100, 100), NSWindowStyleMaskBorderless, false);
  EXPECT_EQ(borderless->standardWindowButton(NSWindowCloseButton), nullptr);

  // The buttons stay at the top-left corner when the window grows.
  window->setFrame(NSMakeRect(0, 0, 500, 400), false);
  EXPECT_GE(close->frame().origin.y, 400 - kTitleBarHeight);
  close->setHidden(true);
  EXPECT_TRUE(close->isHidden());
}

// Window state the restyling pass sets: restoration, appearance, transparent title bar.
TEST_F(WindowGeometry, RestorationAppearanceAndTitleBarState) {
  NSWindow* window = makeWindow("W", NSMakeRect(0, 0, 300, 200));
  EXPECT_TRUE(window->isRestorable());
  window->setRestorable(false);
  window->setRestorationClass(nullptr);
  window->invalidateRestorableState();
  EXPECT_FALSE(window->isRestorable());
  EXPECT_EQ(window->restorationClass(), nullptr);

  EXPECT_EQ(window->appearance(), nullptr);
  EXPECT_STREQ(window->effectiveAppearance()->name()->UTF8String(), NSAppearanceNameAqua);
  NSAppearance* vibrant = NSAppearance::appearanceNamed(NSAppearanceNameVibrantLight);
  ASSERT_NE(vibrant, nullptr);
  EXPECT_EQ(vibrant, NSAppearance::appearanceNamed(NSSTR("NSAppearanceNameVibrantLight")));
  EXPECT_EQ(NSAppearance::appearanceNamed("NoSuchAppearance"), nullptr);
  window->setAppearance(vibrant);
  EXPECT_EQ(window->contentView()->effectiveAppearance(), vibrant);

  window->setTitlebarAppearsTransparent(true);
  EXPECT_TRUE(window->titlebarAppearsTransparent());
  window->setTitle(nullptr);
  EXPECT_EQ(window->title()->length(), 0u);
}
