// DisplayBackend: what a display does for the platform. It learns which windows are on screen
// and in what order, draws and presents windows, runs full-screen transitions, and produces
// input events, which it posts to the main run loop. The headless display keeps everything in
// memory; a live display shows windows on a real screen. Nothing above this interface may
// assume which one is installed. The display speaks in its own terms: windows are known by
// their window numbers and screen frames, input events are platform objects it hands on to the
// main run loop; it never sees an AppKit class.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/DisplayAppearance.h"
#include "display/DisplayWindow.h"
#include "foundation/values/NSGeometry.h"

class DisplayClient;
class NSObject;
typedef struct _cairo_surface cairo_surface_t;

// One image of an icon: width x height pixels, row by row from the top, each 0xAARRGGBB with its
// colour not premultiplied by its alpha.
struct DisplayIconImage {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
};

// The pointer's shape over a part of a window: the arrow, or the I-beam over text one can select.
enum class DisplayPointerShape { Arrow, Text };

class DisplayBackend {
public:
  virtual ~DisplayBackend() = default;

  // The installed display: the headless display unless another one was installed.
  static DisplayBackend& current();
  // Replaces the display; call before the first window is made.
  static void install(std::unique_ptr<DisplayBackend> display);
  // The display the environment asks for: BRIX_DISPLAY=headless gives the headless display,
  // anything else the X server that DISPLAY names. When no X server can be used, the headless
  // display stands in, so that the platform never works on a missing display, and noScreen
  // says why (as a log line does).
  static std::unique_ptr<DisplayBackend> makeFromEnvironment(std::string* noScreen);
  // Why no user can see the installed display's windows: empty when they can (a live display, or
  // the headless display asked for), else what was tried and why it failed ("DISPLAY is not
  // set", an X server that cannot be reached or went away). Chooses the display when none is
  // installed yet.
  static std::string whyNoScreen();
  // Lets the headless display stand in for a missing X server without a reason: for the
  // testkit, whose simulated user answers windows wherever they are.
  static void allowHeadlessStandIn();
  // Where a live display reports what its user does; installed once by the application.
  static void setClient(DisplayClient* client);
  static DisplayClient* client();
  // The scale the application's own toolkit draws at, when the library can ask it (a Java VM's
  // sun.java2d.uiScale); 0 when it has none. A live display that is not told its scale by the
  // environment follows it, so that its windows and the toolkit's agree. Installed once, before
  // the display opens.
  static void setToolkitScale(double (*scale)());
  static double toolkitScale();
  // The application's name as its toolkit knows it, when the library can ask (a Java VM's main
  // class); empty when it has none. A live display names the application with it when nothing
  // else does. Installed once, before the display opens.
  static void setToolkitApplicationName(std::string (*name)());
  static std::string toolkitApplicationName();
  // The application's name for the user (window lists, the application menu): its bundle's
  // name, else its toolkit's, else the library's.
  static std::string applicationName();
  // The application's icon, in the sizes it comes in, for a live display to show with its
  // windows (a window manager's title bars and window lists). Installed once by the layer that
  // reads images, since the display reads none; asked for when the first window opens.
  static void setApplicationIcon(std::vector<DisplayIconImage> (*icon)());
  static std::vector<DisplayIconImage> applicationIcon();

  virtual const char* name() const = 0;
  // Whether windows appear on a real screen, driven by real devices.
  virtual bool isLive() const { return false; }
  // Empty while the display can show windows; a live display whose server went away says so.
  virtual std::string lostReason() const { return {}; }

  // MARK: screen
  virtual NSRect screenFrame() const = 0;
  virtual CGFloat backingScaleFactor() const = 0;

