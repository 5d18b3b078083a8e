// NSWindow: a window of the application. The window owns a frame view (NSThemeFrame) that fills
// it and holds the content view and the title-bar buttons; window coordinates are those of the
// frame view, origin at the window's lower-left corner. The application retains a window while
// it is open; a window is "on screen" while it is in NSApp's front-to-back screen list.
//
// Sections of the implementation: NSWindow.cpp (creation, geometry, content view, state,
// display), NSWindowOrdering.cpp (ordering, key and main status, close, events),
// NSWindowSheets.cpp (sheets and full screen).
#pragma once

#include <functional>
#include <vector>

#include "appkit/application/AppKitConstants.h"
#include "appkit/application/NSResponder.h"
#include "appkit/drawing/NSAppearance.h"
#include "appkit/views/NSView.h"
#include "appkit/windows/NSThemeFrame.h"
#include "display/DisplayWindow.h"

class NSArray;

class NSWindow : public NSResponder {
  NS_OBJECT_CLASS(NSWindow)

  // The window's frame is the content rectangle grown by the title bar (for titled windows).
  // Registers the window with the application and gives it the next window number.
  virtual NSWindow* initWithContentRect(NSRect contentRect, NSWindowStyleMask style,
                                        NSBackingStoreType backing, bool defer);
  ~NSWindow() override;

  // MARK: frame and content arithmetic
  static NSRect contentRectForFrameRect(NSRect frame, NSWindowStyleMask style);
  static NSRect frameRectForContentRect(NSRect content, NSWindowStyleMask style);
  NSRect contentRectForFrameRect(NSRect frame) const;
  NSRect frameRectForContentRect(NSRect content) const;
  // The part of the window not covered by the title bar, in window coordinates.
  NSRect contentLayoutRect() const;
  // The height of this window's title bar when it has one: AppKit's, unless the window hosts
  // another toolkit's window whose insets say otherwise.
  CGFloat titleBarHeight() const { return titleBarHeight_; }

  // MARK: geometry
  NSRect frame() const { return frame_; }
  void setFrame(NSRect frame, bool display);
  void setFrameOrigin(NSPoint origin);
  // Centres the window horizontally on the main screen and a little above its middle.
  void center();
  NSPoint convertPointToScreen(NSPoint point) const;
  NSPoint convertPointFromScreen(NSPoint point) const;

  // MARK: style
  NSWindowStyleMask styleMask() const { return styleMask_; }
  // Changing the mask keeps the frame and lays the content view out again, which autoresizes
  // its subviews. The full-screen bit belongs to toggleFullScreen and is kept as it is.
  void setStyleMask(NSWindowStyleMask mask);
  NSBackingStoreType backingType() const { return backing_; }
  NSWindowLevel level() const { return level_; }
  void setLevel(NSWindowLevel level);
  NSWindowCollectionBehavior collectionBehavior() const { return collectionBehavior_; }
  void setCollectionBehavior(NSWindowCollectionBehavior behavior) {
    collectionBehavior_ = behavior;
  }

  // MARK: title, number, appearance, restoration
  // The title is copied; a window made in code has the title "". nil sets "".
  NSString* title() const { return title_; }
  void setTitle(const NSString* title);
  NSInteger windowNumber() const { return number_; }
  NSAppearance* appearance() const { return appearance_; }
  void setAppearance(NSAppearance* appearance);
  NSAppearance* effectiveAppearance() const;
  bool titlebarAppearsTransparent() const { return titlebarAppearsTransparent_; }
  void setTitlebarAppearsTransparent(bool flag);
  bool isRestorable() const { return restorable_; }
  void setRestorable(bool flag) { restorable_ = flag; }
  // The class that restores the window, by name; nullptr (the default) for none.
  const char* restorationClass() const { return restorationClass_; }
  void setRestorationClass(const char* className) { restorationClass_ = className; }
  // Marks the restorable state dirty; nothing persists it on this platform.
  void invalidateRestorableState();
  unsigned long restorableStateInvalidationCount() const { return restorableStateInvalidations_; }
  bool isReleasedWhenClosed() const { return releasedWhenClosed_; }
  void setReleasedWhenClosed(bool flag) { releasedWhenClosed_ = flag; }

