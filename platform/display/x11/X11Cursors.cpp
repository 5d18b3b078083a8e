#include "display/x11/X11Cursors.h"

#include <xcb/xcb_cursor.h>

namespace {

// The theme's names, which are also the core cursor font's (xcb-cursor's fallback).
constexpr std::array<const char*, static_cast<int>(X11PointerShape::Count)> kNames{
    "left_ptr",           "xterm",
    "left_side",          "right_side",
    "top_side",           "bottom_side",
    "top_left_corner",    "top_right_corner",
    "bottom_left_corner", "bottom_right_corner"};

} // namespace

void X11Cursors::open(xcb_connection_t* connection, xcb_screen_t* screen) {
  connection_ = connection;
  if (xcb_cursor_context_new(connection, screen, &context_) < 0) context_ = nullptr;
}

X11Cursors::~X11Cursors() {
  // The cursors go with the connection; only the context is ours to free.
  if (context_) xcb_cursor_context_free(context_);
}

xcb_cursor_t X11Cursors::cursor(X11PointerShape shape) {
  const int index = static_cast<int>(shape);
  std::lock_guard lock(mutex_);
  if (!tried_[index] && context_) {
    tried_[index] = true;
    loaded_[index] = xcb_cursor_load_cursor(context_, kNames[index]);
  }
  return loaded_[index];
}
