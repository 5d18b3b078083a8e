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

#include "display/DisplayClient.h"
#include "display/x11/X11ClientWindows.h"
#include "display/x11/X11Display.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/runloop/NSThread.h"
#include "foundation/system/NSLog.h"

namespace {

// The events we follow on a foreign window besides those its parent reports: its title, its
// keyboard focus and the keys it is sent (the application sees them too, for its key
// equivalents, as it does for its own windows).
constexpr uint32_t kForeignEvents = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_FOCUS_CHANGE |
                                    XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE;

} // namespace

// MARK: finding them

void X11Display::adoptForeignWindowsShown() {
  xcb_connection_t* c = server_.connection;
  // The root's own changes and messages tell of a window manager that starts or leaves.
  const uint32_t rootEvents = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                              XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_change_window_attributes(c, server_.screen->root, XCB_CW_EVENT_MASK, &rootEvents);
  // Windows the toolkit showed before the display opened.
  xcb_query_tree_reply_t* tree =
      xcb_query_tree_reply(c, xcb_query_tree(c, server_.screen->root), nullptr);
  if (!tree) return;
  const xcb_window_t* children = xcb_query_tree_children(tree);
  for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
    // Under a window manager the root's children are its frames, each with a client inside.
    const xcb_window_t client =
        server_.windowManagerRuns ? X11ClientInFrame(server_, children[i]) : children[i];
    if (client) considerForeignWindow(client);
  }
  std::free(tree);
}

void X11Display::watchNewForeignWindow(xcb_window_t window) {
  xcb_connection_t* c = server_.connection;
  if (!server_.windowManagerRuns || isOurOwn(window) || numberOf(window)) return;
  // A new top-level of any client is followed until the window manager has shown it in its
  // frame: one of this process (its toolkit writes _NET_WM_PID only after creating it) is then
  // taken back from the manager, unless it was caught before the manager saw it (see
  // catchNewForeignWindow).
  const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  // A short-lived window may be gone already: that error is expected, not reported.
  xcb_discard_reply(
      c, xcb_change_window_attributes_checked(c, window, XCB_CW_EVENT_MASK, &events).sequence);
  xcb_flush(c);
  {
    X11Lock lock(mutex_);
    watched_.insert(window);
  }
  if (catchNewForeignWindow(window)) return;
  // The manager may have shown it before we asked to hear of it.
  xcb_get_window_attributes_reply_t* attributes =
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
  const bool mapped = attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED;
  std::free(attributes);
  if (mapped && X11ParentOf(c, window) != server_.screen->root) considerForeignWindow(window, true);
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
  X11PropertyReply pid;
  X11ReadProperty(c, window, server_.atoms[X11Atom::_NET_WM_PID], 1, pid);
  if (X11CardinalAt(pid, 0) != static_cast<uint32_t>(getpid())) return;
  server_.windowManager.learnClassFrom(window);
  xcb_get_geometry_reply_t* geometry =
      xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
  if (!geometry) return;
  Foreign foreign;
  foreign.rect = {geometry->x, geometry->y, geometry->width, geometry->height};
  foreign.shown = true;
  std::free(geometry);
  const xcb_window_t root = server_.screen->root;
  if (X11ParentOf(c, window) != root) {
    // In a window manager's frame: it stays where it is on screen, and the manager lets it go.
    xcb_translate_coordinates_reply_t* at = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr);
    if (at) {
      foreign.rect.x = at->dst_x;
      foreign.rect.y = at->dst_y;
    }
    std::free(at);
    X11PropertyReply extents;
    X11ReadProperty(c, window, server_.atoms[X11Atom::_NET_FRAME_EXTENTS], 4, extents);
    for (int i = 0; i < 4; ++i)
      foreign.managerExtents[i] = X11CardinalAt(extents, i);
    // What this manager gives a frame with a title bar: a new window caught later gets the same.
    if (foreign.managerExtents[2] > 0) {
      std::copy(std::begin(foreign.managerExtents), std::end(foreign.managerExtents),
                framedExtents_.begin());
      knowsFramedExtents_ = true;
    }
    // A window the toolkit has just shown takes the keyboard, as the manager would have given it,
    // unless its toolkit said it must not (a user time of 0).
    const bool focused =
        X11HasFocusWithin(c, window) || (justShown && X11MayTakeFocusWhenShown(server_, window));
    if (!X11WithdrawFromWindowManager(server_, window)) {
      NSLog("The window manager did not let a window of this process go within %lld ms; it "
            "stays the manager's",
            static_cast<long long>(kX11WithdrawLimit.count()));
      return;
    }
    foreign.withdrawn = true;
    foreign.focusToGiveBack = focused;
  }
  trackForeignWindow(window, foreign);
}

