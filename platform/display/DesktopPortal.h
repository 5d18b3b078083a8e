// DesktopPortal: the desktop's appearance settings as the XDG desktop portal gives them over the
// session bus (org.freedesktop.portal.Settings, namespace org.freedesktop.appearance): the
// colour scheme (no preference, dark, light) and the accent colour. A desktop whose portal runs
// (GNOME, KDE, a Wayland session) says there what it wants, where XSETTINGS may say nothing or
// only a theme's name.
//
// It speaks D-Bus on a thread of its own, with its own GLib main context, so that neither the
// display's event thread nor the main thread ever waits on the bus. Values come in as the
// portal answers and whenever it announces a change (SettingChanged); each is handed to the
// observer on the portal's thread. Without a session bus, or with no portal on it, nothing is
// ever reported and nothing waits.
#pragma once

#include <array>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

struct DesktopPortalLook {
  // true: the desktop prefers dark, false: light; empty: no preference (or not known).
  std::optional<bool> dark;
  // sRGB 0...1; empty when the desktop names none.
  std::optional<std::array<double, 3>> accent;
  bool operator==(const DesktopPortalLook&) const = default;
};

class DesktopPortal {
public:
  using Observer = std::function<void(const DesktopPortalLook&)>;
  // Starts asking the session bus that DBUS_SESSION_BUS_ADDRESS (or $XDG_RUNTIME_DIR/bus) names.
  explicit DesktopPortal(Observer observer);
  ~DesktopPortal();
  DesktopPortal(const DesktopPortal&) = delete;
  DesktopPortal& operator=(const DesktopPortal&) = delete;

  // Waits at most the limit for the portal's first answer (or for the sign that none comes);
  // true when it answered. For a display about to draw its first window in the right look.
  bool waitForFirstAnswer(std::chrono::milliseconds limit);
  DesktopPortalLook look() const;

  struct Bus; // the GLib side, on the portal's thread

private:
  Observer observer_;
  mutable std::mutex mutex_;
  std::condition_variable settled_;
  bool answered_ = false, finished_ = false;
  DesktopPortalLook look_;
  std::unique_ptr<Bus> bus_;
  std::thread thread_;

  void run();
  void report(const DesktopPortalLook& look, bool first);
  void giveUp();
  friend struct Bus;
};
