// DisplayBackend: what a display does for the platform. It learns which windows are on screen
// and in what order, draws and presents windows, runs full-screen transitions, and produces
// input events, which it posts to the main run loop. The headless display keeps everything in
// memory; a live display shows windows on a real screen. Nothing above this interface may
// assume which one is installed. The display speaks in its own terms: windows are known by
// their window numbers and screen frames, input events are platform objects it hands on to the
// main run loop; it never sees an AppKit class.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "foundation/NSGeometry.h"

class NSObject;

class DisplayBackend {
public:
  virtual ~DisplayBackend() = default;

  // The installed display: the headless display unless another one was installed.
  static DisplayBackend& current();
  // Replaces the display; call before the first window is made.
  static void install(std::unique_ptr<DisplayBackend> display);

  virtual const char* name() const = 0;

  // MARK: screen
  virtual NSRect screenFrame() const = 0;
  virtual CGFloat backingScaleFactor() const = 0;

  // MARK: windows
  // The windows on screen, front to back, after every change of the order.
  virtual void windowStackChanged(const std::vector<NSInteger>& frontToBack) = 0;
  // The window's frame, in screen coordinates (origin at the lower left), has changed.
  virtual void windowFrameChanged(NSInteger windowNumber, NSRect frame) = 0;
  // The window is going away; the display lets go of everything it keeps for it.
  virtual void windowWillBeDestroyed(NSInteger windowNumber) = 0;
  // Runs a drawing pass over the window's views (drawRect calls); a display with a backing
  // store makes its graphics context current around it.
  virtual void drawWindow(NSInteger windowNumber, const std::function<void()>& drawPass);
  // The window's drawing is complete; show it.
  virtual void presentWindow(NSInteger windowNumber) = 0;
  // Animates the window into or out of full screen and calls completion, on the main thread,
  // when the transition has finished.
  virtual void beginFullScreenTransition(NSInteger windowNumber, bool entering,
                                         std::function<void()> completion) = 0;

  // MARK: input
  // Delivers an event as if it came from the user's devices (the simulated user calls this).
  virtual void injectEvent(NSObject* event);
};
