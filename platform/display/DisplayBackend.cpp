#include "display/DisplayBackend.h"

#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>

#include "display/DisplayClient.h"
#include "display/HeadlessDisplay.h"
#include "display/x11/X11Display.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/strings/NSString.h"
#include "foundation/system/NSBundle.h"
#include "foundation/system/NSLog.h"

namespace {

std::mutex installMutex;
// Immortal: the main thread may still draw through the display while the process exits.
std::unique_ptr<DisplayBackend>& installedDisplay() {
  static auto* const display = new std::unique_ptr<DisplayBackend>();
  return *display;
}
std::atomic<DisplayClient*> installedClient{nullptr};
std::atomic<double (*)()> installedToolkitScale{nullptr};
std::atomic<std::string (*)()> installedToolkitApplicationName{nullptr};
std::atomic<std::vector<DisplayIconImage> (*)()> installedApplicationIcon{nullptr};
// Why the headless display stands in for the X server, when it does (under installMutex).
std::string standInReason;
std::atomic<bool> standInAllowed{false};

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

} // namespace

DisplayBackend& DisplayBackend::current() {
  std::lock_guard lock(installMutex);
  auto& display = installedDisplay();
  if (!display) display = makeFromEnvironment(&standInReason);
  return *display;
}

void DisplayBackend::install(std::unique_ptr<DisplayBackend> display) {
  std::lock_guard lock(installMutex);
  // The previous display is kept alive: windows and pending transitions may still refer to it
  // until the process ends.
  if (auto& previous = installedDisplay()) previous.release();
  installedDisplay() = std::move(display);
  standInReason.clear();
}

std::unique_ptr<DisplayBackend> DisplayBackend::makeFromEnvironment(std::string* noScreen) {
  const std::string chosen = environment("BRIX_DISPLAY");
  if (chosen == "headless") return std::make_unique<HeadlessDisplay>();
  if (chosen != "x11" && !chosen.empty())
    NSLog("BRIX_DISPLAY=%s is not a display (x11 or headless); the X server is the one DISPLAY "
          "names",
          chosen.c_str());
  const std::string named = environment("DISPLAY");
  std::string why;
  if (named.empty()) {
    why = "DISPLAY is not set, so there is no X server to show windows on";
  } else if (auto live = X11Display::connect(&why)) {
    return live;
  } else {
    why = "the X server at DISPLAY=" + named + " cannot be used: " + why;
  }
  NSLog("No screen: %s; calls that show windows fail (BRIX_DISPLAY=headless gives the headless "
        "display of the tests)",
        why.c_str());
  *noScreen = why;
  return std::make_unique<HeadlessDisplay>();
}

std::string DisplayBackend::whyNoScreen() {
  DisplayBackend& display = current();
  {
    std::lock_guard lock(installMutex);
    if (!standInReason.empty()) return standInAllowed ? std::string() : standInReason;
  }
  return display.lostReason();
}

void DisplayBackend::allowHeadlessStandIn() {
  standInAllowed = true;
}

void DisplayBackend::setClient(DisplayClient* client) {
  installedClient = client;
}

DisplayClient* DisplayBackend::client() {
  return installedClient;
}

void DisplayBackend::setToolkitScale(double (*scale)()) {
  installedToolkitScale = scale;
}

double DisplayBackend::toolkitScale() {
  double (*scale)() = installedToolkitScale;
  return scale ? scale() : 0;
}

void DisplayBackend::setToolkitApplicationName(std::string (*name)()) {
  installedToolkitApplicationName = name;
}

std::string DisplayBackend::toolkitApplicationName() {
  std::string (*name)() = installedToolkitApplicationName;
  return name ? name() : std::string();
}

std::string DisplayBackend::applicationName() {
  std::string name;
  NSBundle* bundle = NSBundle::mainBundle();
  if (bundle && bundle->bundlePath()) {
    const std::filesystem::path path(bundle->bundlePath()->utf8());
    if (path.extension() == ".app") name = path.stem().string();
  }
  if (name.empty()) name = toolkitApplicationName();
  return name.empty() ? "brixdialogs" : name;
}

void DisplayBackend::setApplicationIcon(std::vector<DisplayIconImage> (*icon)()) {
  installedApplicationIcon = icon;
}

