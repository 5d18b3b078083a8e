#include "display/x11/X11Selection.h"

#include <cstdlib>
#include <vector>

#include "display/x11/X11Window.h"

namespace {

// The most of a property read in one request, in 32-bit words (a piece of an incremental
// transfer is far smaller; a whole answer larger than this comes incrementally).
constexpr uint32_t kReadWords = 16 * 1024 * 1024;

// Reads and deletes a transfer property.
xcb_get_property_reply_t* takeProperty(xcb_connection_t* c, xcb_window_t window,
                                       xcb_atom_t property) {
  return xcb_get_property_reply(
      c, xcb_get_property(c, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, kReadWords),
      nullptr);
}

// The largest text handed over whole, and the size of each piece of a larger one: far below the
// smallest request a server must take (256 KiB without BIG-REQUESTS).
constexpr std::size_t kPieceBytes = 128 * 1024;
// A requestor that has not taken a piece for this long is forgotten when the next one starts.
constexpr std::chrono::seconds kOutgoingLimit{30};

std::string bytesOf(xcb_get_property_reply_t* reply) {
  const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply));
  return std::string(bytes, static_cast<std::size_t>(xcb_get_property_value_length(reply)));
}

} // namespace

bool X11Selection::own(std::string utf8, xcb_timestamp_t time) {
  xcb_connection_t* c = server_.connection;
  {
    std::lock_guard lock(mutex_);
    ownedText_ = std::move(utf8);
    owned_ = true;
  }
  xcb_set_selection_owner(c, helper_, selection_, time);
  xcb_get_selection_owner_reply_t* owner =
      xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection_), nullptr);
  const bool ours = owner && owner->owner == helper_;
  std::free(owner);
  if (!ours) {
    std::lock_guard lock(mutex_);
    owned_ = false;
  }
  return ours;
}

std::optional<std::string> X11Selection::read(xcb_timestamp_t time,
                                              std::chrono::milliseconds limit) {
  // Asked of the server, not of owned_: the news that another client took the selection may
  // still be on its way to the event thread.
  xcb_connection_t* c = server_.connection;
  xcb_get_selection_owner_reply_t* owner =
      xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection_), nullptr);
  const xcb_window_t ownerWindow = owner ? owner->owner : XCB_NONE;
  std::free(owner);
  std::unique_lock lock(mutex_);
  if (ownerWindow == helper_ && owned_) return ownedText_;
  if (ownerWindow == XCB_NONE) return std::nullopt;
  const uint64_t asked = ++transfersAsked_;
  incremental_ = false;
  received_.clear();
  result_.reset();
  xcb_convert_selection(c, helper_, selection_, server_.atoms[X11Atom::UTF8_STRING], property_,
                        time);
  xcb_flush(c);
  if (!transferred_.wait_for(lock, limit, [&] { return transfersDone_ >= asked; })) {
    // An answer that comes later is dropped: it belongs to no transfer.
    transfersDone_ = asked;
    incremental_ = false;
    return std::nullopt;
  }
  return std::move(result_);
}

bool X11Selection::handleEvent(const xcb_generic_event_t* event) {
  switch (event->response_type & 0x7f) {
  case XCB_SELECTION_REQUEST: {
    const auto* request = reinterpret_cast<const xcb_selection_request_event_t*>(event);
    if (request->selection != selection_) return false;
    answerRequest(request);
    return true;
  }
  case XCB_SELECTION_CLEAR: {
    const auto* clear = reinterpret_cast<const xcb_selection_clear_event_t*>(event);
    if (clear->selection != selection_) return false;
    std::lock_guard lock(mutex_);
    owned_ = false;
    ownedText_.clear();
    return true;
  }
  case XCB_SELECTION_NOTIFY: {
    const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(event);
    if (notify->requestor != helper_ || notify->selection != selection_) return false;
    takeConversion(notify);
    return true;
  }
  case XCB_PROPERTY_NOTIFY: {
    const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    if (property->state == XCB_PROPERTY_DELETE && sendNextPiece(property)) return true;
    if (property->window != helper_ || property->atom != property_) return false;
    // Our own deletions report too; only a new piece counts.
    if (property->state == XCB_PROPERTY_NEW_VALUE) takePiece();
    return true;
  }
  default:
    return false;
  }
}

