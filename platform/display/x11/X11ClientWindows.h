// What the X11 display asks and tells of other clients' windows (a Java VM's frames, a window
// manager's): their properties and place in the tree, the events a window manager sends its
// clients, and taking a client back from a window manager as ICCCM lets a client withdraw it.
#pragma once

#include <xcb/xcb.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <string>

#include "display/x11/X11Window.h"

// A property's reply, freed with it.
struct X11PropertyReply {
  xcb_get_property_reply_t* reply = nullptr;
  ~X11PropertyReply() { std::free(reply); }
  int length() const { return reply ? xcb_get_property_value_length(reply) : 0; }
  const void* value() const { return xcb_get_property_value(reply); }
};

// Reads up to `words` 32-bit words of the property, of any type.
void X11ReadProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, uint32_t words,
                     X11PropertyReply& out);
// The index-th 32-bit item of the property; 0 when it has none.
uint32_t X11CardinalAt(const X11PropertyReply& property, int index);
// The window's title: _NET_WM_NAME (UTF-8), else WM_NAME taken as Latin-1.
std::string X11TitleOf(const X11Server& server, xcb_window_t window);
xcb_window_t X11ParentOf(xcb_connection_t* c, xcb_window_t window);
// Whether the window and all its ancestors are mapped (only then can it take the focus).
bool X11IsViewable(xcb_connection_t* c, xcb_window_t window);
// Whether the keyboard focus is on the window or on a child of it (AWT's focus proxy).
bool X11HasFocusWithin(xcb_connection_t* c, xcb_window_t window);

// Tells a hosted window where it is on the root, as a window manager tells its clients (a
// synthetic ConfigureNotify: the real ones the server sends are relative to our frame).
void X11SendConfigureNotify(const X11Server& server, xcb_window_t window, X11Rect onRoot);
// Sends a client message of that type to whoever made the window (no other client hears it).
void X11SendClientMessage(const X11Server& server, xcb_window_t window, X11Atom type,
                          const std::array<uint32_t, 5>& data = {});
// Sends one of the WM_PROTOCOLS messages a window manager sends its clients.
void X11SendProtocolMessage(const X11Server& server, xcb_window_t window, X11Atom protocol,
                            xcb_timestamp_t time);
// Whether a window's _MOTIF_WM_HINTS (a reply of at least three words) ask for no decorations.
bool X11AsksForNoDecorations(const X11PropertyReply& motifHints);
// Whether the toolkit lets a window it has just shown take the keyboard: not when its
// _NET_WM_USER_TIME is 0 (EWMH), as a window manager decides.
bool X11MayTakeFocusWhenShown(const X11Server& server, xcb_window_t window);

// The client inside a window manager's frame: the first window at most three levels below it
// that carries WM_STATE, or the frame itself when it is a client; XCB_NONE when none is.
xcb_window_t X11ClientInFrame(const X11Server& server, xcb_window_t frame, int depth = 3);
// How long a window manager may take to let a withdrawn client go (metacity and mutter need
// about 10 ms, openbox and xfwm4 2 ms).
constexpr auto kX11WithdrawLimit = std::chrono::milliseconds(1000);
// Takes a client back from the window manager as ICCCM says a client withdraws its window: an
// unmap and a synthetic UnmapNotify to the root, then waits until the manager has put it back on
// the root and marked it Withdrawn. False when the manager did not let it go in time.
bool X11WithdrawFromWindowManager(const X11Server& server, xcb_window_t window);
