// The restyling pass and the band it lays: the geometry and autoresizing masks of the band, what
// happens to each window and its former content, the numbered trace and the view-tree dump in
// the log, the side panel switches and the persisted user default.
#include "ChromeTestSupport.h"
#include "appkit/controls/NSImageView.h"
#include "appkit/drawing/NSAppearance.h"
#include "appkit/views/NSVisualEffectView.h"
#include "chrome/QVGradView.h"
#include "chrome/VantrelsBrandLogoView.h"
#include "foundation/collections/NSArray.h"
#include "foundation/system/NSBundle.h"
#include "foundation/system/NSUserDefaults.h"

extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_modifyWindows(JNIEnv*, jclass);
extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_showSideRect(JNIEnv*, jclass);
extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_hideSideRect(JNIEnv*, jclass);

namespace {

std::vector<std::string> loopLines(int from, int to) {
  std::vector<std::string> lines;
  for (int step = from; step <= to; ++step)
    lines.push_back("IXA LOG LOOP... " + std::to_string(step));
  return lines;
}

std::string dumpLine(const std::string& indentation, NSView* view) {
  return indentation + "DUMP:" + view->description()->utf8() + " " +
         NSStringFromRect(view->frame())->utf8();
}

// MARK: the band's geometry

TEST_F(ChromeTest, BandLiesAcrossTheTopOfItsParentAboveItsSubviews) {
  auto parent = adopted(NSView::alloc()->initWithFrame(NSMakeRect(40, 30, 800, 600)));
  auto existing = adopted(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 800, 600)));
  parent->addSubview(existing);
  addGrad(parent);

  const std::vector<NSView*> views = subviewsOf(parent);
  ASSERT_EQ(views.size(), 4u);
  EXPECT_EQ(views[0], existing.get());
  ASSERT_NE(ns_cast<QVGradView>(views[1]), nullptr);
  ASSERT_NE(ns_cast<QVRectView>(views[2]), nullptr);
  auto* brand = ns_cast<VantrelsBrandLogoView>(views[3]);
  ASSERT_NE(brand, nullptr);
  EXPECT_EQ(views[1]->frame(),
            NSMakeRect(0, 550, 5000, 50)); // the origin of the parent is not used
  EXPECT_EQ(views[1]->autoresizingMask(), 11u);
  EXPECT_EQ(views[2]->frame(), NSMakeRect(0, 550, 300, 50));
  EXPECT_EQ(views[2]->autoresizingMask(), 12u);
  EXPECT_EQ(views[3]->frame(), NSMakeRect(643, 570, 170, 30));
  EXPECT_EQ(views[3]->autoresizingMask(), 9u);
  EXPECT_EQ(brix::_sideRect, views[2]);
  ASSERT_NE(brand->logoString(), nullptr); // setup was sent
  EXPECT_FALSE(brix::_visible);

  // The band stays glued to the top edge; strip and text keep their distance to the right edge.
  parent->setFrameSize(NSMakeSize(1000, 700));
  EXPECT_EQ(views[1]->frame(), NSMakeRect(0, 650, 5200, 50));
  EXPECT_EQ(views[2]->frame(), NSMakeRect(0, 650, 300, 50));
  EXPECT_EQ(views[3]->frame(), NSMakeRect(843, 670, 170, 30));

  addGrad(nullptr); // a band laid nowhere: its panel is the one remembered, and it has gone
  EXPECT_EQ(brix::_sideRect, nullptr);
  Java_ixa_IxaDialogs_showSideRect(nullptr, nullptr);
  EXPECT_TRUE(brix::_visible);
  EXPECT_TRUE(views[2]->subviewList().empty()); // the earlier panel takes no logo
}

TEST_F(ChromeTest, TitleLogoSitsInTheTopRightCorner) {
  auto parent = adopted(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 800, 600)));
  addLogo(parent);
  ASSERT_EQ(parent->subviewList().size(), 1u);
  auto* logo = ns_cast<NSImageView>(parent->subviewList()[0].get());
  ASSERT_NE(logo, nullptr);
  EXPECT_EQ(logo->frame(), NSMakeRect(630, 560, 150, 25));
  EXPECT_EQ(logo->autoresizingMask(), 9u);
  const std::vector<std::string> log = NSLogBufferedLines();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], "bp :" + NSBundle::mainBundle()->bundlePath()->utf8());
}

