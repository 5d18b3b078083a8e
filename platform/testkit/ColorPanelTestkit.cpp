// ixa.testkit.User.pickColor, and the "colorPanel" section of the screen description.
#include "testkit/ColorPanelTestkit.h"

#include <jni.h>

#include <cmath>
#include <optional>
#include <string>

#include "appkit/panels/NSColorPanel.h"
#include "foundation/json/JsonWriter.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "testkit/ScreenDescription.h"
#include "testkit/TestkitJni.h"
#include "testkit/UserActionJni.h"
#include "testkit/UserInput.h"

namespace {

using namespace UserInput;

// Components beyond 1 are wide-gamut colours, which a panel can give; a negative component, one
// past this bound, or one that is not a number is no colour a user could pick.
constexpr double kLargestComponent = 255.0;

bool isPickable(double component) {
  return std::isfinite(component) && component >= 0 && component <= kLargestComponent;
}

// Picks the colour when the panel is on screen; false when it is not. Main thread only.
bool pickIfShown(double red, double green, double blue) {
  BRIX_ASSERT_MAIN_THREAD();
  if (!NSColorPanel::sharedColorPanelExists() || !NSColorPanel::sharedColorPanel()->isVisible())
    return false;
  NSAutoreleasePool pool;
  NSColorPanel::sharedColorPanel()->pickColor(
      NSColor::colorWithCalibratedRed(red, green, blue, 1.0));
  return true;
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

void pickShownColor(double red, double green, double blue, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  // One attempt: picked, or no answer while the panel is not on screen.
  const auto pickOnce = [=]() -> std::optional<bool> {
    const auto pick = [red, green, blue]() -> std::optional<bool> {
      if (pickIfShown(red, green, blue)) return true;
      return std::nullopt;
    };
    return lookOnMain<bool>(pick, deadline, "pickColor");
  };
  if (!pollUntil<bool>(pickOnce, deadline))
    throw SimulatedUserError(SimulatedUserError::Kind::Timeout,
                             "the colour panel was not on screen within " +
                                 std::to_string(limit.count() / 1000) + " s");
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
  testkit::act(env, "User.pickColor", [&] { pickShownColor(red, green, blue); });
}
