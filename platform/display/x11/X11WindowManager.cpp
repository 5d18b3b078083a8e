#include "display/x11/X11WindowManager.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "display/DisplayBackend.h"
#include "display/x11/X11ClientWindows.h"
#include "display/x11/X11Errors.h"

namespace {

// More atoms than any manager announces.
constexpr uint32_t kMostSupported = 1024;

// The name an application has when nothing else names it.
// _NET_WM_STATE's actions, and the source of a request: an application (not a pager).
constexpr uint32_t kStateRemove = 0, kStateAdd = 1;
constexpr uint32_t kFromApplication = 1;
constexpr uint32_t kLeftButton = 1;

// The 32-bit items of a property. A property that is missing, or of another type or format,
// has none. The server's error is logged, unless it is BadWindow for a window that may be gone.
std::vector<uint32_t> itemsOf(xcb_connection_t* c, xcb_get_property_cookie_t cookie,
                              bool windowMayBeGone = false) {
  xcb_generic_error_t* error = nullptr;
  xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, &error);
  std::vector<uint32_t> items;
  if (reply && reply->format == 32) {
    const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
    items.assign(data, data + xcb_get_property_value_length(reply) / 4);
  }
  if (error && !(windowMayBeGone && error->error_code == XCB_WINDOW)) X11LogError(error);
  std::free(error);
  std::free(reply);
  return items;
}

// The main bundle's name when it is an application bundle: "Ixa" for .../Ixa.app.
} // namespace

void X11WindowManager::open(xcb_connection_t* connection, xcb_window_t root, int screenNumber,
                            const X11Atoms& atoms) {
  connection_ = connection;
  root_ = root;
  atoms_ = &atoms;
  const std::string selection = "WM_S" + std::to_string(screenNumber);
  if (xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
          connection, xcb_intern_atom(connection, 0, selection.size(), selection.c_str()),
          nullptr)) {
    managerSelection_ = reply->atom;
    std::free(reply);
  }
  name_ = DisplayBackend::applicationName();
}

// MARK: what the manager supports

xcb_window_t X11WindowManager::existingCheckWindow() const {
  // A manager names a check window on the root, which names itself; a manager that left may have
  // left the root naming a window that is gone.
  const xcb_atom_t check = (*atoms_)[X11Atom::_NET_SUPPORTING_WM_CHECK];
  const auto fromRoot =
      itemsOf(connection_, xcb_get_property(connection_, 0, root_, check, XCB_ATOM_WINDOW, 0, 1));
  if (fromRoot.empty() || fromRoot[0] == XCB_NONE) return XCB_NONE;
  const auto fromCheck = itemsOf(
      connection_, xcb_get_property(connection_, 0, fromRoot[0], check, XCB_ATOM_WINDOW, 0, 1),
      /*windowMayBeGone=*/true);
  return !fromCheck.empty() && fromCheck[0] == fromRoot[0] ? fromRoot[0] : XCB_NONE;
}

xcb_window_t X11WindowManager::ownerOfSelection() const {
  if (managerSelection_ == XCB_NONE) return XCB_NONE;
  xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
      connection_, xcb_get_selection_owner(connection_, managerSelection_), nullptr);
  const xcb_window_t owner = reply ? reply->owner : XCB_NONE;
  std::free(reply);
  return owner;
}

bool X11WindowManager::runs() const {
  // The selection first: a manager that is replaced may remove the check its successor has
  // just written as it leaves (mutter does).
  return ownerOfSelection() != XCB_NONE || existingCheckWindow() != XCB_NONE;
}

bool X11WindowManager::mayHaveChanged(const xcb_generic_event_t* event) const {
  switch (event->response_type & 0x7f) {
  case XCB_PROPERTY_NOTIFY: {
    const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    return property->window == root_ &&
           property->atom == (*atoms_)[X11Atom::_NET_SUPPORTING_WM_CHECK];
  }
  case XCB_CLIENT_MESSAGE: {
    const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
    return message->window == root_ && message->type == (*atoms_)[X11Atom::MANAGER] &&
           message->data.data32[1] == managerSelection_;
  }
  case XCB_DESTROY_NOTIFY: {
    const auto* destroy = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
    return destroy->window != XCB_NONE &&
           (destroy->window == selectionOwner_ || destroy->window == checkWindow_);
  }
  default:
    return false;
  }
}

bool X11WindowManager::follow() {
  selectionOwner_ = ownerOfSelection();
  checkWindow_ = existingCheckWindow();
  // Its end is heard of as it comes (a window that is gone already gives an error, not reported).
  const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  for (const xcb_window_t window : {selectionOwner_, checkWindow_})
    if (window != XCB_NONE)
      xcb_discard_reply(connection_, xcb_change_window_attributes_checked(
                                         connection_, window, XCB_CW_EVENT_MASK, &events)
                                         .sequence);
  xcb_flush(connection_);
  return selectionOwner_ != XCB_NONE || checkWindow_ != XCB_NONE;
}

std::vector<xcb_atom_t> X11WindowManager::supported() const {
  // Asked together with the check, so that it costs no round trip of its own.
  const xcb_get_property_cookie_t list = xcb_get_property(
      connection_, 0, root_, (*atoms_)[X11Atom::_NET_SUPPORTED], XCB_ATOM_ATOM, 0, kMostSupported);
  if (!runs()) {
    xcb_discard_reply(connection_, list.sequence);
    return {};
  }
  return itemsOf(connection_, list);
}

