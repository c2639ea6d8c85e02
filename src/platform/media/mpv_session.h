#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QVariant>

#include <atomic>
#include <functional>
#include <utility>

#include <mpv/client.h>

namespace scenova::platform {

// One libmpv player instance owned by a QObject that lives on the GUI thread.
//
// Options are applied between mpv_create() and mpv_initialize(); LC_NUMERIC is
// forced to "C" first because libmpv refuses to start otherwise. libmpv's
// wakeup callback runs on foreign threads and only posts one queued call; the
// events are then drained on the GUI thread and forwarded as Qt signals.
//
// For commands that must finish before returning (an audio device "open"),
// waitFor()/waitForEvent() drain mpv_wait_event() directly, bounded in time,
// without re-entering the Qt event loop. Signals are emitted from inside those
// waits too; receivers must not start another wait from a slot.
class MpvSession : public QObject {
  Q_OBJECT
 public:
  using Options = QList<std::pair<QByteArray, QByteArray>>;

  // Creates and initialises the player. On failure isValid() is false,
  // errorText() says why, and every other call fails harmlessly.
  explicit MpvSession(const Options& options, QObject* parent = nullptr);
  ~MpvSession() override;

  MpvSession(const MpvSession&) = delete;
  MpvSession& operator=(const MpvSession&) = delete;

  bool isValid() const { return handle_ != nullptr; }
  QString errorText() const { return errorText_; }
  // The raw handle for calls not wrapped here (render API, hooks); may be null.
  mpv_handle* handle() const { return handle_; }

  // Synchronous command, e.g. command({"loadfile", path}). Returns an mpv
  // error code (0 on success, negative on failure).
  int command(const QList<QByteArray>& args);
  // Asynchronous command; the result arrives as commandReply(replyId, error).
  int commandAsync(const QList<QByteArray>& args, quint64 replyId = 0);

  int setProperty(const char* name, const QByteArray& value);
  int setFlag(const char* name, bool value);
  int setDouble(const char* name, double value);
  // Fire-and-forget variant: returns at once, errors come back as events.
  int setPropertyAsync(const char* name, const QByteArray& value);

  // Property readers; the bool is false when the property is unavailable.
  std::pair<bool, double> getDouble(const char* name) const;
  std::pair<bool, qint64> getInt(const char* name) const;
  std::pair<bool, bool> getFlag(const char* name) const;
  std::pair<bool, QByteArray> getString(const char* name) const;

  // Watches a property; changes arrive as propertyChanged(). format is
  // MPV_FORMAT_DOUBLE, _FLAG, _INT64, _STRING or _NONE (change notices only).
  int observe(const char* name, mpv_format format);

  // Bounded round trips: the request goes out asynchronously and its reply is
  // awaited for at most timeoutMs, so a stuck media engine cannot hang the
  // caller. They return kTimedOut when no reply came in time.
  static constexpr int kTimedOut = -1000;
  int commandWait(const QList<QByteArray>& args, int timeoutMs);
  int setPropertyWait(const char* name, const QByteArray& value, int timeoutMs);
  // Reads a double property into *value; returns 0 or an error / kTimedOut.
  int getDoubleWait(const char* name, double* value, int timeoutMs);
  // Asks for a double property without waiting; the answer arrives as
  // doubleReply(replyId, error, value). replyId must be below 2^48.
  int getDoubleAsync(const char* name, quint64 replyId);

  // Drains events until done() is true or timeoutMs pass; returns done().
  bool waitFor(const std::function<bool()>& done, int timeoutMs);
  // Drains events until match() accepts one (it sees every event after its
  // normal dispatch) or timeoutMs pass; returns whether one was accepted.
  bool waitForEvent(const std::function<bool(const mpv_event&)>& match, int timeoutMs);

  // Gives the engine up without waiting for it: the handle is shut down on a
  // short-lived thread of its own (used when it stopped answering). The
  // session is invalid afterwards.
  void abandon();
  // Ends the engine, waiting at most waitMs for it; an engine that takes
  // longer (held up by a hung sound server) goes on ending on a thread of
  // its own. Returns whether it ended in time. Invalid afterwards.
  bool terminate(int waitMs);
  // What the destructor waits for an engine that was not ended before.
  static constexpr int kEndWaitMs = 300;

  // Handles every queued event now (the wakeup callback schedules this).
  void drainEvents();
  // The same, but only when the engine has announced an event since the
  // last drain: a caller that wants to be up to date before it answers a
  // question asked a hundred times a second pays nothing when nothing came.
  void drainIfPending();

  // A human-readable text for an mpv error code.
  static QString errorName(int code);

 Q_SIGNALS:
  void propertyChanged(const QByteArray& name, const QVariant& value);
  void startFile();
  // The same two events with the playlist entry they belong to (entries are
  // numbered from 1 in the order files were given to "loadfile").
  void fileStarted(qint64 entryId);
  void fileEnded(qint64 entryId, int reason, int error);
  // A file that was a playlist was replaced by the entries it names, which
  // the engine numbered firstId .. firstId + count - 1 (sent before the
  // fileEnded of the playlist itself).
  void entriesInserted(qint64 firstId, int count);
  void fileLoaded();
  // reason is mpv_end_file_reason; error is an mpv error code (0 when none).
  void endFile(int reason, int error);
  // playback-restart: a seek or a load has finished and playback can go on.
  void playbackRestart();
  void idleChanged(bool idle);
  void commandReply(quint64 replyId, int error);
  void doubleReply(quint64 replyId, int error, double value);
  void audioReconfig();
  void videoReconfig();
  // The core is going away (mpv "quit" or a fatal error); the session is dead.
  void shutdown();

 private:
  static void onWakeup(void* self);
  void dispatch(const mpv_event& event);
  void dispatchProperty(const mpv_event_property& property);
  int awaitReply(quint64 id, mpv_event_id kind, int timeoutMs, double* value = nullptr);

  quint64 nextReplyId_ = quint64(1) << 48;  // ids for the bounded round trips
  mpv_handle* handle_ = nullptr;
  QString errorText_;
  std::atomic<bool> drainPosted_{false};
  std::atomic<bool> eventsPending_{true};  // a wakeup came since the last drain began
  bool idle_ = true;
};

}  // namespace scenova::platform
