// X11Display: what the toolkit of a foreign window (see X11DisplayForeign.cpp) does to it, and
// what a window manager does while it takes one back, as the event thread hears of it: the
// toolkit maps, unmaps, configures, retitles and destroys its window, and asks to be moved,
// resized and raised; each change is reported to the application.
#include <functional>

#include "display/DisplayClient.h"
#include "display/x11/X11ClientWindows.h"
#include "display/x11/X11Display.h"
#include "foundation/runloop/NSRunLoop.h"

bool X11Display::handleForeignEvent(const xcb_generic_event_t* event) {
  xcb_connection_t* c = server_.connection;
  const uint8_t type = event->response_type & 0x7f;
  // Reports a change of the window to the application, with what the toolkit asked for.
  auto report = [this](xcb_window_t window, bool raise,
                       const std::function<void(DisplayForeignWindow&)>& asked = nullptr) {
    DisplayForeignWindow description;
    {
      X11Lock lock(mutex_);
      auto found = foreign_.find(window);
      if (found == foreign_.end()) return;
      description = describeForeign(window, found->second);
    }
    description.raiseRequested = raise;
    if (asked) asked(description);
    NSRunLoop::mainRunLoop().performAsync([description] {
      if (DisplayClient* client = DisplayBackend::client())
        client->displayForeignWindowChanged(description);
    });
  };
  if (handlePennedEvent(event)) return true;
  switch (type) {
  case XCB_CREATE_NOTIFY: {
    const auto* create = reinterpret_cast<const xcb_create_notify_event_t*>(event);
    if (create->parent == server_.screen->root && !create->override_redirect)
      watchNewForeignWindow(create->window);
    return create->parent == server_.screen->root;
  }
  case XCB_MAP_NOTIFY: {
    const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
    if (map->event == map->window) {
      bool watched = false;
      {
        X11Lock lock(mutex_);
        watched = watched_.count(map->window) > 0;
      }
      // A new window of ours that the window manager has just shown in its frame.
      if (watched && X11ParentOf(c, map->window) != server_.screen->root) {
        {
          X11Lock lock(mutex_);
          watched_.erase(map->window);
        }
        considerForeignWindow(map->window, true);
      }
      if (const NSInteger host = numberOf(map->window)) giveBackFocusOnceHosted(host);
      return watched;
    }
    if (map->event == server_.screen->root) {
      if (foreignOf(map->window)) {
        bool wasHidden = false;
        {
          X11Lock lock(mutex_);
          Foreign& foreign = foreign_[map->window];
          wasHidden = !foreign.shown;
          foreign.shown = true;
        }
        if (wasHidden) report(map->window, true);
      } else {
        considerForeignWindow(map->window);
      }
    }
    return true;
  }
  case XCB_UNMAP_NOTIFY: {
    const auto* unmap = reinterpret_cast<const xcb_unmap_notify_event_t*>(event);
    // Our own notice to a window manager that a client withdraws: nothing the toolkit did.
    if ((event->response_type & 0x80) && unmap->event == server_.screen->root) return true;
    if (unmap->event == unmap->window || !foreignOf(unmap->window)) return false;
    {
      X11Lock lock(mutex_);
      Foreign& foreign = foreign_[unmap->window];
      if (foreign.reparentUnmaps > 0) {
        --foreign.reparentUnmaps;
        return true;
      }
      if (!foreign.shown) return true;
      foreign.shown = false;
      // Hidden before its host was shown: there is no focus to give back any more.
      foreign.focusToGiveBack = false;
    }
    report(unmap->window, false);
    return true;
  }
  case XCB_MAP_REQUEST: {
    // Only a window hosted in one of ours asks us: its toolkit shows it again.
    const auto* request = reinterpret_cast<const xcb_map_request_event_t*>(event);
    if (!foreignOf(request->window)) return false;
    xcb_map_window(c, request->window);
    xcb_flush(c);
    {
      X11Lock lock(mutex_);
      foreign_[request->window].shown = true;
    }
    report(request->window, true);
    return true;
  }
  case XCB_CONFIGURE_REQUEST: {
    const auto* request = reinterpret_cast<const xcb_configure_request_event_t*>(event);
    if (!foreignOf(request->window)) return false;
    // What is asked for goes to the application, which moves and resizes its window around the
    // content and describes it again. The size asked for is the content's; the position is the
    // toolkit's frame's (AWT asks for its frame's outer corner), its content that far inside.
    bool move = false, resize = false, raise = false;
    X11Rect wanted;
    {
      X11Lock lock(mutex_);
      Foreign& foreign = foreign_[request->window];
      wanted = onRootLocked(foreign);
      const X11Rect now = wanted;
      if (request->value_mask & XCB_CONFIG_WINDOW_X) wanted.x = request->x + foreign.insetLeft;
      if (request->value_mask & XCB_CONFIG_WINDOW_Y) wanted.y = request->y + foreign.insetTop;
      if (request->value_mask & XCB_CONFIG_WINDOW_WIDTH) wanted.width = request->width;
      if (request->value_mask & XCB_CONFIG_WINDOW_HEIGHT) wanted.height = request->height;
      move = wanted.x != now.x || wanted.y != now.y;
      resize = wanted.width != now.width || wanted.height != now.height;
      raise = (request->value_mask & XCB_CONFIG_WINDOW_STACK_MODE) &&
              request->stack_mode == XCB_STACK_MODE_ABOVE;
      // The request is answered at once, as a window manager that grants it does: with where the
      // window will be (an answer with the old place would undo, in the toolkit, what it has
      // just taken for granted). The move itself follows on the main thread.
      X11SendConfigureNotify(server_, request->window, wanted);
    }
    xcb_flush(c);
    if (move || resize || raise)
      report(request->window, raise, [&](DisplayForeignWindow& description) {
        description.resizeRequested = resize;
        description.moveRequested = move;
        description.frame = X11FrameFromRect(server_, wanted);
      });
    return true;
  }
  case XCB_DESTROY_NOTIFY: {
    const auto* destroy = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
    {
      X11Lock lock(mutex_);
      watched_.erase(destroy->window);
      if (!foreign_.erase(destroy->window)) {
        foreignParts_.erase(destroy->window);
        return destroy->event != destroy->window;
      }
      std::erase_if(foreignParts_,
                    [&](const auto& part) { return part.second == destroy->window; });
    }
    const uint64_t gone = destroy->window;
    NSRunLoop::mainRunLoop().performAsync([gone] {
      if (DisplayClient* client = DisplayBackend::client()) client->displayForeignWindowGone(gone);
    });
    return true;
  }
  case XCB_PROPERTY_NOTIFY: {
    const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    if (property->atom == server_.atoms[X11Atom::_NET_WM_USER_TIME] &&
        foreignOf(property->window)) {
      noteForeignUserTime(property->window);
      return true;
    }
    if (!foreignOf(property->window) || (property->atom != XCB_ATOM_WM_NAME &&
                                         property->atom != server_.atoms[X11Atom::_NET_WM_NAME]))
      return false;
    report(property->window, false);
    return true;
  }
  case XCB_CONFIGURE_NOTIFY:
  case XCB_REPARENT_NOTIFY:
  case XCB_GRAVITY_NOTIFY:
  case XCB_CIRCULATE_NOTIFY: {
    // What the parents of windows report about their children (the root about our own
    // windows, our frames about the hosted ones): the windows' own reports say it already.
    const auto* notify = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
    return notify->event != notify->window;
  }
  default:
    return false;
  }
}
