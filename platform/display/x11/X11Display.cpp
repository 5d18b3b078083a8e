// X11Display: setup, windows and their pictures.
#include "display/x11/X11Display.h"

#include <cairo.h>
#include <xcb/res.h>
#include <xcb/shape.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "display/DisplayClient.h"
#include "display/x11/X11ClientWindows.h"
#include "foundation/runloop/NSRunLoop.h"
#include "foundation/strings/NSString.h"
#include "foundation/system/NSLog.h"

namespace {

// A scale the environment names: a number from 0.5 to 8; 0 for none.
double scaleNamed(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return 0;
  char* end = nullptr;
  const double scale = std::strtod(value, &end);
  return end && *end == '\0' && std::isfinite(scale) && scale >= 0.5 && scale <= 8 ? scale : 0;
}

// BRIX_SCALE, else what Java's windows follow: its sun.java2d.uiScale when a Java VM runs here
// and sets one (it wins over GDK_SCALE in Java too), else GDK_SCALE, else the desktop's window
// scale (a settings daemon's, which a desktop's own toolkits follow), else 1. Java ignores
// Xft.dpi for its windows, so we do too: our windows and Java's must agree; Xft.dpi sizes text
// only (X11DesktopSettings::appearance).
double scaleFromEnvironment(const X11DesktopSettings& settings) {
  if (const double scale = scaleNamed("BRIX_SCALE")) return scale;
  if (const double scale = DisplayBackend::toolkitScale();
      std::isfinite(scale) && scale >= 0.5 && scale <= 8)
    return scale;
  if (const double scale = scaleNamed("GDK_SCALE")) return scale;
  if (const double scale = settings.windowScale()) return scale;
  return 1;
}

} // namespace

std::unique_ptr<DisplayBackend> X11Display::connect(std::string* why) {
  std::unique_ptr<X11Display> display(new X11Display);
  if (!display->open(why)) return nullptr;
  return display;
}

std::optional<std::u16string> X11Display::selectionText(X11Selection& selection) {
  // Long enough for a busy owner, short enough that a dead one does not freeze a paste.
  constexpr std::chrono::milliseconds kOwnerLimit{1000};
  std::optional<std::string> text = selection.read(serverTime(), kOwnerLimit);
  if (!text) return std::nullopt;
  return NSUTF8ToUTF16(*text);
}

std::optional<std::u16string> X11Display::clipboardText() {
  return selectionText(*clipboard_);
}

void X11Display::setClipboardText(std::u16string text) {
  if (!clipboard_->own(NSUTF16ToUTF8(text), serverTime()))
    NSLog("Another application took the clipboard as this one copied to it");
}

std::optional<std::u16string> X11Display::primarySelectionText() {
  return selectionText(*primary_);
}

void X11Display::setPrimarySelectionText(std::u16string text) {
  // Another application that selects at the same moment may win; nothing is lost by that.
  primary_->own(NSUTF16ToUTF8(text), serverTime());
}

void X11Display::refreshAppearance() {
  std::lock_guard lock(appearanceMutex_);
  DisplayAppearance look = desktopSettings_.appearance();
  if (portal_) {
    const DesktopPortalLook portal = portal_->look();
    if (portal.dark) look.dark = *portal.dark;
    if (portal.accent) look.accent = portal.accent;
  }
  setAppearance(look);
}

void X11Display::windowPointerShapeChanged(NSInteger windowNumber, DisplayPointerShape shape) {
  X11Lock lock(mutex_);
  X11Window* window = windowLocked(windowNumber);
  if (!window) return;
  window->setContentPointer(shape == DisplayPointerShape::Text ? X11PointerShape::Text
                                                               : X11PointerShape::Arrow);
  window->showPointer(cursors_);
}

std::string X11Display::lostReason() const {
  return connectionLost_ ? "the connection to the X server was lost" : std::string();
}

