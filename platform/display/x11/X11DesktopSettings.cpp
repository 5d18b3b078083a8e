#include "display/x11/X11DesktopSettings.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "display/x11/X11ClientWindows.h"

namespace {

// Reads the property's numbers in the byte order its first byte names, never past the end.
class SettingsReader {
public:
  SettingsReader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool bigEndian = false;

  bool has(std::size_t count) const { return size_ - offset_ >= count; }
  bool skip(std::size_t count) {
    if (!has(count)) return false;
    offset_ += count;
    return true;
  }
  std::optional<uint32_t> card(std::size_t width) {
    if (!has(width)) return std::nullopt;
    uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
      const uint8_t byte = data_[offset_ + (bigEndian ? i : width - 1 - i)];
      value = value << 8 | byte;
    }
    offset_ += width;
    return value;
  }
  // A string of length bytes, then the padding to the next multiple of four.
  std::optional<std::string> text(std::size_t length) {
    const std::size_t padded = (length + 3) & ~std::size_t{3};
    if (!has(padded)) return std::nullopt;
    std::string value(reinterpret_cast<const char*>(data_ + offset_), length);
    offset_ += padded;
    return value;
  }

private:
  const uint8_t* data_;
  std::size_t size_;
  std::size_t offset_ = 0;
};

enum SettingType : uint8_t { kInteger = 0, kString = 1, kColor = 2 };

template <class Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

// A property of a window as bytes; empty when it has none (or the window is gone).
std::string propertyBytes(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
  if (window == XCB_NONE || property == XCB_NONE) return {};
  X11PropertyReply reply;
  X11ReadProperty(c, window, property, 1 << 20, reply);
  if (!reply.reply || reply.reply->format != 8) return {};
  return std::string(static_cast<const char*>(reply.value()),
                     static_cast<std::size_t>(reply.length()));
}

xcb_atom_t internAtom(xcb_connection_t* c, const std::string& name) {
  ReplyPtr<xcb_intern_atom_reply_t> reply(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, name.size(), name.c_str()), nullptr),
      &std::free);
  return reply ? reply->atom : XCB_NONE;
}

} // namespace

std::optional<X11SettingMap> X11ParseSettings(const uint8_t* data, std::size_t size) {
  SettingsReader reader(data, size);
  auto order = reader.card(1);
  if (!order || *order > 1 || !reader.skip(3)) return std::nullopt;
  reader.bigEndian = *order == 1;
  auto serial = reader.card(4);
  auto count = reader.card(4);
  if (!serial || !count) return std::nullopt;
  X11SettingMap settings;
  for (uint32_t i = 0; i < *count; ++i) {
    auto type = reader.card(1);
    if (!type || !reader.skip(1)) return std::nullopt;
    auto nameLength = reader.card(2);
    if (!nameLength) return std::nullopt;
    auto name = reader.text(*nameLength);
    if (!name || !reader.skip(4)) return std::nullopt; // the serial of its last change
    switch (*type) {
    case kInteger: {
      auto value = reader.card(4);
      if (!value) return std::nullopt;
      settings[*name] = static_cast<int32_t>(*value);
      break;
    }
    case kString: {
      auto length = reader.card(4);
      if (!length) return std::nullopt;
      auto value = reader.text(*length);
      if (!value) return std::nullopt;
      settings[*name] = std::move(*value);
      break;
    }
    case kColor: {
      std::array<uint16_t, 4> colour{};
      for (uint16_t& component : colour) {
        auto value = reader.card(2);
        if (!value) return std::nullopt;
        component = static_cast<uint16_t>(*value);
      }
      settings[*name] = colour;
      break;
    }
    default:
      return std::nullopt;
    }
  }
  return settings;
}

double X11ResourceDpi(const std::string& resources) {
  std::size_t start = 0;
  while (start < resources.size()) {
    std::size_t end = resources.find('\n', start);
    if (end == std::string::npos) end = resources.size();
    const std::string line = resources.substr(start, end - start);
    start = end + 1;
    constexpr std::string_view kName = "Xft.dpi:";
    if (!line.starts_with(kName)) continue;
    const char* value = line.c_str() + kName.size();
    char* parsed = nullptr;
    const double dpi = std::strtod(value, &parsed);
    if (parsed != value && std::isfinite(dpi) && dpi > 0) return dpi;
  }
  return 0;
}

void X11DesktopSettings::open(xcb_connection_t* connection, xcb_window_t root, int screenNumber,
                              xcb_atom_t managerAtom) {
  connection_ = connection;
  root_ = root;
  managerAtom_ = managerAtom;
  selection_ = internAtom(connection, "_XSETTINGS_S" + std::to_string(screenNumber));
  settingsAtom_ = internAtom(connection, "_XSETTINGS_SETTINGS");
  reread();
  readResources();
}

