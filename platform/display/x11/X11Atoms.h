// X11Atoms: the atoms the X11 display uses, interned together in one round trip.
#pragma once

#include <xcb/xcb.h>

#include <array>

enum class X11Atom {
  WM_PROTOCOLS,
  WM_DELETE_WINDOW,
  WM_TAKE_FOCUS,
  WM_STATE,
  MANAGER,
  UTF8_STRING,
  _NET_WM_NAME,
  _NET_WM_PID,
  _NET_WM_WINDOW_TYPE,
  _NET_WM_WINDOW_TYPE_NORMAL,
  _NET_WM_WINDOW_TYPE_DIALOG,
  _NET_WM_WINDOW_TYPE_UTILITY,
  _NET_WM_WINDOW_TYPE_POPUP_MENU,
  _NET_WM_STATE,
  _NET_WM_STATE_MODAL,
  _NET_WM_STATE_FULLSCREEN,
  _NET_WM_MOVERESIZE,
  _NET_SUPPORTING_WM_CHECK,
  _NET_FRAME_EXTENTS,
  _MOTIF_WM_HINTS,
  _NET_SUPPORTED,
  _NET_WM_USER_TIME,
  _NET_WM_ICON,
  _NET_ACTIVE_WINDOW,
  CLIPBOARD,
  TARGETS,
  INCR,
  BRIX_CLIPBOARD, // where the owner of CLIPBOARD writes what we asked it for
  BRIX_PRIMARY,   // the same for PRIMARY
  BRIX_WAKE_UP,   // our own message that stops the event thread
  BRIX_PEN_LATE,  // our own message: a caught window has waited long enough for its extents
  Count
};

class X11Atoms {
public:
  // Interns every atom; atoms the server could not intern stay XCB_NONE.
  void intern(xcb_connection_t* connection);
  xcb_atom_t operator[](X11Atom atom) const { return atoms_[static_cast<int>(atom)]; }

private:
  std::array<xcb_atom_t, static_cast<int>(X11Atom::Count)> atoms_{};
};
