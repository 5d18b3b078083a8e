#include "display/x11/X11Window.h"

#include <cairo.h>
#include <xcb/shape.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// _MOTIF_WM_HINTS: flags (decorations given), functions, decorations (none), input mode, status.
// Our windows draw their own title bar.
constexpr uint32_t kMotifHintsDecorations = 2;
constexpr uint32_t kNoDecorations[5] = {kMotifHintsDecorations, 0, 0, 0, 0};

// WM_NORMAL_HINTS flags: the position was asked for by the user and by the program, so that a
// window manager keeps it.
constexpr uint32_t kUserPosition = 1, kProgramPosition = 4;

constexpr uint32_t kWindowEvents =
    XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_KEY_PRESS |
    XCB_EVENT_MASK_KEY_RELEASE | XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
    XCB_EVENT_MASK_BUTTON_MOTION | XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_FOCUS_CHANGE |
    XCB_EVENT_MASK_ENTER_WINDOW | XCB_EVENT_MASK_LEAVE_WINDOW;

} // namespace

X11Rect X11RectFromFrame(const X11Server& server, NSRect frame) {
  const double s = server.scale;
  X11Rect rect;
  rect.x = static_cast<int>(std::lround(frame.origin.x * s));
  rect.y = static_cast<int>(
      std::lround((server.screenHeightPoints - frame.origin.y - frame.size.height) * s));
  rect.width = std::max(1, static_cast<int>(std::lround(frame.size.width * s)));
  rect.height = std::max(1, static_cast<int>(std::lround(frame.size.height * s)));
  return rect;
}

NSRect X11FrameFromRect(const X11Server& server, X11Rect rect) {
  const double s = server.scale;
  return NSMakeRect(rect.x / s, server.screenHeightPoints - (rect.y + rect.height) / s,
                    rect.width / s, rect.height / s);
}

X11Window::X11Window(const X11Server& server, NSInteger number, const DisplayWindow& description,
                     xcb_window_t owner, bool popUp)
    : server_(server), number_(number), popUp_(popUp), description_(description) {
  xcb_connection_t* c = server.connection;
  id_ = xcb_generate_id(c);
  rect_ = X11RectFromFrame(server, description.frame);
  xcb_create_window_value_list_t values{};
  values.background_pixel = server.screen->white_pixel;
  values.bit_gravity = XCB_GRAVITY_NORTH_WEST;
  values.override_redirect = popUp ? 1 : 0;
  values.event_mask = kWindowEvents;
  xcb_create_window_aux(c, XCB_COPY_FROM_PARENT, id_, server.screen->root,
                        static_cast<int16_t>(rect_.x), static_cast<int16_t>(rect_.y),
                        static_cast<uint16_t>(rect_.width), static_cast<uint16_t>(rect_.height), 0,
                        XCB_WINDOW_CLASS_INPUT_OUTPUT, server.screen->root_visual,
                        XCB_CW_BACK_PIXEL | XCB_CW_BIT_GRAVITY | XCB_CW_OVERRIDE_REDIRECT |
                            XCB_CW_EVENT_MASK,
                        &values);
  setFixedProperties();
  setTitle(description.title);
  setType();
  setOwner(owner);
  applyShape();
}

X11Window::~X11Window() {
  if (surface_) cairo_surface_destroy(surface_);
  xcb_destroy_window(server_.connection, id_);
  xcb_flush(server_.connection);
}

void X11Window::setFixedProperties() {
  xcb_connection_t* c = server_.connection;
  const X11Atoms& atoms = server_.atoms;
  const xcb_atom_t protocols[] = {atoms[X11Atom::WM_DELETE_WINDOW]};
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id_, atoms[X11Atom::WM_PROTOCOLS], XCB_ATOM_ATOM,
                      32, 1, protocols);
  // A pop-up is never shown in a window list, so it goes without the icon.
  server_.windowManager.describeApplication(id_, /*withIcon=*/!popUp_);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id_, atoms[X11Atom::_MOTIF_WM_HINTS],
                      atoms[X11Atom::_MOTIF_WM_HINTS], 32, 5, kNoDecorations);
  // WM_SIZE_HINTS: 18 CARD32, flags first; the position fields are obsolete and left 0.
  uint32_t sizeHints[18] = {kUserPosition | kProgramPosition};
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id_, XCB_ATOM_WM_NORMAL_HINTS,
                      XCB_ATOM_WM_SIZE_HINTS, 32, 18, sizeHints);
}

