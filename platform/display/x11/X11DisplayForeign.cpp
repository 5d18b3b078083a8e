// X11Display: the top-level windows of another toolkit in this process (a Java VM's frames and
// dialogs). The display finds them on the root by their _NET_WM_PID, the application adopts each
// into a window of its own, and the display then keeps the foreign window inside ours as a
// window manager keeps a client inside its frame: it is reparented under our title bar, its
// requests to map, resize and restack itself come to us, and after every change it is told
// where it is on the root with a synthetic ConfigureNotify (the toolkit computes its on-screen
// position from those). Its painting, clicks and typing stay the toolkit's own.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>

#include "display/DisplayClient.h"
#include "display/x11/X11Display.h"
#include "foundation/NSLog.h"
#include "foundation/NSRunLoop.h"

namespace {

// The events we follow on a foreign window besides those its parent reports: its title, its
// keyboard focus and the keys it is sent (the application sees them too, for its key
// equivalents, as it does for its own windows).
constexpr uint32_t kForeignEvents = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_FOCUS_CHANGE |
                                    XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE;

// _MOTIF_WM_HINTS: flags, functions, decorations, ...; bit 1 of flags says decorations is set.
constexpr uint32_t kMotifHintsDecorations = 2;

struct PropertyReply {
  xcb_get_property_reply_t* reply = nullptr;
  ~PropertyReply() { std::free(reply); }
  int length() const { return reply ? xcb_get_property_value_length(reply) : 0; }
  const void* value() const { return xcb_get_property_value(reply); }
};

void readProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, uint32_t words,
                  PropertyReply& out) {
  out.reply = xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, words), nullptr);
}

uint32_t cardinalAt(const PropertyReply& property, int index) {
  if (!property.reply || property.reply->format != 32 || property.length() < (index + 1) * 4)
    return 0;
  return static_cast<const uint32_t*>(property.value())[index];
}

// The window's title: _NET_WM_NAME (UTF-8), else WM_NAME taken as Latin-1.
std::string titleOf(const X11Server& server, xcb_window_t window) {
  PropertyReply name;
  readProperty(server.connection, window, server.atoms[X11Atom::_NET_WM_NAME], 4096, name);
  if (name.reply && name.reply->format == 8 && name.length() > 0)
    return std::string(static_cast<const char*>(name.value()),
                       static_cast<std::size_t>(name.length()));
  PropertyReply latin1;
  readProperty(server.connection, window, XCB_ATOM_WM_NAME, 4096, latin1);
  std::string title;
  if (latin1.reply && latin1.reply->format == 8) {
    const auto* bytes = static_cast<const unsigned char*>(latin1.value());
    for (int i = 0; i < latin1.length(); ++i) {
      const unsigned char byte = bytes[i];
      if (byte < 0x80) {
        title += static_cast<char>(byte);
      } else {
        title += static_cast<char>(0xC0 | (byte >> 6));
        title += static_cast<char>(0x80 | (byte & 0x3F));
      }
    }
  }
  return title;
}

// Tells a hosted window where it is on the root, as a window manager tells its clients (a
// synthetic ConfigureNotify: the real ones the server sends are relative to our frame).
void sendConfigureNotify(const X11Server& server, xcb_window_t window, X11Rect onRoot) {
  xcb_configure_notify_event_t event{};
  event.response_type = XCB_CONFIGURE_NOTIFY;
  event.event = window;
  event.window = window;
  event.above_sibling = XCB_NONE;
  event.x = static_cast<int16_t>(onRoot.x);
  event.y = static_cast<int16_t>(onRoot.y);
  event.width = static_cast<uint16_t>(onRoot.width);
  event.height = static_cast<uint16_t>(onRoot.height);
  xcb_send_event(server.connection, 0, window, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
}

// Sends one of the WM_PROTOCOLS messages a window manager sends its clients.
void sendProtocolMessage(const X11Server& server, xcb_window_t window, X11Atom protocol,
                         xcb_timestamp_t time) {
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = server.atoms[X11Atom::WM_PROTOCOLS];
  message.data.data32[0] = server.atoms[protocol];
  message.data.data32[1] = time;
  xcb_send_event(server.connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                 reinterpret_cast<const char*>(&message));
}

// WM_STATE, which a window manager writes on the clients it manages; interned once.
xcb_atom_t wmStateAtom(xcb_connection_t* c) {
  static const xcb_atom_t atom = [c] {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 8, "WM_STATE"), nullptr);
    const xcb_atom_t value = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return value;
  }();
  return atom;
}