  // MARK: windows
  // The windows on screen, front to back, after every change of the order.
  virtual void windowStackChanged(const std::vector<NSInteger>& frontToBack) = 0;
  // The window's frame, in screen coordinates (origin at the lower left), has changed.
  virtual void windowFrameChanged(NSInteger windowNumber, NSRect frame) = 0;
  // What the window is and where it is; sent before it goes on screen and whenever its title,
  // kind or owner changes. A display without a screen ignores it.
  virtual void windowDescribed(NSInteger windowNumber, const DisplayWindow& window);
  // The window became the key window (0: no window is key); a live display gives it the
  // keyboard focus.
  virtual void windowBecameKey(NSInteger windowNumber);
  // The window is going away; the display lets go of everything it keeps for it.
  virtual void windowWillBeDestroyed(NSInteger windowNumber) = 0;
  // Runs a drawing pass over the window's views (drawRect calls); a display with a backing
  // store makes its graphics context current around it.
  virtual void drawWindow(NSInteger windowNumber, const std::function<void()>& drawPass);
  // The picture of the window a live display keeps: a Cairo RGB24 image surface of the window's
  // size in device pixels (the backing scale factor times its size in points), owned by the display
  // and valid until the window's next frame change; nullptr for a display that keeps none. A
  // surface that is new holds no picture yet.
  virtual cairo_surface_t* windowSurface(NSInteger windowNumber, bool* isNew);
  // The window's drawing is complete; show it.
  virtual void presentWindow(NSInteger windowNumber) = 0;
  // Shows the part of the window's picture that changed (window coordinates, points).
  virtual void presentWindowRect(NSInteger windowNumber, NSRect dirty);
  // Animates the window into or out of full screen and calls completion, on the main thread,
  // when the transition has finished.
  virtual void beginFullScreenTransition(NSInteger windowNumber, bool entering,
                                         std::function<void()> completion) = 0;

  // The pointer moved over a part of the window that wants another shape of it; a live display
  // shows it (except over the window's resizable edges, which show their resize arrows).
  virtual void windowPointerShapeChanged(NSInteger windowNumber, DisplayPointerShape shape);

  // The user pressed the window's title bar where no control lies: a live display moves the
  // window with the pointer until the button is released.
  virtual void windowDragStarted(NSInteger windowNumber);

  // MARK: clipboard
  // The text on the desktop's clipboard, whoever put it there; nullopt when it holds none, or
  // its owner does not hand it over in time. A display without a desktop keeps a clipboard of
  // its own. Any thread.
  virtual std::optional<std::u16string> clipboardText();
  // Puts text on the clipboard, for this application and every other one.
  virtual void setClipboardText(std::u16string text);
  // The same for the primary selection: the text last selected, which a middle click pastes.
  virtual std::optional<std::u16string> primarySelectionText();
  virtual void setPrimarySelectionText(std::u16string text);

  // MARK: the desktop's look
  // How the desktop wants applications to look now, BRIX_APPEARANCE applied; any thread.
  DisplayAppearance appearance() const;
  // Records a new look of the desktop; when it differs, the client hears of it on the main
  // thread (displayAppearanceChanged). A live display calls this as the desktop's settings
  // change; the simulated user does to try both looks.
  void setAppearance(DisplayAppearance appearance);

  // MARK: windows of other toolkits
  // Asks a foreign window's toolkit to close it, as a window manager's close button does; the
  // toolkit decides (it may hide it, destroy it or keep it).
  virtual void askForeignWindowToClose(uint64_t foreignWindow);
  // Reports to the client, before it returns, the foreign windows the display found shown as it
  // opened, so that a call that opened the display finds them adopted. Called on the main thread
  // once the client is set; a display that finds none does nothing.
  virtual void reportForeignWindowsFoundAtOpen();

  // MARK: pop-up menus
  // A pop-up menu is shown as a window of its own, known by a number below 0 that the caller
  // picks; while it is open it takes the pointer and the keyboard, and a click outside it
  // arrives as a mouse-down of the pop-up at a location outside its bounds. Its picture is
  // drawn through windowSurface and presentWindow like a window's.
  virtual void popUpOpened(NSInteger popUpNumber, const DisplayWindow& popUp);
  virtual void popUpClosed(NSInteger popUpNumber);

  // MARK: input
  // Delivers an event as if it came from the user's devices (the simulated user calls this).
  virtual void injectEvent(NSObject* event);
};