bool X11Display::open(std::string* why) {
  int screenNumber = 0;
  xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
  if (xcb_connection_has_error(c)) {
    xcb_disconnect(c);
    *why = "no connection to the X server named by DISPLAY";
    return false;
  }
  server_.connection = c;
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < screenNumber && screens.rem; ++i)
    xcb_screen_next(&screens);
  server_.screen = screens.data;
  // Pictures are uploaded as they are drawn: 32-bit pixels B, G, R, X, least significant byte
  // first, which is what a depth-24 TrueColor screen takes on this kind of machine.
  const xcb_setup_t* setup = xcb_get_setup(c);
  bool formatFits = false;
  for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem;
       xcb_format_next(&formats))
    if (formats.data->depth == 24 && formats.data->bits_per_pixel == 32) formatFits = true;
  if (!server_.screen || server_.screen->root_depth != 24 || !formatFits ||
      setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) {
    xcb_disconnect(c);
    *why = "the screen is not a 24-bit TrueColor screen with 32-bit pixels";
    return false;
  }
  server_.atoms.intern(c);
  desktopSettings_.open(c, server_.screen->root, screenNumber, server_.atoms[X11Atom::MANAGER]);
  cursors_.open(c, server_.screen);
  portal_ =
      std::make_unique<DesktopPortal>([this](const DesktopPortalLook&) { refreshAppearance(); });
  // A portal that answers at once decides the look of the first window; a slow one redraws it.
  constexpr std::chrono::milliseconds kPortalWait{150};
  portal_->waitForFirstAnswer(kPortalWait);
  refreshAppearance();
  server_.scale = scaleFromEnvironment(desktopSettings_);
  server_.screenHeightPoints = server_.screen->height_in_pixels / server_.scale;
  server_.maxRequestBytes = xcb_get_maximum_request_length(c) * 4;
  const xcb_query_extension_reply_t* shape = xcb_get_extension_data(c, &xcb_shape_id);
  server_.hasShapes = shape && shape->present;
  // Whose a new window is (see catchNewForeignWindow): X-Resource 1.2 and later answer it.
  const xcb_query_extension_reply_t* resources = xcb_get_extension_data(c, &xcb_res_id);
  if (resources && resources->present) {
    xcb_res_query_version_reply_t* version =
        xcb_res_query_version_reply(c, xcb_res_query_version(c, 1, 2), nullptr);
    knowsClientPids_ = version && (version->server_major > 1 ||
                                   (version->server_major == 1 && version->server_minor >= 2));
    std::free(version);
  }
  server_.windowManager.open(c, server_.screen->root, screenNumber, server_.atoms);
  server_.windowManagerRuns = server_.windowManager.follow();
  server_.gc = xcb_generate_id(c);
  xcb_create_gc(c, server_.gc, server_.screen->root, 0, nullptr);
  if (!keyboard_.open(c)) {
    xcb_disconnect(c);
    *why = "the X server has no keyboard extension (XKB)";
    return false;
  }
  helper_ = xcb_generate_id(c);
  const uint32_t helperEvents = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_create_window(c, XCB_COPY_FROM_PARENT, helper_, server_.screen->root, -1, -1, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                    &helperEvents);
  clipboard_ = std::make_unique<X11Selection>(server_, helper_, server_.atoms[X11Atom::CLIPBOARD],
                                              server_.atoms[X11Atom::BRIX_CLIPBOARD]);
  primary_ = std::make_unique<X11Selection>(server_, helper_, XCB_ATOM_PRIMARY,
                                            server_.atoms[X11Atom::BRIX_PRIMARY]);
  xcb_flush(c);
  // The windows another toolkit shows already are taken before anything else happens: the call
  // that opens the display may be one that looks for them.
  scanningAtOpen_ = true;
  adoptForeignWindowsShown();
  scanningAtOpen_ = false;
  events_ = std::thread([this] { runEvents(); });
  return true;
}

void X11Display::followWindowManager() {
  // Our windows and the hosts of foreign ones stay as they are: a manager that starts takes them
  // as it finds them, and one that leaves gives them back to the root. What changes is how the
  // display treats windows shown from now on (see watchNewForeignWindow).
  const bool runs = server_.windowManager.follow();
  // A new manager frames windows its own way.
  knowsFramedExtents_ = false;
  if (runs == server_.windowManagerRuns.exchange(runs)) return;
  NSLog(runs ? "A window manager has started; it manages the application's windows"
             : "The window manager has left; the application's windows stay where they are");
}

X11Display::~X11Display() {
  stopGrabbing();
  if (events_.joinable()) {
    // The event thread ends when our own message comes back to us.
    X11SendClientMessage(server_, helper_, X11Atom::BRIX_WAKE_UP);
    xcb_flush(server_.connection);
    events_.join();
  }
  // The event thread has ended: what it kept is ours now.
  eventThread_.claim();
  releasePenned();
  {
    X11Lock lock(mutex_);
    windows_.clear();
  }
  xcb_disconnect(server_.connection);
}

NSRect X11Display::screenFrame() const {
  return NSMakeRect(0, 0, server_.screen->width_in_pixels / server_.scale,
                    server_.screenHeightPoints);
}

xcb_window_t X11Display::xWindowOf(NSInteger windowNumber) const {
  X11Lock lock(mutex_);
  X11Window* window = windowLocked(windowNumber);
  return window ? window->id() : 0;
}

X11Window* X11Display::windowLocked(NSInteger number) const {
  auto found = windows_.find(number);
  return found == windows_.end() ? nullptr : found->second.get();
}

xcb_window_t X11Display::ownerLocked(NSInteger owner) const {
  X11Window* window = owner ? windowLocked(owner) : nullptr;
  return window ? window->id() : XCB_NONE;
}