xcb_window_t parentOf(xcb_connection_t* c, xcb_window_t window) {
  xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
  const xcb_window_t parent = tree ? tree->parent : XCB_NONE;
  std::free(tree);
  return parent;
}

// The ICCCM state a window manager gave the window: 1 Normal, 3 Iconic; 0 Withdrawn, also when
// it wrote none.
uint32_t wmStateOf(xcb_connection_t* c, xcb_window_t window) {
  PropertyReply state;
  readProperty(c, window, wmStateAtom(c), 2, state);
  return cardinalAt(state, 0);
}

// The client inside a window manager's frame: the first window at most three levels below it
// that carries WM_STATE, or the frame itself when it is a client.
xcb_window_t clientInFrame(xcb_connection_t* c, xcb_window_t frame, int depth = 3) {
  PropertyReply state;
  readProperty(c, frame, wmStateAtom(c), 2, state);
  if (state.reply && state.reply->type != XCB_NONE) return frame;
  if (depth == 0) return XCB_NONE;
  xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, frame), nullptr);
  if (!tree) return XCB_NONE;
  xcb_window_t found = XCB_NONE;
  const xcb_window_t* children = xcb_query_tree_children(tree);
  for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i)
    found = clientInFrame(c, children[i], depth - 1);
  std::free(tree);
  return found;
}

// Whether the keyboard focus is on the window or on a child of it (AWT's focus proxy).
bool hasFocusWithin(xcb_connection_t* c, xcb_window_t window) {
  xcb_get_input_focus_reply_t* focus =
      xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
  const xcb_window_t focused = focus ? focus->focus : XCB_NONE;
  std::free(focus);
  return focused == window ||
         (focused > XCB_INPUT_FOCUS_POINTER_ROOT && parentOf(c, focused) == window);
}

// How long a window manager may take to let a withdrawn client go (metacity and mutter need
// about 10 ms, openbox and xfwm4 2 ms).
constexpr auto kWithdrawLimit = std::chrono::milliseconds(1000);

// Takes a client back from the window manager as ICCCM says a client withdraws its window: an
// unmap and a synthetic UnmapNotify to the root, then waits until the manager has put it back on
// the root and marked it Withdrawn. False when the manager did not let it go in time.
bool withdrawFromWindowManager(const X11Server& server, xcb_window_t window) {
  xcb_connection_t* c = server.connection;
  const xcb_window_t root = server.screen->root;
  xcb_unmap_window(c, window);
  xcb_unmap_notify_event_t unmap{};
  unmap.response_type = XCB_UNMAP_NOTIFY;
  unmap.event = root;
  unmap.window = window;
  unmap.from_configure = 0;
  xcb_send_event(c, 0, root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                 reinterpret_cast<const char*>(&unmap));
  xcb_flush(c);
  const auto deadline = std::chrono::steady_clock::now() + kWithdrawLimit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (parentOf(c, window) == root && wmStateOf(c, window) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

} // namespace

// MARK: finding them

void X11Display::adoptForeignWindowsShown() {
  xcb_connection_t* c = server_.connection;
  const uint32_t rootEvents = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(c, server_.screen->root, XCB_CW_EVENT_MASK, &rootEvents);
  // Windows the toolkit showed before the display opened.
  xcb_query_tree_reply_t* tree =
      xcb_query_tree_reply(c, xcb_query_tree(c, server_.screen->root), nullptr);
  if (!tree) return;
  const xcb_window_t* children = xcb_query_tree_children(tree);
  for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
    // Under a window manager the root's children are its frames, each with a client inside.
    const xcb_window_t client =
        server_.windowManagerRuns ? clientInFrame(c, children[i]) : children[i];
    if (client) considerForeignWindow(client);
  }
  std::free(tree);
}

