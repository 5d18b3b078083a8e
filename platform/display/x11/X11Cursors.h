// X11Cursors: the pointer shapes of the user's cursor theme (xcb-cursor reads XCURSOR_THEME,
// the X resources and the theme's files, and falls back to the server's core cursor font), each
// loaded on first use and kept until the display closes. Any thread.
#pragma once

#include <xcb/xcb.h>

#include <array>
#include <mutex>

struct xcb_cursor_context_t;

enum class X11PointerShape {
  Arrow,
  Text,
  ResizeLeft,
  ResizeRight,
  ResizeTop,
  ResizeBottom,
  ResizeTopLeft,
  ResizeTopRight,
  ResizeBottomLeft,
  ResizeBottomRight,
  Count
};

class X11Cursors {
public:
  void open(xcb_connection_t* connection, xcb_screen_t* screen);
  ~X11Cursors();

  // The cursor of the shape; XCB_NONE (the parent's cursor) when neither the theme nor the core
  // font has one.
  xcb_cursor_t cursor(X11PointerShape shape);

private:
  std::mutex mutex_;
  xcb_connection_t* connection_ = nullptr;
  xcb_cursor_context_t* context_ = nullptr;
  std::array<xcb_cursor_t, static_cast<int>(X11PointerShape::Count)> loaded_{};
  std::array<bool, static_cast<int>(X11PointerShape::Count)> tried_{};
};
