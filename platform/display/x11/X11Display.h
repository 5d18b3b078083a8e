// X11Display: the live display on an X server (xcb). Every window, panel, alert, sheet and
// pop-up menu of the platform is a window of its own on the server, drawn by the platform into
// a picture that is uploaded as it changes; window-manager decorations are switched off, since
// our windows draw their own title bar.
//
// Threads: the methods of DisplayBackend run on the main thread. A thread of the display's own
// waits on the connection and turns X events into the platform's terms: input goes to the
// DisplayClient at once (it queues it for the main run loop), while moves, focus, close requests
// and exposures are handed to the main thread as tasks. Window records are shared by both and
// guarded by one mutex.
//
// Without a window manager (a bare Xvfb) nobody moves, raises or focuses windows: the display
// does it itself. Sections: X11Display.cpp (setup, windows, pictures), X11DisplayEvents.cpp (the
// event thread), X11DisplayPopUps.cpp (pop-up menus and their grabs).
#pragma once

#include <xcb/xcb.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "display/DesktopPortal.h"
#include "display/DisplayBackend.h"
#include "display/DisplayForeignWindow.h"
#include "display/DisplayInput.h"
#include "display/x11/X11DesktopSettings.h"
#include "display/x11/X11Keyboard.h"
#include "display/x11/X11Locking.h"
#include "display/x11/X11Selection.h"
#include "display/x11/X11Window.h"

class X11Display : public DisplayBackend {
public:
  // Connects to the server DISPLAY names; nullptr, with the reason in why, when it cannot.
  static std::unique_ptr<DisplayBackend> connect(std::string* why);
  ~X11Display() override;

  const char* name() const override { return "x11"; }
  bool isLive() const override { return true; }
  std::string lostReason() const override;
  std::optional<std::u16string> clipboardText() override;
  void setClipboardText(std::u16string text) override;
  std::optional<std::u16string> primarySelectionText() override;
  void setPrimarySelectionText(std::u16string text) override;
  NSRect screenFrame() const override;
  CGFloat backingScaleFactor() const override { return server_.scale; }

  void windowDescribed(NSInteger windowNumber, const DisplayWindow& window) override;
  void windowStackChanged(const std::vector<NSInteger>& frontToBack) override;
  void windowFrameChanged(NSInteger windowNumber, NSRect frame) override;
  void windowWillBeDestroyed(NSInteger windowNumber) override;
  void windowBecameKey(NSInteger windowNumber) override;
  void windowPointerShapeChanged(NSInteger windowNumber, DisplayPointerShape shape) override;
  cairo_surface_t* windowSurface(NSInteger windowNumber, bool* isNew) override;
  void presentWindow(NSInteger windowNumber) override;
  void presentWindowRect(NSInteger windowNumber, NSRect dirty) override;
  void beginFullScreenTransition(NSInteger windowNumber, bool entering,
                                 std::function<void()> completion) override;
  void windowDragStarted(NSInteger windowNumber) override;
  void askForeignWindowToClose(uint64_t foreignWindow) override;
  void reportForeignWindowsFoundAtOpen() override;
  void popUpOpened(NSInteger popUpNumber, const DisplayWindow& popUp) override;
  void popUpClosed(NSInteger popUpNumber) override;

  // The X window that shows a window (or pop-up) number; 0 when none does.
  xcb_window_t xWindowOf(NSInteger windowNumber) const;
  // Whether the open pop-up holds the pointer and keyboard grabs.
  bool popUpHasGrab() const { return popUpGrabbed_; }
  // Whether the open pop-up runs without the grabs, which another client kept from it: it
  // closes when the keyboard focus leaves our windows.
  bool popUpRunsUngrabbed() const { return ungrabbedPopUp_ != 0; }

private:
  X11Display() = default;
  bool open(std::string* why);

  X11Server server_;
  X11Keyboard keyboard_;
  xcb_window_t helper_ = 0; // unmapped; receives the message that stops the event thread
  // The desktop's CLIPBOARD and PRIMARY selections, served from the helper window; made as the
  // display opens.
  std::unique_ptr<X11Selection> clipboard_, primary_;
  X11DesktopSettings desktopSettings_;
  X11Cursors cursors_;
  std::mutex appearanceMutex_;
  // The settings portal's view of the look, which wins over XSETTINGS where it has one. Goes
  // first, as its thread reports through the members above.
  std::unique_ptr<DesktopPortal> portal_;
  // Combines what the settings daemon and the portal say and reports it (any thread).
  void refreshAppearance();