void X11Display::watchNewForeignWindow(xcb_window_t window) {
  xcb_connection_t* c = server_.connection;
  if (!server_.windowManagerRuns || window == helper_ || numberOf(window)) return;
  // A new top-level of any client is followed until the window manager has shown it in its
  // frame: one of this process (its toolkit writes _NET_WM_PID only after creating it) is then
  // taken back from the manager.
  const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  // A short-lived window may be gone already: that error is expected, not reported.
  xcb_discard_reply(
      c, xcb_change_window_attributes_checked(c, window, XCB_CW_EVENT_MASK, &events).sequence);
  xcb_flush(c);
  {
    X11Lock lock(mutex_);
    watched_.insert(window);
  }
  // The manager may have shown it before we asked to hear of it.
  xcb_get_window_attributes_reply_t* attributes =
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
  const bool mapped = attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED;
  std::free(attributes);
  if (mapped && parentOf(c, window) != server_.screen->root) considerForeignWindow(window, true);
}

void X11Display::considerForeignWindow(xcb_window_t window, bool justShown) {
  xcb_connection_t* c = server_.connection;
  if (numberOf(window)) return;
  {
    X11Lock lock(mutex_);
    if (foreign_.count(window)) return;
  }
  // A shown, ordinary top-level of this process: a toolkit's helper windows (unmapped or
  // input-only) and its pop-ups (override-redirect) are not application windows.
  xcb_get_window_attributes_reply_t* attributes =
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
  // Inside a window manager's frame that is not shown yet, a client can be mapped but not viewable.
  const bool candidate = attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED &&
                         !attributes->override_redirect &&
                         attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT;
  std::free(attributes);
  if (!candidate) return;
  PropertyReply pid;
  readProperty(c, window, server_.atoms[X11Atom::_NET_WM_PID], 1, pid);
  if (cardinalAt(pid, 0) != static_cast<uint32_t>(getpid())) return;
  xcb_get_geometry_reply_t* geometry =
      xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
  if (!geometry) return;
  Foreign foreign;
  foreign.rect = {geometry->x, geometry->y, geometry->width, geometry->height};
  foreign.shown = true;
  std::free(geometry);
  const xcb_window_t root = server_.screen->root;
  if (parentOf(c, window) != root) {
    // In a window manager's frame: it stays where it is on screen, and the manager lets it go.
    xcb_translate_coordinates_reply_t* at = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr);
    if (at) {
      foreign.rect.x = at->dst_x;
      foreign.rect.y = at->dst_y;
    }
    std::free(at);
    PropertyReply extents;
    readProperty(c, window, server_.atoms[X11Atom::_NET_FRAME_EXTENTS], 4, extents);
    for (int i = 0; i < 4; ++i)
      foreign.managerExtents[i] = cardinalAt(extents, i);
    // A window the toolkit has just shown takes the keyboard, as the manager would have given it,
    // unless its toolkit said it must not (a user time of 0).
    PropertyReply userTime;
    readProperty(c, window, server_.atoms[X11Atom::_NET_WM_USER_TIME], 1, userTime);
    const bool mayTakeFocus =
        !userTime.reply || userTime.reply->type == XCB_NONE || cardinalAt(userTime, 0) != 0;
    const bool focused = hasFocusWithin(c, window) || (justShown && mayTakeFocus);
    if (!withdrawFromWindowManager(server_, window)) {
      NSLog("The window manager did not let a window of this process go within %lld ms; it "
            "stays the manager's",
            static_cast<long long>(kWithdrawLimit.count()));
      return;
    }
    foreign.withdrawn = true;
    foreign.focusToGiveBack = focused;
  }
  {
    X11Lock lock(mutex_);
    watched_.erase(window);
  }
  noteForeignUserTime(window);
  PropertyReply protocols;
  readProperty(c, window, server_.atoms[X11Atom::WM_PROTOCOLS], 16, protocols);
  for (int i = 0; protocols.reply && protocols.reply->format == 32 && i < protocols.length() / 4;
       ++i)
    if (cardinalAt(protocols, i) == server_.atoms[X11Atom::WM_TAKE_FOCUS])
      foreign.takesFocus = true;

  xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &kForeignEvents);
  // The child that holds the toolkit's keyboard focus reports the keys, not the top-level.
  std::vector<xcb_window_t> parts;
  if (xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr)) {
    const xcb_window_t* children = xcb_query_tree_children(tree);
    parts.assign(children, children + xcb_query_tree_children_length(tree));
    std::free(tree);
  }
  const uint32_t keyEvents =
      XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE | XCB_EVENT_MASK_FOCUS_CHANGE;
  for (xcb_window_t part : parts) {
    xcb_change_window_attributes(c, part, XCB_CW_EVENT_MASK, &keyEvents);
    // An input-only child is where the toolkit keeps its keyboard focus (AWT's focus proxy).
    xcb_get_window_attributes_reply_t* kind =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, part), nullptr);
    if (kind && kind->_class == XCB_WINDOW_CLASS_INPUT_ONLY && !foreign.focusProxy)
      foreign.focusProxy = part;
    std::free(kind);
  }
  xcb_flush(c);

  DisplayForeignWindow description;
  {
    X11Lock lock(mutex_);
    foreign_[window] = foreign;
    for (xcb_window_t part : parts)
      foreignParts_[part] = window;
    description = describeForeign(window, foreign);
  }
  if (scanningAtOpen_) {
    // Reported by the opener itself (or soon after by the event thread), see open().
    X11Lock lock(mutex_);
    foundAtOpen_.push_back(description);
    return;
  }
  NSRunLoop::mainRunLoop().performAsync([description] {
    if (DisplayClient* client = DisplayBackend::client())
      client->displayFoundForeignWindow(description);
  });
}

