// UserInput: how the simulated user's input gets in. One table of keys, one reading of modifier
// names, one way to look at the screen on the main thread, one deliver-and-wait and one
// poll-until, shared by every action of the user (SimulatedUser, MenuUser, the colour panel), so
// that every action accepts the same key names and waits the same way.
//
// Implemented in UserInput.cpp and UserKeys.cpp.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "appkit/application/NSEvent.h"
#include "testkit/SimulatedUser.h"

namespace UserInput {

using Clock = std::chrono::steady_clock;

// How often a waiting action looks again for its target.
constexpr std::chrono::milliseconds kPollInterval{10};

// One key of the keyboard: what it types and its virtual key code on a US keyboard (0 for a
// character no key of that keyboard types).
struct Key {
  std::u16string characters;
  unsigned short keyCode = 0;
};

// The key a name stands for: "Return", "Enter", "Escape", "Tab", "Backspace", "Delete", "Left",
// "Right", "Up", "Down", "Home", "End", "Space" (names ignore case), or a single character (a
// surrogate pair included), which is itself. Anything else: SimulatedUserError BadArgument.
Key keyNamed(const std::u16string& name);
// The key that types this character (one UTF-16 unit or a surrogate pair).
Key keyTyping(std::u16string character);
// The flags of modifier names: "command" ("cmd"), "shift", "option" ("alt"), "control"
// ("ctrl"); names ignore case. Anything else: SimulatedUserError BadArgument.
NSEventModifierFlags modifiersNamed(const std::vector<std::u16string>& names);

// The time left before the deadline, never negative.
std::chrono::milliseconds remaining(Clock::time_point deadline);

// Runs work on the main thread (at once on it) and waits for it; SimulatedUserError Timeout,
// naming what, when the main thread does not finish it by the deadline. The work must own what it
// uses: the caller may stop waiting.
void onMain(std::function<void()> work, Clock::time_point deadline, const char* what);

// A look at the screen, on the main thread; its answer lives in shared state, because a caller
// that gives up must not leave the look writing into its stack.
template <class T>
std::optional<T> lookOnMain(std::function<std::optional<T>()> look, Clock::time_point deadline,
                            const char* what) {
  auto answer = std::make_shared<std::optional<T>>();
  onMain([answer, look = std::move(look)] { *answer = look(); }, deadline, what);
  return *answer;
}

// Waits one poll interval (or what is left before the deadline, if less): on the main thread
// by serving its run loop, so that what is waited for can happen, elsewhere by sleeping.
void pause(Clock::time_point deadline);

// Tries attempt until it gives an answer or the deadline passes (then nullopt); it is tried at
// least once, and once more at the deadline.
template <class T>
std::optional<T> pollUntil(const std::function<std::optional<T>()>& attempt,
                           Clock::time_point deadline) {
  for (;;) {
    const bool last = Clock::now() >= deadline;
    if (std::optional<T> answer = attempt()) return answer;
    if (last) return std::nullopt;
    pause(deadline);
  }
}

// The number of the key window, 0 when there is none; looked up on the main thread.
NSInteger keyWindowNumber(Clock::time_point deadline, const char* what);

// A mouse-down and mouse-up at a point of the window.
std::vector<Ref<NSEvent>> clickEvents(NSInteger windowNumber, NSPoint point);
// Appends a key-down and key-up of the key with those modifiers.
void appendKeyPress(std::vector<Ref<NSEvent>>& events, const Key& key, NSEventModifierFlags flags,
                    NSInteger windowNumber);

// Injects the events as the display delivers input, then waits until the one that acts (the
// last that is not a key-up) has been dispatched, or until the main thread serves a later task:
// a nested loop the input starts (a modal alert, an open menu) serves it, while a loop the input
// ends may return before the remaining events (a key-up) are served. SimulatedUserError Timeout
// when the main thread does not take the input by the deadline.
void deliver(std::vector<Ref<NSEvent>> events, Clock::time_point deadline);

} // namespace UserInput
