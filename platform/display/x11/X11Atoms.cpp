#include "display/x11/X11Atoms.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kNames[] = {
    "WM_PROTOCOLS",
    "WM_DELETE_WINDOW",
    "WM_TAKE_FOCUS",
    "WM_STATE",
    "MANAGER",
    "UTF8_STRING",
    "_NET_WM_NAME",
    "_NET_WM_PID",
    "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_NORMAL",
    "_NET_WM_WINDOW_TYPE_DIALOG",
    "_NET_WM_WINDOW_TYPE_UTILITY",
    "_NET_WM_WINDOW_TYPE_POPUP_MENU",
    "_NET_WM_STATE",
    "_NET_WM_STATE_MODAL",
    "_NET_WM_STATE_FULLSCREEN",
    "_NET_WM_MOVERESIZE",
    "_NET_SUPPORTING_WM_CHECK",
    "_NET_FRAME_EXTENTS",
    "_MOTIF_WM_HINTS",
    "_NET_SUPPORTED",
    "_NET_WM_USER_TIME",
    "_NET_WM_ICON",
    "_NET_ACTIVE_WINDOW",
    "CLIPBOARD",
    "TARGETS",
    "INCR",
    "_BRIX_CLIPBOARD",
    "_BRIX_PRIMARY",
    "_BRIX_WAKE_UP",
    "_BRIX_PEN_LATE",
};
static_assert(std::size(kNames) == static_cast<std::size_t>(X11Atom::Count));

} // namespace

void X11Atoms::intern(xcb_connection_t* connection) {
  // Every request first, then every reply: one round trip for all of them.
  std::array<xcb_intern_atom_cookie_t, std::size(kNames)> cookies;
  for (std::size_t i = 0; i < std::size(kNames); ++i)
    cookies[i] =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(kNames[i])), kNames[i]);
  for (std::size_t i = 0; i < std::size(kNames); ++i) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookies[i], nullptr);
    atoms_[i] = reply ? reply->atom : XCB_NONE;
    std::free(reply);
  }
}
