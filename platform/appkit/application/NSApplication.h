// NSApplication: the one application object (NSApp). It keeps the application's windows (and
// retains those that are open), the front-to-back list of windows on screen, the key and main
// windows, the modal sessions and the application menu; it routes events from the run loop to
// windows and terminates the process.
//
// Sections of the implementation: NSApplication.cpp (windows, screen list, key and main
// status), NSApplicationEvents.cpp (event routing and modal sessions),
// NSApplicationTermination.cpp (terminate and the process-exit hook).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "appkit/application/AppKitConstants.h"
#include "appkit/application/NSResponder.h"
#include "appkit/drawing/NSAppearance.h"
#include "appkit/drawing/NSImage.h"
#include "appkit/menus/NSMenu.h"
#include "appkit/windows/NSWindow.h"

class NSApplication;
class NSArray;
class NSEvent;

// The application delegate protocol. Not retained by the application.
class NSApplicationDelegate {
public:
  virtual ~NSApplicationDelegate() = default;
  virtual NSApplicationTerminateReply applicationShouldTerminate(NSApplication*) {
    return NSTerminateNow;
  }
  virtual void applicationWillTerminate(NSApplication*) {}
};

class NSApplication : public NSResponder {
  NS_OBJECT_CLASS(NSApplication)

  // The shared application, made on first use; also sets NSApp.
  static NSApplication* sharedApplication();

  // MARK: windows
  // Every window that exists (open or ordered out, not yet released), in creation order.
  std::vector<NSWindow*> windowList() const;
  // On-screen windows front to back, without panels and without attached sheets.
  NSArray* orderedWindows() const;
  // Every on-screen window front to back, sheets and panels included.
  const std::vector<NSWindow*>& screenList() const { return screenList_; }
  // The window numbers of the screen list, front to back, as the display knows the windows.
  std::vector<NSInteger> screenNumbers() const;
  NSWindow* windowWithWindowNumber(NSInteger number) const;
  NSWindow* keyWindow() const { return keyWindow_; }
  NSWindow* mainWindow() const { return mainWindow_; }
  // The display pass that ends every run-loop turn: displayIfNeeded on every visible window.
  void displayWindowsIfNeeded();

  // MARK: appearance
  NSAppearance* appearance() const { return appearance_; }
  void setAppearance(NSAppearance* appearance) { appearance_ = retained(appearance); }
  // The application's appearance, else Aqua.
  NSAppearance* effectiveAppearance() const;

  // MARK: main menu
  // The menu bar. It starts with the application menu as a Java application's toolkit makes it:
  // one item titled after the process whose submenu holds "About <name>", "Preferences…",
  // "Services", "Hide <name>", "Hide Others", "Show All" and "Quit <name>", set apart by
  // separators. Key equivalents of its items are offered the key-downs that no view took.
  NSMenu* mainMenu() const;
  void setMainMenu(NSMenu* menu);
  // Replaces the items of the application menu (the submenu of the main menu's first item) by
  // items with these titles; "-" stands for a separator. Without such a submenu, nothing happens.
  void setApplicationMenuTitles(const std::vector<std::u16string>& titles);
  // Key equivalents that no view of the key window took are offered to the main menu through
  // this handler (installed by the menu code); it returns true when an item took the event.
  void setMainMenuKeyEquivalentHandler(std::function<bool(NSEvent*)> handler) {
    mainMenuKeyEquivalents_ = std::move(handler);
  }

  // MARK: events
  // Routes an event: mouse events to their window (refused for windows blocked by a modal
  // session or an attached sheet; a click activates its window), key events to the key window,
  // key equivalents (command or control held) first to the key window's views, then the menu.
  virtual void sendEvent(NSEvent* event);

