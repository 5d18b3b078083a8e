// X11Display: new top-levels of this process caught as they are created, while a window manager
// runs. A toolkit creates its frame, writes its properties, asks the manager for its frame
// extents, then maps it; a window that is still a child of the root when it is mapped goes to the
// manager (which holds the root's redirection), but one that is a child of ours by then asks us.
// So the display moves each new window of this process into its pen at once: the window manager
// never frames it, the toolkit's map request comes to us, and the application hosts the window
// from there with nothing on screen in between. A manager that wins the race (it framed the
// window first) is handled as before: the window is taken back from it once it shows it.
#include <unistd.h>
#include <xcb/res.h>

#include <cstdlib>

#include "display/x11/X11ClientWindows.h"
#include "display/x11/X11Display.h"
#include "foundation/runloop/NSRunLoop.h"

namespace {

// What the pen hears of the windows in it: their map requests, and their changes.
constexpr uint32_t kPenEvents =
    XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;

// Whether the server says the client that created a window is this process.
bool createdByThisProcess(xcb_connection_t* c, xcb_res_query_client_ids_cookie_t cookie) {
  xcb_res_query_client_ids_reply_t* ids = xcb_res_query_client_ids_reply(c, cookie, nullptr);
  if (!ids) return false;
  bool ours = false;
  for (auto it = xcb_res_query_client_ids_ids_iterator(ids); it.rem;
       xcb_res_client_id_value_next(&it))
    if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
        xcb_res_client_id_value_value_length(it.data) == 1)
      ours = *xcb_res_client_id_value_value(it.data) == static_cast<uint32_t>(getpid());
  std::free(ids);
  return ours;
}

} // namespace

bool X11Display::isOurOwn(xcb_window_t window) const {
  const xcb_setup_t* setup = xcb_get_setup(server_.connection);
  return (window & ~setup->resource_id_mask) == setup->resource_id_base;
}

bool X11Display::catchNewForeignWindow(xcb_window_t window) {
  if (!knowsClientPids_) return false;
  xcb_connection_t* c = server_.connection;
  // One round trip for every question: the toolkit is about to map the window.
  const xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
  const auto idsCookie = xcb_res_query_client_ids(c, 1, &spec);
  const auto attributesCookie = xcb_get_window_attributes(c, window);
  const auto geometryCookie = xcb_get_geometry(c, window);
  const auto extentsCookie = xcb_get_property(
      c, 0, window, server_.atoms[X11Atom::_NET_FRAME_EXTENTS], XCB_ATOM_CARDINAL, 0, 4);
  const auto motifCookie = xcb_get_property(c, 0, window, server_.atoms[X11Atom::_MOTIF_WM_HINTS],
                                            XCB_GET_PROPERTY_TYPE_ANY, 0, 5);
  const bool ours = createdByThisProcess(c, idsCookie);
  X11PropertyReply extents, motif;
  extents.reply = xcb_get_property_reply(c, extentsCookie, nullptr);
  motif.reply = xcb_get_property_reply(c, motifCookie, nullptr);
  xcb_get_window_attributes_reply_t* attributes =
      xcb_get_window_attributes_reply(c, attributesCookie, nullptr);
  xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, geometryCookie, nullptr);
  // Only an ordinary window not mapped yet: the manager has the map request of a mapped one.
  const bool catchable =
      ours && attributes && geometry && attributes->map_state == XCB_MAP_STATE_UNMAPPED &&
      !attributes->override_redirect && attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT &&
      geometry->root != XCB_NONE;
  const int16_t x = geometry ? geometry->x : 0, y = geometry ? geometry->y : 0;
  std::free(attributes);
  std::free(geometry);
  if (!catchable) return false;
  // Its toolkit takes its insets from the frame extents it finds as it learns of its new parent
  // (the pen): the manager's, or ours, which are the same. Until a window taken back from this
  // manager has told us its extents, new windows are taken back too.
  const bool answered = extents.reply && extents.reply->type != XCB_NONE && extents.length() >= 16;
  if (!answered && !X11AsksForNoDecorations(motif)) {
    if (!knowsFramedExtents_) return false;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window,
                        server_.atoms[X11Atom::_NET_FRAME_EXTENTS], XCB_ATOM_CARDINAL, 32, 4,
                        framedExtents_.data());
  }
  if (pen_ == XCB_NONE) {
    // At the root's origin, so that a window in it has the coordinates it would have on the root;
    // never mapped, and left alone by window managers.
    pen_ = xcb_generate_id(c);
    const uint32_t values[] = {1, kPenEvents};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, pen_, server_.screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
  }
  // Its properties tell when the manager has answered its toolkit's question about extents.
  const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &events);
  xcb_reparent_window(c, window, pen_, x, y);
  xcb_flush(c);
  penned_[window] = {};
  return true;
}