  // MARK: views
  NSView* contentView() const;
  // The window retains the new view, sizes it to the content area (the whole window with a
  // full-size content view), gives it the autoresizing mask width|height, and releases the
  // old one together with its subviews. nil leaves the window without a content view.
  void setContentView(NSView* view);
  NSThemeFrame* frameView() const { return frameView_; }
  // The close, miniaturize and zoom buttons of a titled window; nil for every other type (the
  // full-screen button is always nil, as on current macOS) and for windows without a title bar.
  NSWindowStandardButton* standardWindowButton(NSWindowButton button) const;

  // MARK: ordering and visibility
  void orderFront(NSObject* sender);
  void orderBack(NSObject* sender);
  void orderOut(NSObject* sender);
  void orderWindow(NSWindowOrderingMode place, NSInteger otherWindowNumber);
  void makeKeyAndOrderFront(NSObject* sender);
  bool isVisible() const;
  // Ordered out, marked closed, no longer retained by the application; released as well when
  // isReleasedWhenClosed. Sheet sessions are left to endSheet. A window may be closed when it
  // is not visible.
  virtual void close();
  bool isClosed() const { return closed_; }
  // As a click on the close button: closes the window when it has an enabled close button.
  void performClose(NSObject* sender);

  // MARK: key and main status
  virtual bool canBecomeKeyWindow() const;
  virtual bool canBecomeMainWindow() const;
  bool isKeyWindow() const;
  bool isMainWindow() const;
  // A window showing a sheet passes key status to the sheet; a window that cannot take input
  // now (another window runs a modal session) stays as it is.
  void makeKeyWindow();
  virtual void becomeKeyWindow() {}
  virtual void resignKeyWindow() {}

  // MARK: responders and events
  NSResponder* firstResponder() const;
  // nil makes the window itself first responder. Refused (false) when the current responder
  // will not resign, the new one will not become first responder, or is not in this window.
  bool makeFirstResponder(NSResponder* responder);
  // Routes an event of this window: mouse events to the view under them (the view that took
  // the mouse-down keeps the drags and the mouse-up), key events to the first responder.
  virtual void sendEvent(NSEvent* event);
  // Return and Escape that reach the end of the responder chain are offered to the views as key
  // equivalents, so a button whose key equivalent is "\r" acts as the default button.
  void keyDown(NSEvent* event) override;
  bool performKeyEquivalent(NSEvent* event) override;

  // MARK: sheets
  // Presents sheet under this window's title bar, centred horizontally, and makes it key;
  // returns at once. While a sheet is presented, further sheets wait in a queue and are
  // presented one after another as each is ended. The handler runs with the return code when
  // the sheet ends.
  void beginSheet(NSWindow* sheet, std::function<void(NSModalResponse)> handler);
  // Ends a sheet of this window with NSModalResponseStop (or the code): orders it out, runs its
  // handler, then presents the next queued sheet. nil logs AppKit's complaint; a window that is
  // not a sheet of this window is ignored.
  void endSheet(NSWindow* sheet);
  void endSheet(NSWindow* sheet, NSModalResponse returnCode);
  NSWindow* attachedSheet() const { return attachedSheet_; }
  NSWindow* sheetParent() const { return sheetParent_.get(); }
  // The presented sheet, then the queued ones.
  NSArray* sheets() const;
  // Whether this window has ever been presented as a sheet.
  bool isSheet() const { return everSheet_; }

  // MARK: full screen
  // Starts the transition into or out of full screen for a capable window; a transition that
  // is already running, a sheet, a panel or a window that cannot go full screen ignore it.
  void toggleFullScreen(NSObject* sender);
  bool isFullScreen() const { return styleMask_ & NSWindowStyleMaskFullScreen; }
  bool canEnterFullScreen() const;

  // MARK: display
  bool viewsNeedDisplay() const { return viewsNeedDisplay_; }
  void setViewsNeedDisplay(bool flag) { viewsNeedDisplay_ = flag; }
  // Posts the did-update notification, which the platform counts.
  void update();
  unsigned long updateCount() const { return updateCount_; }
  // Draws every view now / only the dirty ones, and presents the result.
  void display();
  void displayIfNeeded();
  unsigned long displayCount() const { return displayCount_; }
  // Runs a drawing pass over this window's views through the display, then presents.
  void drawViews(const std::function<void()>& pass);

