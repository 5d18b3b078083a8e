// The restyling pass (modifyWindows) and the band it lays; showSideRect and hideSideRect.
#include <vector>

#include "appkit/application/NSApplication.h"
#include "appkit/controls/NSImageView.h"
#include "appkit/drawing/NSAppearance.h"
#include "appkit/views/NSVisualEffectView.h"
#include "appkit/windows/NSWindow.h"
#include "bridge/NativeScope.h"
#include "chrome/ChromeColors.h"
#include "chrome/QVGradView.h"
#include "chrome/Restyle.h"
#include "chrome/VantrelsBrandLogoView.h"
#include "foundation/system/NSBundle.h"
#include "foundation/system/NSLog.h"
#include "foundation/system/NSUserDefaults.h"

namespace brix {
Weak<QVRectView> _sideRect;
} // namespace brix

namespace {

// The band covers the top kBandHeight points of its parent.
constexpr CGFloat kBandHeight = 50.0;
// The strip is wider than any window, so it always reaches past the right edge.
constexpr CGFloat kStripWidth = 5000.0;
constexpr CGFloat kSidePanelWidth = 300.0;
// The brand text: its left edge 157 points in from the parent's right edge, its bottom edge
// 30 points below the parent's top edge.
constexpr CGFloat kBrandInsetFromRight = 157.0;
constexpr NSSize kBrandSize{170.0, 30.0};
// The title logo: 170 points in from the right edge, 40 below the top edge.
constexpr CGFloat kTitleLogoInsetFromRight = 170.0;
constexpr CGFloat kTitleLogoInsetFromTop = 40.0;
constexpr NSSize kTitleLogoSize{150.0, 25.0};

constexpr NSAutoresizingMaskOptions kStripMask =
    NSViewMinXMargin | NSViewWidthSizable | NSViewMinYMargin;                             // 11
constexpr NSAutoresizingMaskOptions kSidePanelMask = NSViewMaxXMargin | NSViewMinYMargin; // 12
constexpr NSAutoresizingMaskOptions kTopRightMask = NSViewMinXMargin | NSViewMinYMargin;  // 9

// The side panels of every band laid, oldest first, for as long as their windows keep them.
std::vector<Weak<QVRectView>> laidSidePanels;

void forgetClosedSidePanels() {
  std::erase_if(laidSidePanels, [](const Weak<QVRectView>& panel) { return !panel; });
}

// The steps of the pass for one window, each followed by its numbered trace line.
void restyleWindow(NSWindow* window) {
  window->setRestorable(false);
  NSLog("IXA LOG LOOP... 4");
  window->setRestorationClass(nullptr);
  NSLog("IXA LOG LOOP... 5");
  window->invalidateRestorableState();
  NSLog("IXA LOG LOOP... 6");
  window->setStyleMask(window->styleMask() | NSWindowStyleMaskFullSizeContentView);
  NSLog("IXA LOG LOOP... 7");
  window->setAppearance(NSAppearance::appearanceNamed(NSAppearanceNameVibrantLight));
  NSLog("IXA LOG LOOP... 8");
  window->setTitlebarAppearsTransparent(true);
  NSLog("IXA LOG LOOP... 9");
  // The window owns the effect view once it is its content view.
  const Ref<NSVisualEffectView> effectView =
      adopted(NSVisualEffectView::alloc()->initWithFrame(window->frame()));
  NSLog("IXA LOG LOOP... 10");
  moveSubViewsIntoView(window->contentView(), effectView);
  NSLog("IXA LOG LOOP... 11");
  window->setTitle(NSSTR(""));
  NSLog("IXA LOG LOOP... 12");
  window->setContentView(effectView);
  NSLog("IXA LOG LOOP... 13");
  // The former content gives the band the top of its height. Without a first subview there is
  // nothing to shrink and the steps below do nothing.
  NSView* firstSubview = ns_cast<NSView>(effectView->subviews()->firstObject());
  NSRect frame = firstSubview ? firstSubview->frame() : NSZeroRect;
  NSLog("IXA LOG LOOP... 14");
  frame.size.height -= kBandHeight;
  NSLog("IXA LOG LOOP... 15");
  if (firstSubview) firstSubview->setFrame(frame);
  NSLog("IXA LOG LOOP... 16");
  if (CALayer* layer = firstSubview ? firstSubview->layer() : nullptr)
    layer->setBackgroundColor(NSColor::clearColor()->CGColor());
  NSLog("IXA LOG LOOP... 17");
  debugViews(effectView, NSSTR(""));
  NSLog("IXA LOG LOOP... 18");
  addGrad(effectView);
  NSLog("IXA LOG LOOP... 19");
  NSLog("IXA LOG LOOP... 20");
}

} // namespace

