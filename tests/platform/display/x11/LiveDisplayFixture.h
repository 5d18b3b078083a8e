// Shared set-up of the live-display tests. They run on a private Xvfb (tests/xvfb), with no
// window manager, on the X11 display. Real input comes from outside the process: xdotool, which
// sends it through the server's XTEST extension, runs as a child process while the test serves
// the main run loop. The tests look at the server through a connection of their own.
#pragma once

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "appkit/application/NSApplication.h"
#include "appkit/windows/NSWindow.h"
#include "display/DisplayBackend.h"
#include "display/x11/X11Display.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/runtime/NSAutoreleasePool.h"

extern char** environ;

namespace live_test {

using Clock = std::chrono::steady_clock;
constexpr auto kLimit = std::chrono::seconds(10);

// Serves the main run loop until done() or the limit; done()'s last answer. done() is asked
// again every few milliseconds, since what it looks at (the server, a child process) does not
// wake the loop.
inline bool serveUntil(const std::function<bool()>& done, Clock::duration limit = kLimit) {
  constexpr auto kSlice = std::chrono::milliseconds(5);
  const auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline) {
    // What is queued runs in every slice, even when done() alone takes longer than a slice (a
    // screenshot compared in the sanitized build does).
    NSRunLoop::mainRunLoop().runPending();
    if (NSRunLoop::mainRunLoop().runUntil(done, std::min(deadline, Clock::now() + kSlice)))
      return true;
  }
  return done();
}

// Starts xdotool with the arguments; the caller waits for it with finish().
inline pid_t startXdotool(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  std::string program = "xdotool";
  argv.push_back(program.data());
  std::vector<std::string> copies = arguments;
  for (auto& argument : copies)
    argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

// Serves the run loop until the process has ended; its exit status, -1 when it did not end.
inline int finish(pid_t pid) {
  int status = -1;
  bool ended = false;
  serveUntil([&] {
    ended = ended || waitpid(pid, &status, WNOHANG) == pid;
    return ended;
  });
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs xdotool to its end while the run loop is served; true when it succeeded.
inline bool xdotool(const std::vector<std::string>& arguments) {
  const pid_t pid = startXdotool(arguments);
  return pid > 0 && finish(pid) == 0;
}

class LiveDisplayTest : public testing::Test {
protected:
  void SetUp() override {
    // The tests serve the run loop themselves, as the platform's main thread.
    ASSERT_TRUE(NSThread::isMainThread());
    display = dynamic_cast<X11Display*>(&DisplayBackend::current());
    ASSERT_NE(display, nullptr) << "the tests need the X11 display (BRIX_DISPLAY=x11, DISPLAY)";
    connection = xcb_connect(nullptr, nullptr);
    ASSERT_EQ(xcb_connection_has_error(connection), 0);
    root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    app = NSApplication::sharedApplication();
  }

  void TearDown() override {
    NSRunLoop::mainRunLoop().runPending();
    for (auto& window : windows)
      window->close();
    windows.clear();
    pool.drain();
    NSRunLoop::mainRunLoop().runPending();
    if (connection) xcb_disconnect(connection);
  }

  // A titled window whose frame is frame, key and on screen, held by the test.
  NSWindow* makeWindow(const char* title, NSRect frame) {
    constexpr NSWindowStyleMask style =
        NSWindowStyleMaskTitled | NSWindowStyleMaskClosable | NSWindowStyleMaskResizable;
    NSWindow* window = NSWindow::alloc()->initWithContentRect(
        NSWindow::contentRectForFrameRect(frame, style), style, NSBackingStoreBuffered, false);
    window->setReleasedWhenClosed(false);
    windows.push_back(adopted(window));
    window->setTitle(NSSTR(title));
    window->makeKeyAndOrderFront(nullptr);
    return window;
  }

  // Serves the run loop until the server shows the window (mapped and focused when asked).
  bool waitUntilShown(NSWindow* window) {
    return serveUntil([&] { return isViewable(display->xWindowOf(window->windowNumber())); });
  }

  bool isViewable(xcb_window_t window) {
    if (!window) return false;
    auto* reply = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr);
    const bool viewable = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return viewable;
  }

  xcb_window_t focusedWindow() {
    auto* reply = xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
    const xcb_window_t focus = reply ? reply->focus : XCB_NONE;
    std::free(reply);
    return focus;
  }

  // The X position of a point in a window (window coordinates, origin at its lower left).
  std::vector<std::string> screenPoint(NSWindow* window, NSPoint point) {
    const NSRect frame = window->frame();
    const double screenHeight = display->screenFrame().size.height;
    const long x = std::lround(frame.origin.x + point.x);
    const long y = std::lround(screenHeight - (frame.origin.y + point.y));
    return {std::to_string(x), std::to_string(y)};
  }

  xcb_atom_t atom(const char* name) {
    auto* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t found = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return found;
  }

  // A property's bytes (for format 8) or 32-bit items (for format 32).
  std::string textProperty(xcb_window_t window, xcb_atom_t property) {
    auto* reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096),
        nullptr);
    std::string value;
    if (reply && reply->format == 8)
      value.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                   static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    std::free(reply);
    return value;
  }

  std::vector<uint32_t> itemsProperty(xcb_window_t window, xcb_atom_t property) {
    auto* reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096),
        nullptr);
    std::vector<uint32_t> items;
    if (reply && reply->format == 32) {
      const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
      items.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return items;
  }

  // The screen's pixels in a rectangle of X coordinates, 0x00RRGGBB each.
  std::vector<uint32_t> screenshot(int x, int y, int width, int height) {
    auto* reply = xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<int16_t>(x),
                      static_cast<int16_t>(y), static_cast<uint16_t>(width),
                      static_cast<uint16_t>(height), ~0u),
        nullptr);
    std::vector<uint32_t> pixels;
    if (reply) {
      const auto* data = reinterpret_cast<const uint32_t*>(xcb_get_image_data(reply));
      pixels.assign(data, data + static_cast<std::size_t>(width) * height);
      for (auto& pixel : pixels)
        pixel &= 0x00ffffff;
    }
    std::free(reply);
    return pixels;
  }

  X11Display* display = nullptr;
  xcb_connection_t* connection = nullptr;
  xcb_window_t root = 0;
  NSApplication* app = nullptr;
  NSAutoreleasePool pool;
  std::vector<Ref<NSWindow>> windows;
};

} // namespace live_test
