// NSWindow: creation, geometry, the content view, state and display.
#include "appkit/windows/NSWindow.h"

#include <atomic>
#include <cmath>

#include "appkit/application/NSApplication.h"
#include "appkit/application/NSScreen.h"
#include "display/DisplayBackend.h"
#include "foundation/collections/NSArray.h"

namespace {

std::atomic<NSInteger> nextWindowNumber{1};

// center() leaves this fraction of the free vertical space below the window, which puts it a
// little above the middle of the screen, where AppKit puts it.
constexpr CGFloat kCenterSpaceBelowFraction = 2.0 / 3.0;

bool hasTitleBar(NSWindowStyleMask style) {
  return (style & NSWindowStyleMaskTitled) && !(style & NSWindowStyleMaskFullSizeContentView) &&
         !(style & NSWindowStyleMaskFullScreen);
}

} // namespace

NSWindow* NSWindow::initWithContentRect(NSRect contentRect, NSWindowStyleMask style,
                                        NSBackingStoreType backing, bool) {
  styleMask_ = style & ~NSWindowStyleMaskFullScreen;
  backing_ = backing;
  contentRect.size.width = std::max<CGFloat>(0, contentRect.size.width);
  contentRect.size.height = std::max<CGFloat>(0, contentRect.size.height);
  frame_ = frameRectForContentRect(contentRect);
  title_ = adopted(NSString::alloc()->init());
  number_ = nextWindowNumber.fetch_add(1);

  frameView_ = adopted(NSThemeFrame::alloc());
  frameView_->initWithFrame({NSZeroPoint, frame_.size});
  frameView_->setNextResponder(this);
  frameView_->setWindowRecursively(this);

  NSApplication::sharedApplication()->registerWindow(this);
  setContentView(adopted(NSView::alloc()->initWithFrame(contentViewFrame())));
  layoutFrameView();
  return this;
}

NSWindow::~NSWindow() {
  if (number_ == 0) return; // never initialised
  DisplayBackend::current().windowWillBeDestroyed(number_);
  if (NSApp) NSApp->unregisterWindow(this);
  for (auto& pending : queuedSheets_)
    pending.sheet->queuedOn_ = nullptr;
  if (frameView_) {
    frameView_->setNextResponder(nullptr);
    frameView_->setWindowRecursively(nullptr);
  }
}

// MARK: frame and content arithmetic

NSRect NSWindow::contentRectForFrameRect(NSRect frame, NSWindowStyleMask style) {
  if (hasTitleBar(style))
    frame.size.height = std::max<CGFloat>(0, frame.size.height - kTitleBarHeight);
  return frame;
}

NSRect NSWindow::frameRectForContentRect(NSRect content, NSWindowStyleMask style) {
  if (hasTitleBar(style)) content.size.height += kTitleBarHeight;
  return content;
}

NSRect NSWindow::contentRectForFrameRect(NSRect frame) const {
  if (hasTitleBar(styleMask_))
    frame.size.height = std::max<CGFloat>(0, frame.size.height - titleBarHeight_);
  return frame;
}

NSRect NSWindow::frameRectForContentRect(NSRect content) const {
  if (hasTitleBar(styleMask_)) content.size.height += titleBarHeight_;
  return content;
}

NSRect NSWindow::contentLayoutRect() const {
  const bool titleBarShown =
      (styleMask_ & NSWindowStyleMaskTitled) && !(styleMask_ & NSWindowStyleMaskFullScreen);
  CGFloat height = frame_.size.height - (titleBarShown ? titleBarHeight_ : 0);
  return NSMakeRect(0, 0, frame_.size.width, std::max<CGFloat>(0, height));
}

// The content view's frame in window coordinates: the content rectangle relative to the frame.
NSRect NSWindow::contentViewFrame() const {
  const NSRect content = contentRectForFrameRect(frame_);
  return NSMakeRect(content.origin.x - frame_.origin.x, content.origin.y - frame_.origin.y,
                    content.size.width, content.size.height);
}

// MARK: geometry

void NSWindow::layoutFrameView() {
  frameView_->layoutForWindow(frame_.size, contentViewFrame(), styleMask_, titleBarHeight_);
}

