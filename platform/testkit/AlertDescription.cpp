// The "alert" section of Screen.describe(): the front-most alert on screen (the innermost one
// running, as a modal panel or a sheet), or null when none is up.
#include "appkit/panels/NSAlert.h"
#include "foundation/json/JsonWriter.h"
#include "testkit/ScreenDescription.h"
#include "testkit/SimulatedUser.h"

namespace {

// Registered when the platform library loads, replacing the placeholder section.
[[maybe_unused]] const bool registered = [] {
  ScreenDescription::registerSection("alert", [](JsonWriter& json) {
    NSAlert* alert = SimulatedUser::frontmostAlert();
    if (alert)
      alert->describe(json);
    else
      json.null();
  });
  return true;
}();

} // namespace
