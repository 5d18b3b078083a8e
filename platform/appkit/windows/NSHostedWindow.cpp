#include "appkit/windows/NSHostedWindow.h"

#include <algorithm>
#include <cmath>

#include "appkit/application/NSApplication.h"
#include "display/DisplayBackend.h"
#include "foundation/strings/NSString.h"

namespace {

// A document window as the other toolkit decorates one; an undecorated window gets no title bar
// of ours either.
NSWindowStyleMask styleFor(const DisplayForeignWindow& foreign) {
  if (foreign.undecorated) return NSWindowStyleMaskBorderless;
  NSWindowStyleMask style = NSWindowStyleMaskTitled | NSWindowStyleMaskClosable;
  if (!foreign.dialog) style |= NSWindowStyleMaskMiniaturizable | NSWindowStyleMaskResizable;
  return style;
}

// Titles the other toolkit wrote that are not valid UTF-8 read as empty.
Ref<NSString> stringFromUTF8(const std::string& text) {
  NSString* string =
      NSString::alloc()->initWithBytes(text.data(), text.size(), NSUTF8StringEncoding);
  return adopted(string ? string : NSString::alloc()->init());
}

} // namespace

NSHostedWindow* NSHostedWindow::initWithForeignWindow(const DisplayForeignWindow& foreign) {
  foreignWindow_ = foreign.id;
  foreignOwner_ = foreign.owner;
  // The foreign content stays where it is on screen, under a title bar of ours. Where a window
  // manager had framed it, the frame of ours is exactly as wide on every side as that one.
  const NSWindowStyleMask style = styleFor(foreign);
  const DisplayForeignWindow::Insets insets = foreign.insets;
  const bool framed = insets.any() && (style & NSWindowStyleMaskTitled);
  NSRect contentRect = foreign.frame;
  if (framed) {
    frameInsets_ = insets;
    setTitleBarHeight(insets.top);
    contentRect.origin.x -= insets.left;
    contentRect.origin.y -= insets.bottom;
    contentRect.size.width += insets.left + insets.right;
    contentRect.size.height += insets.bottom;
  }
  initWithContentRect(contentRect, style, NSBackingStoreBuffered, false);
  setTitle(stringFromUTF8(foreign.title));
  NSView* content = contentView();
  Ref<NSHostedContentView> hosted = adopted(NSHostedContentView::alloc()->initWithForeignWindow(
      insideFrame(content->bounds()), foreignWindow_));
  hosted->setAutoresizingMask(NSViewWidthSizable | NSViewHeightSizable);
  content->addSubview(hosted);
  hostedView_ = hosted.get();
  return this;
}

NSHostedWindow* NSHostedWindow::windowHosting(uint64_t foreignWindow) {
  if (!NSApp || !foreignWindow) return nullptr;
  for (NSWindow* window : NSApp->windowList()) {
    auto* hosted = ns_cast<NSHostedWindow>(window);
    if (hosted && hosted->foreignWindow_ == foreignWindow && !hosted->isClosed()) return hosted;
  }
  return nullptr;
}

void NSHostedWindow::foreignWindowChanged(const DisplayForeignWindow& foreign) {
  Ref<NSWindow> protector(this);
  foreignOwner_ = foreign.owner;
  if (Ref<NSString> title = stringFromUTF8(foreign.title); !title->isEqualToString(this->title()))
    setTitle(title);
  // A new size for the content: the window grows or shrinks by as much, its top-left corner
  // staying where it is, and the hosted view follows by its autoresizing. A new place: the window
  // moves so that the content's top-left corner is where the toolkit asked. Both at once, so that
  // the toolkit is told one new state and never an intermediate one (which it would take for a
  // window manager's answer to what it asked).
  if (NSHostedContentView* view = hostedView()) {
    const NSSize now = view->frame().size;
    const NSRect content = view->rectInWindow();
    NSRect frame = this->frame();
    const bool resize = foreign.resizeRequested && foreign.frame.size != now;
    const CGFloat dh = resize ? foreign.frame.size.height - now.height : 0;
    if (resize) {
      frame.size.width += foreign.frame.size.width - now.width;
      frame.size.height += dh;
      frame.origin.y -= dh;
    }
    const CGFloat dx = foreign.frame.origin.x - (frame.origin.x + content.origin.x);
    const CGFloat dy = NSMaxY(foreign.frame) - (frame.origin.y + NSMaxY(content) + dh);
    const bool move = foreign.moveRequested && !NSIsEmptyRect(content) &&
                      (std::fabs(dx) >= 0.5 || std::fabs(dy) >= 0.5);
    if (move) {
      frame.origin.x += dx;
      frame.origin.y += dy;
    }
    if (resize || move) setFrame(frame, true);
  }
  if (!foreign.shown) {
    if (isVisible()) orderOut(nullptr);
  } else if (!isVisible()) {
    makeKeyAndOrderFront(nullptr);
  } else if (foreign.raiseRequested) {
    orderFront(nullptr);
  }
}

NSRect NSHostedWindow::insideFrame(NSRect bounds) const {
  // The title bar is above the content view already; the other three edges are inside it.
  bounds.origin.x += frameInsets_.left;
  bounds.origin.y += frameInsets_.bottom;
  bounds.size.width =
      std::max<CGFloat>(0, bounds.size.width - frameInsets_.left - frameInsets_.right);
  bounds.size.height = std::max<CGFloat>(0, bounds.size.height - frameInsets_.bottom);
  return bounds;
}

void NSHostedWindow::foreignWindowGone() {
  foreignGone_ = true;
  close();
}

void NSHostedWindow::close() {
  if (!foreignGone_) {
    DisplayBackend::current().askForeignWindowToClose(foreignWindow_);
    return;
  }
  if (!isClosed()) NSWindow::close();
}

void NSHostedWindow::describeHostedContent(DisplayWindow& description) const {
  if (foreignGone_) return;
  NSHostedContentView* view = hostedView();
  if (!view) return;
  description.hostedWindow = foreignWindow_;
  description.hostedRect = view->rectInWindow();
  // A dialog of the other toolkit belongs to the window that hosts its owner.
  if (NSHostedWindow* owner = windowHosting(foreignOwner_);
      owner && owner != this && description.kind == DisplayWindowKind::Normal) {
    description.kind = DisplayWindowKind::Dialog;
    description.owner = owner->windowNumber();
  }
}

void NSHostedWindow::hostedContentMayHaveMoved() {
  NSHostedContentView* view = hostedView();
  if (!view || foreignGone_) return;
  // In full screen the content fills the screen, without the frame around it; out of it, the
  // frame comes back.
  const bool fullScreen = styleMask() & NSWindowStyleMaskFullScreen;
  if (frameInsets_.any() && fullScreen != frameDropped_ && view->superview()) {
    frameDropped_ = fullScreen;
    const NSRect bounds = view->superview()->bounds();
    view->setFrame(fullScreen ? bounds : insideFrame(bounds));
  }
  const NSRect rect = view->rectInWindow();
  if (rect == describedRect_) return;
  describedRect_ = rect;
  if (isVisible()) DisplayBackend::current().windowDescribed(windowNumber(), displayDescription());
}
