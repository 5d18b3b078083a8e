// X11Window: one window of ours on the X server: its X window, the properties that tell the
// window manager what it is, its geometry in pixels, and the picture the platform draws into (a
// Cairo RGB24 image surface, the same kind of surface the headless renderer draws into, so that
// what the X server shows is pixel for pixel what a snapshot shows). Uploading copies a rectangle
// of the picture to the window with PutImage.
#pragma once

#include <xcb/xcb.h>

#include <atomic>

#include "display/DisplayWindow.h"
#include "display/x11/X11Atoms.h"
#include "display/x11/X11Cursors.h"
#include "display/x11/X11WindowManager.h"

typedef struct _cairo_surface cairo_surface_t;

// What every window needs from the connection.
struct X11Server {
  xcb_connection_t* connection = nullptr;
  xcb_screen_t* screen = nullptr;
  // The graphics context of image uploads.
  xcb_gcontext_t gc = 0;
  X11Atoms atoms;
  // Device pixels per point.
  double scale = 1;
  // The screen's height in points, which turns AppKit's y (up from the bottom) into X's.
  double screenHeightPoints = 0;
  // Whether the server cuts windows to shapes (the SHAPE extension), for rounded corners.
  bool hasShapes = false;
  // The largest PutImage request, in bytes.
  uint32_t maxRequestBytes = 0;
  // Whether a window manager runs: the event thread follows one that starts, leaves or is
  // replaced (X11WindowManager::follow), and both threads read it.
  std::atomic<bool> windowManagerRuns = false;
  X11WindowManager windowManager;
};

// A rectangle in X pixels, origin at the top left.
struct X11Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const X11Rect&) const = default;
};

// Screen points (AppKit, origin bottom left) to X pixels of the root, and back.
X11Rect X11RectFromFrame(const X11Server& server, NSRect frame);
NSRect X11FrameFromRect(const X11Server& server, X11Rect rect);

class X11Window {
public:
  // Creates the X window (not mapped) for a window or, when popUp, an override-redirect pop-up.
  X11Window(const X11Server& server, NSInteger number, const DisplayWindow& description,
            xcb_window_t owner, bool popUp);
  ~X11Window();
  X11Window(const X11Window&) = delete;
  X11Window& operator=(const X11Window&) = delete;

  xcb_window_t id() const { return id_; }
  NSInteger number() const { return number_; }
  bool isPopUp() const { return popUp_; }
  const DisplayWindow& description() const { return description_; }

  // Updates the title, kind, state and owner properties that changed.
  void describe(const DisplayWindow& description, xcb_window_t owner);
  // Maps the window, with the state and the user time a window manager reads as it does.
  void map();
  void unmap();
  bool isMapped() const { return mapped_; }
  void raise();
  // Puts the window into the window manager's full-screen state or takes it out. A manager that
  // has no such state leaves the window as it is: its frame is sized to the screen like any other.
  void setFullScreen(bool fullScreen);
  // Makes the window a frame for a window of another client: that window's requests to map
  // and configure itself come to us instead of the server.
  void becomeFrame();
  // Tells the window manager to offer the window the keyboard focus (WM_TAKE_FOCUS) rather than
  // set it there itself: the focus belongs to the hosted window inside.
  void takeFocusOnlyWhenOffered();
  // Moves and resizes the X window to the frame when its pixels differ; true when it did.
  bool moveTo(NSRect frame);
  // Records where the X server says the window is.
  void serverMoved(X11Rect rect);
  X11Rect rect() const { return rect_; }

  // The shape the window's content asks for where the pointer is, and the resize shape of the
  // edge the pointer is on (Arrow: on none); showPointer shows the edge's, else the content's.
  void setContentPointer(X11PointerShape shape) { contentPointer_ = shape; }
  void setEdgePointer(X11PointerShape shape) { edgePointer_ = shape; }
  void showPointer(X11Cursors& cursors);

  // The picture, sized to the window's pixels; isNew when it was just made (and holds nothing).
  cairo_surface_t* surface(bool* isNew);
  bool hasPicture() const { return surface_ != nullptr && drawn_; }
  void markDrawn() { drawn_ = true; }
  // Copies a rectangle of the picture (window pixels) to the X window.
  void upload(X11Rect area);

private:
  const X11Server& server_;
  xcb_window_t id_ = 0;
  NSInteger number_;
  bool popUp_;
  DisplayWindow description_;
  xcb_window_t owner_ = XCB_NONE;
  X11Rect rect_;
  bool mapped_ = false;
  bool fullScreen_ = false;
  cairo_surface_t* surface_ = nullptr;
  X11PointerShape contentPointer_ = X11PointerShape::Arrow, edgePointer_ = X11PointerShape::Arrow;
  X11PointerShape shownPointer_ = X11PointerShape::Count; // none set yet
  bool drawn_ = false;

  void setTitle(const std::string& title);
  void setOwner(xcb_window_t owner);
  void setType();
  // _NET_WM_STATE, which a window manager reads as the window is mapped.
  void setState();
  void setFixedProperties();
  // Cuts the window's corners to its rounded outline, when its size or radius changed.
  void applyShape();
  int shapedWidth_ = 0, shapedHeight_ = 0;
  CGFloat shapedRadius_ = 0;
};
