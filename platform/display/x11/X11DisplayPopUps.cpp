// X11Display: pop-up menus. A pop-up is an override-redirect window (never managed, mapped at
// once) that takes the pointer and the keyboard while it is open, so that a click anywhere else
// reaches it, outside its bounds, and closes it. Pop-ups opened from it (submenus) take no grab
// of their own: they are our windows, which the grab lets the pointer reach.
//
// A grab fails while another client holds the pointer (Java's own connection does while a button
// is held over one of its windows): it is tried again while a button is held and for a while
// after. A pop-up that still has no pointer grab then would be dead (clicks elsewhere never
// reach it): it runs ungrabbed and closes when the keyboard focus leaves our windows (a click on
// another client's window moves it) if one of our windows holds the focus, and closes at once
// otherwise.
#include <chrono>

#include "display/DisplayClient.h"
#include "display/x11/X11Display.h"
#include "foundation/system/NSLog.h"

namespace {

constexpr auto kGrabRetryInterval = std::chrono::milliseconds(20);
// How long the grabs are tried once no button is held, and at most.
constexpr auto kGrabPatience = std::chrono::seconds(1);
constexpr auto kGrabGiveUp = std::chrono::seconds(30);

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

// Whether a mouse button is held anywhere on the screen (another client's implicit grab then
// ends when it is released).
bool buttonHeldOnScreen(xcb_connection_t* c, xcb_window_t root) {
  xcb_query_pointer_reply_t* reply =
      xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr);
  constexpr uint16_t kButtons = XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3 |
                                XCB_BUTTON_MASK_4 | XCB_BUTTON_MASK_5;
  const bool held = reply && (reply->mask & kButtons);
  free(reply);
  return held;
}

} // namespace

void X11Display::popUpOpened(NSInteger popUpNumber, const DisplayWindow& description) {
  bool child = false;
  {
    X11Lock lock(mutex_);
    X11Window* owner = description.owner ? windowLocked(description.owner) : nullptr;
    child = popUp_ && owner && owner->isPopUp();
  }
  if (!child && popUp_) popUpClosed(popUp_);
  xcb_window_t id = 0;
  {
    X11Lock lock(mutex_);
    destroyWindowLocked(popUpNumber);
    X11Window* window = createWindowLocked(popUpNumber, description, true);
    window->map();
    window->raise();
    id = window->id();
    if (child)
      childPopUps_.push_back(popUpNumber);
    else
      popUp_ = popUpNumber;
  }
  xcb_flush(server_.connection);
  if (!child) grabForPopUp(popUpNumber, id);
}

void X11Display::popUpClosed(NSInteger popUpNumber) {
  if (popUpNumber != popUp_) {
    X11Lock lock(mutex_);
    if (std::erase(childPopUps_, popUpNumber) == 0) return;
    destroyWindowLocked(popUpNumber);
    xcb_flush(server_.connection);
    return;
  }
  stopGrabbing();
  X11Lock lock(mutex_);
  xcb_ungrab_pointer(server_.connection, XCB_CURRENT_TIME);
  xcb_ungrab_keyboard(server_.connection, XCB_CURRENT_TIME);
  for (NSInteger child : childPopUps_)
    destroyWindowLocked(child);
  childPopUps_.clear();
  destroyWindowLocked(popUpNumber);
  popUp_ = 0;
  popUpGrabbed_ = false;
  ungrabbedPopUp_ = 0;
  xcb_flush(server_.connection);
}

void X11Display::grabForPopUp(NSInteger number, xcb_window_t window) {
  xcb_connection_t* c = server_.connection;
  if (grabPointer(c, window) && grabKeyboard(c, window)) {
    popUpGrabbed_ = true;
    return;
  }
  stopGrabbing();
  stopGrabbing_ = false;
  grabber_ = std::thread([this, c, number, window] {
    const auto start = std::chrono::steady_clock::now();
    auto lastHeld = start;
    bool pointer = false, keyboard = false;
    while (!stopGrabbing_) {
      pointer = pointer || grabPointer(c, window);
      keyboard = keyboard || grabKeyboard(c, window);
      if (pointer && keyboard) {
        popUpGrabbed_ = true;
        return;
      }
      const auto now = std::chrono::steady_clock::now();
      if (buttonHeldOnScreen(c, server_.screen->root)) lastHeld = now;
      if (now - lastHeld >= kGrabPatience || now - start >= kGrabGiveUp) {
        grabFailed(number, pointer);
        return;
      }
      std::this_thread::sleep_for(kGrabRetryInterval);
    }
  });
}

void X11Display::grabFailed(NSInteger number, bool pointerGrabbed) {
  // With the pointer, a click elsewhere still reaches the pop-up; only the keys go to the focused
  // window, whose events the menu takes as well.
  if (pointerGrabbed) return;
  // Without the pointer the keyboard grab goes too: the focus must move as it normally does,
  // since a move away from our windows is what closes the menu.
  xcb_connection_t* c = server_.connection;
  xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
  xcb_get_input_focus_reply_t* focus =
      xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
  const NSInteger focused = focus ? numberOf(focus->focus) : 0;
  free(focus);
  if (focused > 0) {
    NSLog("Another program holds the pointer; the menu stays open until a click elsewhere");
    ungrabbedPopUp_ = number;
    return;
  }
  NSLog("Another program holds the pointer and the keyboard focus; the menu is closed");
  closePopUpFromOutside(number);
}

void X11Display::closePopUpFromOutside(NSInteger number) {
  DisplayClient* client = DisplayBackend::client();
  if (!client) return;
  // A press far outside every pop-up, as a grabbed pop-up receives a click elsewhere.
  constexpr CGFloat kFarAway = -100000;
  DisplayInput press;
  press.kind = DisplayInput::Kind::MouseDown;
  press.windowNumber = number;
  press.location = NSMakePoint(kFarAway, kFarAway);
  press.button = 1;
  press.clickCount = 1;
  client->displayReceivedInput(press);
}

void X11Display::stopGrabbing() {
  stopGrabbing_ = true;
  if (grabber_.joinable()) grabber_.join();
}