void X11Selection::answerRequest(const xcb_selection_request_event_t* request) {
  xcb_connection_t* c = server_.connection;
  const X11Atoms& atoms = server_.atoms;
  // An obsolete requestor names no property: the answer goes into the target's.
  const xcb_atom_t property = request->property != XCB_NONE ? request->property : request->target;
  bool answered = false;
  {
    std::lock_guard lock(mutex_);
    if (owned_) {
      if (request->target == atoms[X11Atom::TARGETS]) {
        const xcb_atom_t targets[] = {atoms[X11Atom::TARGETS], atoms[X11Atom::UTF8_STRING]};
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, property, XCB_ATOM_ATOM,
                            32, 2, targets);
        answered = true;
      } else if (request->target == atoms[X11Atom::UTF8_STRING] &&
                 ownedText_.size() > kPieceBytes) {
        // INCR: the property says how much is coming; the requestor deletes it to ask for the
        // first piece, which needs its property changes to come to us.
        const auto now = std::chrono::steady_clock::now();
        std::erase_if(outgoing_, [&](const auto& entry) {
          return now - entry.second.started > kOutgoingLimit;
        });
        xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
            c, xcb_get_window_attributes(c, request->requestor), nullptr);
        const uint32_t formerEvents = attributes ? attributes->your_event_mask : 0;
        std::free(attributes);
        outgoing_[{request->requestor, property}] = {ownedText_, 0, now, formerEvents};
        const uint32_t events = formerEvents | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(c, request->requestor, XCB_CW_EVENT_MASK, &events);
        const auto size = static_cast<uint32_t>(ownedText_.size());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, property,
                            atoms[X11Atom::INCR], 32, 1, &size);
        answered = true;
      } else if (request->target == atoms[X11Atom::UTF8_STRING]) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, property,
                            atoms[X11Atom::UTF8_STRING], 8,
                            static_cast<uint32_t>(ownedText_.size()), ownedText_.data());
        answered = true;
      }
    }
  }
  xcb_selection_notify_event_t notify = {};
  notify.response_type = XCB_SELECTION_NOTIFY;
  notify.time = request->time;
  notify.requestor = request->requestor;
  notify.selection = request->selection;
  notify.target = request->target;
  notify.property = answered ? property : XCB_NONE;
  xcb_send_event(c, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT,
                 reinterpret_cast<const char*>(&notify));
  xcb_flush(c);
}

bool X11Selection::sendNextPiece(const xcb_property_notify_event_t* deleted) {
  auto found = outgoing_.find({deleted->window, deleted->atom});
  if (found == outgoing_.end()) return false;
  Outgoing& transfer = found->second;
  const std::size_t size = std::min(kPieceBytes, transfer.text.size() - transfer.sent);
  xcb_connection_t* c = server_.connection;
  // The last piece is an empty one.
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, deleted->window, deleted->atom,
                      server_.atoms[X11Atom::UTF8_STRING], 8, static_cast<uint32_t>(size),
                      transfer.text.data() + transfer.sent);
  transfer.sent += size;
  if (size == 0) {
    // Only what we listened to before still comes to us.
    const uint32_t events = transfer.formerEvents;
    xcb_change_window_attributes(c, deleted->window, XCB_CW_EVENT_MASK, &events);
    outgoing_.erase(found);
  }
  xcb_flush(c);
  return true;
}

void X11Selection::takeConversion(const xcb_selection_notify_event_t* notify) {
  if (notify->property == XCB_NONE) return finishTransfer(std::nullopt);
  xcb_get_property_reply_t* reply = takeProperty(server_.connection, helper_, property_);
  if (!reply) return finishTransfer(std::nullopt);
  if (reply->type == server_.atoms[X11Atom::INCR]) {
    // The pieces follow, each announced by a new value of the property, which deleting it above
    // asked for; an empty piece ends them.
    std::lock_guard lock(mutex_);
    incremental_ = true;
    received_.clear();
  } else if (reply->type == server_.atoms[X11Atom::UTF8_STRING]) {
    finishTransfer(bytesOf(reply));
  } else {
    finishTransfer(std::nullopt);
  }
  std::free(reply);
  xcb_flush(server_.connection);
}

void X11Selection::takePiece() {
  {
    std::lock_guard lock(mutex_);
    if (!incremental_) return;
  }
  xcb_get_property_reply_t* reply = takeProperty(server_.connection, helper_, property_);
  xcb_flush(server_.connection);
  if (!reply) return finishTransfer(std::nullopt);
  const std::string piece = bytesOf(reply);
  std::free(reply);
  if (piece.empty()) {
    std::string whole;
    {
      std::lock_guard lock(mutex_);
      whole = std::move(received_);
    }
    return finishTransfer(std::move(whole));
  }
  std::lock_guard lock(mutex_);
  received_ += piece;
}

void X11Selection::finishTransfer(std::optional<std::string> text) {
  std::lock_guard lock(mutex_);
  incremental_ = false;
  if (transfersDone_ >= transfersAsked_) return; // nobody waits for it any more
  result_ = std::move(text);
  transfersDone_ = transfersAsked_;
  transferred_.notify_all();
}
