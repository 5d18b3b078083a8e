// The testkit's description of the screen: valid JSON (read back with a real parser), every
// window and view field, the flags that tell which windows orderedWindows lists, and sections
// that other code replaces.
#include <simdjson.h>

#include <cmath>

#include "AppKitFixture.h"
#include "appkit/views/NSVisualEffectView.h"
#include "foundation/json/JsonWriter.h"
#include "testkit/ScreenDescription.h"

using Description = AppKitTest;
using simdjson::dom::array;
using simdjson::dom::element;
using simdjson::dom::object;

namespace {

element windowNamed(element root, const char* section, std::string_view title) {
  for (element window : array(root[section]))
    if (std::string_view(window["title"]) == title) return window;
  ADD_FAILURE() << "no window titled " << title << " in " << section;
  return root;
}

} // namespace

TEST(JsonWriterTest, EscapesTextAndWritesNumbersExactly) {
  JsonWriter json;
  json.beginObject();
  json.key("text");
  json.string(std::u16string_view(u"q\"b\\n\n\x01 é 😀"));
  json.field("numbers", 0.1);
  json.key("list");
  json.beginArray();
  json.number(NAN);
  json.number(-0.0);
  json.number(400);
  json.integer(-3);
  json.endArray();
  json.field("none", static_cast<const char*>(nullptr));
  json.key("a \"key\" \x7f é"); // a key that needs escapes as much as a value
  json.string(std::u16string_view(u"plain run\x7f"));
  json.endObject();
  EXPECT_EQ(json.text(),
            R"({"text":"q\"b\\n\n\u0001 \u00e9 \ud83d\ude00","numbers":0.1,)"
            R"("list":[null,0,400,-3],"none":null,"a \"key\" \u007f \u00e9":"plain run\u007f"})");
  simdjson::dom::parser parser;
  element root = parser.parse(json.text());
  EXPECT_EQ(std::string_view(root["text"]), "q\"b\\n\n\x01 é 😀");
}

TEST_F(Description, WindowsSheetsAndViews) {
  NSWindow* parent = makeWindow("Parent \"1\" ü", NSMakeRect(100, 100, 800, 600));
  parent->setStyleMask(parent->styleMask() | NSWindowStyleMaskFullSizeContentView);
  parent->setAppearance(NSAppearance::appearanceNamed(NSAppearanceNameVibrantLight));
  parent->setTitlebarAppearsTransparent(true);
  Ref<NSVisualEffectView> effect = adopted(NSVisualEffectView::alloc()->init());
  parent->setContentView(effect);
  Ref<NSView> child = adopted(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 800, 550)));
  child->setAutoresizingMask(18);
  effect->addSubview(child);
  child->layer()->setBackgroundColor(NSColor::clearColor());
  NSWindow* sheet = makeWindow("Sheet", NSMakeRect(0, 0, 400, 200), NSWindowStyleMaskTitled, false);
  parent->beginSheet(sheet, nullptr);
  makeWindow("Hidden", NSMakeRect(0, 0, 10, 10), kDocumentStyle, false);

  simdjson::dom::parser parser;
  const std::string text = ScreenDescription::describe();
  element root = parser.parse(text);
  for (const char* section : {"windows", "offscreenWindows", "mainMenu", "contextMenu", "alert",
                              "colorPanel", "userDefaults"})
    EXPECT_FALSE(root[section].error()) << section;

  element p = windowNamed(root, "windows", "Parent \"1\" ü");
  EXPECT_EQ(int64_t(p["number"]), parent->windowNumber());
  EXPECT_EQ(std::string_view(p["class"]), "NSWindow");
  EXPECT_TRUE(bool(p["inOrderedWindows"]));
  EXPECT_EQ(uint64_t(p["styleMask"]), 15u | 0x8000u);
  EXPECT_TRUE(bool(p["visible"]));
  EXPECT_FALSE(bool(p["key"]));
  EXPECT_TRUE(bool(p["restorable"]));
  EXPECT_EQ(std::string_view(p["appearance"]), "NSAppearanceNameVibrantLight");
  EXPECT_TRUE(bool(p["titlebarAppearsTransparent"]));
  EXPECT_FALSE(bool(p["fullScreen"]));
  EXPECT_TRUE(p["sheetParent"].is_null());
  EXPECT_EQ(int64_t(p["attachedSheet"]), sheet->windowNumber());
  array frame = p["frame"];
  EXPECT_EQ(double(frame.at(2)), 800);

  element content = p["contentView"];
  EXPECT_EQ(std::string_view(content["class"]), "NSVisualEffectView");
  EXPECT_EQ(uint64_t(content["autoresizingMask"]), 18u);
  EXPECT_FALSE(bool(content["hidden"]));
  EXPECT_EQ(int64_t(content["blendingMode"]), 0);
  EXPECT_TRUE(content["layerBackgroundColor"].is_null());
  element firstChild = array(content["subviews"]).at(0);
  array color = firstChild["layerBackgroundColor"];
  EXPECT_EQ(double(color.at(3)), 0);
  EXPECT_EQ(array(firstChild["subviews"]).size(), 0u);

  element s = windowNamed(root, "windows", "Sheet");
  EXPECT_FALSE(bool(s["inOrderedWindows"]));
  EXPECT_EQ(int64_t(s["sheetParent"]), parent->windowNumber());
  EXPECT_TRUE(bool(s["key"]));
  element hidden = windowNamed(root, "offscreenWindows", "Hidden");
  EXPECT_FALSE(bool(hidden["visible"]));
  // Front to back: the sheet directly in front of its parent.
  array onScreen = root["windows"];
  EXPECT_EQ(std::string_view(onScreen.at(0)["title"]), "Sheet");
}

// The application menu shows the titles given, "-" as separators; another part can replace a
// section, which keeps its place.
TEST_F(Description, ApplicationMenuAndReplaceableSections) {
  // A menu bar of its own, so that the application's stays as it was.
  Ref<NSMenu> saved(app->mainMenu());
  Ref<NSMenu> bar = Ref<NSMenu>::adopt(NSMenu::alloc()->init());
  Ref<NSMenu> appMenu = Ref<NSMenu>::adopt(NSMenu::alloc()->init());
  bar->setSubmenu(appMenu, bar->addItemWithTitle(NSSTR("app"), nullptr, NSSTR("")));
  app->setMainMenu(bar);
  app->setApplicationMenuTitles({u"About Ixa", u"-", u"Quit"});
  ScreenDescription::registerSection("alert", [](JsonWriter& json) { json.stringUTF8("up"); });
  simdjson::dom::parser parser;
  const std::string text = ScreenDescription::describe();
  element root = parser.parse(text);
  array items = array(root["mainMenu"]).at(0)["submenu"];
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(std::string_view(items.at(0)["title"]), "About Ixa");
  EXPECT_TRUE(bool(items.at(1)["separator"]));
  EXPECT_FALSE(bool(items.at(1)["enabled"]));
  EXPECT_TRUE(items.at(2)["submenu"].is_null());
  EXPECT_EQ(std::string_view(root["alert"]), "up");
  EXPECT_LT(text.find("\"alert\""), text.find("\"colorPanel\""));
  ScreenDescription::registerSection("alert", [](JsonWriter& json) { json.null(); });
  app->setMainMenu(saved);
}
