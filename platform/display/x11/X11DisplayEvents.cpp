// X11Display: the event thread. It waits on the connection and turns what the server reports
// into the platform's terms.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "display/DisplayClient.h"
#include "display/x11/X11ClientWindows.h"
#include "display/x11/X11Display.h"
#include "display/x11/X11Errors.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/system/NSLog.h"

namespace {

// Two presses of the same button closer than this in time and space make a double click.
constexpr xcb_timestamp_t kDoubleClickMilliseconds = 400;
constexpr int kDoubleClickPixels = 4;

// The buttons X reports for the wheel; they are not clicks.
bool isWheel(uint8_t button) {
  return button >= 4 && button <= 7;
}

// The edges of a window that a resize moves.
enum X11Edge : unsigned { kLeft = 1, kRight = 2, kTop = 4, kBottom = 8 };

// How close to an edge a press starts a resize, and how far along an edge from a corner it
// still takes the corner, in points.
constexpr double kResizeBorder = 4, kResizeCorner = 16;
// The smallest window a resize leaves, in points (besides the title bar).
constexpr double kMinimumWidth = 120, kMinimumContentHeight = 40;

// The edges a press at (x, y) of a window's w x h pixels resizes; none away from them.
unsigned edgesAt(int x, int y, int w, int h, double scale) {
  const int border = static_cast<int>(kResizeBorder * scale);
  const int corner = static_cast<int>(kResizeCorner * scale);
  unsigned edges = 0;
  if (x < border)
    edges |= kLeft;
  else if (x >= w - border)
    edges |= kRight;
  if (y < border)
    edges |= kTop;
  else if (y >= h - border)
    edges |= kBottom;
  if (edges & (kLeft | kRight)) {
    if (y < corner)
      edges |= kTop;
    else if (y >= h - corner)
      edges |= kBottom;
  }
  if (edges & (kTop | kBottom)) {
    if (x < corner)
      edges |= kLeft;
    else if (x >= w - corner)
      edges |= kRight;
  }
  return edges;
}

// The resize arrow of the edges; Arrow on none.
X11PointerShape edgePointer(unsigned edges) {
  using enum X11PointerShape;
  if (edges & kTop)
    return edges & kLeft ? ResizeTopLeft : edges & kRight ? ResizeTopRight : ResizeTop;
  if (edges & kBottom)
    return edges & kLeft ? ResizeBottomLeft : edges & kRight ? ResizeBottomRight : ResizeBottom;
  if (edges & kLeft) return ResizeLeft;
  if (edges & kRight) return ResizeRight;
  return Arrow;
}

// _NET_WM_MOVERESIZE's direction for the edges.
uint32_t moveResizeDirection(unsigned edges) {
  constexpr uint32_t kTopLeft = 0, kTopSide = 1, kTopRight = 2, kRightSide = 3, kBottomRight = 4,
                     kBottomSide = 5, kBottomLeft = 6, kLeftSide = 7;
  if (edges & kTop) return edges & kLeft ? kTopLeft : edges & kRight ? kTopRight : kTopSide;
  if (edges & kBottom)
    return edges & kLeft ? kBottomLeft : edges & kRight ? kBottomRight : kBottomSide;
  return edges & kLeft ? kLeftSide : kRightSide;
}

int heldButton(uint16_t state) {
  if (state & XCB_BUTTON_MASK_1) return 1;
  if (state & XCB_BUTTON_MASK_3) return 3;
  if (state & XCB_BUTTON_MASK_2) return 2;
  return 0;
}

} // namespace

void X11Display::runEvents() {
  eventThread_.claim();
  // Where nothing asks for them first, the windows found at the opening are reported now.
  NSRunLoop::mainRunLoop().performAsync([this] { reportForeignWindowsFoundAtOpen(); });
  for (;;) {
    xcb_generic_event_t* event = xcb_wait_for_event(server_.connection);
    if (!event) {
      connectionLost_ = true;
      NSLog("The connection to the X server was lost; windows no longer appear on it");
      if (DisplayClient* client = DisplayBackend::client())
        NSRunLoop::mainRunLoop().performAsync([client] { client->displayLost(); });
      return;
    }
    const bool goOn = handleEvent(event);
    std::free(event);
    if (!goOn) return;
  }
}