// MARK: what the pass does to each window

TEST_F(ChromeTest, PassRestylesEveryWindowAndShrinksOnlyTheFirstSubview) {
  NSWindow* back = openToolkitWindow(NSMakeRect(100, 100, 640, 400), "Back");
  auto second = adopted(NSView::alloc()->initWithFrame(NSMakeRect(10, 10, 100, 80)));
  back->contentView()->addSubview(second);
  NSWindow* front = openToolkitWindow(NSMakeRect(300, 200, 800, 500), "Front");
  front->setRestorationClass("JavaWindowRestorer");
  NSView* frontFiller = front->contentView()->subviewList()[0].get();
  // Held, so that it can be looked at after the window has let it go.
  Ref<NSView> oldFrontContent = retained(front->contentView());

  EXPECT_EQ(Java_ixa_IxaDialogs_modifyWindows(nullptr, nullptr), 1);

  for (NSWindow* window : {front, back}) {
    SCOPED_TRACE(window->windowNumber());
    EXPECT_EQ(window->title()->length(), 0u);
    EXPECT_TRUE(window->styleMask() & NSWindowStyleMaskFullSizeContentView);
    EXPECT_TRUE(window->styleMask() & NSWindowStyleMaskTitled);
    EXPECT_FALSE(window->isRestorable());
    EXPECT_EQ(window->restorationClass(), nullptr);
    EXPECT_GE(window->restorableStateInvalidationCount(), 1u);
    EXPECT_EQ(window->appearance(), NSAppearance::appearanceNamed(NSAppearanceNameVibrantLight));
    EXPECT_TRUE(window->titlebarAppearsTransparent());
    auto* effect = ns_cast<NSVisualEffectView>(window->contentView());
    ASSERT_NE(effect, nullptr);
    // The whole window, title bar included; material, blending and state at their defaults.
    EXPECT_EQ(effect->frame(),
              NSMakeRect(0, 0, window->frame().size.width, window->frame().size.height));
    EXPECT_EQ(effect->material(), NSVisualEffectMaterialAppearanceBased);
    EXPECT_EQ(effect->blendingMode(), NSVisualEffectBlendingModeBehindWindow);
    EXPECT_EQ(effect->state(), NSVisualEffectStateFollowsWindowActiveState);
  }
  EXPECT_TRUE(oldFrontContent->subviewList().empty());

  // The filler took the whole window when the title bar became part of the content; it keeps its
  // bottom-left origin and now ends 50 points below the window's top edge, on a clear layer.
  const std::vector<NSView*> frontViews = subviewsOf(front->contentView());
  ASSERT_EQ(frontViews.size(), 4u);
  EXPECT_EQ(frontViews[0], frontFiller);
  EXPECT_EQ(frontFiller->frame(), NSMakeRect(0, 0, 800, 528 - 50));
  ASSERT_NE(frontFiller->layer(), nullptr);
  EXPECT_EQ(frontFiller->layer()->backgroundColor(), (CGColor{0, 0, 0, 0}));
  EXPECT_NE(ns_cast<QVGradView>(frontViews[1]), nullptr);
  EXPECT_NE(ns_cast<QVRectView>(frontViews[2]), nullptr);
  EXPECT_NE(ns_cast<VantrelsBrandLogoView>(frontViews[3]), nullptr);
  EXPECT_EQ(frontViews[1]->frame(), NSMakeRect(0, 478, 5000, 50));

  // Two subviews: both moved in order, only the first loses 50 points.
  const std::vector<NSView*> backViews = subviewsOf(back->contentView());
  ASSERT_EQ(backViews.size(), 5u);
  EXPECT_EQ(backViews[0]->frame(), NSMakeRect(0, 0, 640, 428 - 50));
  EXPECT_EQ(backViews[1], second.get());
  EXPECT_EQ(second->frame(), NSMakeRect(10, 10, 100, 80));

  // The back-most window was processed last: its panel is the one remembered.
  EXPECT_EQ(brix::_sideRect, backViews[3]);
  // Panels are not restyled: orderedWindows does not list them.
}

