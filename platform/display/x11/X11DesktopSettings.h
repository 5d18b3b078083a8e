// X11DesktopSettings: the desktop's settings as a settings daemon publishes them on the X server
// (XSETTINGS: the owner of the selection _XSETTINGS_S<screen> keeps them in a property of its
// window), with the X resources' Xft.dpi (RESOURCE_MANAGER on the root) where no daemon runs.
// Settings change while we run: a daemon rewrites its property, a new daemon announces itself
// with MANAGER, a daemon quits; handleEvent follows all three on the event thread.
#pragma once

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <variant>

#include "display/DisplayAppearance.h"

// One XSETTINGS value: an integer, a string, or a colour (red, green, blue, alpha, 0...65535).
using X11SettingValue = std::variant<int32_t, std::string, std::array<uint16_t, 4>>;
using X11SettingMap = std::map<std::string, X11SettingValue>;

// The settings in an _XSETTINGS_SETTINGS property's bytes; nullopt when the bytes are not a
// well-formed list (a setting that runs past the end, an unknown type).
std::optional<X11SettingMap> X11ParseSettings(const uint8_t* data, std::size_t size);
// Xft.dpi in an X resource database's text ("Xft.dpi:\t120\n..."); 0 when it names none.
double X11ResourceDpi(const std::string& resources);

class X11DesktopSettings {
public:
  // Finds the settings daemon of the screen and reads everything once.
  void open(xcb_connection_t* connection, xcb_window_t root, int screenNumber,
            xcb_atom_t managerAtom);
  // Follows an event of the root or of the daemon's window; true when the settings changed.
  bool handleEvent(const xcb_generic_event_t* event);

  // Gdk/WindowScalingFactor, when a daemon gives one from 1 to 8; 0 otherwise.
  double windowScale() const;
  // The look the settings ask for: dark when the GTK theme is a dark one, the text scale from
  // Xft/DPI (which a daemon gives already multiplied by the window scale) or Xft.dpi, against 96.
  DisplayAppearance appearance() const;
  // Whether a settings daemon owns the screen's settings.
  bool daemonRuns() const;

private:
  xcb_connection_t* connection_ = nullptr;
  xcb_window_t root_ = XCB_NONE;
  xcb_atom_t selection_ = XCB_NONE, settingsAtom_ = XCB_NONE, managerAtom_ = XCB_NONE;
  mutable std::mutex mutex_;
  xcb_window_t owner_ = XCB_NONE; // the daemon's window
  X11SettingMap settings_;
  double resourceDpi_ = 0;

  // Asks who owns the settings now and reads them (event thread, or open).
  void reread();
  void readResources();
};