void X11Display::trackForeignWindow(xcb_window_t window, Foreign foreign) {
  xcb_connection_t* c = server_.connection;
  {
    X11Lock lock(mutex_);
    watched_.erase(window);
  }
  noteForeignUserTime(window);
  X11PropertyReply protocols;
  X11ReadProperty(c, window, server_.atoms[X11Atom::WM_PROTOCOLS], 16, protocols);
  for (int i = 0; protocols.reply && protocols.reply->format == 32 && i < protocols.length() / 4;
       ++i)
    if (X11CardinalAt(protocols, i) == server_.atoms[X11Atom::WM_TAKE_FOCUS])
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
  BRIX_ASSERT_MAIN_THREAD();
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
  // A window just taken from the manager, which had the focus, is about to get it back: the
  // manager, which saw it go, offers the focus to the window it had before (xfwm4 does, even a
  // little after the window is back), which must not take it from the new one.
  if (host != lastFocusGivenBack_ &&
      std::chrono::steady_clock::now() - lastFocusGivenBackAt_ < kFocusGivenBackHolds)
    return;
  X11Lock lock(mutex_);
  for (const auto& [window, foreign] : foreign_)
    if (foreign.focusToGiveBack && foreign.shown && foreign.host != host) return;
  for (const auto& [window, foreign] : foreign_)
    if (foreign.host == host && foreign.shown) {
      if (X11HasFocusWithin(server_.connection, window) || !mayForwardFocus()) return;
      focusForeignLocked(window, foreign, XCB_CURRENT_TIME);
      xcb_flush(server_.connection);
      return;
    }
}

void X11Display::giveBackFocusOnceHosted(NSInteger host) {
  // A window taken from a window manager that had given it the keyboard gets it back once its
  // host is shown: the manager, which let it go, would otherwise decide by user times (and may
  // refuse) whether the new host takes the focus it had. The host must be viewable first: a
  // manager may map it before the frame around it (openbox does), and the server refuses the
  // focus to a window that cannot be seen; its first exposure asks again.
  X11Lock lock(mutex_);
  for (auto& [window, foreign] : foreign_)
    if (foreign.host == host && foreign.focusToGiveBack) {
      const X11Window* hostWindow = windowLocked(host);
      if (!hostWindow || !X11IsViewable(server_.connection, hostWindow->id())) return;
      foreign.focusToGiveBack = false;
      lastFocusGivenBack_ = host;
      lastFocusGivenBackAt_ = std::chrono::steady_clock::now();
      focusForeignLocked(window, foreign, XCB_CURRENT_TIME);
      // The host is where the focus is, as far as the main thread's state goes: making it key
      // asks for nothing more.
      NSRunLoop::mainRunLoop().performAsync([this, host] {
        mainThread_.claim();
        focused_ = host;
      });
      // The manager is told too, or it would give the activation back to the window it had
      // before, as it decided when it mapped the host.
      server_.windowManager.restoreActivation(hostWindow->id());
      xcb_flush(server_.connection);
    }
}

void X11Display::noteForeignUserTime(xcb_window_t window) {
  // The toolkit stamps its windows with the time of the input it last had (clicks into its
  // windows come to it alone): our windows' user time must not be older, or a window manager
  // would keep the keyboard from the next window we show.
  X11PropertyReply time;
  X11ReadProperty(server_.connection, window, server_.atoms[X11Atom::_NET_WM_USER_TIME], 1, time);
  if (const uint32_t value = X11CardinalAt(time, 0)) server_.windowManager.noteUserTime(value);
}

DisplayForeignWindow X11Display::describeForeign(xcb_window_t window, const Foreign& foreign) {
  xcb_connection_t* c = server_.connection;
  DisplayForeignWindow description;
  description.id = window;
  description.title = X11TitleOf(server_, window);
  description.shown = foreign.shown;
  description.frame = X11FrameFromRect(server_, onRootLocked(foreign));
  X11PropertyReply transientFor;
  X11ReadProperty(c, window, XCB_ATOM_WM_TRANSIENT_FOR, 1, transientFor);
  description.owner = X11CardinalAt(transientFor, 0);
  description.dialog = description.owner != 0;
  X11PropertyReply motif;
  X11ReadProperty(c, window, server_.atoms[X11Atom::_MOTIF_WM_HINTS], 5, motif);
  description.undecorated = X11AsksForNoDecorations(motif);
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
  if (windowLocked(foreign.host)) X11SendConfigureNotify(server_, window, onRootLocked(foreign));
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

bool X11Display::mayForwardFocus() {
  // A window manager that puts the focus back on a host each time we move it inside would fight
  // us without end, flooding the server and both clients with events (seen once under openbox,
  // with the application stalled): beyond a few forwards a second, the rest of that second's are
  // dropped, and the fight is logged once.
  const auto now = std::chrono::steady_clock::now();
  if (now - focusForwardsSince_ > std::chrono::seconds(1)) {
    focusForwardsSince_ = now;
    focusForwards_ = 0;
  }
  if (++focusForwards_ <= kMostFocusForwardsPerSecond) return true;
  if (!focusFightLogged_) {
    focusFightLogged_ = true;
    NSLog("The window manager keeps putting the keyboard focus on a window that hosts another "
          "toolkit's window; the focus is left where it puts it for now");
  }
  return false;
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
  X11SendProtocolMessage(server_, window, X11Atom::WM_TAKE_FOCUS, time);
}

void X11Display::askForeignWindowToClose(uint64_t foreignWindow) {
  const auto window = static_cast<xcb_window_t>(foreignWindow);
  {
    X11Lock lock(mutex_);
    if (!foreign_.count(window)) return;
  }
  X11SendProtocolMessage(server_, window, X11Atom::WM_DELETE_WINDOW, XCB_CURRENT_TIME);
  xcb_flush(server_.connection);
}
