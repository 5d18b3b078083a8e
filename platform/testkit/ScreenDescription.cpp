#include "testkit/ScreenDescription.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <utility>
#include <vector>

#include "appkit/application/NSApplication.h"
#include "appkit/application/NSEvent.h"
#include "foundation/collections/NSArray.h"
#include "foundation/json/JsonWriter.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/system/NSUserDefaults.h"
#include "foundation/values/NSNumber.h"

namespace {

struct Sections {
  std::mutex mutex;
  std::vector<std::pair<std::string, ScreenDescription::SectionWriter>> writers;
};

void writeWindows(JsonWriter& json) {
  json.beginArray();
  for (NSWindow* window : NSApplication::sharedApplication()->screenList())
    ScreenDescription::describeWindow(json, window);
  json.endArray();
}

void writeOffscreenWindows(JsonWriter& json) {
  json.beginArray();
  for (NSWindow* window : NSApplication::sharedApplication()->windowList())
    if (!window->isVisible()) ScreenDescription::describeWindow(json, window);
  json.endArray();
}

// A property-list value as JSON: booleans stay booleans, integers integers, so a test sees the
// type a default was stored with. Data and dates, which the defaults do not hold, would be null.
void writePropertyList(JsonWriter& json, const NSObject* value) {
  if (auto* string = ns_cast<NSString>(value)) return json.string(string);
  if (auto* number = ns_cast<NSNumber>(value)) {
    switch (number->kind()) {
    case NSNumber::Kind::Bool:
      return json.boolean(number->boolValue());
    case NSNumber::Kind::Int:
      return json.integer(number->longLongValue());
    case NSNumber::Kind::UInt:
    case NSNumber::Kind::Double:
      return json.number(number->doubleValue());
    }
  }
  if (auto* dictionary = ns_cast<NSDictionary>(value)) {
    json.beginObject();
    for (const auto& entry : dictionary->entries()) {
      auto* key = ns_cast<NSString>(entry.key);
      json.key(key ? key->utf8() : std::string());
      writePropertyList(json, entry.value);
    }
    return json.endObject();
  }
  if (auto* array = ns_cast<NSArray>(value)) {
    json.beginArray();
    for (NSUInteger i = 0; i < array->count(); ++i)
      writePropertyList(json, array->objectAtIndex(i));
    return json.endArray();
  }
  json.null();
}

// Every key and value of the standard user defaults, in the order the keys were first set.
void writeUserDefaults(JsonWriter& json) {
  NSAutoreleasePool pool; // describe() may run on a thread with no pool of its own
  writePropertyList(json, NSUserDefaults::standardUserDefaults()->dictionaryRepresentation());
}

Sections& sections() {
  static Sections* const registry = [] {
    auto* sections = new Sections;
    sections->writers.emplace_back("windows", writeWindows);
    sections->writers.emplace_back("offscreenWindows", writeOffscreenWindows);
    sections->writers.emplace_back("mainMenu", [](JsonWriter& json) {
      json.beginArray();
      json.endArray();
    });
    sections->writers.emplace_back("contextMenu", [](JsonWriter& json) { json.null(); });
    sections->writers.emplace_back("alert", [](JsonWriter& json) { json.null(); });
    sections->writers.emplace_back("colorPanel", [](JsonWriter& json) { json.null(); });
    sections->writers.emplace_back("userDefaults", writeUserDefaults);
    return sections;
  }();
  return *registry;
}

void writeWindowNumberOrNull(JsonWriter& json, const char* key, NSWindow* window) {
  if (window)
    json.field(key, static_cast<long>(window->windowNumber()));
  else
    json.nullField(key);
}

} // namespace

void ScreenDescription::registerSection(const std::string& key, SectionWriter writer) {
  Sections& registry = sections();
  std::lock_guard lock(registry.mutex);
  auto found = std::find_if(registry.writers.begin(), registry.writers.end(),
                            [&](const auto& entry) { return entry.first == key; });
  if (found != registry.writers.end())
    found->second = std::move(writer);
  else
    registry.writers.emplace_back(key, std::move(writer));
}

std::string ScreenDescription::describe() {
  BRIX_ASSERT_MAIN_THREAD();
  std::vector<std::pair<std::string, SectionWriter>> writers;
  {
    Sections& registry = sections();
    std::lock_guard lock(registry.mutex);
    writers = registry.writers;
  }
  JsonWriter json;
  json.beginObject();
  for (const auto& [key, writer] : writers) {
    json.key(key);
    writer(json);
  }
  json.endObject();
  return json.text();
}

void ScreenDescription::describeWindow(JsonWriter& json, NSWindow* window) {
  NSApplication* app = NSApplication::sharedApplication();
  NSArray* ordered = app->orderedWindows();
  json.beginObject();
  json.field("number", static_cast<long>(window->windowNumber()));
  json.field("title", window->title());
  json.field("class", window->className());
  json.field("inOrderedWindows", ordered->containsObject(window));
  json.key("frame");
  json.rect(window->frame());
  json.field("styleMask", static_cast<unsigned long>(window->styleMask()));
  json.field("visible", window->isVisible());
  json.field("key", window->isKeyWindow());
  json.field("restorable", window->isRestorable());
  json.field("appearance", window->appearance() ? window->appearance()->name() : nullptr);
  json.field("titlebarAppearsTransparent", window->titlebarAppearsTransparent());
  json.field("fullScreen", window->isFullScreen());
  writeWindowNumberOrNull(json, "sheetParent", window->sheetParent());
  writeWindowNumberOrNull(json, "attachedSheet", window->attachedSheet());
  json.key("contentView");
  if (NSView* content = window->contentView())
    content->describe(json);
  else
    json.null();
  json.endObject();
}
