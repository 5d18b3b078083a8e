// The desktop's settings: a real settings daemon (xsettingsd, a separate process) that starts,
// changes its settings and quits while the display runs, and the X resources' Xft.dpi.
#include <signal.h>

#include <fstream>

#include "LiveDisplayFixture.h"
#include "appkit/drawing/NSAppearance.h"
#include "appkit/drawing/NSFont.h"
#include "appkit/rendering/PangoSupport.h"
#include "display/x11/X11DesktopSettings.h"

using namespace live_test;

namespace {

// xsettingsd serving the settings in its configuration file's syntax, until stopped.
class SettingsDaemon {
public:
  explicit SettingsDaemon(const std::string& settings) : file_(testing::TempDir() + "xsettings") {
    write(settings);
    std::vector<std::string> arguments{"xsettingsd", "-c", file_};
    std::vector<char*> argv;
    for (auto& argument : arguments)
      argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, "xsettingsd", nullptr, nullptr, argv.data(), environ) != 0) pid_ = 0;
  }
  ~SettingsDaemon() { stop(); }
  bool started() const { return pid_ > 0; }
  // New settings, which the daemon reads again on SIGHUP.
  void change(const std::string& settings) {
    write(settings);
    kill(pid_, SIGHUP);
  }
  void stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }

private:
  std::string file_;
  pid_t pid_ = 0;
  void write(const std::string& settings) { std::ofstream(file_, std::ios::trunc) << settings; }
};

// The bytes of an _XSETTINGS_SETTINGS property, as a daemon of either byte order writes them.
std::vector<uint8_t> settingsBytes(bool bigEndian) {
  std::vector<uint8_t> bytes;
  auto card = [&](uint32_t value, int width) {
    for (int i = 0; i < width; ++i) {
      const int shift = 8 * (bigEndian ? width - 1 - i : i);
      bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
  };
  auto text = [&](const std::string& value) {
    bytes.insert(bytes.end(), value.begin(), value.end());
    while (bytes.size() % 4)
      bytes.push_back(0);
  };
  auto header = [&](uint8_t type, const std::string& name) {
    bytes.push_back(type);
    bytes.push_back(0);
    card(static_cast<uint32_t>(name.size()), 2);
    text(name);
    card(7, 4); // last change serial
  };
  bytes.push_back(bigEndian ? 1 : 0);
  bytes.insert(bytes.end(), 3, 0);
  card(42, 4); // serial
  card(3, 4);  // settings
  header(0, "Xft/DPI");
  card(147456, 4);
  header(1, "Net/ThemeName");
  card(12, 4);
  text("Adwaita-dark");
  header(2, "Gtk/Colour");
  for (uint32_t component : {0xffffu, 0x8000u, 0u, 0xffffu})
    card(component, 2);
  return bytes;
}

// Whether text drawn now has edges between black and white (antialiased), as opposed to only
// black and white pixels.
bool textHasGreyEdges() {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 120, 40);
  cairo_t* cairo = cairo_create(surface);
  cairo_set_source_rgb(cairo, 1, 1, 1);
  cairo_paint(cairo);
  cairo_set_source_rgb(cairo, 0, 0, 0);
  PangoLayout* layout = pango_layout_new(NSPangoContext());
  PangoFontDescription* font = pango_font_description_from_string("DejaVu Sans 20px");
  pango_layout_set_font_description(layout, font);
  pango_layout_set_text(layout, "Ragx", -1);
  pango_cairo_show_layout(cairo, layout);
  pango_font_description_free(font);
  g_object_unref(layout);
  cairo_destroy(cairo);
  cairo_surface_flush(surface);
  bool grey = false;
  const unsigned char* data = cairo_image_surface_get_data(surface);
  for (int i = 0; i < cairo_image_surface_get_stride(surface) * 40; i += 4)
    grey = grey || (data[i] != 0 && data[i] != 255);
  cairo_surface_destroy(surface);
  return grey;
}

} // namespace

