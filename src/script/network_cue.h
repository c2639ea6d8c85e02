#pragma once

// Network cues: one OSC message sent when the cue fires, so that a cue in
// the script fires a lighting console's cue or another Scenova's GO on
// another machine.
//
//   [[OSC host:port /address args...]]
//
// host is a name, an IPv4 address or an IPv6 address in brackets; port
// 1..65535; the address starts with "/". The arguments, separated by
// blanks: integers ("3", "-12"), floats (with a point or an exponent:
// "0.5", "1e3") and text in double quotes ("Act 2", no quote inside).
// The keyword is read in any case; the canonical form writes "OSC", the
// numbers as read, floats always with a point.
//
// Sending never waits: the name is looked up and the packet sent away from
// the interface thread, nothing waits for an answer, and a failure comes
// back as a notice, never delaying the next cue.

#include "platform/osc/osc_message.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace scenova::platform {
class OscSender;
}

namespace scenova::script {

struct NetworkCue {
  QString host;
  quint16 port = 0;
  platform::OscMessage message;
  QString canonical;
};

// The network cue a cue's content (blanks trimmed) is; nullopt for any
// other content.
std::optional<NetworkCue> readNetworkCue(QStringView content);

class NetworkCues : public QObject {
  Q_OBJECT
 public:
  // notice: says a failure (the text after "Network cue not sent:").
  explicit NetworkCues(std::function<void(const QString&)> notice, QObject* parent = nullptr);
  ~NetworkCues() override;

  // Hands the message to the sending thread and returns at once. False
  // when it cannot even be encoded (then the notice has been given).
  bool fire(const NetworkCue& cue);

 private:
  std::function<void(const QString&)> notice_;
  std::unique_ptr<platform::OscSender> sender_;  // made at the first cue
};

}  // namespace scenova::script
