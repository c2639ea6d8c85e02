#include "mixer_pulse.h"

#include <QElapsedTimer>

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <functional>

namespace scenova::platform {

// Everything here is touched on the connection thread too, so it is only
// used with the main loop's lock held.
struct PulseMixer::Shared {
  pa_threaded_mainloop* loop = nullptr;
  pa_context* context = nullptr;
  std::optional<quint32> pending;  // applied when a new connection comes up
  std::optional<quint32> last;     // the last value set (the knob's)
  pa_time_event* retry = nullptr;  // the next connection attempt, while down
  bool closing = false;
  bool timedOut = false;
  std::optional<quint32> readResult;
  bool readDone = false;
  QElapsedTimer lastConnect;
  QByteArray sink = "@DEFAULT_SINK@";  // the output whose volume this is
};

namespace {

constexpr int kReadTimeoutMs = 1000;

bool sendVolume(pa_context* context, const QByteArray& sink, quint32 value) {
  pa_cvolume volume;
  // One channel: the server scales all channels and keeps their balance.
  pa_cvolume_set(&volume, 1, std::min<quint32>(value, PA_VOLUME_NORM));
  pa_operation* op =
      pa_context_set_sink_volume_by_name(context, sink.constData(), &volume, nullptr, nullptr);
  if (!op) return false;
  pa_operation_unref(op);
  return true;
}

void dropContext(PulseMixer::Shared* s);
void connectAgain(pa_mainloop_api* api, pa_time_event* e, const struct timeval*, void* data);

// While the server is gone, a new connection is tried every kRetryMs; the
// server that comes back (a restart starts it at its own default volume)
// is given the last value set, so the output and the knob agree again.
constexpr int kRetryMs = 1000;

void scheduleRetry(PulseMixer::Shared* s) {
  if (s->retry || s->closing || !s->last) return;
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(s->loop);
  timeval at;
  pa_timeval_add(pa_gettimeofday(&at), pa_usec_t(kRetryMs) * PA_USEC_PER_MSEC);
  s->retry = api->time_new(api, &at, connectAgain, s);
}

void onState(pa_context* context, void* data) {
  auto* s = static_cast<PulseMixer::Shared*>(data);
  const pa_context_state_t state = pa_context_get_state(context);
  if (state == PA_CONTEXT_READY && s->pending) {
    sendVolume(context, s->sink, *s->pending);
    s->pending.reset();
  } else if (!PA_CONTEXT_IS_GOOD(state)) {
    if (s->last && !s->pending) s->pending = s->last;
    scheduleRetry(s);
  }
  pa_threaded_mainloop_signal(s->loop, 0);
}

// On the connection thread, lock held.
void connectAgain(pa_mainloop_api* api, pa_time_event* e, const struct timeval*, void* data) {
  auto* s = static_cast<PulseMixer::Shared*>(data);
  api->time_free(e);
  s->retry = nullptr;
  if (s->closing || (s->context && PA_CONTEXT_IS_GOOD(pa_context_get_state(s->context)))) return;
  dropContext(s);
  s->lastConnect.start();
  s->context = pa_context_new(api, "Scenova");
  if (!s->context) return scheduleRetry(s);
  pa_context_set_state_callback(s->context, onState, s);
  if (pa_context_connect(s->context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
    scheduleRetry(s);
}

void onTimeout(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* data) {
  auto* s = static_cast<PulseMixer::Shared*>(data);
  s->timedOut = true;
  pa_threaded_mainloop_signal(s->loop, 0);
}

void onSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* data) {
  auto* s = static_cast<PulseMixer::Shared*>(data);
  if (info) s->readResult = pa_cvolume_max(&info->volume);
  if (eol != 0) s->readDone = true;
  pa_threaded_mainloop_signal(s->loop, 0);
}

// Waits (lock held) until done() or timeoutMs pass; false on timeout.
bool waitUntil(PulseMixer::Shared* s, const std::function<bool()>& done, int timeoutMs) {
  if (done()) return true;
  s->timedOut = false;
  pa_time_event* timer = pa_context_rttime_new(
      s->context, pa_rtclock_now() + pa_usec_t(timeoutMs) * PA_USEC_PER_MSEC, onTimeout, s);
  while (!done() && !s->timedOut) pa_threaded_mainloop_wait(s->loop);
  if (timer) pa_threaded_mainloop_get_api(s->loop)->time_free(timer);
  return done();
}

void dropContext(PulseMixer::Shared* s) {
  if (!s->context) return;
  pa_context_set_state_callback(s->context, nullptr, nullptr);
  pa_context_disconnect(s->context);
  pa_context_unref(s->context);
  s->context = nullptr;
}

bool isUp(pa_context* context) {
  return context && pa_context_get_state(context) == PA_CONTEXT_READY;
}

}  // namespace

PulseMixer::PulseMixer() : shared_(new Shared) {}

PulseMixer::~PulseMixer() {
  disconnect();
  delete shared_;
}

quint32 PulseMixer::maximum() const {
  return opened_ ? PA_VOLUME_NORM : 0;
}

bool PulseMixer::open() {
  if (opened_) return true;
  if (!loop_) {
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) return false;
    shared_->loop = loop_;
    if (pa_threaded_mainloop_start(loop_) < 0) {
      pa_threaded_mainloop_free(loop_);
      loop_ = nullptr;
      return false;
    }
  }
  // Connecting and the first read share one time limit, so that a server
  // that hangs delays the start by kConnectTimeoutMs at most.
  QElapsedTimer started;
  started.start();
  pa_threaded_mainloop_lock(loop_);
  bool ok = connectContext(true);
  if (ok) {
    // A server without any output has no master volume to set.
    const int left = kConnectTimeoutMs - static_cast<int>(started.elapsed());
    ok = readValueLocked(std::max(left, 50)).has_value();
  }
  if (!ok) dropContext(shared_);
  pa_threaded_mainloop_unlock(loop_);
  opened_ = ok;
  return ok;
}

// Called with the lock held.
bool PulseMixer::connectContext(bool wait) {
  Shared* s = shared_;
  dropContext(s);
  s->lastConnect.start();
  s->context = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Scenova");
  if (!s->context) return false;
  pa_context_set_state_callback(s->context, onState, s);
  if (pa_context_connect(s->context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
  if (!wait) return true;
  waitUntil(
      s, [s] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(s->context)) || isUp(s->context); },
      kConnectTimeoutMs);
  return isUp(s->context);
}

bool PulseMixer::setValue(quint32 value) {
  if (!opened_) return false;
  pa_threaded_mainloop_lock(loop_);
  Shared* s = shared_;
  s->last = value;
  bool sent = false;
  if (isUp(s->context)) {
    sent = sendVolume(s->context, s->sink, value);
  } else {
    s->pending = value;
    const bool failed = !s->context || !PA_CONTEXT_IS_GOOD(pa_context_get_state(s->context));
    // Try the server again at most once a second, without waiting for it.
    if (failed && s->lastConnect.elapsed() >= 1000) connectContext(false);
  }
  pa_threaded_mainloop_unlock(loop_);
  return sent;
}

void PulseMixer::setOutput(const QString& outputName) {
  const QByteArray sink =
      outputName.isEmpty() ? QByteArrayLiteral("@DEFAULT_SINK@") : outputName.toUtf8();
  if (!loop_) {
    shared_->sink = sink;
    return;
  }
  pa_threaded_mainloop_lock(loop_);
  Shared* s = shared_;
  s->sink = sink;
  if (s->last && isUp(s->context)) sendVolume(s->context, s->sink, *s->last);
  pa_threaded_mainloop_unlock(loop_);
}

std::optional<quint32> PulseMixer::readValue() {
  if (!loop_) return std::nullopt;
  pa_threaded_mainloop_lock(loop_);
  const std::optional<quint32> result = readValueLocked(kReadTimeoutMs);
  pa_threaded_mainloop_unlock(loop_);
  return result;
}

std::optional<quint32> PulseMixer::readValueLocked(int timeoutMs) {
  Shared* s = shared_;
  if (!isUp(s->context)) return std::nullopt;
  s->readResult.reset();
  s->readDone = false;
  pa_operation* op =
      pa_context_get_sink_info_by_name(s->context, s->sink.constData(), onSinkInfo, s);
  if (!op) return std::nullopt;
  const bool done = waitUntil(
      s, [s] { return s->readDone; }, timeoutMs);
  if (pa_operation_get_state(op) == PA_OPERATION_RUNNING) pa_operation_cancel(op);
  pa_operation_unref(op);
  return done ? s->readResult : std::nullopt;
}

void PulseMixer::disconnect() {
  if (!loop_) return;
  pa_threaded_mainloop_lock(loop_);
  shared_->closing = true;
  if (shared_->retry) pa_threaded_mainloop_get_api(loop_)->time_free(shared_->retry);
  shared_->retry = nullptr;
  dropContext(shared_);
  pa_threaded_mainloop_unlock(loop_);
  pa_threaded_mainloop_stop(loop_);
  pa_threaded_mainloop_free(loop_);
  loop_ = nullptr;
  opened_ = false;
}

}  // namespace scenova::platform