  // MARK: modal sessions
  // Makes the window key and front, then serves the run loop, delivering input only to that
  // window (and its sheets), until stopModal/abortModal; returns the code. nil or a call off
  // the main thread return NSModalResponseAbort at once.
  NSModalResponse runModalForWindow(NSWindow* window);
  // Ends the innermost modal session (NSModalResponseStop, the code, NSModalResponseAbort).
  // Without a session nothing happens. abortModal may be called from any thread.
  void stopModal();
  void stopModalWithCode(NSModalResponse code);
  void abortModal();
  // Ends every modal session, innermost first, with NSModalResponseAbort. Main thread only.
  void abortEveryModalSession();
  NSWindow* modalWindow() const;
  // Whether the window accepts input now (the modal window, its sheets, panels that work when
  // modal; and no attached sheet blocks it).
  bool windowAcceptsInput(NSWindow* window) const;

  // MARK: icon
  // The icon alerts show: the one set, else the bundle's, else a generic application icon.
  NSImage* applicationIconImage() const;
  void setApplicationIconImage(NSImage* image) { iconImage_ = Ref<NSImage>(image); }

  // MARK: termination
  NSApplicationDelegate* delegate() const { return delegate_; }
  void setDelegate(NSApplicationDelegate* delegate) { delegate_ = delegate; }
  // Asks the delegate; on NSTerminateNow (or without a delegate) tells it the application will
  // terminate and exits the process through the termination handler. NSTerminateCancel
  // returns; NSTerminateLater serves the run loop until replyToApplicationShouldTerminate.
  void terminate(NSObject* sender);
  void replyToApplicationShouldTerminate(bool shouldTerminate);
  // What exiting the process means: the embedder's handler (the library's ends the JVM through
  // System.exit), or exit(0) without one. nullptr removes the handler. Tests install their own.
  static void setTerminationHandler(std::function<void()> handler);

  // MARK: platform internals (used by NSWindow)
  void registerWindow(NSWindow* window);
  void unregisterWindow(NSWindow* window);
  // An open window is retained by the application; a closed one is not.
  void setWindowOpen(NSWindow* window, bool open);
  // Moves a window in the screen list: above or below otherWindow, or to the front or back of
  // its level when otherWindow is nil; NSWindowOut takes it off the screen.
  void placeWindow(NSWindow* window, NSWindowOrderingMode place, NSWindow* otherWindow);
  void setKeyWindow(NSWindow* window);
  void setMainWindow(NSWindow* window);
  void windowWillClose(NSWindow* window);
  // Tells the display what every on-screen window is, then their order.
  void showScreenListOnDisplay();
  // Takes the desktop's look from the display: the system appearance, the accent colour and the
  // system fonts' text scale.
  static void followDesktopAppearance();
  // Marks every window for a full redraw (the look changed).
  void redrawEveryWindow();

protected:
  // terminate: (the application menu's Quit), for the responder chain.
  std::span<const NSActionEntry> actionTable() const override;

private:
  // Sends the menus' nil-targeted actions along the responder chain; once, as the application
  // is made.
  static void installResponderChain();

  struct ModalSession {
    NSWindow* window;
    bool stopped = false;
    NSModalResponse code = NSModalResponseContinue;
  };

  std::vector<NSWindow*> allWindows_; // not retained
  std::vector<Ref<NSWindow>> openWindows_;
  std::vector<NSWindow*> screenList_; // front to back, not retained (open windows are)
  Weak<NSWindow> keyWindow_;
  Weak<NSWindow> mainWindow_;
  Ref<NSAppearance> appearance_;
  Ref<NSMenu> mainMenu_;
  std::function<bool(NSEvent*)> mainMenuKeyEquivalents_;
  std::vector<ModalSession*> modalSessions_;
  Ref<NSImage> iconImage_;
  NSApplicationDelegate* delegate_ = nullptr;
  bool awaitingTerminateReply_ = false;
  std::optional<bool> terminateReply_;

  void restackSheets();
  void chooseKeyAndMainWindows();
  // Receives what a live display reports (NSApplicationDisplay.cpp).
  void listenToDisplay();
  void exitProcess();
};

// The shared application; nil until sharedApplication is first called.
extern NSApplication* NSApp;