  mutable X11Mutex mutex_;
  std::map<NSInteger, std::unique_ptr<X11Window>> windows_ X11_GUARDED_BY(mutex_);
  std::map<xcb_window_t, NSInteger> numbersByXWindow_ X11_GUARDED_BY(mutex_);
  std::vector<NSInteger> stack_ X11_GUARDED_BY(mutex_); // front to back, as last shown

  // What only the main thread touches.
  X11ThreadRole mainThread_;
  NSInteger focused_ X11_GUARDED_BY(mainThread_) = 0;
  // Became key before it was mapped; before a window manager had shown it.
  NSInteger pendingFocus_ X11_GUARDED_BY(mainThread_) = 0;
  NSInteger focusOnceShown_ X11_GUARDED_BY(mainThread_) = 0;
  // The window whose frame is being taken from the server.
  NSInteger syncingFrameOf_ X11_GUARDED_BY(mainThread_) = 0;

  // What only the event thread touches (its handlers below require it).
  X11ThreadRole eventThread_;

  // A title-bar drag or a resize from the window's edges: the window, where in it the pointer
  // holds it (pixels) and, for a resize, the edges that follow the pointer, the window's
  // rectangle and the pointer's root position when the button went down.
  struct Drag {
    NSInteger window = 0;
    int grabX = 0, grabY = 0;
    unsigned edges = 0; // X11Edge bits; none for a move
    X11Rect start;
    int pressX = 0, pressY = 0;
  };
  Drag drag_ X11_GUARDED_BY(mutex_);
  // The last press, root position (x, y) and window-relative (w, h), and the pointer's last
  // root position: written by the event thread, read by a drag the main thread starts.
  X11Rect lastPress_ X11_GUARDED_BY(mutex_);
  NSInteger lastPressWindow_ X11_GUARDED_BY(mutex_) = 0;
  int pointerX_ X11_GUARDED_BY(mutex_) = 0, pointerY_ X11_GUARDED_BY(mutex_) = 0;
  bool buttonHeld_ X11_GUARDED_BY(mutex_) = false;

  // Pop-up grabs. The first pop-up (a menu) holds them; the pop-ups opened from it (its
  // submenus) are our windows too, so the pointer reaches them through the grab.
  NSInteger popUp_ = 0;
  std::vector<NSInteger> childPopUps_;
  std::atomic<NSInteger> ungrabbedPopUp_{0};
  std::atomic<bool> popUpGrabbed_{false};
  // Set by the event thread when the server closed the connection (it went away, or ended it).
  std::atomic<bool> connectionLost_{false};
  std::atomic<bool> stopGrabbing_{false};
  std::thread grabber_;

