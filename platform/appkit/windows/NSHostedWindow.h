// NSHostedWindow: a window of the application that hosts a top-level window of another toolkit
// in this process (a Java frame or dialog), as AppKit's windows are a Java frame's on the Mac. The
// application adopts every such window a live display finds: this window gets the foreign
// window's title and place, draws the title bar around it, and keeps the foreign content where
// its NSHostedContentView lies, so ordering, sheets, full screen and restyling act on the Java
// window as on any other. It follows what the other toolkit does (shows, hides, retitles,
// resizes, destroys its window); closing it asks that toolkit to close its window, as the user
// closing it would, and the window closes for good when the toolkit destroys its own.
#pragma once

#include <cstdint>

#include "appkit/views/NSHostedContentView.h"
#include "appkit/windows/NSWindow.h"
#include "display/DisplayForeignWindow.h"

class NSHostedWindow : public NSWindow {
  NS_OBJECT_CLASS(NSHostedWindow)

  // A window hosting the foreign window, with the foreign window's title and its content where
  // the foreign window's content is on screen. Not yet ordered in. As with any window, the
  // caller's reference is the one that closing releases.
  NSHostedWindow* initWithForeignWindow(const DisplayForeignWindow& foreign);
  // The open window that hosts the foreign window, or nil.
  static NSHostedWindow* windowHosting(uint64_t foreignWindow);

  uint64_t foreignWindow() const { return foreignWindow_; }
  NSHostedContentView* hostedView() const { return hostedView_.get(); }
  // Whether the other toolkit still has the window (it has not destroyed it).
  bool hasForeignWindow() const { return !foreignGone_; }

  // What the other toolkit did to its window: shown or hidden, retitled, a new size or place
  // asked for (foreign.frame is where it wants its content on screen), raised.
  void foreignWindowChanged(const DisplayForeignWindow& foreign);
  // The other toolkit destroyed its window: this one closes.
  void foreignWindowGone();

  // Asks the other toolkit to close its window (its own close handling runs: it may hide the
  // window, destroy it or keep it); the window itself closes once the toolkit has destroyed its
  // own. A window whose foreign window is gone closes at once.
  void close() override;
  bool canBecomeKeyWindow() const override { return true; }

protected:
  void describeHostedContent(DisplayWindow& description) const override;
  void hostedContentMayHaveMoved() override;

private:
  uint64_t foreignWindow_ = 0;
  // The foreign window a dialog belongs to; 0 for none.
  uint64_t foreignOwner_ = 0;
  Weak<NSHostedContentView> hostedView_;
  bool foreignGone_ = false;
  // The frame of a window manager's size around the hosted view, which full screen drops.
  DisplayForeignWindow::Insets frameInsets_;
  bool frameDropped_ = false;

  // The part of the content view's bounds inside that frame (all of it without one).
  NSRect insideFrame(NSRect bounds) const;
  // Where the hosted content was when the display was last told.
  NSRect describedRect_;
};