TEST(DesktopSettingsParsing, ReadsEitherByteOrderAndRefusesBrokenLists) {
  for (bool bigEndian : {false, true}) {
    const std::vector<uint8_t> bytes = settingsBytes(bigEndian);
    std::optional<X11SettingMap> settings = X11ParseSettings(bytes.data(), bytes.size());
    ASSERT_TRUE(settings.has_value()) << bigEndian;
    EXPECT_EQ(std::get<int32_t>(settings->at("Xft/DPI")), 147456);
    EXPECT_EQ(std::get<std::string>(settings->at("Net/ThemeName")), "Adwaita-dark");
    EXPECT_EQ((std::get<std::array<uint16_t, 4>>(settings->at("Gtk/Colour"))),
              (std::array<uint16_t, 4>{0xffff, 0x8000, 0, 0xffff}));
    // Cut anywhere, the list is refused rather than read past its end.
    for (std::size_t size = 0; size < bytes.size(); size += 3)
      EXPECT_FALSE(X11ParseSettings(bytes.data(), size).has_value()) << size;
  }
  EXPECT_EQ(X11ResourceDpi("Xcursor.size:\t24\nXft.dpi:\t144\n"), 144);
  EXPECT_EQ(X11ResourceDpi("Xft.dpix:\t144\nXft.dpi:\tlarge\n"), 0);
  EXPECT_TRUE(DisplayAppearanceThemeIsDark("Arc-Dark"));
  EXPECT_FALSE(DisplayAppearanceThemeIsDark("Adwaita"));
}

TEST_F(LiveDisplayTest, TheLookFollowsASettingsDaemonThatStartsChangesAndQuits) {
  ASSERT_FALSE(display->appearance().dark);
  SettingsDaemon daemon("Net/ThemeName \"Adwaita-dark\"\nXft/DPI 122880\n");
  ASSERT_TRUE(daemon.started());
  // The application hears of it: windows without an appearance of their own turn dark.
  ASSERT_TRUE(serveUntil([] { return NSAppearance::systemAppearance()->isDark(); }));
  EXPECT_DOUBLE_EQ(display->appearance().textScale, 1.25);
  EXPECT_DOUBLE_EQ(NSFont::systemTextScale(), 1.25);
  NSWindow* window = makeWindow("Look", NSMakeRect(200, 200, 300, 160));
  EXPECT_TRUE(window->effectiveAppearance()->isDark());
  // The brightness of the window's content in its middle, as the server shows it.
  auto middleOnScreen = [&] {
    const uint32_t pixel = screenshot(350, 900 - 280, 1, 1).at(0);
    return ((pixel >> 16 & 0xff) + (pixel >> 8 & 0xff) + (pixel & 0xff)) / 3;
  };
  EXPECT_TRUE(serveUntil([&] { return middleOnScreen() < 80; })) << middleOnScreen();

  EXPECT_TRUE(textHasGreyEdges());

  // Light, standard text size, text without smoothing.
  daemon.change("Net/ThemeName \"Adwaita\"\nXft/DPI 98304\nXft/Antialias 0\n");
  ASSERT_TRUE(serveUntil([] { return !NSAppearance::systemAppearance()->isDark(); }));
  EXPECT_DOUBLE_EQ(display->appearance().textScale, 1);
  EXPECT_FALSE(textHasGreyEdges());
  // The open window is drawn anew in the light look.
  EXPECT_TRUE(serveUntil([&] { return middleOnScreen() > 200; })) << middleOnScreen();

  // Without a daemon, the X resources' Xft.dpi sizes the text.
  daemon.change("Net/ThemeName \"Adwaita-dark\"\n");
  ASSERT_TRUE(serveUntil([] { return NSAppearance::systemAppearance()->isDark(); }));
  EXPECT_TRUE(textHasGreyEdges());
  const std::string resources = "Xft.dpi:\t144\n";
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, XCB_ATOM_RESOURCE_MANAGER,
                      XCB_ATOM_STRING, 8, static_cast<uint32_t>(resources.size()),
                      resources.data());
  xcb_flush(connection);
  daemon.stop();
  EXPECT_TRUE(serveUntil([&] {
    return !NSAppearance::systemAppearance()->isDark() && NSFont::systemTextScale() == 1.5;
  })) << display->appearance().textScale;
  xcb_delete_property(connection, root, XCB_ATOM_RESOURCE_MANAGER);
  xcb_flush(connection);
  EXPECT_TRUE(serveUntil([] { return NSFont::systemTextScale() == 1; }));
}