NSInteger X11Display::numberOf(xcb_window_t window) const {
  X11Lock lock(mutex_);
  auto found = numbersByXWindow_.find(window);
  return found == numbersByXWindow_.end() ? 0 : found->second;
}

bool X11Display::handleEvent(const xcb_generic_event_t* event) {
  const uint8_t type = event->response_type & 0x7f;
  if (type == keyboard_.eventBase()) {
    keyboard_.handleXkbEvent(event);
    return true;
  }
  if (clipboard_->handleEvent(event) || primary_->handleEvent(event)) return true;
  if (type == XCB_PROPERTY_NOTIFY) {
    const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    if (property->window == helper_ && property->atom == server_.atoms[X11Atom::BRIX_WAKE_UP]) {
      std::lock_guard lock(timeMutex_);
      lastServerTime_ = property->time;
      timesAnswered_ = timesAsked_;
      timeArrived_.notify_all();
      return true;
    }
  }
  // The desktop's settings change in events that others may need too (the root's properties).
  if (desktopSettings_.handleEvent(event)) refreshAppearance();
  if (server_.windowManager.mayHaveChanged(event)) followWindowManager();
  if (handleForeignEvent(event)) return true;
  switch (type) {
  case 0: // an error of a request whose reply nobody waits for
    X11LogError(reinterpret_cast<const xcb_generic_error_t*>(event));
    break;
  case XCB_BUTTON_PRESS:
  case XCB_BUTTON_RELEASE:
  case XCB_MOTION_NOTIFY:
    handlePointer(event);
    break;
  case XCB_KEY_PRESS:
  case XCB_KEY_RELEASE:
    handleKey(reinterpret_cast<const xcb_key_press_event_t*>(event), type == XCB_KEY_PRESS);
    break;
  case XCB_CONFIGURE_NOTIFY:
    handleConfigure(reinterpret_cast<const xcb_configure_notify_event_t*>(event));
    break;
  case XCB_EXPOSE:
    handleExpose(reinterpret_cast<const xcb_expose_event_t*>(event));
    break;
  case XCB_FOCUS_IN:
    handleFocusIn(reinterpret_cast<const xcb_focus_in_event_t*>(event));
    break;
  case XCB_FOCUS_OUT:
    handleFocusOut(reinterpret_cast<const xcb_focus_in_event_t*>(event));
    break;
  case XCB_CLIENT_MESSAGE: {
    const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
    if (message->type == server_.atoms[X11Atom::BRIX_WAKE_UP]) return false;
    handleClientMessage(message);
    break;
  }
  default:
    break;
  }
  return true;
}