namespace brix {

void restyleWindows() {
  NSLog("IXA LOG...");
  NSUserDefaults::standardUserDefaults()->setBool(true, NSSTR("ApplePersistenceIgnoreState"));
  NSLog("IXA LOG... 1");
  // Taken once: windows opened by the pass itself (none are) would not be seen.
  NSArray* windows = NSApplication::sharedApplication()->orderedWindows();
  NSLog("IXA LOG... 2");
  int index = 0;
  NSLog("IXA LOG... 3");
  while (static_cast<NSUInteger>(index) < windows->count()) {
    NSLog("IXA LOG LOOP... 1");
    NSWindow* window = ns_cast<NSWindow>(windows->objectAtIndex(static_cast<NSUInteger>(index)));
    NSLog("IXA LOG LOOP... 2");
    NSLog("IXA LOG LOOP... 3");
    if (window) restyleWindow(window);
    ++index;
  }
}

void setSideRectVisible(bool flag) {
  // Before the first panel there is nothing to show or hide.
  if (!_sideRect && !_iv) return;
  // The panel laid last takes the logo. Once its window has gone, or when the last band went
  // nowhere, no panel does, but the flag all panels share is still set.
  if (QVRectView* panel = _sideRect)
    panel->setVisible(flag);
  else
    QVRectView::setSharedVisibility(flag);
  // Every panel paints after the shared flag, so every one still open redraws with it.
  forgetClosedSidePanels();
  for (const Weak<QVRectView>& panel : laidSidePanels)
    panel->setNeedsDisplay(true);
}

} // namespace brix

extern "C" {

void moveSubViewsIntoView(NSView* source, NSView* target) {
  // Without a target the views would only be dropped, so they stay where they are.
  if (!source || !target) return;
  NSArray* subviews = source->subviews(); // a copy: the loop changes the source's list
  for (NSObject* object : *subviews) {
    auto* subview = static_cast<NSView*>(object);
    subview->removeFromSuperview();
    target->addSubview(subview);
  }
}

void debugViews(NSView* view, NSString* indentation) {
  NSLog("%@DUMP:%@ %@", indentation, view ? view->description() : nullptr,
        NSStringFromRect(view ? view->frame() : NSZeroRect));
  if (!view) return;
  for (NSObject* object : *view->subviews()) {
    auto* subview = static_cast<NSView*>(object);
    NSLog("%@DUMP:%@ %@", indentation, subview->description(), NSStringFromRect(subview->frame()));
    debugViews(subview, NSString::stringWithFormat("\t->%@", indentation));
  }
}

void addGrad(NSView* parent) {
  // The band's views are owned by their parent and go with it. Without a parent they are made
  // all the same and go at once: the panel laid last then shows nowhere, and the earlier one is
  // no longer the one remembered.
  const auto parentFrame = [parent] { return parent ? parent->frame() : NSZeroRect; };
  NSRect frame = parentFrame();
  const Ref<QVGradView> strip = adopted(QVGradView::alloc()->initWithFrame(
      NSMakeRect(0, frame.size.height - kBandHeight, kStripWidth, kBandHeight)));
  strip->setAutoresizingMask(kStripMask);
  if (parent) parent->addSubview(strip);

  frame = parentFrame();
  const Ref<QVRectView> sidePanel = adopted(QVRectView::alloc()->initWithFrame(
      NSMakeRect(0, frame.size.height - kBandHeight, kSidePanelWidth, kBandHeight)));
  brix::_sideRect = sidePanel;
  sidePanel->setAutoresizingMask(kSidePanelMask);
  if (parent) {
    parent->addSubview(sidePanel);
    forgetClosedSidePanels();
    laidSidePanels.emplace_back(sidePanel);
  }

  frame = parentFrame();
  const Ref<VantrelsBrandLogoView> brand = adopted(VantrelsBrandLogoView::alloc()->initWithFrame(
      NSMakeRect(frame.size.width - kBrandInsetFromRight, frame.size.height - kBrandSize.height,
                 kBrandSize.width, kBrandSize.height)));
  brand->setup();
  brand->setAutoresizingMask(kTopRightMask);
  if (parent) parent->addSubview(brand);
}

void addLogo(NSView* parent) {
  NSLog("bp :%@", NSBundle::mainBundle()->bundlePath());
  if (!parent) return;
  const NSRect frame = parent->frame();
  const Ref<NSImageView> logo = adopted(NSImageView::alloc()->initWithFrame(NSMakeRect(
      frame.size.width - kTitleLogoInsetFromRight, frame.size.height - kTitleLogoInsetFromTop,
      kTitleLogoSize.width, kTitleLogoSize.height)));
  logo->setAutoresizingMask(kTopRightMask);
  logo->setImage(adopted(getImage(NSSTR("title_logo"))));
  parent->addSubview(logo);
}

} // extern "C"

// static int IxaDialogs.modifyWindows()
extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_modifyWindows(JNIEnv* env, jclass) noexcept {
  return brix::nativeMethod(env, "modifyWindows", jint{1}, [] {
    brix::restyleWindows();
    return 1;
  });
}

// static int IxaDialogs.showSideRect()
extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_showSideRect(JNIEnv* env, jclass) noexcept {
  return brix::nativeMethod(env, "showSideRect", jint{1}, [] {
    brix::setSideRectVisible(true);
    return 1;
  });
}

// static int IxaDialogs.hideSideRect()
extern "C" JNIEXPORT jint JNICALL Java_ixa_IxaDialogs_hideSideRect(JNIEnv* env, jclass) noexcept {
  return brix::nativeMethod(env, "hideSideRect", jint{1}, [] {
    brix::setSideRectVisible(false);
    return 1;
  });
}
