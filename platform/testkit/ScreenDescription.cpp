#include "ScreenDescription.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <utility>
#include <vector>

#include "JsonWriter.h"
#include "NSApplication.h"
#include "NSEvent.h"
#include "foundation/NSArray.h"

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
    sections->writers.emplace_back("userDefaults", [](JsonWriter& json) {
      json.beginObject();
      json.endObject();
    });
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
