#include "display/x11/X11ClientWindows.h"

#include <algorithm>
#include <thread>

namespace {

// The ICCCM state a window manager gave the window: 1 Normal, 3 Iconic; 0 Withdrawn, also when
// it wrote none.
uint32_t wmStateOf(const X11Server& server, xcb_window_t window) {
  X11PropertyReply state;
  X11ReadProperty(server.connection, window, server.atoms[X11Atom::WM_STATE], 2, state);
  return X11CardinalAt(state, 0);
}

} // namespace

void X11ReadProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, uint32_t words,
                     X11PropertyReply& out) {
  out.reply = xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, words), nullptr);
}

uint32_t X11CardinalAt(const X11PropertyReply& property, int index) {
  if (!property.reply || property.reply->format != 32 || property.length() < (index + 1) * 4)
    return 0;
  return static_cast<const uint32_t*>(property.value())[index];
}

std::string X11TitleOf(const X11Server& server, xcb_window_t window) {
  X11PropertyReply name;
  X11ReadProperty(server.connection, window, server.atoms[X11Atom::_NET_WM_NAME], 4096, name);
  if (name.reply && name.reply->format == 8 && name.length() > 0)
    return std::string(static_cast<const char*>(name.value()),
                       static_cast<std::size_t>(name.length()));
  X11PropertyReply latin1;
  X11ReadProperty(server.connection, window, XCB_ATOM_WM_NAME, 4096, latin1);
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

void X11SendConfigureNotify(const X11Server& server, xcb_window_t window, X11Rect onRoot) {
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

void X11SendClientMessage(const X11Server& server, xcb_window_t window, X11Atom type,
                          const std::array<uint32_t, 5>& data) {
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = server.atoms[type];
  std::copy(data.begin(), data.end(), message.data.data32);
  xcb_send_event(server.connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                 reinterpret_cast<const char*>(&message));
}

void X11SendProtocolMessage(const X11Server& server, xcb_window_t window, X11Atom protocol,
                            xcb_timestamp_t time) {
  X11SendClientMessage(server, window, X11Atom::WM_PROTOCOLS, {server.atoms[protocol], time});
}

bool X11AsksForNoDecorations(const X11PropertyReply& motifHints) {
  // flags, functions, decorations, ...; bit 1 of flags says decorations is set.
  constexpr uint32_t kDecorationsSet = 2;
  return (X11CardinalAt(motifHints, 0) & kDecorationsSet) && X11CardinalAt(motifHints, 2) == 0;
}

bool X11MayTakeFocusWhenShown(const X11Server& server, xcb_window_t window) {
  X11PropertyReply userTime;
  X11ReadProperty(server.connection, window, server.atoms[X11Atom::_NET_WM_USER_TIME], 1, userTime);
  return !userTime.reply || userTime.reply->type == XCB_NONE || X11CardinalAt(userTime, 0) != 0;
}

xcb_window_t X11ParentOf(xcb_connection_t* c, xcb_window_t window) {
  xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
  const xcb_window_t parent = tree ? tree->parent : XCB_NONE;
  std::free(tree);
  return parent;
}

bool X11IsViewable(xcb_connection_t* c, xcb_window_t window) {
  xcb_get_window_attributes_reply_t* attributes =
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
  const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
  std::free(attributes);
  return viewable;
}

bool X11HasFocusWithin(xcb_connection_t* c, xcb_window_t window) {
  xcb_get_input_focus_reply_t* focus =
      xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
  const xcb_window_t focused = focus ? focus->focus : XCB_NONE;
  std::free(focus);
  return focused == window ||
         (focused > XCB_INPUT_FOCUS_POINTER_ROOT && X11ParentOf(c, focused) == window);
}

xcb_window_t X11ClientInFrame(const X11Server& server, xcb_window_t frame, int depth) {
  xcb_connection_t* c = server.connection;
  X11PropertyReply state;
  X11ReadProperty(c, frame, server.atoms[X11Atom::WM_STATE], 2, state);
  if (state.reply && state.reply->type != XCB_NONE) return frame;
  if (depth == 0) return XCB_NONE;
  xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, frame), nullptr);
  if (!tree) return XCB_NONE;
  xcb_window_t found = XCB_NONE;
  const xcb_window_t* children = xcb_query_tree_children(tree);
  for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i)
    found = X11ClientInFrame(server, children[i], depth - 1);
  std::free(tree);
  return found;
}

bool X11WithdrawFromWindowManager(const X11Server& server, xcb_window_t window) {
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
  const auto deadline = std::chrono::steady_clock::now() + kX11WithdrawLimit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (X11ParentOf(c, window) == root && wmStateOf(server, window) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}
