// The simulated user's way in: looks on the main thread, deliver-and-wait, poll-until.
#include "testkit/UserInput.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "appkit/application/NSApplication.h"
#include "display/DisplayBackend.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/runtime/NSAutoreleasePool.h"

namespace UserInput {

std::chrono::milliseconds remaining(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return std::max(left, std::chrono::milliseconds(0));
}

void onMain(std::function<void()> work, Clock::time_point deadline, const char* what) {
  // A look at the deadline still gets one poll interval, so that a main thread that serves its
  // loop answers it rather than being taken for one that does not.
  const auto timeout = std::max(remaining(deadline), kPollInterval);
  if (!NSRunLoop::mainRunLoop().performOnMain(std::move(work), timeout))
    throw SimulatedUserError(SimulatedUserError::Kind::Timeout,
                             std::string("the main thread did not serve the simulated user (") +
                                 what + ") within the time limit");
}

void pause(Clock::time_point deadline) {
  const auto wait = std::min(kPollInterval, remaining(deadline));
  if (NSThread::isMainThread())
    NSRunLoop::mainRunLoop().runUntil([] { return false; }, Clock::now() + wait);
  else
    std::this_thread::sleep_for(wait);
}

NSInteger keyWindowNumber(Clock::time_point deadline, const char* what) {
  return lookOnMain<NSInteger>(
             []() -> std::optional<NSInteger> {
               NSWindow* key = NSApplication::sharedApplication()->keyWindow();
               return key ? key->windowNumber() : 0;
             },
             deadline, what)
      .value_or(0);
}

std::vector<Ref<NSEvent>> clickEvents(NSInteger windowNumber, NSPoint point) {
  NSAutoreleasePool pool;
  std::vector<Ref<NSEvent>> events;
  for (NSEventType type : {NSEventTypeLeftMouseDown, NSEventTypeLeftMouseUp})
    events.emplace_back(NSEvent::mouseEventWithType(type, point, 0, NSEvent::currentTimestamp(),
                                                    windowNumber, nullptr, 0, 1, 1));
  return events;
}

void appendKeyPress(std::vector<Ref<NSEvent>>& events, const Key& key, NSEventModifierFlags flags,
                    NSInteger windowNumber) {
  NSAutoreleasePool pool;
  NSString* text = NSString::stringWithCharacters(key.characters.data(), key.characters.size());
  for (NSEventType type : {NSEventTypeKeyDown, NSEventTypeKeyUp})
    events.emplace_back(NSEvent::keyEventWithType(type, NSZeroPoint, flags,
                                                  NSEvent::currentTimestamp(), windowNumber,
                                                  nullptr, text, text, false, key.keyCode));
}

void deliver(std::vector<Ref<NSEvent>> events, Clock::time_point deadline) {
  if (events.empty()) return;
  std::size_t acting = events.size() - 1;
  while (acting > 0 && events[acting]->type() == NSEventTypeKeyUp)
    --acting;
  auto markerServed = std::make_shared<std::atomic<bool>>(false);
  for (auto& event : events)
    DisplayBackend::current().injectEvent(event);
  NSRunLoop::mainRunLoop().performAsync([markerServed] { *markerServed = true; });
  NSEvent* event = events[acting];
  // The run loop holds each queued event until it has served it; only ours is left then.
  auto done = [&] { return *markerServed || event->retainCount() == 1; };
  if (NSThread::isMainThread()) {
    NSRunLoop::mainRunLoop().runUntil(done, deadline);
  } else {
    while (!done() && Clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (!done())
    throw SimulatedUserError(SimulatedUserError::Kind::Timeout,
                             "the main thread did not take the simulated input within the time "
                             "limit");
}

} // namespace UserInput