TEST_F(ChromeTest, WindowWithoutSubviewsStillGetsTheBandAndNothingElseChanges) {
  NSWindow* window = openToolkitWindow(NSMakeRect(100, 100, 400, 300));
  window->contentView()->subviewList()[0]->removeFromSuperview();
  Java_ixa_IxaDialogs_modifyWindows(nullptr, nullptr);
  const std::vector<NSView*> views = subviewsOf(window->contentView());
  ASSERT_EQ(views.size(), 3u);
  EXPECT_NE(ns_cast<QVGradView>(views[0]), nullptr);
  EXPECT_EQ(views[0]->frame(), NSMakeRect(0, 278, 5000, 50));
}

TEST_F(ChromeTest, SecondPassLaysASecondBandAndTakesAnother50Points) {
  NSWindow* window = openToolkitWindow(NSMakeRect(100, 100, 400, 300));
  NSView* filler = window->contentView()->subviewList()[0].get();
  Java_ixa_IxaDialogs_modifyWindows(nullptr, nullptr);
  QVRectView* firstPanel = brix::_sideRect;
  Java_ixa_IxaDialogs_modifyWindows(nullptr, nullptr);
  const std::vector<NSView*> views = subviewsOf(window->contentView());
  ASSERT_EQ(views.size(), 7u);
  EXPECT_EQ(views[0], filler);
  EXPECT_EQ(filler->frame(), NSMakeRect(0, 0, 400, 328 - 100));
  EXPECT_EQ(views[2], firstPanel);
  EXPECT_EQ(brix::_sideRect, views[5]);
  EXPECT_NE(brix::_sideRect, firstPanel);
}

// MARK: the trace and the dump

TEST_F(ChromeTest, TraceHasItsNumberedLinesWithTheDumpOfEachWindow) {
  for (int windows : {0, 2, 3}) {
    SCOPED_TRACE(windows);
    for (int i = 0; i < windows; ++i)
      openToolkitWindow(NSMakeRect(50.0 * i, 60, 300, 200));
    NSLogClearBuffer();
    Java_ixa_IxaDialogs_modifyWindows(nullptr, nullptr);

    std::vector<std::string> expected{"IXA LOG...", "IXA LOG... 1", "IXA LOG... 2", "IXA LOG... 3"};
    NSArray* ordered = NSApplication::sharedApplication()->orderedWindows();
    ASSERT_EQ(ordered->count(), static_cast<NSUInteger>(windows));
    for (NSObject* object : *ordered) {
      auto* effect = static_cast<NSWindow*>(object)->contentView();
      // At dump time the effect view held only the former content (one filler, no children).
      NSView* filler = effect->subviewList()[0].get();
      for (auto& line : loopLines(1, 17))
        expected.push_back(line);
      expected.push_back(dumpLine("", effect));
      expected.push_back(dumpLine("", filler));
      expected.push_back(dumpLine("\t->", filler));
      for (auto& line : loopLines(18, 20))
        expected.push_back(line);
    }
    EXPECT_EQ(NSLogBufferedLines(), expected);
    TearDown();
  }
}

TEST_F(ChromeTest, DumpLogsTheRootOnceAndEveryViewBelowItTwice) {
  auto root = adopted(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 400, 300)));
  auto child = adopted(NSView::alloc()->initWithFrame(NSMakeRect(0.5, 0, 100, 100)));
  auto grandchild = adopted(NSView::alloc()->initWithFrame(NSMakeRect(10, 10, 0.1, 20)));
  root->addSubview(child);
  child->addSubview(grandchild);
  debugViews(root, NSSTR(""));
  const std::vector<std::string> expected{dumpLine("", root), dumpLine("", child),
                                          dumpLine("\t->", child), dumpLine("\t->", grandchild),
                                          dumpLine("\t->\t->", grandchild)};
  EXPECT_EQ(NSLogBufferedLines(), expected);
  EXPECT_TRUE(expected[4].starts_with("\t->\t->DUMP:<NSView: 0x"));
  EXPECT_NE(expected[3].find(" {{10, 10}, {0.10000000000000001, 20}}"), std::string::npos);
}