void X11Display::reportForeignWindowsFoundAtOpen() {
  std::vector<DisplayForeignWindow> found;
  {
    X11Lock lock(mutex_);
    found.swap(foundAtOpen_);
  }
  DisplayClient* client = DisplayBackend::client();
  for (const DisplayForeignWindow& description : found)
    if (client) client->displayFoundForeignWindow(description);
}

void X11Display::takeFocusIntoHosted(NSInteger host) {
  // The window manager offers the focus to a host (it never sets it there itself, see
  // hostForeignLocked): it goes to the window inside, unless it is there already, where a click
  // of the user's has just put it (moving it would make the toolkit see its window deactivated
  // and activated again). The manager's time may be older than the toolkit's own last focus
  // change, which the server would then refuse: CurrentTime.
  X11Lock lock(mutex_);
  for (const auto& [window, foreign] : foreign_)
    if (foreign.host == host && foreign.shown) {
      if (hasFocusWithin(server_.connection, window)) return;
      focusForeignLocked(window, foreign, XCB_CURRENT_TIME);
      xcb_flush(server_.connection);
      return;
    }
}

void X11Display::giveBackFocusOnceHosted(NSInteger host) {
  // A window taken from a window manager that had given it the keyboard gets it back once its
  // host is shown: the manager, which let it go, would otherwise decide by user times (and may
  // refuse) whether the new host takes the focus it had.
  X11Lock lock(mutex_);
  for (auto& [window, foreign] : foreign_)
    if (foreign.host == host && foreign.focusToGiveBack) {
      foreign.focusToGiveBack = false;
      focusForeignLocked(window, foreign, XCB_CURRENT_TIME);
      // The host is where the focus is, as far as the main thread's state goes: making it key
      // asks for nothing more.
      NSRunLoop::mainRunLoop().performAsync([this, host] { focused_ = host; });
      // The manager is told too, or it would give the activation back to the window it had
      // before, as it decided when it mapped the host.
      if (X11Window* hostWindow = windowLocked(host))
        server_.windowManager.restoreActivation(hostWindow->id());
      xcb_flush(server_.connection);
    }
}

void X11Display::noteForeignUserTime(xcb_window_t window) {
  // The toolkit stamps its windows with the time of the input it last had (clicks into its
  // windows come to it alone): our windows' user time must not be older, or a window manager
  // would keep the keyboard from the next window we show.
  PropertyReply time;
  readProperty(server_.connection, window, server_.atoms[X11Atom::_NET_WM_USER_TIME], 1, time);
  if (const uint32_t value = cardinalAt(time, 0)) server_.windowManager.noteUserTime(value);
}