  // Top-level windows of another toolkit of this process (a Java VM's frames), found on the
  // root and hosted in a window of ours once the application adopts them.
  struct Foreign {
    NSInteger host = 0;     // the window of ours it lives in; 0 until it is hosted
    X11Rect rect;           // where it is: in the host's pixels once hosted, the root's before
    bool shown = false;     // whether its toolkit maps it
    int reparentUnmaps = 0; // unmaps that our reparenting caused, which its toolkit did not ask for
    bool takesFocus = false; // it takes the keyboard focus itself when offered (WM_TAKE_FOCUS)
    xcb_window_t focusProxy = XCB_NONE; // the child that holds its keyboard focus, if any
    // Where it was first put inside its host: what its toolkit counts as its frame's insets from
    // then on (AWT does), so that a position it asks for is its frame's, that far above and left
    // of its content.
    int insetLeft = 0, insetTop = 0;
    // Taken back from a window manager (and so unmapped) and not hosted yet.
    bool withdrawn = false;
    // The frame extents (left, right, top, bottom) the window manager had given it, which the
    // toolkit keeps as its insets; zero when no manager framed it.
    uint32_t managerExtents[4] = {};
    // It had the keyboard focus when it was taken from the window manager: it gets it back as
    // soon as its host is shown.
    bool focusToGiveBack = false;
  };
  std::map<xcb_window_t, Foreign> foreign_ X11_GUARDED_BY(mutex_);
  // The child windows of foreign windows that take their keyboard focus, and whose they are.
  std::map<xcb_window_t, xcb_window_t> foreignParts_ X11_GUARDED_BY(mutex_);
  // New top-levels of this process that a window manager is about to show: each is taken back
  // from it once it has.
  std::set<xcb_window_t> watched_ X11_GUARDED_BY(mutex_);
  // While a window manager runs, new top-levels of this process are caught as they are created
  // and kept in the pen, an unmapped window of ours, until the application hosts them: their
  // toolkit's map requests then come to us, and the manager never shows them in a frame of its
  // own. Created on the first need; the server's X-Resource extension tells whose a new window is.
  xcb_window_t pen_ X11_GUARDED_BY(eventThread_) = XCB_NONE;
  bool knowsClientPids_ = false;
  struct Penned {
    bool shown = false;  // its toolkit has asked to map it
    bool mapped = false; // someone else (a window manager that saw it first) mapped it in the pen
    std::chrono::steady_clock::time_point shownAt;
  };
  std::map<xcb_window_t, Penned> penned_ X11_GUARDED_BY(eventThread_);
  // The frame extents the running manager gave the last frame with a title bar it framed, learnt
  // from a window taken back from it (the event thread, and the opener before it starts): a
  // caught window is given them before the manager has answered its toolkit's question, for the
  // toolkit takes its insets from what is there as it learns of its new parent.
  std::array<uint32_t, 4> framedExtents_{};
  bool knowsFramedExtents_ = false;
  // How long a shown window waits in the pen for the window manager's answer to its toolkit's
  // question about frame extents (the toolkit keeps that answer as its insets).
  static constexpr std::chrono::milliseconds kPennedExtentsWait{250};
  // Foreign windows found while the display opens, not reported yet; the scan itself runs before
  // the event thread starts.
  std::vector<DisplayForeignWindow> foundAtOpen_ X11_GUARDED_BY(mutex_);
  bool scanningAtOpen_ = false;
  // Focus moved from hosts into their windows in the current second (event thread).
  static constexpr int kMostFocusForwardsPerSecond = 20;
  std::chrono::steady_clock::time_point focusForwardsSince_ X11_GUARDED_BY(eventThread_);
  int focusForwards_ X11_GUARDED_BY(eventThread_) = 0;
  bool focusFightLogged_ X11_GUARDED_BY(eventThread_) = false;
  // The host whose window last got back the focus it had before we took it from a window
  // manager, and when (event thread): the manager's offers to other hosts are ignored that long.
  static constexpr std::chrono::milliseconds kFocusGivenBackHolds{500};
  NSInteger lastFocusGivenBack_ X11_GUARDED_BY(eventThread_) = 0;
  std::chrono::steady_clock::time_point lastFocusGivenBackAt_ X11_GUARDED_BY(eventThread_);

  // Click counting (event thread).
  xcb_timestamp_t lastClickTime_ X11_GUARDED_BY(eventThread_) = 0;
  int lastClickX_ X11_GUARDED_BY(eventThread_) = 0, lastClickY_ X11_GUARDED_BY(eventThread_) = 0;
  int clickCount_ X11_GUARDED_BY(eventThread_) = 0;
  uint8_t lastClickButton_ X11_GUARDED_BY(eventThread_) = 0;

  std::thread events_;

  // Server times asked for by serverTime and answered by the event thread.
  std::mutex timeMutex_;
  std::condition_variable timeArrived_;
  uint64_t timesAsked_ = 0, timesAnswered_ = 0;
  xcb_timestamp_t lastServerTime_ = XCB_CURRENT_TIME;
  xcb_timestamp_t timeHandedOut_ = XCB_CURRENT_TIME;

  X11Window* windowLocked(NSInteger number) const X11_REQUIRES(mutex_);
  X11Window* createWindowLocked(NSInteger number, const DisplayWindow& description, bool popUp)
      X11_REQUIRES(mutex_);
  xcb_window_t ownerLocked(NSInteger owner) const X11_REQUIRES(mutex_);
  void destroyWindowLocked(NSInteger number) X11_REQUIRES(mutex_);
  // The keyboard focus goes to the window at the server time `time` (see serverTime).
  void focusLocked(X11Window* window, xcb_timestamp_t time) X11_REQUIRES(mutex_, mainThread_);
  // The server's time now, read from a property change on the helper window (main thread, not
  // holding mutex_). Focus changes carry it rather than CurrentTime, so that a toolkit answering a
  // focus offer late (AWT sets the focus itself when offered it) cannot take the focus back from
  // a window focused after the offer: the server ignores a focus change older than the last.
  xcb_timestamp_t serverTime();
  // A selection's text from whichever client owns it.
  std::optional<std::u16string> selectionText(X11Selection& selection);