X11Window* X11Display::createWindowLocked(NSInteger number, const DisplayWindow& description,
                                          bool popUp) {
  auto window = std::make_unique<X11Window>(server_, number, description,
                                            ownerLocked(description.owner), popUp);
  X11Window* made = window.get();
  numbersByXWindow_[made->id()] = number;
  windows_[number] = std::move(window);
  return made;
}

void X11Display::destroyWindowLocked(NSInteger number) {
  auto found = windows_.find(number);
  if (found == windows_.end()) return;
  numbersByXWindow_.erase(found->second->id());
  windows_.erase(found);
  std::erase(stack_, number);
  if (drag_.window == number) drag_ = {};
}

// MARK: windows

void X11Display::windowDescribed(NSInteger windowNumber, const DisplayWindow& description) {
  // Asked once, outside the lock: reading the icon may take a while.
  server_.windowManager.learnApplicationIcon();
  X11Lock lock(mutex_);
  if (X11Window* window = windowLocked(windowNumber)) {
    window->describe(description, ownerLocked(description.owner));
    window->moveTo(description.frame);
    if (description.hostedWindow) hostForeignLocked(window, description);
  } else {
    X11Window* made = createWindowLocked(windowNumber, description, false);
    if (description.hostedWindow) hostForeignLocked(made, description);
  }
  xcb_flush(server_.connection);
}

void X11Display::windowStackChanged(const std::vector<NSInteger>& frontToBack) {
  mainThread_.claim();
  // A window manager maps a window itself, some time after we ask, and gives it the focus then
  // if its user time allows: the focus cannot go to it before.
  const bool focusAtMap = pendingFocus_ && !server_.windowManagerRuns;
  const xcb_timestamp_t now = focusAtMap ? serverTime() : XCB_CURRENT_TIME;
  X11Lock lock(mutex_);
  for (auto& [number, window] : windows_)
    if (!window->isPopUp() && window->isMapped() &&
        std::find(frontToBack.begin(), frontToBack.end(), number) == frontToBack.end())
      window->unmap();
  // Raising each window from the back to the front leaves them in this order, with a window
  // manager (which may have put them into frames) as without one.
  const bool reordered = frontToBack != stack_;
  for (auto it = frontToBack.rbegin(); it != frontToBack.rend(); ++it) {
    X11Window* window = windowLocked(*it);
    if (!window) continue;
    if (reordered) window->raise();
    window->map();
  }
  stack_ = frontToBack;
  if (X11Window* window = windowLocked(pendingFocus_); window && window->isMapped()) {
    if (focusAtMap)
      focusLocked(window, now);
    else
      focusOnceShown_ = pendingFocus_;
    pendingFocus_ = 0;
  }
  // Open pop-ups stay above every window.
  if (X11Window* popUp = windowLocked(popUp_)) popUp->raise();
  for (NSInteger child : childPopUps_)
    if (X11Window* popUp = windowLocked(child)) popUp->raise();
  xcb_flush(server_.connection);
}

void X11Display::windowFrameChanged(NSInteger windowNumber, NSRect frame) {
  mainThread_.claim();
  X11Lock lock(mutex_);
  X11Window* window = windowLocked(windowNumber);
  if (!window) return;
  if (windowNumber == syncingFrameOf_) {
    // The frame came from the server: record it without sending it back.
    DisplayWindow description = window->description();
    description.frame = frame;
    window->describe(description, ownerLocked(description.owner));
    return;
  }
  if (window->moveTo(frame)) xcb_flush(server_.connection);
}

void X11Display::windowWillBeDestroyed(NSInteger windowNumber) {
  mainThread_.claim();
  X11Lock lock(mutex_);
  releaseForeignLocked(windowNumber);
  destroyWindowLocked(windowNumber);
  if (focused_ == windowNumber) focused_ = 0;
}

void X11Display::windowBecameKey(NSInteger windowNumber) {
  mainThread_.claim();
  pendingFocus_ = 0;
  focusOnceShown_ = 0;
  if (windowNumber == focused_) return;
  const xcb_timestamp_t now = serverTime();
  X11Lock lock(mutex_);
  X11Window* window = windowLocked(windowNumber);
  if (!window) return;
  // A window becomes key as it is ordered in, before the display has mapped it.
  if (!window->isMapped()) {
    pendingFocus_ = windowNumber;
    return;
  }
  // A window manager maps a window some time after we ask; until then the focus cannot go to it,
  // and the manager gives it the focus itself as it maps it.
  if (server_.windowManagerRuns && !X11IsViewable(server_.connection, window->id())) {
    focusOnceShown_ = windowNumber;
    return;
  }
  focusLocked(window, now);
  xcb_flush(server_.connection);
}