  // MARK: the display (NSWindowDisplay.cpp)
  // What the display needs to show the window on a real screen.
  DisplayWindow displayDescription() const;
  // Draws the parts of the window that changed since the last pass (all of it the first time)
  // into the picture a live display keeps of it and shows them; false on a display that keeps
  // no picture.
  bool drawIntoDisplayPicture();
  // A rectangle of the window (window coordinates) whose pixels must be drawn again in the
  // display's picture on the next pass; views report their own as they are marked dirty.
  void invalidatePictureRect(NSRect rect);

  // MARK: platform internals
  // Called by a view of this window that leaves it or hides, so first-responder and mouse
  // tracking do not keep pointing into it.
  void viewWillLeave(NSView* view);
  // The on-screen state, maintained by NSApplication's screen list.
  void setOnScreen(bool flag) { onScreen_ = flag; }
  bool isDefunct() const { return defunct_; }

protected:
  // Set before initWithContentRect, by a window whose title bar must have another height.
  void setTitleBarHeight(CGFloat height) { titleBarHeight_ = height; }
  // A window that hosts another toolkit's window names it, and where its content lies, in the
  // description the display gets.
  virtual void describeHostedContent(DisplayWindow&) const {}
  // Called before every drawing pass and after every change of the frame: a window that hosts
  // another toolkit's window tells the display when its content has moved.
  virtual void hostedContentMayHaveMoved() {}

private:
  friend class NSApplication;

  NSInteger number_ = 0;
  NSRect frame_;
  NSWindowStyleMask styleMask_ = NSWindowStyleMaskBorderless;
  CGFloat titleBarHeight_ = kTitleBarHeight;
  NSBackingStoreType backing_ = NSBackingStoreBuffered;
  NSWindowLevel level_ = NSNormalWindowLevel;
  NSWindowCollectionBehavior collectionBehavior_ = NSWindowCollectionBehaviorDefault;
  Ref<NSString> title_;
  Ref<NSThemeFrame> frameView_;
  Ref<NSAppearance> appearance_;
  bool titlebarAppearsTransparent_ = false;
  bool restorable_ = true;
  const char* restorationClass_ = nullptr;
  unsigned long restorableStateInvalidations_ = 0;
  bool releasedWhenClosed_ = true;
  bool onScreen_ = false;
  bool closed_ = false;
  bool defunct_ = false; // closed and released: AppKit would have freed it
  // Not retained; a responder that has gone reads as nil, which means the window itself.
  Weak<NSResponder> firstResponder_;
  Weak<NSView> mouseTrackingView_;
  // Whether the display was last told to show the I-beam over the window.
  bool showsTextPointer_ = false;
  bool viewsNeedDisplay_ = false;
  // What changed in the display's picture since it was last drawn (window coordinates).
  std::vector<NSRect> pictureDamage_;
  unsigned long updateCount_ = 0;
  unsigned long displayCount_ = 0;

  // Sheets: the parent is not retained; the attached and queued sheets are.
  struct PendingSheet {
    Ref<NSWindow> sheet;
    std::function<void(NSModalResponse)> handler;
  };
  Weak<NSWindow> sheetParent_;
  Weak<NSWindow> queuedOn_; // the window whose sheet queue holds this one
  Ref<NSWindow> attachedSheet_;
  std::function<void(NSModalResponse)> attachedSheetHandler_;
  std::vector<PendingSheet> queuedSheets_;
  bool everSheet_ = false;
  bool hiddenWithParent_ = false;

  // Full screen.
  bool fullScreenTransition_ = false;
  NSRect frameBeforeFullScreen_;

  NSRect contentViewFrame() const;
  void layoutFrameView();
  void presentSheet(PendingSheet pending);
  void positionAttachedSheet();
  void finishFullScreenTransition(bool entering);
  void dropSheetsOnClose();
  NSView* viewForMouseEvent(NSEvent* event);
};