  // X11DisplayEvents.cpp
  void runEvents();
  bool handleEvent(const xcb_generic_event_t* event) X11_REQUIRES(eventThread_);
  void handlePointer(const xcb_generic_event_t* event) X11_REQUIRES(eventThread_);
  void handleKey(const xcb_key_press_event_t* event, bool down);
  void handleConfigure(const xcb_configure_notify_event_t* event);
  void handleExpose(const xcb_expose_event_t* event) X11_REQUIRES(eventThread_);
  void handleFocusIn(const xcb_focus_in_event_t* event) X11_REQUIRES(eventThread_);
  void handleClientMessage(const xcb_client_message_event_t* event) X11_REQUIRES(eventThread_);
  bool continueDrag(int rootX, int rootY, bool released);
  bool startResize(NSInteger number, const xcb_button_press_event_t* press);
  void handleFocusOut(const xcb_focus_in_event_t* event);
  // The window of ours (or the host of the foreign window) that has the keyboard focus now.
  NSInteger windowHoldingFocus() const;
  NSInteger numberOf(xcb_window_t window) const;
  // A window manager may have started, left or been replaced: whether one runs is asked again.
  void followWindowManager();

  // X11DisplayForeign.cpp
  void adoptForeignWindowsShown();
  // justShown: the toolkit has just shown it (it is not one found shown at the start).
  void considerForeignWindow(xcb_window_t window, bool justShown = false);
  // Follows a foreign window from now on, as it is (found shown, taken back or caught).
  void trackForeignWindow(xcb_window_t window, Foreign foreign);
  void watchNewForeignWindow(xcb_window_t window) X11_REQUIRES(eventThread_);
  // Whether a window is one this display created (its id is in our connection's range).
  bool isOurOwn(xcb_window_t window) const;
  // X11DisplayForeignCatch.cpp
  bool catchNewForeignWindow(xcb_window_t window) X11_REQUIRES(eventThread_);
  bool handlePennedEvent(const xcb_generic_event_t* event) X11_REQUIRES(eventThread_);
  void adoptPennedWhenFramed(xcb_window_t window, bool late) X11_REQUIRES(eventThread_);
  void askAgainForLatePenned() X11_REQUIRES(eventThread_);
  void releasePenned() X11_REQUIRES(eventThread_);
  void noteForeignUserTime(xcb_window_t window);
  void giveBackFocusOnceHosted(NSInteger host) X11_REQUIRES(eventThread_);
  // Whether the event thread may move the focus from a host into its window once more now.
  bool mayForwardFocus() X11_REQUIRES(eventThread_);
  void takeFocusIntoHosted(NSInteger host) X11_REQUIRES(eventThread_);
  // X11DisplayForeignEvents.cpp
  bool handleForeignEvent(const xcb_generic_event_t* event) X11_REQUIRES(eventThread_);
  // X11DisplayForeign.cpp, hosting
  void hostForeignLocked(X11Window* host, const DisplayWindow& description) X11_REQUIRES(mutex_);
  void releaseForeignLocked(NSInteger host) X11_REQUIRES(mutex_);
  // Where a foreign window is on the root, in pixels.
  X11Rect onRootLocked(const Foreign& foreign) const X11_REQUIRES(mutex_);
  void tellForeignWhereLocked(xcb_window_t window, const Foreign& foreign) X11_REQUIRES(mutex_);
  void tellHostedWhereLocked(NSInteger host) X11_REQUIRES(mutex_);
  void focusForeignLocked(xcb_window_t window, const Foreign& foreign, xcb_timestamp_t time)
      X11_REQUIRES(mutex_);
  xcb_window_t foreignOf(xcb_window_t window) const;
  NSInteger hostOfForeignPart(xcb_window_t window) const;
  DisplayForeignWindow describeForeign(xcb_window_t window, const Foreign& foreign)
      X11_REQUIRES(mutex_);

  // X11DisplayPopUps.cpp
  void grabForPopUp(NSInteger number, xcb_window_t window);
  void grabFailed(NSInteger number, bool pointerGrabbed);
  void closePopUpFromOutside(NSInteger number);
  void stopGrabbing();
};