bool X11WindowManager::supports(X11Atom hint) const {
  const auto atoms = supported();
  return std::find(atoms.begin(), atoms.end(), (*atoms_)[hint]) != atoms.end();
}

// MARK: requests

void X11WindowManager::send(xcb_window_t window, X11Atom type,
                            const std::array<uint32_t, 5>& data) const {
  // Messages to the manager go to the root, where it listens for them.
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = (*atoms_)[type];
  std::copy(data.begin(), data.end(), message.data.data32);
  xcb_send_event(connection_, 0, root_,
                 XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                 reinterpret_cast<const char*>(&message));
  xcb_flush(connection_);
}

bool X11WindowManager::changeState(xcb_window_t window, X11Atom state, bool add) const {
  const auto atoms = supported();
  auto listed = [&](X11Atom atom) {
    return std::find(atoms.begin(), atoms.end(), (*atoms_)[atom]) != atoms.end();
  };
  if (!listed(X11Atom::_NET_WM_STATE) || !listed(state)) return false;
  send(window, X11Atom::_NET_WM_STATE,
       {add ? kStateAdd : kStateRemove, (*atoms_)[state], 0, kFromApplication, 0});
  return true;
}

void X11WindowManager::moveResize(xcb_window_t window, int rootX, int rootY,
                                  uint32_t direction) const {
  send(window, X11Atom::_NET_WM_MOVERESIZE,
       {static_cast<uint32_t>(rootX), static_cast<uint32_t>(rootY), direction, kLeftButton,
        kFromApplication});
}

void X11WindowManager::restoreActivation(xcb_window_t window) const {
  constexpr uint32_t kFromPager = 2;
  if (supports(X11Atom::_NET_ACTIVE_WINDOW))
    send(window, X11Atom::_NET_ACTIVE_WINDOW, {kFromPager, XCB_CURRENT_TIME, 0, 0, 0});
}

// MARK: what every window says

void X11WindowManager::noteUserTime(xcb_timestamp_t time) {
  if (time == XCB_CURRENT_TIME) return;
  // Server time wraps around after 49 days: a time is later when it is less than half the range
  // ahead. Presses noted out of order never take the time back.
  xcb_timestamp_t last = lastUserTime_;
  while ((last == 0 || static_cast<int32_t>(time - last) > 0) &&
         !lastUserTime_.compare_exchange_weak(last, time)) {
  }
}

void X11WindowManager::learnApplicationIcon() {
  std::call_once(iconAsked_, [this] {
    for (const DisplayIconImage& image : DisplayBackend::applicationIcon()) {
      const auto width = static_cast<uint32_t>(std::max(image.width, 0));
      const auto height = static_cast<uint32_t>(std::max(image.height, 0));
      if (!width || !height || image.pixels.size() != std::size_t{width} * height) continue;
      icon_.push_back(width);
      icon_.push_back(height);
      icon_.insert(icon_.end(), image.pixels.begin(), image.pixels.end());
    }
  });
}

void X11WindowManager::learnClassFrom(xcb_window_t toolkitWindow) {
  X11PropertyReply reply;
  X11ReadProperty(connection_, toolkitWindow, XCB_ATOM_WM_CLASS, 256, reply);
  if (!reply.reply || reply.reply->format != 8) return;
  const std::string value(static_cast<const char*>(reply.value()),
                          static_cast<std::size_t>(reply.length()));
  // "instance\0class\0": the class is what a taskbar groups by.
  const std::size_t end = value.find('\0');
  if (end == std::string::npos) return;
  std::string windowClass = value.substr(end + 1);
  windowClass = windowClass.substr(0, windowClass.find('\0'));
  if (windowClass.empty()) return;
  std::lock_guard lock(classMutex_);
  toolkitClass_ = std::move(windowClass);
}

void X11WindowManager::describeApplication(xcb_window_t window, bool withIcon) const {
  xcb_connection_t* c = connection_;
  const X11Atoms& atoms = *atoms_;
  // Instance and class, each ending in a NUL.
  std::string windowClass;
  {
    std::lock_guard lock(classMutex_);
    windowClass = toolkitClass_.empty() ? name_ : toolkitClass_;
  }
  std::string instanceAndClass = name_ + '\0' + windowClass + '\0';
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                      static_cast<uint32_t>(instanceAndClass.size()), instanceAndClass.data());
  // A process id means something only with the machine it runs on.
  const uint32_t pid = static_cast<uint32_t>(getpid());
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atoms[X11Atom::_NET_WM_PID],
                      XCB_ATOM_CARDINAL, 32, 1, &pid);
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING,
                      8, static_cast<uint32_t>(std::strlen(host)), host);
  if (withIcon && !icon_.empty())
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atoms[X11Atom::_NET_WM_ICON],
                        XCB_ATOM_CARDINAL, 32, static_cast<uint32_t>(icon_.size()), icon_.data());
}

void X11WindowManager::stampUserTime(xcb_window_t window) const {
  const xcb_timestamp_t time = lastUserTime_;
  if (time == 0) return;
  xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window,
                      (*atoms_)[X11Atom::_NET_WM_USER_TIME], XCB_ATOM_CARDINAL, 32, 1, &time);
}
