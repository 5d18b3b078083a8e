// SimulatedUser: the user of the testkit, in C++ (ixa.testkit.User is its Java face).
//
// Every action may be called from any thread. The part that looks at the screen runs on the
// main thread through the main run loop (which serves it inside modal loops too); input then
// goes in as real input does: NSEvents injected through the display into the run loop's queue,
// routed by NSApp to the window, hit-tested to a view or sent to the first responder, offered
// as key equivalents. An action returns once its events have been dispatched (or have started
// a nested loop, such as a modal alert, that serves further work).
//
// Waiting: an action that names a target (a button title, the n-th text field) waits for it to
// appear, up to the limit; every action gives up when the main thread does not serve it within
// the limit (SimulatedUserError::Kind::Timeout).
#pragma once

#include <chrono>
#include <stdexcept>
#include <string>

#include "foundation/values/NSGeometry.h"

class NSAlert;
class NSWindow;

struct SimulatedUserError : std::runtime_error {
  enum class Kind { Timeout, BadArgument };
  SimulatedUserError(Kind kind, const std::string& message)
      : std::runtime_error(message), kind(kind) {}
  Kind kind;
};

namespace SimulatedUser {

// The testkit's one limit: how long an action waits for its target and for the main thread.
constexpr std::chrono::milliseconds kDefaultLimit{10000};

// Clicks the enabled, visible button with exactly this title in the front-most alert, sheet
// or window; false when none appeared within the limit.
bool pressButton(const std::u16string& title, std::chrono::milliseconds limit = kDefaultLimit);
// Clicks at a point in the window's coordinates (origin at its lower-left corner).
void click(NSInteger windowNumber, NSPoint point, std::chrono::milliseconds limit = kDefaultLimit);
// Types each character into the key window (a key-down and a key-up each).
void type(const std::u16string& text, std::chrono::milliseconds limit = kDefaultLimit);
// Presses one key by name ("Return", "Escape", "Tab", "Backspace", "Delete", "Left", "Right",
// "Up", "Down", "Home", "End", "Space", "Enter") or by its character (","); names ignore case.
// The names are those of UserInput::keyNamed, which pressShortcut reads too.
void pressKey(const std::u16string& key, std::chrono::milliseconds limit = kDefaultLimit);
// Clicks into the index-th editable text field (view-tree order) of the front-most alert,
// sheet or window, once it exists; a Timeout error when it never does.
void focusField(int index, std::chrono::milliseconds limit = kDefaultLimit);

// The front-most alert on screen (the innermost one running, as a modal panel or a sheet): the
// alert of the front-most visible alert panel in NSApp's on-screen order; nil when none is up.
// Main thread only.
NSAlert* frontmostAlert();
// The window a user action without a window addresses: the front-most alert's panel, else the
// key window's sheet (if any), else the key window, else the front-most ordinary window.
// Main thread only.
NSWindow* frontWindow();

} // namespace SimulatedUser
