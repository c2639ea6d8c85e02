#include "mpv_session.h"

#include <QDeadlineTimer>
#include <QMetaObject>
#include <QString>

#include <chrono>
#include <clocale>
#include <future>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

namespace scenova::platform {

namespace {

// Reply id of the property this class watches for itself.
constexpr quint64 kIdleObserver = 0x5ce0'0001;

std::vector<const char*> argv(const QList<QByteArray>& args) {
  std::vector<const char*> out;
  out.reserve(static_cast<size_t>(args.size()) + 1);
  for (const QByteArray& a : args) out.push_back(a.constData());
  out.push_back(nullptr);
  return out;
}

}  // namespace

MpvSession::MpvSession(const Options& options, QObject* parent) : QObject(parent) {
  // libmpv refuses to initialise unless numbers are parsed the C way.
  std::setlocale(LC_NUMERIC, "C");
  mpv_handle* h = mpv_create();
  if (!h) {
    errorText_ = QStringLiteral("The media engine could not be created.");
    return;
  }
  for (const auto& [name, value] : options) {
    const int rc = mpv_set_option_string(h, name.constData(), value.constData());
    if (rc < 0) {
      errorText_ = QStringLiteral("Option %1=%2 refused: %3")
                       .arg(QString::fromUtf8(name), QString::fromUtf8(value), errorName(rc));
      mpv_terminate_destroy(h);
      return;
    }
  }
  const int rc = mpv_initialize(h);
  if (rc < 0) {
    errorText_ = QStringLiteral("The media engine did not start: %1").arg(errorName(rc));
    mpv_terminate_destroy(h);
    return;
  }
  handle_ = h;
  mpv_observe_property(handle_, kIdleObserver, "idle-active", MPV_FORMAT_FLAG);
  mpv_set_wakeup_callback(handle_, &MpvSession::onWakeup, this);
}

void MpvSession::abandon() {
  if (!handle_) return;
  mpv_handle* h = handle_;
  handle_ = nullptr;
  mpv_set_wakeup_callback(h, nullptr, nullptr);
  std::thread([h] { mpv_terminate_destroy(h); }).detach();
}

bool MpvSession::terminate(int waitMs) {
  if (!handle_) return true;
  mpv_handle* h = std::exchange(handle_, nullptr);
  // After this returns no callback is running or will run, so no call can be
  // posted to this object any more; already posted ones die with it.
  mpv_set_wakeup_callback(h, nullptr, nullptr);
  auto ended = std::make_shared<std::promise<void>>();
  std::future<void> done = ended->get_future();
  std::thread([h, ended] {
    mpv_terminate_destroy(h);
    ended->set_value();
  }).detach();
  return done.wait_for(std::chrono::milliseconds(waitMs)) == std::future_status::ready;
}

MpvSession::~MpvSession() {
  // A program that leaves while the sound server hangs must still end.
  if (handle_ && !terminate(kEndWaitMs))
    qWarning("Media engine: still ending in the background (the sound server does not answer)");
}

void MpvSession::onWakeup(void* self) {
  auto* session = static_cast<MpvSession*>(self);
  session->eventsPending_ = true;
  // Post at most one drain at a time; the drain empties the whole queue.
  if (session->drainPosted_.exchange(true)) return;
  QMetaObject::invokeMethod(session, &MpvSession::drainEvents, Qt::QueuedConnection);
}

void MpvSession::drainIfPending() {
  if (eventsPending_) drainEvents();
}

void MpvSession::drainEvents() {
  drainPosted_ = false;
  eventsPending_ = false;
  if (!handle_) return;
  for (;;) {
    const mpv_event* ev = mpv_wait_event(handle_, 0);
    if (ev->event_id == MPV_EVENT_NONE) break;
    dispatch(*ev);
    if (ev->event_id == MPV_EVENT_SHUTDOWN) break;
  }
}

bool MpvSession::waitFor(const std::function<bool()>& done, int timeoutMs) {
  if (done()) return true;
  return waitForEvent([&done](const mpv_event&) { return done(); }, timeoutMs) || done();
}

bool MpvSession::waitForEvent(const std::function<bool(const mpv_event&)>& match, int timeoutMs) {
  if (!handle_) return false;
  QDeadlineTimer deadline(timeoutMs);
  for (;;) {
    const qint64 left = deadline.remainingTime();
    const mpv_event* ev = mpv_wait_event(handle_, left <= 0 ? 0.0 : double(left) / 1000.0);
    if (ev->event_id == MPV_EVENT_NONE) {
      if (deadline.hasExpired()) return false;
      continue;
    }
    dispatch(*ev);
    if (match(*ev)) return true;
    if (ev->event_id == MPV_EVENT_SHUTDOWN) return false;
  }
}

void MpvSession::dispatch(const mpv_event& event) {
  switch (event.event_id) {
    case MPV_EVENT_PROPERTY_CHANGE:
      dispatchProperty(*static_cast<const mpv_event_property*>(event.data));
      break;
    case MPV_EVENT_START_FILE:
      Q_EMIT startFile();
      Q_EMIT fileStarted(static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id);
      break;
    case MPV_EVENT_FILE_LOADED:
      Q_EMIT fileLoaded();
      break;
    case MPV_EVENT_END_FILE: {
      const auto* end = static_cast<const mpv_event_end_file*>(event.data);
      if (end->reason == MPV_END_FILE_REASON_REDIRECT && end->playlist_insert_num_entries > 0)
        Q_EMIT entriesInserted(end->playlist_insert_id, end->playlist_insert_num_entries);
      Q_EMIT endFile(end->reason, end->reason == MPV_END_FILE_REASON_ERROR ? end->error : 0);
      Q_EMIT fileEnded(end->playlist_entry_id, end->reason,
                       end->reason == MPV_END_FILE_REASON_ERROR ? end->error : 0);
      break;
    }
    case MPV_EVENT_PLAYBACK_RESTART:
      Q_EMIT playbackRestart();
      break;
    case MPV_EVENT_COMMAND_REPLY:
      // Replies to the bounded round trips are taken by awaitReply().
      if (event.reply_userdata < (quint64(1) << 48)) {
        Q_EMIT commandReply(event.reply_userdata, event.error);
      }
      break;
    case MPV_EVENT_GET_PROPERTY_REPLY:
      if (event.reply_userdata < (quint64(1) << 48)) {
        const auto* p = static_cast<const mpv_event_property*>(event.data);
        const bool isDouble = event.error >= 0 && p->format == MPV_FORMAT_DOUBLE;
        Q_EMIT doubleReply(
            event.reply_userdata,
            isDouble ? 0 : (event.error < 0 ? event.error : MPV_ERROR_PROPERTY_UNAVAILABLE),
            isDouble ? *static_cast<const double*>(p->data) : 0.0);
      }
      break;
    case MPV_EVENT_AUDIO_RECONFIG:
      Q_EMIT audioReconfig();
      break;
    case MPV_EVENT_VIDEO_RECONFIG:
      Q_EMIT videoReconfig();
      break;
    case MPV_EVENT_SHUTDOWN:
      Q_EMIT shutdown();
      break;
    default:
      break;
  }
}

void MpvSession::dispatchProperty(const mpv_event_property& p) {
  QVariant value;
  switch (p.format) {
    case MPV_FORMAT_DOUBLE:
      value = *static_cast<const double*>(p.data);
      break;
    case MPV_FORMAT_FLAG:
      value = *static_cast<const int*>(p.data) != 0;
      break;
    case MPV_FORMAT_INT64:
      value = qint64(*static_cast<const int64_t*>(p.data));
      break;
    case MPV_FORMAT_STRING:
      value = QString::fromUtf8(*static_cast<const char* const*>(p.data));
      break;
    default:
      break;  // unavailable or a change notice only: an invalid QVariant
  }
  if (p.name && qstrcmp(p.name, "idle-active") == 0 && value.isValid()) {
    const bool idle = value.toBool();
    if (idle != idle_) {
      idle_ = idle;
      Q_EMIT idleChanged(idle);
    }
  }
  Q_EMIT propertyChanged(QByteArray(p.name), value);
}

int MpvSession::command(const QList<QByteArray>& args) {
  if (!handle_) return MPV_ERROR_UNINITIALIZED;
  auto v = argv(args);
  return mpv_command(handle_, v.data());
}

int MpvSession::commandAsync(const QList<QByteArray>& args, quint64 replyId) {
  if (!handle_) return MPV_ERROR_UNINITIALIZED;
  auto v = argv(args);
  return mpv_command_async(handle_, replyId, v.data());
}

int MpvSession::awaitReply(quint64 id, mpv_event_id kind, int timeoutMs, double* value) {
  int result = kTimedOut;
  waitForEvent(
      [&](const mpv_event& ev) {
        if (ev.event_id != kind || ev.reply_userdata != id) return false;
        result = ev.error;
        if (value && ev.error >= 0) {
          const auto* p = static_cast<const mpv_event_property*>(ev.data);
          if (p->format == MPV_FORMAT_DOUBLE) {
            *value = *static_cast<const double*>(p->data);
          } else {
            result = MPV_ERROR_PROPERTY_UNAVAILABLE;
          }
        }
        return true;
      },
      timeoutMs);
  return result;
}

int MpvSession::commandWait(const QList<QByteArray>& args, int timeoutMs) {
  const quint64 id = nextReplyId_++;
  const int rc = commandAsync(args, id);
  return rc < 0 ? rc : awaitReply(id, MPV_EVENT_COMMAND_REPLY, timeoutMs);
}

int MpvSession::setPropertyWait(const char* name, const QByteArray& value, int timeoutMs) {
  if (!handle_) return MPV_ERROR_UNINITIALIZED;
  const quint64 id = nextReplyId_++;
  const char* text = value.constData();
  const int rc = mpv_set_property_async(handle_, id, name, MPV_FORMAT_STRING, &text);
  return rc < 0 ? rc : awaitReply(id, MPV_EVENT_SET_PROPERTY_REPLY, timeoutMs);
}

int MpvSession::getDoubleWait(const char* name, double* value, int timeoutMs) {
  if (!handle_) return MPV_ERROR_UNINITIALIZED;
  const quint64 id = nextReplyId_++;
  const int rc = mpv_get_property_async(handle_, id, name, MPV_FORMAT_DOUBLE);
  return rc < 0 ? rc : awaitReply(id, MPV_EVENT_GET_PROPERTY_REPLY, timeoutMs, value);
}

int MpvSession::getDoubleAsync(const char* name, quint64 replyId) {
  if (!handle_) return MPV_ERROR_UNINITIALIZED;
  return mpv_get_property_async(handle_, replyId, name, MPV_FORMAT_DOUBLE);
}

int MpvSession::setProperty(const char* name, const QByteArray& value) {
  if (!handle_) return MPV_ERROR_UNINITIALIZED;
  return mpv_set_property_string(handle_, name, value.constData());
}

int MpvSession::setFlag(const char* name, bool value) {
  if (!handle_) return MPV_ERROR_UNINITIALIZED;
  int flag = value ? 1 : 0;
  return mpv_set_property(handle_, name, MPV_FORMAT_FLAG, &flag);
}

int MpvSession::setDouble(const char* name, double value) {
  if (!handle_) return MPV_ERROR_UNINITIALIZED;
  return mpv_set_property(handle_, name, MPV_FORMAT_DOUBLE, &value);
}

int MpvSession::setPropertyAsync(const char* name, const QByteArray& value) {
  if (!handle_) return MPV_ERROR_UNINITIALIZED;
  const char* text = value.constData();
  return mpv_set_property_async(handle_, 0, name, MPV_FORMAT_STRING, &text);
}

std::pair<bool, double> MpvSession::getDouble(const char* name) const {
  double v = 0;
  const bool ok = handle_ && mpv_get_property(handle_, name, MPV_FORMAT_DOUBLE, &v) >= 0;
  return {ok, ok ? v : 0.0};
}

std::pair<bool, qint64> MpvSession::getInt(const char* name) const {
  int64_t v = 0;
  const bool ok = handle_ && mpv_get_property(handle_, name, MPV_FORMAT_INT64, &v) >= 0;
  return {ok, ok ? qint64(v) : 0};
}

std::pair<bool, bool> MpvSession::getFlag(const char* name) const {
  int v = 0;
  const bool ok = handle_ && mpv_get_property(handle_, name, MPV_FORMAT_FLAG, &v) >= 0;
  return {ok, ok && v != 0};
}

std::pair<bool, QByteArray> MpvSession::getString(const char* name) const {
  if (!handle_) return {false, {}};
  char* text = mpv_get_property_string(handle_, name);
  if (!text) return {false, {}};
  QByteArray out(text);
  mpv_free(text);
  return {true, out};
}

int MpvSession::observe(const char* name, mpv_format format) {
  if (!handle_) return MPV_ERROR_UNINITIALIZED;
  return mpv_observe_property(handle_, 0, name, format);
}

QString MpvSession::errorName(int code) {
  return QString::fromUtf8(mpv_error_string(code));
}

}  // namespace scenova::platform
