// The "census" section of the screen's description: live platform objects per class, so that a
// Java test can see that a repeated operation leaves nothing behind.
#include "foundation/json/JsonWriter.h"
#include "foundation/runtime/NSCensus.h"
#include "testkit/ScreenDescription.h"

namespace {

const bool registered = [] {
  ScreenDescription::registerSection("census", [](JsonWriter& json) {
    json.beginObject();
    for (const auto& [className, live] : NSCensus::snapshot())
      json.field(className, live);
    json.endObject();
  });
  return true;
}();

} // namespace