std::vector<DisplayIconImage> DisplayBackend::applicationIcon() {
  std::vector<DisplayIconImage> (*icon)() = installedApplicationIcon;
  return icon ? icon() : std::vector<DisplayIconImage>();
}

namespace {

// The clipboard and primary selection of a display without a desktop, shared by every display
// installed in turn.
struct OwnSelections {
  std::mutex mutex;
  std::optional<std::u16string> clipboard, primary;
};
OwnSelections& ownSelections() {
  static auto* const selections = new OwnSelections(); // immortal: used during exit
  return *selections;
}

} // namespace

std::optional<std::u16string> DisplayBackend::clipboardText() {
  std::lock_guard lock(ownSelections().mutex);
  return ownSelections().clipboard;
}

void DisplayBackend::setClipboardText(std::u16string text) {
  std::lock_guard lock(ownSelections().mutex);
  ownSelections().clipboard = std::move(text);
}

std::optional<std::u16string> DisplayBackend::primarySelectionText() {
  std::lock_guard lock(ownSelections().mutex);
  return ownSelections().primary;
}

void DisplayBackend::setPrimarySelectionText(std::u16string text) {
  std::lock_guard lock(ownSelections().mutex);
  ownSelections().primary = std::move(text);
}

namespace {

struct DesktopLook {
  std::mutex mutex;
  DisplayAppearance appearance;
};
DesktopLook& desktopLook() {
  static auto* const look = new DesktopLook(); // immortal: read during exit
  return *look;
}

} // namespace

std::optional<bool> DisplayAppearanceDarkFromEnvironment() {
  const std::string chosen = environment("BRIX_APPEARANCE");
  if (chosen == "dark") return true;
  if (chosen == "light") return false;
  return std::nullopt;
}

bool DisplayAppearanceThemeIsDark(const std::string& themeName) {
  std::string lower(themeName);
  for (char& c : lower)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  // GTK's own convention is a theme name with a "-dark" variant; some themes spell it otherwise.
  return lower.find("dark") != std::string::npos;
}

double DisplayAppearanceSaneTextScale(double scale) {
  return std::isfinite(scale) && scale >= 0.5 && scale <= 3 ? scale : 1;
}

DisplayAppearance DisplayBackend::appearance() const {
  DisplayAppearance appearance;
  {
    std::lock_guard lock(desktopLook().mutex);
    appearance = desktopLook().appearance;
  }
  if (std::optional<bool> dark = DisplayAppearanceDarkFromEnvironment()) appearance.dark = *dark;
  return appearance;
}

void DisplayBackend::setAppearance(DisplayAppearance appearance) {
  appearance.textScale = DisplayAppearanceSaneTextScale(appearance.textScale);
  {
    std::lock_guard lock(desktopLook().mutex);
    if (desktopLook().appearance == appearance) return;
    desktopLook().appearance = appearance;
  }
  NSRunLoop::mainRunLoop().performAsync([] {
    if (DisplayClient* client = DisplayBackend::client()) client->displayAppearanceChanged();
  });
}

void DisplayBackend::windowDescribed(NSInteger, const DisplayWindow&) {}

void DisplayBackend::windowBecameKey(NSInteger) {}

void DisplayBackend::drawWindow(NSInteger, const std::function<void()>& drawPass) {
  drawPass();
}

cairo_surface_t* DisplayBackend::windowSurface(NSInteger, bool* isNew) {
  if (isNew) *isNew = false;
  return nullptr;
}

void DisplayBackend::presentWindowRect(NSInteger windowNumber, NSRect) {
  presentWindow(windowNumber);
}

void DisplayBackend::windowDragStarted(NSInteger) {}

void DisplayBackend::windowPointerShapeChanged(NSInteger, DisplayPointerShape) {}

void DisplayBackend::askForeignWindowToClose(uint64_t) {}

void DisplayBackend::reportForeignWindowsFoundAtOpen() {}

void DisplayBackend::popUpOpened(NSInteger, const DisplayWindow&) {}

void DisplayBackend::popUpClosed(NSInteger) {}

void DisplayBackend::injectEvent(NSObject* event) {
  NSRunLoop::mainRunLoop().postEvent(event);
}
