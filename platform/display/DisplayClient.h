// DisplayClient: what a live display tells the layer above it. The application installs one;
// a display without real devices (the headless one) never calls it.
#pragma once

#include "display/DisplayForeignWindow.h"
#include "display/DisplayInput.h"
#include "display/DisplayWindow.h"

class DisplayClient {
public:
  virtual ~DisplayClient() = default;

  // Input from the user's devices. Called on the display's own thread, in the order the input
  // came; the client queues it for the main run loop.
  virtual void displayReceivedInput(const DisplayInput& input) = 0;

  // The following are called on the main thread.
  // The user or the window manager moved or resized the window; frame in screen points.
  virtual void displayMovedWindow(NSInteger windowNumber, NSRect frame) = 0;
  // The window received the keyboard focus of the screen.
  virtual void displayFocusedWindow(NSInteger windowNumber) = 0;
  // The user asked to close the window (the window manager's close button or menu).
  virtual void displayAskedToCloseWindow(NSInteger windowNumber) = 0;
  // The window's picture was lost (a live display that keeps none asks for a redraw).
  virtual void displayNeedsRedraw(NSInteger windowNumber) = 0;

  // Another toolkit of this process showed a window for the first time; the client adopts it
  // into a window whose description names it as its hosted window.
  virtual void displayFoundForeignWindow(const DisplayForeignWindow& window) = 0;
  // The toolkit changed the window: its title, the size it asks for, shown or hidden, raised.
  virtual void displayForeignWindowChanged(const DisplayForeignWindow& window) = 0;
  // The toolkit destroyed the window.
  virtual void displayForeignWindowGone(uint64_t id) = 0;

  // The desktop's look changed (DisplayBackend::appearance): dark or light, accent, text size.
  virtual void displayAppearanceChanged() {}

  // The display can no longer show anything (its server went away): whatever waits for the
  // user's answer must end, as nobody can give it.
  virtual void displayLost() {}
};
