// X11Display: pop-up menus. A pop-up is an override-redirect window (never managed, mapped at
// once) that takes the pointer and the keyboard while it is open, so that a click anywhere else
// reaches it, outside its bounds, and closes it. A grab fails while another client holds the
// pointer (Java's own connection does while a button is held over one of its windows): it is
// tried again until it succeeds or the pop-up closes.
#include <chrono>

#include "display/x11/X11Display.h"

namespace {

constexpr auto kGrabRetryInterval = std::chrono::milliseconds(20);
constexpr auto kGrabGiveUp = std::chrono::seconds(5);

constexpr uint16_t kPopUpPointerEvents =
    XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION;

bool grabPointer(xcb_connection_t* c, xcb_window_t window) {
  // Events over our own windows go to them (owner events); the rest comes to the pop-up.
  xcb_grab_pointer_reply_t* reply = xcb_grab_pointer_reply(
      c,
      xcb_grab_pointer(c, 1, window, kPopUpPointerEvents, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC,
                       XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
      nullptr);
  const bool grabbed = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
  free(reply);
  return grabbed;
}

bool grabKeyboard(xcb_connection_t* c, xcb_window_t window) {
  // Every key goes to the pop-up.
  xcb_grab_keyboard_reply_t* reply = xcb_grab_keyboard_reply(
      c,
      xcb_grab_keyboard(c, 0, window, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
      nullptr);
  const bool grabbed = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
  free(reply);
  return grabbed;
}

} // namespace

void X11Display::popUpOpened(NSInteger popUpNumber, const DisplayWindow& description) {
  if (popUp_) popUpClosed(popUp_);
  xcb_window_t id = 0;
  {
    std::lock_guard lock(mutex_);
    destroyWindowLocked(popUpNumber);
    X11Window* window = createWindowLocked(popUpNumber, description, true);
    window->map();
    window->raise();
    id = window->id();
    popUp_ = popUpNumber;
  }
  xcb_flush(server_.connection);
  grabForPopUp(id);
}

void X11Display::popUpClosed(NSInteger popUpNumber) {
  if (popUpNumber != popUp_) return;
  stopGrabbing();
  std::lock_guard lock(mutex_);
  xcb_ungrab_pointer(server_.connection, XCB_CURRENT_TIME);
  xcb_ungrab_keyboard(server_.connection, XCB_CURRENT_TIME);
  destroyWindowLocked(popUpNumber);
  popUp_ = 0;
  popUpGrabbed_ = false;
  xcb_flush(server_.connection);
}

void X11Display::grabForPopUp(xcb_window_t window) {
  xcb_connection_t* c = server_.connection;
  if (grabPointer(c, window) && grabKeyboard(c, window)) {
    popUpGrabbed_ = true;
    return;
  }
  stopGrabbing();
  stopGrabbing_ = false;
  grabber_ = std::thread([this, c, window] {
    const auto giveUp = std::chrono::steady_clock::now() + kGrabGiveUp;
    bool pointer = false, keyboard = false;
    while (!stopGrabbing_ && std::chrono::steady_clock::now() < giveUp) {
      pointer = pointer || grabPointer(c, window);
      keyboard = keyboard || grabKeyboard(c, window);
      if (pointer && keyboard) {
        popUpGrabbed_ = true;
        return;
      }
      std::this_thread::sleep_for(kGrabRetryInterval);
    }
  });
}

void X11Display::stopGrabbing() {
  stopGrabbing_ = true;
  if (grabber_.joinable()) grabber_.join();
}