void X11DesktopSettings::reread() {
  xcb_connection_t* c = connection_;
  ReplyPtr<xcb_get_selection_owner_reply_t> owner(
      xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection_), nullptr),
      &std::free);
  const xcb_window_t window = owner ? owner->owner : XCB_NONE;
  if (window != XCB_NONE) {
    // Its property changes and its end come to us; a window gone meanwhile gives an error that
    // the next look at the owner settles.
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &events);
  }
  const std::string bytes = propertyBytes(c, window, settingsAtom_);
  std::optional<X11SettingMap> parsed =
      X11ParseSettings(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  std::lock_guard lock(mutex_);
  owner_ = window;
  settings_ = parsed ? std::move(*parsed) : X11SettingMap();
}

void X11DesktopSettings::readResources() {
  const double dpi = X11ResourceDpi(propertyBytes(connection_, root_, XCB_ATOM_RESOURCE_MANAGER));
  std::lock_guard lock(mutex_);
  resourceDpi_ = dpi;
}

bool X11DesktopSettings::handleEvent(const xcb_generic_event_t* event) {
  switch (event->response_type & 0x7f) {
  case XCB_PROPERTY_NOTIFY: {
    const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    if (property->window == root_ && property->atom == XCB_ATOM_RESOURCE_MANAGER) {
      readResources();
      return true;
    }
    std::lock_guard lock(mutex_);
    if (property->window != owner_ || owner_ == XCB_NONE || property->atom != settingsAtom_)
      return false;
    break;
  }
  case XCB_CLIENT_MESSAGE: {
    const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
    if (message->window != root_ || message->type != managerAtom_ ||
        message->data.data32[1] != selection_)
      return false;
    break; // a new daemon took the settings
  }
  case XCB_DESTROY_NOTIFY: {
    const auto* destroyed = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
    std::lock_guard lock(mutex_);
    if (destroyed->window != owner_ || owner_ == XCB_NONE) return false;
    break; // the daemon quit
  }
  default:
    return false;
  }
  reread();
  return true;
}

bool X11DesktopSettings::daemonRuns() const {
  std::lock_guard lock(mutex_);
  return owner_ != XCB_NONE;
}

double X11DesktopSettings::windowScale() const {
  std::lock_guard lock(mutex_);
  auto found = settings_.find("Gdk/WindowScalingFactor");
  if (found == settings_.end()) return 0;
  const auto* scale = std::get_if<int32_t>(&found->second);
  return scale && *scale >= 1 && *scale <= 8 ? *scale : 0;
}

DisplayAppearance X11DesktopSettings::appearance() const {
  const double scale = windowScale();
  DisplayAppearance appearance;
  std::lock_guard lock(mutex_);
  if (auto found = settings_.find("Net/ThemeName"); found != settings_.end())
    if (const auto* name = std::get_if<std::string>(&found->second))
      appearance.dark = DisplayAppearanceThemeIsDark(*name);
  // Xft/DPI is in 1024ths of a dot per inch; -1 means the default.
  double dpi = 0;
  if (auto found = settings_.find("Xft/DPI"); found != settings_.end())
    if (const auto* value = std::get_if<int32_t>(&found->second); value && *value > 0)
      dpi = *value / 1024.0 / (scale > 0 ? scale : 1);
  if (dpi == 0) dpi = resourceDpi_;
  auto number = [&](const char* name) -> std::optional<int32_t> {
    auto found = settings_.find(name);
    if (found == settings_.end()) return std::nullopt;
    const auto* value = std::get_if<int32_t>(&found->second);
    return value ? std::optional<int32_t>(*value) : std::nullopt;
  };
  auto text = [&](const char* name) -> std::string {
    auto found = settings_.find(name);
    const auto* value =
        found == settings_.end() ? nullptr : std::get_if<std::string>(&found->second);
    return value ? *value : std::string();
  };
  // -1 stands for "the default" in Xft's integer settings.
  if (std::optional<int32_t> antialias = number("Xft/Antialias"); antialias && *antialias >= 0)
    appearance.antialias = *antialias != 0;
  appearance.hintStyle = text("Xft/HintStyle");
  if (std::optional<int32_t> hinting = number("Xft/Hinting"); hinting && *hinting == 0)
    appearance.hintStyle = "hintnone";
  appearance.subpixelOrder = text("Xft/RGBA");
  if (dpi > 0) appearance.textScale = DisplayAppearanceSaneTextScale(dpi / 96);
  return appearance;
}