void NSWindow::setFrame(NSRect frame, bool display) {
  if (std::isnan(frame.origin.x) || std::isnan(frame.origin.y) || std::isnan(frame.size.width) ||
      std::isnan(frame.size.height))
    return;
  frame.size.width = std::max<CGFloat>(0, frame.size.width);
  frame.size.height = std::max<CGFloat>(0, frame.size.height);
  const bool resized = frame.size != frame_.size;
  frame_ = frame;
  if (resized) layoutFrameView();
  positionAttachedSheet();
  DisplayBackend::current().windowFrameChanged(number_, frame_);
  hostedContentMayHaveMoved();
  if (display) this->display();
}

void NSWindow::setFrameOrigin(NSPoint origin) {
  setFrame({origin, frame_.size}, false);
}

void NSWindow::center() {
  const NSRect visible = NSScreen::mainScreen()->visibleFrame();
  const CGFloat x = visible.origin.x + std::floor((visible.size.width - frame_.size.width) / 2);
  const CGFloat y = visible.origin.y + std::floor((visible.size.height - frame_.size.height) *
                                                  kCenterSpaceBelowFraction);
  setFrameOrigin({x, y});
}

NSPoint NSWindow::convertPointToScreen(NSPoint point) const {
  return {point.x + frame_.origin.x, point.y + frame_.origin.y};
}

NSPoint NSWindow::convertPointFromScreen(NSPoint point) const {
  return {point.x - frame_.origin.x, point.y - frame_.origin.y};
}

// MARK: style

void NSWindow::setStyleMask(NSWindowStyleMask mask) {
  mask = (mask & ~NSWindowStyleMaskFullScreen) | (styleMask_ & NSWindowStyleMaskFullScreen);
  if (mask == styleMask_) return;
  styleMask_ = mask;
  layoutFrameView();
  frameView_->setNeedsDisplay(true);
  if (isVisible()) DisplayBackend::current().windowDescribed(number_, displayDescription());
}

void NSWindow::setLevel(NSWindowLevel level) {
  if (level == level_) return;
  level_ = level;
  if (isVisible()) NSApp->placeWindow(this, NSWindowAbove, nullptr);
}

// MARK: title, appearance, restoration

void NSWindow::setTitle(const NSString* title) {
  title_ = copiedStringOrEmpty(title);
  frameView_->setNeedsDisplay(true);
  if (isVisible()) DisplayBackend::current().windowDescribed(number_, displayDescription());
}

void NSWindow::setAppearance(NSAppearance* appearance) {
  appearance_ = retained(appearance);
  frameView_->setNeedsDisplay(true);
}

NSAppearance* NSWindow::effectiveAppearance() const {
  if (appearance_) return appearance_;
  return NSApplication::sharedApplication()->effectiveAppearance();
}

void NSWindow::setTitlebarAppearsTransparent(bool flag) {
  titlebarAppearsTransparent_ = flag;
  frameView_->setNeedsDisplay(true);
}

void NSWindow::invalidateRestorableState() {
  ++restorableStateInvalidations_;
}

// MARK: views

NSView* NSWindow::contentView() const {
  return frameView_ ? frameView_->contentView() : nullptr;
}

void NSWindow::setContentView(NSView* view) {
  Ref<NSView> protector(view);
  frameView_->setContentView(view);
  if (!view) return;
  view->setAutoresizingMask(NSViewWidthSizable | NSViewHeightSizable);
  view->setFrame(contentViewFrame());
  view->setNeedsDisplay(true);
}

NSWindowStandardButton* NSWindow::standardWindowButton(NSWindowButton button) const {
  if (!(styleMask_ & NSWindowStyleMaskTitled)) return nullptr;
  return frameView_->standardButton(button);
}

// MARK: display

void NSWindow::update() {
  ++updateCount_;
}

void NSWindow::drawViews(const std::function<void()>& pass) {
  Ref<NSWindow> protector(this);
  hostedContentMayHaveMoved();
  DisplayBackend& display = DisplayBackend::current();
  display.drawWindow(number_, pass);
  if (!drawIntoDisplayPicture()) display.presentWindow(number_);
}

void NSWindow::display() {
  ++displayCount_;
  viewsNeedDisplay_ = false;
  invalidatePictureRect(NSMakeRect(0, 0, frame_.size.width, frame_.size.height));
  drawViews([this] { frameView_->displayPass(true); });
}

void NSWindow::displayIfNeeded() {
  if (!viewsNeedDisplay_) return;
  viewsNeedDisplay_ = false;
  drawViews([this] { frameView_->displayPass(false); });
}
