// ixa.testkit.User.pickColor, and the "colorPanel" section of the screen description.
#include "ColorPanelTestkit.h"

#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <thread>

#include "JsonWriter.h"
#include "NSColorPanel.h"
#include "NSRunLoop.h"
#include "ScreenDescription.h"
#include "TestkitJni.h"
#include "foundation/NSAutoreleasePool.h"
#include "foundation/NSThread.h"

namespace {

using Clock = std::chrono::steady_clock;
// How long a pick waits for the panel to be on screen, as every User action waits for its target.
constexpr std::chrono::milliseconds kWaitLimit{10000};
constexpr std::chrono::milliseconds kPollInterval{10};
// Components beyond 1 are wide-gamut colours, which a panel can give; a negative component, one
// past this bound, or one that is not a number is no colour a user could pick.
constexpr double kLargestComponent = 255.0;

bool isPickable(double component) {
  return std::isfinite(component) && component >= 0 && component <= kLargestComponent;
}

bool panelIsShown() {
  return NSColorPanel::sharedColorPanelExists() && NSColorPanel::sharedColorPanel()->isVisible();
}

// Picks the colour when the panel is on screen; false when it is not. Main thread only.
bool pickIfShown(double red, double green, double blue) {
  if (!panelIsShown()) return false;
  NSAutoreleasePool pool;
  NSColorPanel::sharedColorPanel()->pickColor(
      NSColor::colorWithCalibratedRed(red, green, blue, 1.0));
  return true;
}

// Whether the pick happened before the deadline. On the main thread the run loop is served
// while waiting for the panel; from another thread each attempt is handed to the main thread
// (a false answer from runOnMain has already thrown).
enum class Outcome { Picked, NotShown, MainThreadBusy };

Outcome pickBefore(JNIEnv* env, Clock::time_point deadline, double red, double green, double blue) {
  if (NSThread::isMainThread()) {
    if (pickIfShown(red, green, blue)) return Outcome::Picked;
    NSRunLoop::mainRunLoop().runUntil(panelIsShown, deadline);
    return pickIfShown(red, green, blue) ? Outcome::Picked : Outcome::NotShown;
  }
  for (;;) {
    auto picked = std::make_shared<bool>(false);
    if (!testkit::runOnMain(env, "pickColor", [=] { *picked = pickIfShown(red, green, blue); }))
      return Outcome::MainThreadBusy;
    if (*picked) return Outcome::Picked;
    if (Clock::now() >= deadline) return Outcome::NotShown;
    std::this_thread::sleep_for(kPollInterval);
  }
}

[[maybe_unused]] const bool registered = [] {
  ScreenDescription::registerSection("colorPanel", describeColorPanel);
  return true;
}();

} // namespace

void describeColorPanel(JsonWriter& json) {
  if (NSColorPanel::sharedColorPanelExists()) {
    NSColorPanel::sharedColorPanel()->describePanel(json);
    return;
  }
  json.beginObject();
  json.field("visible", false);
  json.field("key", false);
  json.key("color");
  json.beginArray();
  for (int component = 0; component < 4; ++component)
    json.number(1);
  json.endArray();
  json.field("hasTarget", false);
  json.nullField("action");
  json.endObject();
}

// static void ixa.testkit.User.pickColor(double red, double green, double blue)
extern "C" JNIEXPORT void JNICALL Java_ixa_testkit_User_pickColor(JNIEnv* env, jclass, jdouble red,
                                                                  jdouble green, jdouble blue) {
  if (!isPickable(red) || !isPickable(green) || !isPickable(blue)) {
    testkit::throwJava(env, testkit::kIllegalArgument,
                       "User.pickColor: each component must be a number from 0 to 255 (1 is "
                       "full intensity)");
    return;
  }
  testkit::guarded(env, "pickColor", [&] {
    switch (pickBefore(env, Clock::now() + kWaitLimit, red, green, blue)) {
    case Outcome::Picked:
    case Outcome::MainThreadBusy:
      return;
    case Outcome::NotShown:
      testkit::throwJava(env, testkit::kIllegalState,
                         "User.pickColor: the colour panel was not on screen within 10 s");
    }
  });
}
