// X11Selection: one of the desktop's selections (ICCCM section 2): CLIPBOARD, which Copy and
// Paste use, or PRIMARY, the text last selected, which a middle click pastes. Owning it makes the
// display's helper window the selection's owner, and the event thread hands the text to whoever
// asks for it (UTF8_STRING, with TARGETS), until another client takes the selection over.
// A text larger than one piece goes to its requestor in pieces (INCR), each written when the
// requestor has deleted the one before, so that no request exceeds what the server takes.
// Reading asks the owner to convert it to UTF8_STRING into a property of the helper window of
// the selection's own, and waits for the answer, also when it comes in pieces (INCR).
#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

struct X11Server;

class X11Selection {
public:
  X11Selection(const X11Server& server, xcb_window_t helper, xcb_atom_t selection,
               xcb_atom_t property)
      : server_(server), helper_(helper), selection_(selection), property_(property) {}

  // Owns the selection with this text from time on (a server time; not CurrentTime, which a
  // late request could overtake). False when the server gave the selection to someone else.
  bool own(std::string utf8, xcb_timestamp_t time);
  // The selection's text: ours when we own it, else the owner's, waited for up to limit;
  // nullopt when there is no owner, it has no text, or it did not answer in time.
  std::optional<std::string> read(xcb_timestamp_t time, std::chrono::milliseconds limit);
  // Takes the selection events (and the pieces of a transfer to the helper window); false for
  // any other event. On the event thread.
  bool handleEvent(const xcb_generic_event_t* event);

private:
  void answerRequest(const xcb_selection_request_event_t* request);
  void takeConversion(const xcb_selection_notify_event_t* notify);
  void takePiece();
  void finishTransfer(std::optional<std::string> text);
  // Writes the next piece of an outgoing transfer once the requestor took the last; false when
  // the event belongs to none.
  bool sendNextPiece(const xcb_property_notify_event_t* deleted);

  // A text going to a requestor in pieces, known by the requestor's window and property.
  struct Outgoing {
    std::string text;
    std::size_t sent = 0;
    std::chrono::steady_clock::time_point started;
    // What we listened to on the requestor's window before (it may be a window we watch).
    uint32_t formerEvents = 0;
  };
  std::map<std::pair<xcb_window_t, xcb_atom_t>, Outgoing> outgoing_; // event thread only

  const X11Server& server_;
  const xcb_window_t helper_;
  const xcb_atom_t selection_, property_;
  std::mutex mutex_;
  std::condition_variable transferred_;
  // What we own, while the server says we own it.
  bool owned_ = false;
  std::string ownedText_;
  // The transfer under way to the helper window: asked for, coming in pieces, and its result.
  uint64_t transfersAsked_ = 0, transfersDone_ = 0;
  bool incremental_ = false;
  std::string received_;
  std::optional<std::string> result_;
};
