// NSView autoresizing: a change of the superview's size is shared among the flexible parts of
// each axis in proportion to their current sizes, and the result is floored onto the pixel
// grid. Values measured on AppKit: (10,10,30,30) in 100x100 resized to 200x150.
#include "AppKitFixture.h"

namespace {

NSRect resized(NSAutoresizingMaskOptions mask, NSRect frame, NSSize from, NSSize to) {
  NSAutoreleasePool pool;
  Ref<NSView> parent = adopted(NSView::alloc()->initWithFrame({NSZeroPoint, from}));
  Ref<NSView> child = adopted(NSView::alloc()->initWithFrame(frame));
  child->setAutoresizingMask(mask);
  parent->addSubview(child);
  parent->setFrameSize(to);
  return child->frame();
}

constexpr NSRect kSquare = NSMakeRect(10, 10, 30, 30);
constexpr NSSize kFrom{100, 100};
constexpr NSSize kTo{200, 150};

} // namespace

TEST(Autoresizing, ProportionalDistributionMatchesAppKit) {
  EXPECT_EQ(resized(NSViewMinXMargin | NSViewWidthSizable, kSquare, kFrom, kTo),
            NSMakeRect(35, 10, 105, 30));
  EXPECT_EQ(resized(NSViewWidthSizable | NSViewMaxXMargin, kSquare, kFrom, kTo),
            NSMakeRect(10, 10, 63, 30));
  EXPECT_EQ(resized(NSViewMinXMargin | NSViewMaxXMargin, kSquare, kFrom, kTo),
            NSMakeRect(24, 10, 30, 30));
  EXPECT_EQ(resized(NSViewMinXMargin, kSquare, kFrom, kTo), NSMakeRect(110, 10, 30, 30));
}

TEST(Autoresizing, EachBitAlone) {
  EXPECT_EQ(resized(NSViewNotSizable, kSquare, kFrom, kTo), kSquare);
  EXPECT_EQ(resized(NSViewWidthSizable, kSquare, kFrom, kTo), NSMakeRect(10, 10, 130, 30));
  EXPECT_EQ(resized(NSViewMaxXMargin, kSquare, kFrom, kTo), kSquare);
  EXPECT_EQ(resized(NSViewMinYMargin, kSquare, kFrom, kTo), NSMakeRect(10, 60, 30, 30));
  EXPECT_EQ(resized(NSViewHeightSizable, kSquare, kFrom, kTo), NSMakeRect(10, 10, 30, 80));
  EXPECT_EQ(resized(NSViewMaxYMargin, kSquare, kFrom, kTo), kSquare);
  // All three flexible on the y axis: 10 + 30 + 60 share 50.
  EXPECT_EQ(resized(NSViewMinYMargin | NSViewHeightSizable | NSViewMaxYMargin, kSquare, kFrom, kTo),
            NSMakeRect(10, 15, 30, 45));
  // Shrinking works the same way.
  EXPECT_EQ(resized(NSViewWidthSizable | NSViewHeightSizable, NSMakeRect(0, 0, 100, 100), kFrom,
                    NSMakeSize(40, 30)),
            NSMakeRect(0, 0, 40, 30));
}

// Empty flexible parts share the change evenly; fractions floor onto the pixel grid.
TEST(Autoresizing, EmptyPartsShareEvenlyAndResultsFloor) {
  EXPECT_EQ(resized(NSViewMinXMargin | NSViewWidthSizable, NSMakeRect(0, 0, 0, 10), kFrom, kTo),
            NSMakeRect(50, 0, 50, 10));
  EXPECT_EQ(resized(NSViewMinXMargin | NSViewMaxXMargin, NSMakeRect(10, 0, 30, 10), kFrom,
                    NSMakeSize(103, 100)),
            NSMakeRect(10, 0, 30, 10)); // 10 + 3 * 10/70 = 10.43 floors to 10
}

// The header band's masks: 11 (strip at x = 0 takes the whole change as width), 12 (fixed to
// the left), 9 (keeps its distance to the right edge); all stay glued to the top edge.
TEST(Autoresizing, HeaderBandMasksStayGluedToTheTop) {
  const NSSize from{800, 600}, to{1000, 700};
  EXPECT_EQ(resized(11, NSMakeRect(0, 550, 5000, 50), from, to), NSMakeRect(0, 650, 5200, 50));
  EXPECT_EQ(resized(12, NSMakeRect(0, 550, 300, 50), from, to), NSMakeRect(0, 650, 300, 50));
  EXPECT_EQ(resized(9, NSMakeRect(643, 570, 170, 30), from, to), NSMakeRect(843, 670, 170, 30));
}

// autoresizesSubviews NO stops the pass; only a size change (not a move) triggers it; the pass
// recurses into resized subviews.
TEST(Autoresizing, OnlySizeChangesOfResizingSuperviewsPropagate) {
  NSAutoreleasePool pool;
  Ref<NSView> parent = adopted(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 100, 100)));
  Ref<NSView> child = adopted(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 100, 100)));
  Ref<NSView> grandchild = adopted(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 50, 50)));
  child->setAutoresizingMask(NSViewWidthSizable | NSViewHeightSizable);
  grandchild->setAutoresizingMask(NSViewWidthSizable);
  parent->addSubview(child);
  child->addSubview(grandchild);

  parent->setFrameOrigin(NSMakePoint(40, 40));
  EXPECT_EQ(child->frame(), NSMakeRect(0, 0, 100, 100));
  parent->setFrameSize(NSMakeSize(200, 100));
  EXPECT_EQ(child->frame(), NSMakeRect(0, 0, 200, 100));
  EXPECT_EQ(grandchild->frame(), NSMakeRect(0, 0, 150, 50));
  parent->setAutoresizesSubviews(false);
  parent->setFrameSize(NSMakeSize(300, 300));
  EXPECT_EQ(child->frame(), NSMakeRect(0, 0, 200, 100));
}
