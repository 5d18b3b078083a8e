// NSThemeFrame: the frame view of a window. It fills the window, holds the content view and,
// for titled windows, the close, miniaturize and zoom buttons at the left of the title bar,
// which stay glued to the window's top edge. Its look (the title bar) is in
// appkit/look/WindowChromeLook.
#pragma once

#include "appkit/views/NSView.h"
#include "appkit/windows/NSWindowStandardButton.h"

class NSThemeFrame : public NSView {
  NS_OBJECT_CLASS(NSThemeFrame)

  // Title-bar buttons, measured from the window's left edge and the title bar's top.
  static constexpr NSSize kButtonSize{14, 16};
  static constexpr CGFloat kFirstButtonX = 7;
  static constexpr CGFloat kButtonSpacing = 20; // from one button's left edge to the next

  NSView* contentView() const { return contentView_; }
  // Puts view in the content view's place (below the title-bar buttons); nil removes it.
  void setContentView(NSView* view);
  // The button of that type, made on first request; nil for types without a button.
  NSWindowStandardButton* standardButton(NSWindowButton type);
  // Lays out the frame view for a window of that size: the content view gets contentFrame, the
  // title-bar buttons sit in the title bar (titleBarHeight high), shown only when titled;
  // closable, miniaturizable and resizable windows get enabled buttons.
  void layoutForWindow(NSSize windowSize, NSRect contentFrame, NSWindowStyleMask style,
                       CGFloat titleBarHeight);

  void willRemoveSubview(NSView* view) override;
  void drawRect(NSRect dirtyRect) override;

private:
  NSView* contentView_ = nullptr; // a subview, retained as such
  Ref<NSWindowStandardButton> buttons_[3];
  NSWindowStyleMask style_ = NSWindowStyleMaskBorderless;
  NSSize windowSize_;
  CGFloat titleBarHeight_ = 0;

  void layoutButtons();
};
