#pragma once

// What the program answers over Open Sound Control, widget-free: which
// command a message asks for, whether show mode allows it, and who gets
// the show's state.
//
//   /scenova/go            GO, as Space in show mode
//   /scenova/stop          Stop all (also outside show mode)
//   /scenova/next          the next-cue mark one cue on
//   /scenova/previous      one cue back
//   /scenova/first         to the first cue
//   /scenova/cue ,s TEXT   fires the first cue whose text is TEXT
//   /scenova/subscribe     the sender gets /scenova/state now and at every
//                          change (at most 20 a second) until
//   /scenova/unsubscribe   or 60 s without a message from it
//   /scenova/ping          answered with /scenova/pong
//
// The commands take no arguments; one number is allowed for controllers
// whose buttons send 1 when pressed and 0 when released: 0 does nothing.
// Cue-firing and mark-moving commands act only in show mode; outside it
// they change nothing and the target says so. Anything else is dropped and
// counted.

#include "platform/osc/osc_message.h"

#include <QHash>
#include <QString>

#include <optional>

namespace scenova::remote {

enum class RemoteCommand { Go, Stop, Next, Previous, First, Cue, Subscribe, Unsubscribe, Ping };

struct RemoteRequest {
  RemoteCommand command = RemoteCommand::Go;
  QString text;  // the cue text of Cue
};

// The command a message asks for; nullopt for an unknown address or wrong
// arguments. A press-release controller's 0 reads as no request and sets
// *release.
std::optional<RemoteRequest> readRequest(const platform::OscMessage& message,
                                         bool* release = nullptr);

// Whether the command acts only in show mode.
bool needsShowMode(RemoteCommand command);

// What a subscriber is told.
struct ShowState {
  QString nextCue;     // the marked cue's text; empty outside show mode or past the end
  QString lastCue;     // the last cue fired
  bool audio = false;  // audio plays
  bool video = false;  // video plays
  QString counter;     // the audio counter as shown
  friend bool operator==(const ShowState&, const ShowState&) = default;
};

// /scenova/state ,ssiis next last audio video counter
platform::OscMessage stateMessage(const ShowState& state);

// What the commands act on: the show, and the way back to a sender.
class RemoteTarget {
 public:
  virtual ~RemoteTarget() = default;
  virtual bool inShow() const = 0;
  virtual void go() = 0;
  virtual void stopAll() = 0;
  virtual void markNext() = 0;
  virtual void markPrevious() = 0;
  virtual void markFirst() = 0;
  // Fires the first cue with this text; false when there is none.
  virtual bool fireCue(const QString& text) = 0;
  // A command that needs show mode came outside it (or a cue was not found).
  virtual void refused(RemoteCommand command) = 0;
  // Sends a message back to a sender ("address:port").
  virtual void reply(const QString& sender, const platform::OscMessage& message) = 0;
  virtual ShowState state() const = 0;
};

class RemoteDispatch {
 public:
  static constexpr qint64 kSubscriptionMs = 60000;
  static constexpr qint64 kStateIntervalMs = 50;  // 20 a second
  static constexpr int kMaxSubscribers = 16;

  explicit RemoteDispatch(RemoteTarget& target) : target_(target) {}

  // Carries one message from sender out; now is a steady clock in
  // milliseconds. False when the message was dropped (and counted).
  bool handle(const platform::OscMessage& message, const QString& sender, qint64 now);
  // Carries a command out that came another way (MIDI): the same rules.
  void perform(const RemoteRequest& request, qint64 now, const QString& sender = {});

  // Sends the state to the subscribers when it changed since they were last
  // told, unless that was less than kStateIntervalMs ago (false: try again
  // later); forgets subscribers silent for kSubscriptionMs.
  bool publish(qint64 now);
  bool hasSubscribers() const { return !subscribers_.isEmpty(); }
  int subscribers() const { return static_cast<int>(subscribers_.size()); }

  quint64 dropped() const { return dropped_; }
  void countDropped(quint64 n = 1) { dropped_ += n; }

 private:
  void subscribe(const QString& sender, qint64 now);

  RemoteTarget& target_;
  QHash<QString, qint64> subscribers_;  // sender -> when it was last heard
  std::optional<ShowState> told_;       // what the subscribers were last told
  qint64 toldAt_ = 0;
  quint64 dropped_ = 0;
};

}  // namespace scenova::remote
