#include "display/DesktopPortal.h"

#include <gio/gio.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPath = "/org/freedesktop/portal/desktop";
constexpr const char* kSettings = "org.freedesktop.portal.Settings";
constexpr const char* kAppearance = "org.freedesktop.appearance";
// Long enough for a portal that D-Bus starts on demand, short enough to give up on a stuck one.
constexpr int kCallLimitMs = 3000;

// The session bus's address: the environment's, else the usual socket of a user session; empty
// when there is none. GLib's own lookup could start a bus (autolaunch), which we never want.
std::string sessionBusAddress() {
  if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
    return address;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
    const std::filesystem::path socket = std::filesystem::path(runtime) / "bus";
    std::error_code error;
    if (std::filesystem::is_socket(socket, error)) return "unix:path=" + socket.string();
  }
  return {};
}

// A portal's value: ReadOne gives it as it is, the older Read wraps it in one more variant.
GVariant* unwrapped(GVariant* value) {
  while (value && g_variant_is_of_type(value, G_VARIANT_TYPE_VARIANT)) {
    GVariant* inner = g_variant_get_variant(value);
    g_variant_unref(value);
    value = inner;
  }
  return value;
}

} // namespace

struct DesktopPortal::Bus {
  DesktopPortal* owner;
  GMainContext* context = g_main_context_new();
  GMainLoop* loop = g_main_loop_new(context, false);
  GCancellable* cancellable = g_cancellable_new();
  GDBusConnection* connection = nullptr;
  guint subscription = 0;
  int pending = 0;
  bool anyValue = false; // whether any read was answered with a value
  DesktopPortalLook look;

  explicit Bus(DesktopPortal* portal) : owner(portal) {}
  ~Bus() {
    if (connection && subscription) g_dbus_connection_signal_unsubscribe(connection, subscription);
    if (connection) g_object_unref(connection);
    g_object_unref(cancellable);
    g_main_loop_unref(loop);
    g_main_context_unref(context);
  }

  // Takes one setting's value into the look; true when it was one of ours.
  bool take(const char* key, GVariant* value) {
    if (g_strcmp0(key, "color-scheme") == 0) {
      look.dark.reset();
      if (value && g_variant_is_of_type(value, G_VARIANT_TYPE_UINT32)) {
        const guint32 scheme = g_variant_get_uint32(value);
        if (scheme == 1) look.dark = true;
        if (scheme == 2) look.dark = false;
      }
      return true;
    }
    if (g_strcmp0(key, "accent-color") == 0) {
      look.accent.reset();
      if (value && g_variant_is_of_type(value, G_VARIANT_TYPE("(ddd)"))) {
        std::array<double, 3> rgb{};
        g_variant_get(value, "(ddd)", &rgb[0], &rgb[1], &rgb[2]);
        // Outside 0...1 means the user chose none.
        bool valid = true;
        for (double component : rgb)
          valid = valid && component >= 0 && component <= 1;
        if (valid) look.accent = rgb;
      }
      return true;
    }
    return false;
  }

  struct Call {
    Bus* bus;
    const char* key;
    bool legacy; // Read rather than ReadOne
  };

  void read(const char* key, bool legacy) {
    ++pending;
    g_dbus_connection_call(connection, kPortal, kPath, kSettings, legacy ? "Read" : "ReadOne",
                           g_variant_new("(ss)", kAppearance, key), G_VARIANT_TYPE("(v)"),
                           G_DBUS_CALL_FLAGS_NONE, kCallLimitMs, cancellable, &Bus::answered,
                           new Call{this, key, legacy});
  }

  static void answered(GObject* source, GAsyncResult* result, gpointer data) {
    Call* call = static_cast<Call*>(data);
    Bus* bus = call->bus;
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
      g_error_free(error);
      delete call;
      return; // the portal object is going away
    }
    --bus->pending;
    if (!reply && !call->legacy &&
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_METHOD)) {
      bus->read(call->key, true); // a portal older than ReadOne
    } else if (reply) {
      GVariant* value = nullptr;
      g_variant_get(reply, "(v)", &value);
      value = unwrapped(value);
      bus->anyValue = bus->take(call->key, value) || bus->anyValue;
      if (value) g_variant_unref(value);
    }
    if (reply) g_variant_unref(reply);
    if (error) g_error_free(error);
    delete call;
    if (bus->pending > 0) return;
    // Errors alone mean no portal speaks here; a SettingChanged may still come later.
    if (bus->anyValue)
      bus->owner->report(bus->look, true);
    else
      bus->owner->giveUp();
  }

  static void changed(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                      GVariant* parameters, gpointer data) {
    Bus* bus = static_cast<Bus*>(data);
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ssv)"))) return;
    const gchar* space = nullptr;
    const gchar* key = nullptr;
    GVariant* value = nullptr;
    g_variant_get(parameters, "(&s&sv)", &space, &key, &value);
    value = unwrapped(value);
    const bool ours = g_strcmp0(space, kAppearance) == 0 && bus->take(key, value);
    if (value) g_variant_unref(value);
    if (ours) bus->owner->report(bus->look, false);
  }
};

DesktopPortal::DesktopPortal(Observer observer)
    : observer_(std::move(observer)), bus_(std::make_unique<Bus>(this)) {
  thread_ = std::thread([this] { run(); });
}

DesktopPortal::~DesktopPortal() {
  g_cancellable_cancel(bus_->cancellable);
  // The loop may not run yet; quitting it from its own context is sure to be seen.
  g_main_context_invoke(
      bus_->context,
      [](gpointer loop) -> gboolean {
        g_main_loop_quit(static_cast<GMainLoop*>(loop));
        return G_SOURCE_REMOVE;
      },
      bus_->loop);
  thread_.join();
}

void DesktopPortal::run() {
  g_main_context_push_thread_default(bus_->context);
  const std::string address = sessionBusAddress();
  GError* error = nullptr;
  if (!address.empty())
    bus_->connection = g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, bus_->cancellable, &error);
  if (error) g_error_free(error);
  if (bus_->connection) {
    g_dbus_connection_set_exit_on_close(bus_->connection, false);
    bus_->subscription = g_dbus_connection_signal_subscribe(
        bus_->connection, kPortal, kSettings, "SettingChanged", kPath, kAppearance,
        G_DBUS_SIGNAL_FLAGS_NONE, &Bus::changed, bus_.get(), nullptr);
    bus_->read("color-scheme", false);
    bus_->read("accent-color", false);
  } else {
    giveUp();
  }
  g_main_loop_run(bus_->loop);
  // Calls still in flight end here, cancelled, before the bus goes.
  while (g_main_context_iteration(bus_->context, false)) {
  }
  g_main_context_pop_thread_default(bus_->context);
  giveUp();
}

void DesktopPortal::report(const DesktopPortalLook& look, bool first) {
  {
    std::lock_guard lock(mutex_);
    if (first) {
      answered_ = true;
      finished_ = true;
    }
    look_ = look;
  }
  settled_.notify_all();
  if (observer_) observer_(look);
}

void DesktopPortal::giveUp() {
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
  }
  settled_.notify_all();
}

bool DesktopPortal::waitForFirstAnswer(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  settled_.wait_for(lock, limit, [this] { return finished_; });
  return answered_;
}

DesktopPortalLook DesktopPortal::look() const {
  std::lock_guard lock(mutex_);
  return look_;
}