void X11Window::setTitle(const std::string& givenTitle) {
  xcb_connection_t* c = server_.connection;
  // An untitled window (an alert) goes by the application's name in the window manager's lists
  // (Alt+Tab, a taskbar), as a GTK or Java dialog without a title does.
  const std::string& title =
      givenTitle.empty() ? server_.windowManager.applicationName() : givenTitle;
  const auto length = static_cast<uint32_t>(title.size());
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id_, server_.atoms[X11Atom::_NET_WM_NAME],
                      server_.atoms[X11Atom::UTF8_STRING], 8, length, title.data());
  // WM_NAME is Latin-1: characters beyond it become '?'.
  std::string latin1;
  for (std::size_t i = 0; i < title.size();) {
    const auto byte = static_cast<unsigned char>(title[i]);
    const int size = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    uint32_t code = byte;
    if (size == 2 && i + 1 < title.size())
      code = ((byte & 0x1f) << 6) | (static_cast<unsigned char>(title[i + 1]) & 0x3f);
    latin1 += size == 1 || (size == 2 && code < 0x100) ? static_cast<char>(code) : '?';
    i += static_cast<std::size_t>(size);
  }
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      static_cast<uint32_t>(latin1.size()), latin1.data());
}

void X11Window::setType() {
  xcb_connection_t* c = server_.connection;
  const X11Atoms& atoms = server_.atoms;
  xcb_atom_t type = atoms[X11Atom::_NET_WM_WINDOW_TYPE_NORMAL];
  switch (description_.kind) {
  case DisplayWindowKind::Dialog:
  case DisplayWindowKind::Sheet:
    type = atoms[X11Atom::_NET_WM_WINDOW_TYPE_DIALOG];
    break;
  case DisplayWindowKind::Utility:
    type = atoms[X11Atom::_NET_WM_WINDOW_TYPE_UTILITY];
    break;
  case DisplayWindowKind::PopUpMenu:
    type = atoms[X11Atom::_NET_WM_WINDOW_TYPE_POPUP_MENU];
    break;
  case DisplayWindowKind::Normal:
    break;
  }
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id_, atoms[X11Atom::_NET_WM_WINDOW_TYPE],
                      XCB_ATOM_ATOM, 32, 1, &type);
}

void X11Window::setState() {
  const X11Atoms& atoms = server_.atoms;
  std::vector<xcb_atom_t> states;
  if (description_.modal) states.push_back(atoms[X11Atom::_NET_WM_STATE_MODAL]);
  if (fullScreen_) states.push_back(atoms[X11Atom::_NET_WM_STATE_FULLSCREEN]);
  if (states.empty())
    xcb_delete_property(server_.connection, id_, atoms[X11Atom::_NET_WM_STATE]);
  else
    xcb_change_property(server_.connection, XCB_PROP_MODE_REPLACE, id_,
                        atoms[X11Atom::_NET_WM_STATE], XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(states.size()), states.data());
}

void X11Window::setOwner(xcb_window_t owner) {
  owner_ = owner;
  if (owner)
    xcb_change_property(server_.connection, XCB_PROP_MODE_REPLACE, id_, XCB_ATOM_WM_TRANSIENT_FOR,
                        XCB_ATOM_WINDOW, 32, 1, &owner);
  else
    xcb_delete_property(server_.connection, id_, XCB_ATOM_WM_TRANSIENT_FOR);
}