void X11Display::focusLocked(X11Window* window, xcb_timestamp_t time) {
  focused_ = window->number();
  // A window that hosts another toolkit's window gives the focus to it, where the typing goes.
  for (const auto& [foreign, state] : foreign_)
    if (state.host == window->number() && state.shown)
      return focusForeignLocked(foreign, state, time);
  xcb_set_input_focus(server_.connection, XCB_INPUT_FOCUS_POINTER_ROOT, window->id(), time);
}

xcb_timestamp_t X11Display::serverTime() {
  // Two focus changes in the same millisecond would carry the same time, and the server lets a
  // late answer to the first through: each time handed out is later than the one before.
  for (int attempt = 0; attempt < 5; ++attempt) {
    std::unique_lock lock(timeMutex_);
    const uint64_t asked = ++timesAsked_;
    // An empty append changes nothing but still reports the change, with the server's time.
    xcb_change_property(server_.connection, XCB_PROP_MODE_APPEND, helper_,
                        server_.atoms[X11Atom::BRIX_WAKE_UP], XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(server_.connection);
    if (!timeArrived_.wait_for(lock, std::chrono::milliseconds(500),
                               [&] { return timesAnswered_ >= asked; }))
      return XCB_CURRENT_TIME;
    if (lastServerTime_ != timeHandedOut_) return timeHandedOut_ = lastServerTime_;
    lock.unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return XCB_CURRENT_TIME;
}

// MARK: pictures

cairo_surface_t* X11Display::windowSurface(NSInteger windowNumber, bool* isNew) {
  X11Lock lock(mutex_);
  X11Window* window = windowLocked(windowNumber);
  if (!window) {
    if (isNew) *isNew = false;
    return nullptr;
  }
  bool made = false;
  cairo_surface_t* surface = window->surface(&made);
  if (isNew) *isNew = made;
  return surface;
}

void X11Display::presentWindow(NSInteger windowNumber) {
  X11Lock lock(mutex_);
  X11Window* window = windowLocked(windowNumber);
  if (!window) return;
  window->markDrawn();
  window->upload({0, 0, window->rect().width, window->rect().height});
  xcb_flush(server_.connection);
}

void X11Display::presentWindowRect(NSInteger windowNumber, NSRect dirty) {
  X11Lock lock(mutex_);
  X11Window* window = windowLocked(windowNumber);
  if (!window) return;
  window->markDrawn();
  // Window points (origin bottom left) to window pixels (origin top left), grown to whole pixels.
  const double s = server_.scale;
  const double height = window->description().frame.size.height;
  const int x0 = static_cast<int>(std::floor(dirty.origin.x * s));
  const int y0 = static_cast<int>(std::floor((height - NSMaxY(dirty)) * s));
  const int x1 = static_cast<int>(std::ceil(NSMaxX(dirty) * s));
  const int y1 = static_cast<int>(std::ceil((height - dirty.origin.y) * s));
  window->upload({x0, y0, x1 - x0, y1 - y0});
  xcb_flush(server_.connection);
}

void X11Display::beginFullScreenTransition(NSInteger windowNumber, bool entering,
                                           std::function<void()> completion) {
  // AppKit sizes the window to the screen (and back) when the transition completes, which is
  // all a screen without a window manager needs. A window manager is asked to put the window
  // into its full-screen state as well, so that it drops its own decorations and panels there
  // and, as the window leaves it, puts it back where it was.
  {
    X11Lock lock(mutex_);
    if (X11Window* window = windowLocked(windowNumber)) window->setFullScreen(entering);
    xcb_flush(server_.connection);
  }
  NSRunLoop::mainRunLoop().performAsync(std::move(completion), /*urgent=*/true);
}

void X11Display::windowDragStarted(NSInteger windowNumber) {
  X11Lock lock(mutex_);
  X11Window* window = windowLocked(windowNumber);
  if (!window || lastPressWindow_ != windowNumber) return;
  if (server_.windowManager.supports(X11Atom::_NET_WM_MOVERESIZE)) {
    // The window manager moves it: our implicit grab must go first.
    xcb_ungrab_pointer(server_.connection, XCB_CURRENT_TIME);
    constexpr uint32_t kMove = 8;
    server_.windowManager.moveResize(window->id(), lastPress_.x, lastPress_.y, kMove);
    return;
  }
  // The press may have been served after the button was released: nothing to drag then.
  if (!buttonHeld_) return;
  drag_ = {};
  drag_.window = windowNumber;
  drag_.grabX = lastPress_.width;
  drag_.grabY = lastPress_.height;
  // Motions that came before the drag started count too.
  const uint32_t position[] = {static_cast<uint32_t>(pointerX_ - drag_.grabX),
                               static_cast<uint32_t>(pointerY_ - drag_.grabY)};
  xcb_configure_window(server_.connection, window->id(), XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y,
                       position);
  xcb_flush(server_.connection);
}
