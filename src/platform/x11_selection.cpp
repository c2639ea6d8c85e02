#include "platform/x11_selection.h"

#include <xcb/xcb.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace scenova::platform {

namespace {

using Clock = std::chrono::steady_clock;
using Status = SelectionContent::Status;

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

class Connection {
 public:
  explicit Connection(const QByteArray& display)
      : c_(xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screenNumber_)) {}
  ~Connection() {
    if (c_) xcb_disconnect(c_);
  }
  bool ok() const { return c_ && !xcb_connection_has_error(c_); }
  xcb_connection_t* get() const { return c_; }

  // An invisible window to receive the data on.
  xcb_window_t makeWindow() {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c_));
    for (int i = 0; i < screenNumber_ && it.rem > 0; ++i) xcb_screen_next(&it);
    if (it.rem == 0) return XCB_NONE;
    const xcb_window_t w = xcb_generate_id(c_);
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, it.data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, it.data->root_visual, XCB_CW_EVENT_MASK,
                      &events);
    return w;
  }

  xcb_atom_t atom(const QByteArray& name) {
    Reply<xcb_intern_atom_reply_t> r(
        xcb_intern_atom_reply(
            c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(name.size()), name.constData()),
            nullptr),
        &std::free);
    return r ? r->atom : XCB_NONE;
  }

  // The next event that matches, waiting until the deadline; null when
  // none came in time or the connection broke.
  Reply<xcb_generic_event_t> waitFor(
      Clock::time_point deadline, const std::function<bool(const xcb_generic_event_t&)>& wanted) {
    xcb_flush(c_);
    for (;;) {
      while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
        Reply<xcb_generic_event_t> event(e, &std::free);
        if (wanted(*event)) return event;
      }
      if (xcb_connection_has_error(c_)) break;
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) break;
      pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
      ::poll(&p, 1, static_cast<int>(left));
    }
    return {nullptr, &std::free};
  }

 private:
  int screenNumber_ = 0;
  xcb_connection_t* c_;
};

struct Property {
  xcb_atom_t type = XCB_NONE;
  QByteArray data;
};

// Reads and deletes the property.
Property takeProperty(Connection& x, xcb_window_t w, xcb_atom_t property, qsizetype maxBytes) {
  const uint32_t words = static_cast<uint32_t>(maxBytes / 4 + 2);
  Reply<xcb_get_property_reply_t> r(
      xcb_get_property_reply(
          x.get(), xcb_get_property(x.get(), 1, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, words),
          nullptr),
      &std::free);
  Property p;
  if (!r) return p;
  p.type = r->type;
  const int length = xcb_get_property_value_length(r.get());
  p.data = QByteArray(static_cast<const char*>(xcb_get_property_value(r.get())), length);
  // What did not fit is not read: the size alone tells it is too much.
  if (r->bytes_after > 0) p.data.resize(maxBytes + 1);
  return p;
}

bool isSelectionNotify(const xcb_generic_event_t& e) {
  return (e.response_type & 0x7f) == XCB_SELECTION_NOTIFY;
}

// Asks the owner to convert the selection into target on the window's
// property; the property as it came, or the status that stopped it.
Status convert(Connection& x, xcb_window_t w, xcb_atom_t selection, xcb_atom_t target,
               xcb_atom_t property, int ms) {
  xcb_convert_selection(x.get(), w, selection, target, property, XCB_CURRENT_TIME);
  const Reply<xcb_generic_event_t> e =
      x.waitFor(Clock::now() + std::chrono::milliseconds(ms), isSelectionNotify);
  if (!e) return Status::NoAnswer;
  const auto* n = reinterpret_cast<const xcb_selection_notify_event_t*>(e.get());
  return n->property == XCB_NONE ? Status::Empty : Status::Received;
}

// Data sent in pieces: each piece is a new value of the property, the
// empty one ends it.
Status readIncrementally(Connection& x, xcb_window_t w, xcb_atom_t property, int ms,
                         qsizetype maxBytes, QByteArray* data) {
  const auto newValue = [property](const xcb_generic_event_t& e) {
    if ((e.response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
    const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(&e);
    return p->atom == property && p->state == XCB_PROPERTY_NEW_VALUE;
  };
  for (;;) {
    if (!x.waitFor(Clock::now() + std::chrono::milliseconds(ms), newValue)) return Status::NoAnswer;
    const Property piece = takeProperty(x, w, property, maxBytes);
    if (piece.data.isEmpty()) return Status::Received;
    if (data->size() + piece.data.size() > maxBytes) return Status::TooLarge;
    data->append(piece.data);
  }
}

}  // namespace

SelectionContent readX11Selection(const QByteArray& display, bool primary, const QStringList& types,
                                  int ms, qsizetype maxBytes) {
  SelectionContent out;
  Connection x(display);
  if (!x.ok()) {
    out.status = Status::NoDisplay;
    return out;
  }
  const xcb_window_t w = x.makeWindow();
  const xcb_atom_t selection = primary ? xcb_atom_t{XCB_ATOM_PRIMARY} : x.atom("CLIPBOARD");
  const xcb_atom_t property = x.atom("SCENOVA_PASTE");
  Reply<xcb_get_selection_owner_reply_t> owner(
      xcb_get_selection_owner_reply(x.get(), xcb_get_selection_owner(x.get(), selection), nullptr),
      &std::free);
  if (w == XCB_NONE || !owner || owner->owner == XCB_NONE) return out;

  // The offered types, asked for once.
  out.status = convert(x, w, selection, x.atom("TARGETS"), property, ms);
  if (out.status != Status::Received) return out;
  const Property offered = takeProperty(x, w, property, 64 * 1024);
  std::vector<xcb_atom_t> targets(static_cast<size_t>(offered.data.size()) / sizeof(xcb_atom_t));
  if (!targets.empty())
    std::memcpy(targets.data(), offered.data.constData(), targets.size() * sizeof(xcb_atom_t));
  xcb_atom_t chosen = XCB_NONE;
  for (const QString& type : types) {
    const xcb_atom_t a = x.atom(type.toLatin1());
    if (std::find(targets.begin(), targets.end(), a) != targets.end()) {
      chosen = a;
      out.type = type;
      break;
    }
  }
  out.status = Status::Empty;
  if (chosen == XCB_NONE) return out;

  out.status = convert(x, w, selection, chosen, property, ms);
  if (out.status != Status::Received) return out;
  Property first = takeProperty(x, w, property, maxBytes);
  if (first.type == x.atom("INCR")) {
    // The first value is the size the owner expects to send, at least.
    quint32 announced = 0;
    if (first.data.size() >= 4) std::memcpy(&announced, first.data.constData(), 4);
    if (static_cast<qsizetype>(announced) > maxBytes) {
      out.status = Status::TooLarge;
      return out;
    }
    out.status = readIncrementally(x, w, property, ms, maxBytes, &out.data);
  } else if (first.data.size() > maxBytes) {
    out.status = Status::TooLarge;
  } else {
    out.data = std::move(first.data);
  }
  if (out.status != Status::Received) out.data.clear();
  return out;
}

}  // namespace scenova::platform