bool X11Display::handlePennedEvent(const xcb_generic_event_t* event) {
  if (pen_ == XCB_NONE) return false;
  const uint8_t type = event->response_type & 0x7f;
  switch (type) {
  case XCB_MAP_REQUEST: {
    const auto* request = reinterpret_cast<const xcb_map_request_event_t*>(event);
    auto found = penned_.find(request->window);
    if (request->parent != pen_ || found == penned_.end()) return false;
    found->second.shown = true;
    found->second.shownAt = std::chrono::steady_clock::now();
    adoptPennedWhenFramed(request->window, false);
    return true;
  }
  case XCB_CONFIGURE_REQUEST: {
    // Not shown yet, it is placed and sized as its toolkit asks (the server reports it to the
    // toolkit as it would on the root); the host is made around where it is once it is shown.
    const auto* request = reinterpret_cast<const xcb_configure_request_event_t*>(event);
    if (request->parent != pen_ || !penned_.count(request->window)) return false;
    uint32_t values[5];
    uint16_t mask = 0;
    int n = 0;
    auto grant = [&](uint16_t bit, uint32_t value) {
      if (!(request->value_mask & bit)) return;
      mask |= bit;
      values[n++] = value;
    };
    grant(XCB_CONFIG_WINDOW_X, static_cast<uint32_t>(request->x));
    grant(XCB_CONFIG_WINDOW_Y, static_cast<uint32_t>(request->y));
    grant(XCB_CONFIG_WINDOW_WIDTH, request->width);
    grant(XCB_CONFIG_WINDOW_HEIGHT, request->height);
    grant(XCB_CONFIG_WINDOW_BORDER_WIDTH, request->border_width);
    xcb_configure_window(server_.connection, request->window, mask, values);
    xcb_flush(server_.connection);
    return true;
  }
  case XCB_MAP_NOTIFY: {
    // A window manager that had its map request before the window was caught may map it where
    // it now is: it is shown, and mapped already.
    const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
    auto found = penned_.find(map->window);
    if (found == penned_.end()) return false;
    if (!found->second.shown) found->second.shownAt = std::chrono::steady_clock::now();
    found->second.shown = found->second.mapped = true;
    adoptPennedWhenFramed(map->window, false);
    return true;
  }
  case XCB_PROPERTY_NOTIFY: {
    const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    auto found = penned_.find(property->window);
    if (found == penned_.end()) return false;
    if (property->atom == server_.atoms[X11Atom::_NET_FRAME_EXTENTS] && found->second.shown)
      adoptPennedWhenFramed(property->window, false);
    return true;
  }
  case XCB_REPARENT_NOTIFY: {
    // Moved out of the pen by a window manager that won the race: it is taken back from the
    // manager once the manager shows it, as a window not caught is (it is still watched).
    const auto* reparent = reinterpret_cast<const xcb_reparent_notify_event_t*>(event);
    if (reparent->parent == pen_ || !penned_.erase(reparent->window)) return false;
    return reparent->event != reparent->window;
  }
  case XCB_DESTROY_NOTIFY: {
    const auto* destroy = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
    penned_.erase(destroy->window);
    return destroy->event == pen_;
  }
  case XCB_CLIENT_MESSAGE: {
    const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
    if (message->window != pen_ || message->type != server_.atoms[X11Atom::BRIX_PEN_LATE])
      return false;
    askAgainForLatePenned();
    return true;
  }
  default:
    return false;
  }
}

void X11Display::adoptPennedWhenFramed(xcb_window_t window, bool late) {
  xcb_connection_t* c = server_.connection;
  X11PropertyReply extents;
  X11ReadProperty(c, window, server_.atoms[X11Atom::_NET_FRAME_EXTENTS], 4, extents);
  const bool answered = extents.reply && extents.reply->type != XCB_NONE && extents.length() >= 16;
  if (!answered && !late) {
    // The toolkit takes the manager's answer as its insets whenever it comes, and the host must
    // have exactly those: it waits for them a little (the main thread wakes us when that is up).
    NSRunLoop::mainRunLoop().scheduleMainQueueBlock(
        NSRunLoop::Clock::now() + kPennedExtentsWait, [this, pen = pen_] {
          X11SendClientMessage(server_, pen, X11Atom::BRIX_PEN_LATE);
          xcb_flush(server_.connection);
        });
    return;
  }
  auto found = penned_.find(window);
  if (found == penned_.end()) return;
  const Penned penned = found->second;
  penned_.erase(found);
  xcb_get_geometry_reply_t* geometry =
      xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
  if (!geometry) return;
  Foreign foreign;
  for (int i = 0; i < 4; ++i)
    foreign.managerExtents[i] = X11CardinalAt(extents, i);
  // Its toolkit asked for its frame's outer corner (north-west gravity, as ICCCM has it): a
  // manager would have put its content that far inside.
  foreign.rect = {geometry->x + static_cast<int>(foreign.managerExtents[0]),
                  geometry->y + static_cast<int>(foreign.managerExtents[2]), geometry->width,
                  geometry->height};
  std::free(geometry);
  foreign.shown = true;
  foreign.withdrawn = !penned.mapped;
  // Just shown, it takes the keyboard as a manager would give it, unless its toolkit said it must
  // not (a user time of 0).
  foreign.focusToGiveBack = X11MayTakeFocusWhenShown(server_, window);
  server_.windowManager.learnClassFrom(window);
  trackForeignWindow(window, foreign);
}

void X11Display::askAgainForLatePenned() {
  const auto now = std::chrono::steady_clock::now();
  std::vector<xcb_window_t> late;
  for (const auto& [window, penned] : penned_)
    if (penned.shown && now - penned.shownAt >= kPennedExtentsWait) late.push_back(window);
  for (xcb_window_t window : late)
    adoptPennedWhenFramed(window, true);
}

void X11Display::releasePenned() {
  // Destroying the pen would destroy the windows in it with it: they go back to the root first,
  // as the toolkit made them.
  if (penned_.empty()) return;
  xcb_connection_t* c = server_.connection;
  for (const auto& [window, penned] : penned_) {
    // The pen is at the root's origin: a window keeps its place.
    xcb_get_geometry_reply_t* at = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    if (at) xcb_reparent_window(c, window, server_.screen->root, at->x, at->y);
    std::free(at);
  }
  penned_.clear();
  xcb_flush(c);
}
