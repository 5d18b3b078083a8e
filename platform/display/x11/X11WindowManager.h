// X11WindowManager: the display's conversation with the window manager. It learns whether one
// runs and what it supports (_NET_SUPPORTED), sends the messages that ask it to change a
// window's state or to move a window, and writes what every window of ours tells it about the
// application: its name and class, process, machine and icon, and the time of the user's last
// input, by which a manager decides whether a new window may take the keyboard.
//
// A manager may start, leave or be replaced while we run, so what it supports is asked of the
// server before each request rather than remembered. Without one (a bare server) every request
// answers no, and the display does the work itself.
#pragma once

#include <xcb/xcb.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "display/x11/X11Atoms.h"

class X11WindowManager {
public:
  // Starts the conversation on the connection (the root of that screen) and settles the
  // application's name.
  void open(xcb_connection_t* connection, xcb_window_t root, int screenNumber,
            const X11Atoms& atoms);

  // Whether a manager runs: one owns the screen's manager selection (WM_Sn, ICCCM), or names a
  // check window that exists (EWMH).
  bool runs() const;
  // Whether the event (from the root's events) may tell of a manager that starts, leaves or is
  // replaced: a change of the root's check, a manager's MANAGER announcement, the end of the
  // windows by which the running one was known (event thread).
  bool mayHaveChanged(const xcb_generic_event_t* event) const;
  // Whether a manager runs now, noting the windows by which it is known (event thread).
  bool follow();
  // Whether a manager runs and lists the hint (a _NET_ atom) among those it supports.
  bool supports(X11Atom hint) const;

  // Asks the manager to add or remove a state (_NET_WM_STATE_...) of a mapped window; false, with
  // nothing sent, when it does not support the state.
  bool changeState(xcb_window_t window, X11Atom state, bool add) const;
  // Asks the manager to move or resize the window with the left button from the root point (a
  // _NET_WM_MOVERESIZE direction). The caller has asked supports(_NET_WM_MOVERESIZE) first, since
  // it must let its own pointer grab go before it sends this.
  void moveResize(xcb_window_t window, int rootX, int rootY, uint32_t direction) const;
  // Asks the manager to make the window the active one, as a pager or task list would: for a
  // window that takes over an activation the manager itself had given (a hosted frame). Nothing
  // is sent when the manager does not support it.
  void restoreActivation(xcb_window_t window) const;

  // The user pressed a key or a button at this server time (any thread).
  void noteUserTime(xcb_timestamp_t time);
  // The server time of the user's last press; 0 before the first.
  xcb_timestamp_t lastUserTime() const { return lastUserTime_; }

  // The application's name, which is the instance and the class of every window's WM_CLASS: the
  // main bundle's name when it is an application bundle (Name.app), else the name the
  // application's toolkit gives (a Java VM's main class), else "brixdialogs".
  const std::string& applicationName() const { return name_; }
  // Asks for the application's icon the first time (main thread); later calls do nothing.
  void learnApplicationIcon();
  // Takes the class of WM_CLASS from a window of this process's toolkit (a Java frame), so that
  // windows made from now on group with the toolkit's in a taskbar and in Alt+Tab (any thread).
  void learnClassFrom(xcb_window_t toolkitWindow);
  // Writes WM_CLASS (the application's name as instance; the toolkit's class once learned, else
  // the name, as class), _NET_WM_PID, WM_CLIENT_MACHINE and, when withIcon, _NET_WM_ICON on a new
  // window.
  void describeApplication(xcb_window_t window, bool withIcon) const;
  // Writes _NET_WM_USER_TIME as the window is about to be mapped: the time of the input that led
  // to it. Left out while no input has been seen, which a manager takes as "unknown".
  void stampUserTime(xcb_window_t window) const;

private:
  xcb_connection_t* connection_ = nullptr;
  xcb_window_t root_ = XCB_NONE;
  const X11Atoms* atoms_ = nullptr;
  // WM_Sn of our screen, and the windows the running manager was known by when last followed.
  xcb_atom_t managerSelection_ = XCB_NONE;
  xcb_window_t selectionOwner_ = XCB_NONE;
  xcb_window_t checkWindow_ = XCB_NONE;
  std::string name_;
  mutable std::mutex classMutex_;
  std::string toolkitClass_;
  std::once_flag iconAsked_;
  // _NET_WM_ICON's items: width, height and the pixels of each image in turn.
  std::vector<uint32_t> icon_;
  std::atomic<xcb_timestamp_t> lastUserTime_{0};

  // The check window the root names, when it exists; the selection's owner.
  xcb_window_t existingCheckWindow() const;
  xcb_window_t ownerOfSelection() const;
  // The atoms the running manager supports; empty when none runs.
  std::vector<xcb_atom_t> supported() const;
  void send(xcb_window_t window, X11Atom type, const std::array<uint32_t, 5>& data) const;
};
