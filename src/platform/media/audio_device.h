#pragma once

#include <QString>
#include <QtGlobal>

namespace scenova::platform {

// The audio command device: one text command in, a status code out.
//
// Accepted commands (runs of blanks are one separator, keywords are matched
// without regard to case, the alias is a name chosen at open):
//   close all
//   open "PATH" ALIAS name
//   play name            play name from MS
//   stop name            seek name to start
//   status name position status name length     (reply in milliseconds)
//
// Every call is synchronous and runs on the GUI thread: "open" returns once
// the file is loaded and its length is known; a position query right after a
// play/seek/stop answers the position that was asked for.
class AudioDevice {
public:
  virtual ~AudioDevice() = default;

  // Returns 0 on success or a positive error code. For the two status
  // queries the reply text (decimal milliseconds) goes to *reply when given.
  virtual quint32 sendString(const QString& command, QString* reply = nullptr) = 0;

  // A readable message for every code sendString can return.
  virtual QString errorString(quint32 code) const = 0;
};

}  // namespace scenova::platform