// MARK: the side panel switches

TEST_F(ChromeTest, SidePanelSwitchesActOnThePanelOfTheWindowProcessedLast) {
  EXPECT_EQ(Java_ixa_IxaDialogs_showSideRect(nullptr, nullptr), 1); // before any pass
  EXPECT_FALSE(brix::_visible);
  EXPECT_EQ(Java_ixa_IxaDialogs_hideSideRect(nullptr, nullptr), 1);

  NSWindow* back = openToolkitWindow(NSMakeRect(0, 0, 500, 300));
  NSWindow* front = openToolkitWindow(NSMakeRect(100, 100, 500, 300));
  Java_ixa_IxaDialogs_modifyWindows(nullptr, nullptr);
  NSView* backPanel = back->contentView()->subviewList()[2].get();
  NSView* frontPanel = front->contentView()->subviewList()[2].get();
  ASSERT_EQ(brix::_sideRect, backPanel);
  back->displayIfNeeded();
  EXPECT_EQ(Java_ixa_IxaDialogs_showSideRect(nullptr, nullptr), 1);
  EXPECT_TRUE(brix::_visible);
  EXPECT_TRUE(backPanel->needsDisplay());
  EXPECT_EQ(brix::_iv->superview(), backPanel);
  EXPECT_TRUE(frontPanel->subviewList().empty());
  EXPECT_EQ(Java_ixa_IxaDialogs_hideSideRect(nullptr, nullptr), 1);
  EXPECT_FALSE(brix::_visible);
  EXPECT_EQ(brix::_iv->superview(), nullptr);
}

TEST_F(ChromeTest, SidePanelSwitchesStillReachTheOpenWindowsOnceTheLastRestyledHasClosed) {
  NSWindow* back = openToolkitWindow(NSMakeRect(0, 0, 500, 300));
  NSWindow* front = openToolkitWindow(NSMakeRect(100, 100, 500, 300));
  Java_ixa_IxaDialogs_modifyWindows(nullptr, nullptr);
  NSView* frontPanel = front->contentView()->subviewList()[2].get();
  back->close();
  pool.drain();
  ASSERT_EQ(brix::_sideRect, nullptr);
  front->displayIfNeeded();
  Java_ixa_IxaDialogs_showSideRect(nullptr, nullptr);
  EXPECT_TRUE(brix::_visible);
  EXPECT_TRUE(frontPanel->needsDisplay());
  front->displayIfNeeded();
  Java_ixa_IxaDialogs_hideSideRect(nullptr, nullptr);
  EXPECT_FALSE(brix::_visible);
  EXPECT_TRUE(frontPanel->needsDisplay());
}

// MARK: the persisted user default

TEST_F(ChromeTest, PassSetsTheIgnoreStateDefaultAndItIsWrittenToDisk) {
  NSUserDefaults::resetStandardUserDefaults();
  Java_ixa_IxaDialogs_modifyWindows(nullptr, nullptr); // no windows: the default is set anyway
  EXPECT_TRUE(
      NSUserDefaults::standardUserDefaults()->boolForKey(NSSTR("ApplePersistenceIgnoreState")));
  const std::string path = NSUserDefaults::standardUserDefaults()->filePath();
  NSUserDefaults::resetStandardUserDefaults(); // read back from the file
  EXPECT_TRUE(
      NSUserDefaults::standardUserDefaults()->boolForKey(NSSTR("ApplePersistenceIgnoreState")));
  EXPECT_EQ(path.rfind(configDirectory().string(), 0), 0u);
  EXPECT_TRUE(std::filesystem::exists(path));
}

} // namespace