DisplayForeignWindow X11Display::describeForeign(xcb_window_t window, const Foreign& foreign) {
  xcb_connection_t* c = server_.connection;
  DisplayForeignWindow description;
  description.id = window;
  description.title = titleOf(server_, window);
  description.shown = foreign.shown;
  description.frame = X11FrameFromRect(server_, onRootLocked(foreign));
  PropertyReply transientFor;
  readProperty(c, window, XCB_ATOM_WM_TRANSIENT_FOR, 1, transientFor);
  description.owner = cardinalAt(transientFor, 0);
  description.dialog = description.owner != 0;
  PropertyReply motif;
  readProperty(c, window, server_.atoms[X11Atom::_MOTIF_WM_HINTS], 5, motif);
  description.undecorated =
      (cardinalAt(motif, 0) & kMotifHintsDecorations) && cardinalAt(motif, 2) == 0;
  const double s = server_.scale;
  description.insets = {foreign.managerExtents[0] / s, foreign.managerExtents[1] / s,
                        foreign.managerExtents[2] / s, foreign.managerExtents[3] / s};
  return description;
}

xcb_window_t X11Display::foreignOf(xcb_window_t window) const {
  X11Lock lock(mutex_);
  if (foreign_.count(window)) return window;
  auto part = foreignParts_.find(window);
  return part == foreignParts_.end() ? XCB_NONE : part->second;
}

NSInteger X11Display::hostOfForeignPart(xcb_window_t window) const {
  const xcb_window_t foreign = foreignOf(window);
  X11Lock lock(mutex_);
  auto found = foreign_.find(foreign);
  return found == foreign_.end() ? 0 : found->second.host;
}

// MARK: hosting them

void X11Display::hostForeignLocked(X11Window* host, const DisplayWindow& description) {
  auto found = foreign_.find(static_cast<xcb_window_t>(description.hostedWindow));
  if (found == foreign_.end()) return;
  const xcb_window_t window = found->first;
  Foreign& foreign = found->second;
  xcb_connection_t* c = server_.connection;
  // Window points (origin bottom left) to the host's pixels (origin top left).
  const double s = server_.scale;
  const NSRect r = description.hostedRect;
  X11Rect rect;
  rect.x = static_cast<int>(std::lround(r.origin.x * s));
  rect.y = static_cast<int>(std::lround((description.frame.size.height - NSMaxY(r)) * s));
  rect.width = std::max(1, static_cast<int>(std::lround(r.size.width * s)));
  rect.height = std::max(1, static_cast<int>(std::lround(r.size.height * s)));
  if (foreign.host != host->number()) {
    host->becomeFrame();
    // The window manager only offers the host the focus (WM_TAKE_FOCUS, ICCCM's globally active
    // input): set on the host itself, it would leave the toolkit's window, which would see
    // itself deactivated and activated again on every click into it.
    host->takeFocusOnlyWhenOffered();
    // If this process ends first, the server gives the window back to the root.
    xcb_change_save_set(c, XCB_SET_MODE_INSERT, window);
    // The frame's extents, written before the reparenting as a window manager writes them: the
    // toolkit reads its insets from them when it learns of its new parent, instead of guessing
    // them from its place in the parent at a moment our own configuring may not have reached.
    const int frameWidth = static_cast<int>(std::lround(description.frame.size.width * s));
    const int frameHeight = static_cast<int>(std::lround(description.frame.size.height * s));
    const uint32_t extents[] = {
        static_cast<uint32_t>(rect.x),
        static_cast<uint32_t>(std::max(0, frameWidth - rect.x - rect.width)),
        static_cast<uint32_t>(rect.y),
        static_cast<uint32_t>(std::max(0, frameHeight - rect.y - rect.height))};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window,
                        server_.atoms[X11Atom::_NET_FRAME_EXTENTS], XCB_ATOM_CARDINAL, 32, 4,
                        extents);
    // Reparenting a mapped window unmaps it on the way; a window taken back from a window
    // manager is unmapped already, and is mapped in its host.
    if (foreign.shown && !foreign.withdrawn) ++foreign.reparentUnmaps;
    xcb_reparent_window(c, window, host->id(), static_cast<int16_t>(rect.x),
                        static_cast<int16_t>(rect.y));
    if (foreign.withdrawn && foreign.shown) {
      xcb_map_window(c, window);
      // Taken from a window manager, the toolkit settles its new parent's insets and place a
      // while after the reparenting, from the events of the manager's letting go: it is told
      // where it is once more when that is over.
      NSRunLoop::mainRunLoop().scheduleMainQueueBlock(
          NSRunLoop::Clock::now() + std::chrono::milliseconds(150), [this, window] {
            X11Lock lock(mutex_);
            auto found = foreign_.find(window);
            if (found == foreign_.end()) return;
            tellForeignWhereLocked(window, found->second);
            xcb_flush(server_.connection);
          });
    }
    foreign.withdrawn = false;
    foreign.host = host->number();
    foreign.rect = {};
    foreign.insetLeft = rect.x;
    foreign.insetTop = rect.y;
  }
  if (rect != foreign.rect) {
    const uint32_t values[] = {static_cast<uint32_t>(rect.x), static_cast<uint32_t>(rect.y),
                               static_cast<uint32_t>(rect.width),
                               static_cast<uint32_t>(rect.height)};
    xcb_configure_window(c, window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    foreign.rect = rect;
  }
  tellForeignWhereLocked(window, foreign);
}

