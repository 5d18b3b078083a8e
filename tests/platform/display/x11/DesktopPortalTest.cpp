// The settings portal over a real session bus (its own dbus-daemon), answered by a portal that
// the test serves with GDBus: first answers, later changes, no portal, no bus.
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "display/DesktopPortal.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kInterface = R"(<node>
  <interface name="org.freedesktop.portal.Settings">
    <method name="ReadOne">
      <arg type="s" name="namespace" direction="in"/><arg type="s" name="key" direction="in"/>
      <arg type="v" name="value" direction="out"/>
    </method>
    <signal name="SettingChanged">
      <arg type="s" name="namespace"/><arg type="s" name="key"/><arg type="v" name="value"/>
    </signal>
  </interface>
</node>)";

// A session bus of the test's own, ended with the test.
class SessionBus {
public:
  SessionBus() {
    FILE* out = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
    char line[512] = {};
    if (out && std::fgets(line, sizeof line, out))
      address = std::string(line, std::strcspn(line, "\n"));
    if (out && std::fgets(line, sizeof line, out)) pid = std::atoi(line);
    if (out) pclose(out);
  }
  ~SessionBus() {
    if (pid > 0) kill(pid, SIGTERM);
  }
  std::string address;
  pid_t pid = 0;
};

// The portal's Settings: a dark scheme and a green accent until told otherwise.
class TestPortal {
public:
  explicit TestPortal(const std::string& address) {
    thread_ = std::thread([this, address] {
      g_main_context_push_thread_default(context_);
      connection_ = g_dbus_connection_new_for_address_sync(
          address.c_str(),
          static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                            G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
          nullptr, nullptr, nullptr);
      GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kInterface, nullptr);
      static const GDBusInterfaceVTable vtable{&TestPortal::call, nullptr, nullptr, {}};
      g_dbus_connection_register_object(connection_, "/org/freedesktop/portal/desktop",
                                        node->interfaces[0], &vtable, this, nullptr, nullptr);
      g_dbus_node_info_unref(node);
      GVariant* owned = g_dbus_connection_call_sync(
          connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
          "RequestName", g_variant_new("(su)", "org.freedesktop.portal.Desktop", 0u), nullptr,
          G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
      if (owned) g_variant_unref(owned);
      ready_ = true;
      while (!stop_)
        g_main_context_iteration(context_, true);
      g_object_unref(connection_);
      g_main_context_pop_thread_default(context_);
    });
    while (!ready_)
      std::this_thread::sleep_for(1ms);
  }
  ~TestPortal() {
    g_main_context_invoke(
        context_,
        [](gpointer self) -> gboolean {
          static_cast<TestPortal*>(self)->stop_ = true;
          return G_SOURCE_REMOVE;
        },
        this);
    thread_.join();
    g_main_context_unref(context_);
  }

  void announceScheme(guint32 scheme) {
    scheme_ = scheme;
    g_dbus_connection_emit_signal(connection_, nullptr, "/org/freedesktop/portal/desktop",
                                  "org.freedesktop.portal.Settings", "SettingChanged",
                                  g_variant_new("(ssv)", "org.freedesktop.appearance",
                                                "color-scheme", g_variant_new_uint32(scheme)),
                                  nullptr);
    g_dbus_connection_flush_sync(connection_, nullptr, nullptr);
  }

private:
  GMainContext* context_ = g_main_context_new();
  GDBusConnection* connection_ = nullptr;
  std::thread thread_;
  std::atomic<bool> ready_ = false, stop_ = false;
  std::atomic<guint32> scheme_ = 1;

  static void call(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                   GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data) {
    auto* self = static_cast<TestPortal*>(data);
    const gchar* key = nullptr;
    g_variant_get(parameters, "(&s&s)", nullptr, &key);
    GVariant* value = g_strcmp0(key, "color-scheme") == 0 ? g_variant_new_uint32(self->scheme_)
                                                          : g_variant_new("(ddd)", 0.2, 0.6, 0.4);
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(v)", value));
  }
};

// Sets an environment variable for the scope's life.
class ScopedEnvironment {
public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedEnvironment() { old_.empty() ? unsetenv(name_) : setenv(name_, old_.c_str(), 1); }

private:
  const char* name_;
  std::string old_;
};

} // namespace

TEST(DesktopPortal, TakesTheSchemeAndAccentAndFollowsChanges) {
  SessionBus bus;
  ASSERT_FALSE(bus.address.empty()) << "dbus-daemon did not start";
  ScopedEnvironment address("DBUS_SESSION_BUS_ADDRESS", bus.address.c_str());
  {
    // A bus without a portal: the answer is "none", at once.
    DesktopPortal portal(nullptr);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(portal.waitForFirstAnswer(5s));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
  }
  TestPortal served(bus.address);
  std::atomic<int> reports = 0;
  DesktopPortal portal([&](const DesktopPortalLook&) { ++reports; });
  ASSERT_TRUE(portal.waitForFirstAnswer(5s));
  EXPECT_EQ(portal.look().dark, std::optional<bool>(true));
  EXPECT_EQ(portal.look().accent, (std::optional<std::array<double, 3>>({0.2, 0.6, 0.4})));

  served.announceScheme(2);
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (portal.look().dark != std::optional<bool>(false) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(5ms);
  EXPECT_EQ(portal.look().dark, std::optional<bool>(false));
  EXPECT_EQ(reports, 2);
  served.announceScheme(0);
  while (portal.look().dark && std::chrono::steady_clock::now() < deadline + 5s)
    std::this_thread::sleep_for(5ms);
  EXPECT_FALSE(portal.look().dark.has_value()) << "no preference";
}

TEST(DesktopPortal, WithoutASessionBusNothingWaits) {
  ScopedEnvironment address("DBUS_SESSION_BUS_ADDRESS", nullptr);
  ScopedEnvironment runtime("XDG_RUNTIME_DIR", testing::TempDir().c_str());
  DesktopPortal portal(nullptr);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(portal.waitForFirstAnswer(5s));
  EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
}