void X11Display::handlePointer(const xcb_generic_event_t* event) {
  // Press, release and motion share their layout up to the fields used here.
  const auto* pointer = reinterpret_cast<const xcb_button_press_event_t*>(event);
  const uint8_t type = event->response_type & 0x7f;
  // The wheel's buttons (4 to 7) press and release at once: the press is one line turned.
  const bool wheel = type != XCB_MOTION_NOTIFY && isWheel(pointer->detail);
  if (wheel && type == XCB_BUTTON_RELEASE) return;
  if (type == XCB_BUTTON_PRESS) server_.windowManager.noteUserTime(pointer->time);
  {
    X11Lock lock(mutex_);
    pointerX_ = pointer->root_x;
    pointerY_ = pointer->root_y;
    if (type == XCB_BUTTON_PRESS && !wheel) buttonHeld_ = true;
    if (type == XCB_BUTTON_RELEASE) buttonHeld_ = false;
  }
  if (!wheel && continueDrag(pointer->root_x, pointer->root_y, type == XCB_BUTTON_RELEASE)) return;
  const NSInteger number = numberOf(pointer->event);
  DisplayClient* client = DisplayBackend::client();
  if (!number || !client) return;
  // A press on the edge of a resizable window resizes it; the window does not see it.
  if (type == XCB_BUTTON_PRESS && pointer->detail == 1 && startResize(number, pointer)) return;

  DisplayInput input;
  input.windowNumber = number;
  input.modifiers = X11Keyboard::modifiersOfState(pointer->state);
  {
    X11Lock lock(mutex_);
    X11Window* window = windowLocked(number);
    if (!window) return;
    const double heightPixels = window->rect().height;
    input.location = NSMakePoint(pointer->event_x / server_.scale,
                                 (heightPixels - pointer->event_y) / server_.scale);
    if (type == XCB_BUTTON_PRESS && !wheel) {
      lastPress_ = {pointer->root_x, pointer->root_y, pointer->event_x, pointer->event_y};
      lastPressWindow_ = number;
    }
    // Over a resizable window's edges the pointer shows where a press would resize it.
    if (type == XCB_MOTION_NOTIFY && !heldButton(pointer->state) && !window->isPopUp()) {
      const X11Rect rect = window->rect();
      window->setEdgePointer(window->description().resizable
                                 ? edgePointer(edgesAt(pointer->event_x, pointer->event_y,
                                                       rect.width, rect.height, server_.scale))
                                 : X11PointerShape::Arrow);
      window->showPointer(cursors_);
    }
  }
  if (wheel) {
    input.kind = DisplayInput::Kind::ScrollWheel;
    input.deltaY = pointer->detail == 4 ? 1 : pointer->detail == 5 ? -1 : 0;
    input.deltaX = pointer->detail == 6 ? 1 : pointer->detail == 7 ? -1 : 0;
  } else if (type == XCB_MOTION_NOTIFY) {
    input.button = heldButton(pointer->state);
    input.kind = input.button ? DisplayInput::Kind::MouseDragged : DisplayInput::Kind::MouseMoved;
  } else {
    input.button = pointer->detail;
    if (type == XCB_BUTTON_PRESS) {
      const bool again = pointer->detail == lastClickButton_ &&
                         pointer->time - lastClickTime_ <= kDoubleClickMilliseconds &&
                         std::abs(pointer->root_x - lastClickX_) <= kDoubleClickPixels &&
                         std::abs(pointer->root_y - lastClickY_) <= kDoubleClickPixels;
      clickCount_ = again ? clickCount_ + 1 : 1;
      lastClickButton_ = pointer->detail;
      lastClickTime_ = pointer->time;
      lastClickX_ = pointer->root_x;
      lastClickY_ = pointer->root_y;
    }
    input.clickCount = clickCount_;
    input.kind =
        type == XCB_BUTTON_PRESS ? DisplayInput::Kind::MouseDown : DisplayInput::Kind::MouseUp;
  }
  client->displayReceivedInput(input);
}

bool X11Display::startResize(NSInteger number, const xcb_button_press_event_t* press) {
  X11Lock lock(mutex_);
  X11Window* window = windowLocked(number);
  if (!window || window->isPopUp() || !window->description().resizable || popUp_) return false;
  const X11Rect rect = window->rect();
  const unsigned edges =
      edgesAt(press->event_x, press->event_y, rect.width, rect.height, server_.scale);
  if (!edges) return false;
  if (server_.windowManager.supports(X11Atom::_NET_WM_MOVERESIZE)) {
    // The window manager resizes it: our implicit grab must go first.
    xcb_ungrab_pointer(server_.connection, press->time);
    server_.windowManager.moveResize(window->id(), press->root_x, press->root_y,
                                     moveResizeDirection(edges));
    return true;
  }
  drag_ = {};
  drag_.window = number;
  drag_.edges = edges;
  drag_.start = rect;
  drag_.pressX = press->root_x;
  drag_.pressY = press->root_y;
  return true;
}