X11Rect X11Display::onRootLocked(const Foreign& foreign) const {
  X11Rect onRoot = foreign.rect;
  if (X11Window* host = windowLocked(foreign.host)) {
    onRoot.x += host->rect().x;
    onRoot.y += host->rect().y;
  }
  return onRoot;
}

void X11Display::tellForeignWhereLocked(xcb_window_t window, const Foreign& foreign) {
  if (windowLocked(foreign.host)) sendConfigureNotify(server_, window, onRootLocked(foreign));
}

void X11Display::tellHostedWhereLocked(NSInteger host) {
  for (auto& [window, foreign] : foreign_)
    if (foreign.host == host) tellForeignWhereLocked(window, foreign);
}

void X11Display::releaseForeignLocked(NSInteger host) {
  for (auto& [window, foreign] : foreign_) {
    if (foreign.host != host) continue;
    // Back to the root where it is now on screen, as when a window manager lets a client go.
    const X11Rect onRoot = onRootLocked(foreign);
    const int x = onRoot.x, y = onRoot.y;
    if (foreign.shown) ++foreign.reparentUnmaps;
    xcb_reparent_window(server_.connection, window, server_.screen->root, static_cast<int16_t>(x),
                        static_cast<int16_t>(y));
    xcb_change_save_set(server_.connection, XCB_SET_MODE_DELETE, window);
    foreign.host = 0;
    foreign.rect.x = x;
    foreign.rect.y = y;
  }
}

void X11Display::focusForeignLocked(xcb_window_t window, const Foreign& foreign,
                                    xcb_timestamp_t time) {
  // The focus goes where the toolkit itself would put it: its focus proxy. Offering it instead
  // (WM_TAKE_FOCUS) lets the toolkit answer late, and its answer could take the focus from a
  // window focused in the meantime.
  if (foreign.focusProxy || !foreign.takesFocus) {
    xcb_set_input_focus(server_.connection, XCB_INPUT_FOCUS_POINTER_ROOT,
                        foreign.focusProxy ? foreign.focusProxy : window, time);
    return;
  }
  // A toolkit that takes the focus itself (as AWT does, onto a child window of its own) is
  // offered it, as a window manager offers it.
  sendProtocolMessage(server_, window, X11Atom::WM_TAKE_FOCUS, time);
}

void X11Display::askForeignWindowToClose(uint64_t foreignWindow) {
  const auto window = static_cast<xcb_window_t>(foreignWindow);
  {
    X11Lock lock(mutex_);
    if (!foreign_.count(window)) return;
  }
  sendProtocolMessage(server_, window, X11Atom::WM_DELETE_WINDOW, XCB_CURRENT_TIME);
  xcb_flush(server_.connection);
}

// MARK: what their toolkit does to them (event thread)

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
      if (watched && parentOf(c, map->window) != server_.screen->root) {
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
      sendConfigureNotify(server_, request->window, wanted);
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