void X11Window::describe(const DisplayWindow& description, xcb_window_t owner) {
  const DisplayWindow old = description_;
  description_ = description;
  if (old.title != description.title) setTitle(description.title);
  if (old.kind != description.kind) setType();
  // Once the window is mapped its state belongs to the window manager, which is asked to change
  // it; without one, the property is all there is.
  if (old.modal != description.modal &&
      (!mapped_ ||
       !server_.windowManager.changeState(id_, X11Atom::_NET_WM_STATE_MODAL, description.modal)))
    setState();
  if (owner != owner_) setOwner(owner);
  applyShape();
}

void X11Window::map() {
  if (mapped_) return;
  mapped_ = true;
  // A window manager forgets the state of a window it no longer shows, and decides by the user
  // time whether the window takes the keyboard as it appears.
  setState();
  server_.windowManager.stampUserTime(id_);
  xcb_map_window(server_.connection, id_);
}

void X11Window::unmap() {
  if (!mapped_) return;
  mapped_ = false;
  xcb_unmap_window(server_.connection, id_);
}

void X11Window::raise() {
  const uint32_t above = XCB_STACK_MODE_ABOVE;
  xcb_configure_window(server_.connection, id_, XCB_CONFIG_WINDOW_STACK_MODE, &above);
}

void X11Window::setFullScreen(bool fullScreen) {
  if (fullScreen == fullScreen_) return;
  fullScreen_ = fullScreen;
  if (!mapped_ ||
      !server_.windowManager.changeState(id_, X11Atom::_NET_WM_STATE_FULLSCREEN, fullScreen))
    setState();
}

void X11Window::takeFocusOnlyWhenOffered() {
  xcb_connection_t* c = server_.connection;
  const X11Atoms& atoms = server_.atoms;
  const xcb_atom_t protocols[] = {atoms[X11Atom::WM_DELETE_WINDOW], atoms[X11Atom::WM_TAKE_FOCUS]};
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id_, atoms[X11Atom::WM_PROTOCOLS], XCB_ATOM_ATOM,
                      32, 2, protocols);
  // WM_HINTS: flags (InputHint), input False; the other fields unused.
  const uint32_t hints[9] = {1, 0};
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id_, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, 9,
                      hints);
}

void X11Window::becomeFrame() {
  const uint32_t events =
      kWindowEvents | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(server_.connection, id_, XCB_CW_EVENT_MASK, &events);
}

bool X11Window::moveTo(NSRect frame) {
  description_.frame = frame;
  const X11Rect rect = X11RectFromFrame(server_, frame);
  if (rect == rect_) return false;
  rect_ = rect;
  const uint32_t values[] = {static_cast<uint32_t>(rect.x), static_cast<uint32_t>(rect.y),
                             static_cast<uint32_t>(rect.width), static_cast<uint32_t>(rect.height)};
  xcb_configure_window(server_.connection, id_,
                       XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                           XCB_CONFIG_WINDOW_HEIGHT,
                       values);
  applyShape();
  return true;
}

void X11Window::serverMoved(X11Rect rect) {
  rect_ = rect;
  applyShape();
}

