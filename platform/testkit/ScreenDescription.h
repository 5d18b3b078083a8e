// ScreenDescription: the state of the screen as one JSON object, for Screen.describe().
//
// The object is made of named sections, written in the order in which they were first
// registered. This file registers "windows" (every on-screen window front to back, sheets and
// panels included), "offscreenWindows", "mainMenu" (the application menu) and placeholders for
// "contextMenu", "alert", "colorPanel" and "userDefaults"; the code that owns those parts
// registers its own writer under the same key to replace the placeholder. Views describe
// themselves (NSView::describe and describeFields).
#pragma once

#include <functional>
#include <string>

class JsonWriter;
class NSWindow;

class ScreenDescription {
public:
  // Writes one JSON value: the section's content.
  using SectionWriter = std::function<void(JsonWriter& json)>;

  // Adds a section or replaces the writer of an existing one (keeping its place). Safe to call
  // from static initialisers.
  static void registerSection(const std::string& key, SectionWriter writer);

  // The whole description. Main thread only.
  static std::string describe();

  // One window as the "windows" and "offscreenWindows" sections show it.
  static void describeWindow(JsonWriter& json, NSWindow* window);
};
