// The first start: from starting a JVM until its first alert is drawn on the X server, for our
// alert and for Swing's JOptionPane, each called from the main thread and from Swing's event
// thread (bench/FirstStart.java). Each round is a new JVM on a private Xvfb that this program
// starts and stops; what it times is seen from the server, as a user sees it: the first capture
// of the dialog's rectangle that shows its final pixels (they then stay the same for 300 ms).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "PrivateXvfb.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
const std::string xvfbState = std::string(BRIX_BINARY_DIR) + "/bench-first-start-xvfb";
constexpr int kRounds = 10;
constexpr auto kSettle = std::chrono::milliseconds(300);
constexpr auto kLimit = std::chrono::seconds(20);

xcb_connection_t* server = nullptr;
xcb_window_t root = XCB_NONE;
xcb_atom_t pidAtom = XCB_NONE;

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};

// A shown top-level window of the process, large enough to be a dialog (a toolkit's helper
// windows are unmapped or tiny); its rectangle, or an empty one.
Rect dialogOf(pid_t pid) {
  Rect found;
  auto* tree = xcb_query_tree_reply(server, xcb_query_tree(server, root), nullptr);
  if (!tree) return found;
  const xcb_window_t* children = xcb_query_tree_children(tree);
  for (int i = 0; i < xcb_query_tree_children_length(tree) && found.width == 0; ++i) {
    auto* owner = xcb_get_property_reply(
        server, xcb_get_property(server, 0, children[i], pidAtom, XCB_ATOM_CARDINAL, 0, 1),
        nullptr);
    const bool ours =
        owner && xcb_get_property_value_length(owner) == 4 &&
        *static_cast<uint32_t*>(xcb_get_property_value(owner)) == static_cast<uint32_t>(pid);
    std::free(owner);
    if (!ours) continue;
    auto* attributes = xcb_get_window_attributes_reply(
        server, xcb_get_window_attributes(server, children[i]), nullptr);
    const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    auto* geometry = xcb_get_geometry_reply(server, xcb_get_geometry(server, children[i]), nullptr);
    if (viewable && geometry && geometry->width >= 200 && geometry->height >= 80)
      found = {geometry->x, geometry->y, geometry->width, geometry->height};
    std::free(geometry);
  }
  std::free(tree);
  return found;
}

std::string capture(const Rect& rect) {
  auto* image = xcb_get_image_reply(
      server,
      xcb_get_image(server, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<int16_t>(rect.x),
                    static_cast<int16_t>(rect.y), static_cast<uint16_t>(rect.width),
                    static_cast<uint16_t>(rect.height), ~0u),
      nullptr);
  std::string pixels;
  if (image)
    pixels.assign(reinterpret_cast<const char*>(xcb_get_image_data(image)),
                  static_cast<std::size_t>(xcb_get_image_data_length(image)));
  std::free(image);
  return pixels;
}

// Starts the JVM and times it until its dialog is drawn; milliseconds, or -1 when no dialog came.
double firstStart(const std::string& mode) {
  std::vector<std::string> arguments{BRIX_JAVA,    "-Djava.awt.headless=false",
                                     "-cp",        BRIX_FIRST_START_CLASSPATH,
                                     "FirstStart", mode};
  std::vector<char*> argv;
  for (auto& argument : arguments)
    argv.push_back(argument.data());
  argv.push_back(nullptr);
  const auto started = Clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, BRIX_JAVA, nullptr, nullptr, argv.data(), environ) != 0) return -1;
  Rect dialog;
  while (dialog.width == 0 && Clock::now() - started < kLimit) {
    dialog = dialogOf(pid);
    if (dialog.width == 0) std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  double result = -1;
  if (dialog.width > 0) {
    std::string last = capture(dialog);
    auto lastChange = Clock::now();
    while (Clock::now() - lastChange < kSettle && Clock::now() - started < kLimit) {
      std::string now = capture(dialog);
      if (now != last) {
        last = std::move(now);
        lastChange = Clock::now();
      }
    }
    result = std::chrono::duration<double, std::milli>(lastChange - started).count();
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return result;
}

void FirstAlertDrawn(benchmark::State& state, const char* mode) {
  std::vector<double> times;
  firstStart(mode); // the native cache and the page cache are filled once, as after installing
  for (auto _ : state) {
    for (int round = 0; round < kRounds; ++round) {
      const double ms = firstStart(mode);
      if (ms < 0) {
        state.SkipWithError("no dialog appeared");
        return;
      }
      times.push_back(ms);
    }
  }
  std::sort(times.begin(), times.end());
  state.counters["median_ms"] = times[times.size() / 2];
  state.counters["max_ms"] = times.back();
}
BENCHMARK_CAPTURE(FirstAlertDrawn, ours, "ours")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstAlertDrawn, swing, "swing")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstAlertDrawn, ours_edt, "ours-edt")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstAlertDrawn, swing_edt, "swing-edt")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
  PrivateXvfb xvfb(xvfbState);
  if (!xvfb.started()) return 1;
  server = xcb_connect(nullptr, nullptr);
  int status = 1;
  if (!xcb_connection_has_error(server)) {
    root = xcb_setup_roots_iterator(xcb_get_setup(server)).data->root;
    auto* atom =
        xcb_intern_atom_reply(server, xcb_intern_atom(server, 0, 11, "_NET_WM_PID"), nullptr);
    pidAtom = atom ? atom->atom : XCB_NONE;
    std::free(atom);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    status = 0;
  }
  xcb_disconnect(server);
  if (!xvfb.stop()) status = 1;
  return status;
}