void X11Window::applyShape() {
  const CGFloat radius = description_.cornerRadius;
  if (!server_.hasShapes ||
      (rect_.width == shapedWidth_ && rect_.height == shapedHeight_ && radius == shapedRadius_))
    return;
  const bool wasShaped = shapedRadius_ > 0;
  shapedWidth_ = rect_.width;
  shapedHeight_ = rect_.height;
  shapedRadius_ = radius;
  xcb_connection_t* c = server_.connection;
  const int r = std::min(
      {static_cast<int>(std::lround(radius * server_.scale)), rect_.width / 2, rect_.height / 2});
  if (r <= 0) {
    // Square again (full screen): the shape goes, and the window is its whole rectangle.
    if (wasShaped) xcb_shape_mask(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, id_, 0, 0, XCB_NONE);
    return;
  }
  // One rectangle per pixel row of the corners, inset to where the arc crosses the row's middle,
  // and one for the straight part between them.
  std::vector<xcb_rectangle_t> rows;
  rows.reserve(static_cast<std::size_t>(2 * r + 1));
  for (int y = 0; y < r; ++y) {
    const double dy = r - y - 0.5;
    const int inset = static_cast<int>(std::lround(r - std::sqrt(double(r) * r - dy * dy)));
    const auto width = static_cast<uint16_t>(std::max(0, rect_.width - 2 * inset));
    rows.push_back({static_cast<int16_t>(inset), static_cast<int16_t>(y), width, 1});
    rows.push_back(
        {static_cast<int16_t>(inset), static_cast<int16_t>(rect_.height - 1 - y), width, 1});
  }
  rows.push_back({0, static_cast<int16_t>(r), static_cast<uint16_t>(rect_.width),
                  static_cast<uint16_t>(rect_.height - 2 * r)});
  xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED, id_,
                       0, 0, static_cast<uint32_t>(rows.size()), rows.data());
}

cairo_surface_t* X11Window::surface(bool* isNew) {
  const int width = std::max(
      1, static_cast<int>(std::ceil(description_.frame.size.width * server_.scale - 1e-9)));
  const int height = std::max(
      1, static_cast<int>(std::ceil(description_.frame.size.height * server_.scale - 1e-9)));
  *isNew = false;
  if (surface_ && (cairo_image_surface_get_width(surface_) != width ||
                   cairo_image_surface_get_height(surface_) != height)) {
    cairo_surface_destroy(surface_);
    surface_ = nullptr;
  }
  if (!surface_) {
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    drawn_ = false;
    *isNew = true;
  }
  return surface_;
}

void X11Window::upload(X11Rect area) {
  if (!surface_ || !mapped_) return;
  cairo_surface_flush(surface_);
  const int width = cairo_image_surface_get_width(surface_);
  const int height = cairo_image_surface_get_height(surface_);
  const int x0 = std::clamp(area.x, 0, width), y0 = std::clamp(area.y, 0, height);
  const int x1 = std::clamp(area.x + area.width, 0, width);
  const int y1 = std::clamp(area.y + area.height, 0, height);
  if (x1 <= x0 || y1 <= y0) return;
  const int stride = cairo_image_surface_get_stride(surface_);
  const unsigned char* pixels = cairo_image_surface_get_data(surface_);
  const int rowBytes = (x1 - x0) * 4;
  // PutImage requests are split into bands that fit the server's request limit.
  const int rowsPerBand = std::max(1, static_cast<int>((server_.maxRequestBytes - 64) / rowBytes));
  std::vector<unsigned char> band;
  for (int top = y0; top < y1; top += rowsPerBand) {
    const int rows = std::min(rowsPerBand, y1 - top);
    band.resize(static_cast<std::size_t>(rows) * rowBytes);
    for (int row = 0; row < rows; ++row)
      std::memcpy(band.data() + static_cast<std::size_t>(row) * rowBytes,
                  pixels + static_cast<std::size_t>(top + row) * stride + x0 * 4, rowBytes);
    xcb_put_image(server_.connection, XCB_IMAGE_FORMAT_Z_PIXMAP, id_, server_.gc,
                  static_cast<uint16_t>(x1 - x0), static_cast<uint16_t>(rows),
                  static_cast<int16_t>(x0), static_cast<int16_t>(top), 0,
                  server_.screen->root_depth, static_cast<uint32_t>(band.size()), band.data());
  }
}

void X11Window::showPointer(X11Cursors& cursors) {
  const X11PointerShape shape =
      edgePointer_ != X11PointerShape::Arrow ? edgePointer_ : contentPointer_;
  if (shape == shownPointer_) return;
  shownPointer_ = shape;
  const uint32_t cursor = cursors.cursor(shape);
  xcb_change_window_attributes(server_.connection, id_, XCB_CW_CURSOR, &cursor);
  xcb_flush(server_.connection);
}