bool X11Display::continueDrag(int rootX, int rootY, bool released) {
  X11Lock lock(mutex_);
  if (!drag_.window) return false;
  X11Window* window = windowLocked(drag_.window);
  if (!window) {
    drag_ = {};
    return false;
  }
  if (drag_.edges) {
    // The edges held follow the pointer; the opposite ones stay.
    const double s = server_.scale;
    const int minimumWidth = static_cast<int>(std::ceil(kMinimumWidth * s));
    const int minimumHeight = static_cast<int>(
        std::ceil((window->description().titleBarHeight + kMinimumContentHeight) * s));
    const int dx = rootX - drag_.pressX, dy = rootY - drag_.pressY;
    const X11Rect start = drag_.start;
    X11Rect rect = start;
    if (drag_.edges & kRight) rect.width = std::max(minimumWidth, start.width + dx);
    if (drag_.edges & kLeft) {
      rect.width = std::max(minimumWidth, start.width - dx);
      rect.x = start.x + start.width - rect.width;
    }
    if (drag_.edges & kBottom) rect.height = std::max(minimumHeight, start.height + dy);
    if (drag_.edges & kTop) {
      rect.height = std::max(minimumHeight, start.height - dy);
      rect.y = start.y + start.height - rect.height;
    }
    const uint32_t values[] = {static_cast<uint32_t>(rect.x), static_cast<uint32_t>(rect.y),
                               static_cast<uint32_t>(rect.width),
                               static_cast<uint32_t>(rect.height)};
    xcb_configure_window(server_.connection, window->id(),
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    xcb_flush(server_.connection);
    if (released) drag_ = {};
    // The window never saw the press, so it sees neither motion nor release.
    return true;
  }
  const uint32_t position[] = {static_cast<uint32_t>(rootX - drag_.grabX),
                               static_cast<uint32_t>(rootY - drag_.grabY)};
  xcb_configure_window(server_.connection, window->id(), XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y,
                       position);
  xcb_flush(server_.connection);
  if (!released) return true;
  drag_ = {};
  // The release still reaches the window, so that the view that took the press sees it end.
  return false;
}

void X11Display::handleKey(const xcb_key_press_event_t* event, bool down) {
  if (down) server_.windowManager.noteUserTime(event->time);
  DisplayClient* client = DisplayBackend::client();
  if (!client) return;
  DisplayInput input;
  input.kind = down ? DisplayInput::Kind::KeyDown : DisplayInput::Kind::KeyUp;
  input.windowNumber = numberOf(event->event);
  // Keys typed into a hosted window of another toolkit reach that toolkit; the application
  // sees them as its window's, for its key equivalents.
  if (!input.windowNumber) input.windowNumber = hostOfForeignPart(event->event);
  input.modifiers = X11Keyboard::modifiersOfState(event->state);
  keyboard_.describeKey(event->detail, input);
  if (input.key == DisplayKey::Modifier || !keyboard_.compose(event->detail, input)) return;
  client->displayReceivedInput(input);
}

void X11Display::handleConfigure(const xcb_configure_notify_event_t* event) {
  const NSInteger number = numberOf(event->window);
  if (!number) return;
  X11Rect rect{event->x, event->y, event->width, event->height};
  NSRect frame;
  {
    X11Lock lock(mutex_);
    X11Window* window = windowLocked(number);
    if (!window || window->isPopUp()) return;
    // A real event from a window manager's frame is relative to the frame: keep our idea of the
    // position then, and take only the size. Synthetic ones are in root coordinates.
    const bool inRootCoordinates = !server_.windowManagerRuns || (event->response_type & 0x80);
    if (!inRootCoordinates) {
      rect.x = window->rect().x;
      rect.y = window->rect().y;
    }
    window->serverMoved(rect);
    frame = X11FrameFromRect(server_, rect);
    // A hosted window learns where it now is on the root.
    tellHostedWhereLocked(number);
    xcb_flush(server_.connection);
  }
  NSRunLoop::mainRunLoop().performAsync([this, number, frame] {
    mainThread_.claim();
    DisplayClient* client = DisplayBackend::client();
    if (!client) return;
    syncingFrameOf_ = number;
    client->displayMovedWindow(number, frame);
    syncingFrameOf_ = 0;
  });
}

void X11Display::handleExpose(const xcb_expose_event_t* event) {
  const NSInteger number = numberOf(event->window);
  if (!number) return;
  if (event->count == 0) giveBackFocusOnceHosted(number);
  const X11Rect area{event->x, event->y, event->width, event->height};
  NSRunLoop::mainRunLoop().performAsync([this, number, area] {
    mainThread_.claim();
    bool redraw = false;
    // Shown by the window manager, a window that became key meanwhile has the focus, whether
    // or not the manager gave it (one that prevents focus stealing may not have: xfwm4).
    const bool focusNow = number == focusOnceShown_ && windowHoldingFocus() != number;
    if (number == focusOnceShown_) focusOnceShown_ = 0;
    {
      X11Lock lock(mutex_);
      X11Window* window = windowLocked(number);
      if (!window) return;
      if (focusNow) {
        focusLocked(window, XCB_CURRENT_TIME);
        // The manager is told too: it raises the window it kept below the one it thought active.
        server_.windowManager.restoreActivation(window->id());
      }
      // The picture is kept, so an exposed part is uploaded again without drawing anything.
      if (window->hasPicture()) {
        window->upload(area);
        xcb_flush(server_.connection);
      } else {
        redraw = true;
      }
    }
    if (DisplayClient* client = DisplayBackend::client(); redraw && client)
      client->displayNeedsRedraw(number);
  });
}

void X11Display::handleFocusIn(const xcb_focus_in_event_t* event) {
  // Focus moves that a grab makes (an open menu's) say nothing about the key window.
  if (event->mode == XCB_NOTIFY_MODE_GRAB || event->mode == XCB_NOTIFY_MODE_UNGRAB) return;
  if (event->detail == XCB_NOTIFY_DETAIL_POINTER || event->detail == XCB_NOTIFY_DETAIL_INFERIOR)
    return;
  NSInteger number = numberOf(event->event);
  if (number > 0 && server_.windowManagerRuns) {
    // A window manager focuses the host itself (a click on it, Alt+Tab, _NET_ACTIVE_WINDOW): the
    // keys belong to the window inside. The manager's time may be older than the toolkit's own
    // last focus change, which the server would then refuse: CurrentTime.
    X11Lock lock(mutex_);
    for (const auto& [foreign, state] : foreign_)
      if (state.host == number && state.shown) {
        if (X11HasFocusWithin(server_.connection, foreign) || !mayForwardFocus()) break;
        focusForeignLocked(foreign, state, XCB_CURRENT_TIME);
        xcb_flush(server_.connection);
        break;
      }
  }
  if (!number) number = hostOfForeignPart(event->event);
  if (number <= 0) return;
  NSRunLoop::mainRunLoop().performAsync([this, number] {
    mainThread_.claim();
    // By the time the main thread serves this, the focus may have moved on (the application
    // focused another window since): a stale notice would take the key status, and with it the
    // focus, back to where it was.
    if (windowHoldingFocus() != number) return;
    focused_ = number;
    if (DisplayClient* client = DisplayBackend::client()) client->displayFocusedWindow(number);
  });
}

NSInteger X11Display::windowHoldingFocus() const {
  xcb_get_input_focus_reply_t* reply = xcb_get_input_focus_reply(
      server_.connection, xcb_get_input_focus(server_.connection), nullptr);
  const xcb_window_t focus = reply ? reply->focus : XCB_NONE;
  std::free(reply);
  const NSInteger number = numberOf(focus);
  return number ? number : hostOfForeignPart(focus);
}

void X11Display::handleFocusOut(const xcb_focus_in_event_t* event) {
  // A pop-up that runs without the grabs closes as the focus leaves the window that held it,
  // which is how a click on another program's window shows.
  const NSInteger popUp = ungrabbedPopUp_;
  if (!popUp || event->mode == XCB_NOTIFY_MODE_GRAB || event->mode == XCB_NOTIFY_MODE_UNGRAB)
    return;
  if (event->detail == XCB_NOTIFY_DETAIL_POINTER || event->detail == XCB_NOTIFY_DETAIL_INFERIOR)
    return;
  if (numberOf(event->event) <= 0) return;
  ungrabbedPopUp_ = 0;
  closePopUpFromOutside(popUp);
}

void X11Display::handleClientMessage(const xcb_client_message_event_t* event) {
  if (event->type == server_.atoms[X11Atom::WM_PROTOCOLS] &&
      event->data.data32[0] == server_.atoms[X11Atom::WM_TAKE_FOCUS]) {
    if (const NSInteger host = numberOf(event->window)) takeFocusIntoHosted(host);
    return;
  }
  if (event->type != server_.atoms[X11Atom::WM_PROTOCOLS] ||
      event->data.data32[0] != server_.atoms[X11Atom::WM_DELETE_WINDOW])
    return;
  const NSInteger number = numberOf(event->window);
  if (number <= 0) return;
  NSRunLoop::mainRunLoop().performAsync([number] {
    if (DisplayClient* client = DisplayBackend::client()) client->displayAskedToCloseWindow(number);
  });
}
