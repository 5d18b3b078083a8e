#include "appkit/windows/NSThemeFrame.h"
#include "appkit/look/WindowChromeLook.h"

void NSThemeFrame::setContentView(NSView* view) {
  if (view == contentView_) return;
  if (contentView_) contentView_->removeFromSuperview(); // clears contentView_
  if (!view) return;
  addSubview(view, NSWindowBelow, nullptr);
  contentView_ = view;
}

NSWindowStandardButton* NSThemeFrame::standardButton(NSWindowButton type) {
  if (type > NSWindowZoomButton) return nullptr;
  Ref<NSWindowStandardButton>& button = buttons_[type];
  if (!button) {
    button = adopted(NSWindowStandardButton::alloc()->initWithType(type));
    button->setAutoresizingMask(NSViewMaxXMargin | NSViewMinYMargin);
    addSubview(button);
    layoutButtons();
  }
  return button;
}

void NSThemeFrame::layoutForWindow(NSSize windowSize, NSRect contentFrame, NSWindowStyleMask style,
                                   CGFloat titleBarHeight) {
  style_ = style;
  titleBarHeight_ = titleBarHeight;
  windowSize_ = windowSize;
  // The window places every part itself; nothing inside may autoresize on the way.
  setAutoresizesSubviews(false);
  setFrame({NSZeroPoint, windowSize});
  if (contentView_) contentView_->setFrame(contentFrame);
  if (style & NSWindowStyleMaskTitled)
    for (NSUInteger type = NSWindowCloseButton; type <= NSWindowZoomButton; ++type)
      standardButton(static_cast<NSWindowButton>(type));
  layoutButtons();
}

void NSThemeFrame::layoutButtons() {
  const bool titled = style_ & NSWindowStyleMaskTitled;
  const bool fullScreen = style_ & NSWindowStyleMaskFullScreen;
  const NSWindowStyleMask enabling[3] = {NSWindowStyleMaskClosable, NSWindowStyleMaskMiniaturizable,
                                         NSWindowStyleMaskResizable};
  for (NSUInteger type = NSWindowCloseButton; type <= NSWindowZoomButton; ++type) {
    NSWindowStandardButton* button = buttons_[type];
    if (!button) continue;
    const CGFloat y =
        windowSize_.height - titleBarHeight_ + (titleBarHeight_ - kButtonSize.height) / 2;
    button->setFrame({{kFirstButtonX + type * kButtonSpacing, y}, kButtonSize});
    // A full-screen window hides its title bar and with it the buttons.
    button->setHidden(!titled || fullScreen);
    button->setEnabled(style_ & enabling[type]);
  }
}

void NSThemeFrame::willRemoveSubview(NSView* view) {
  if (view == contentView_) contentView_ = nullptr;
}

void NSThemeFrame::drawRect(NSRect) {
  NSDrawThemeFrame(this);
}
