#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

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
// Every call runs on the GUI thread and returns within a few tens of
// milliseconds even when the sound server hangs: what the engine has not
// done by then goes on in the background. "open" normally returns once the
// file is loaded and its length is known; a position query right after a
// play/seek/stop answers the position that was asked for.
//
// What happens in the background (a load that finishes or fails, a sound
// server that stops answering or goes away) is reported to the event
// handler, on the GUI thread, possibly from inside a call.
class AudioDevice {
 public:
  enum class Event {
    NotResponding,  // the sound system has not answered an action in time
    Responding,     // it answers again after NotResponding
    ServerLost,     // the sound server went away: the open file stopped playing
    Loaded,         // an open that returned before the load finished: it has
    LoadFailed,     // ... or it failed (code: why); the alias answers that code
    NoOutput,       // the file opened has no sound output to play to (no sound
                    // server): it runs, and nothing is heard. Said per file.
  };
  using EventHandler = std::function<void(Event, quint32 code)>;

  virtual ~AudioDevice() = default;

  void setEventHandler(EventHandler handler) { handler_ = std::move(handler); }

  // Returns 0 on success or a positive error code. For the two status
  // queries the reply text (decimal milliseconds) goes to *reply when given.
  virtual quint32 sendString(const QString& command, QString* reply = nullptr) = 0;

  // The two status queries at once, without their text: the counter asks
  // for them a hundred times a second while a cue plays. Answers as
  // "status ALIAS length" and then "status ALIAS position" would: 0 with
  // both numbers set, or the code of the first query that fails.
  virtual quint32 status(const QString& alias, qint64& positionMs, qint64& lengthMs) {
    QString reply;
    const QString prefix = QStringLiteral("status ") + alias;
    if (const quint32 rc = sendString(prefix + QStringLiteral(" length"), &reply)) return rc;
    lengthMs = reply.toLongLong();
    if (const quint32 rc = sendString(prefix + QStringLiteral(" position"), &reply)) return rc;
    positionMs = reply.toLongLong();
    return 0;
  }

  // Sends the sound to an output of the sound server by its name (empty:
  // the server's default output): at once for a file that plays, and for
  // every file opened afterwards.
  virtual void setOutput(const QString& outputName) = 0;

  // The file (an absolute path) a coming "open" will likely name: a device
  // may load it ahead, so that the open then costs next to nothing. Empty:
  // none. Nothing else changes; a device may ignore it.
  virtual void prepare(const QString& path) { (void)path; }
  // A readable message for every code sendString can return.
  virtual QString errorString(quint32 code) const = 0;

 protected:
  void report(Event e, quint32 code = 0) const {
    if (handler_) handler_(e, code);
  }

 private:
  EventHandler handler_;
};

}  // namespace scenova::platform
