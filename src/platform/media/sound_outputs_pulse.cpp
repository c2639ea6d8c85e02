#include "sound_outputs_pulse.h"

#include <pulse/pulseaudio.h>

#include <QMetaObject>

namespace scenova::platform {

QByteArray mpvAudioDevice(const QString& outputName) {
  if (outputName.isEmpty()) return QByteArrayLiteral("auto");
  return QByteArrayLiteral("pulse/") + outputName.toUtf8();
}

// Everything here is touched on the connection thread too, so it is only
// used with the main loop's lock held.
struct PulseSoundOutputs::Shared {
  PulseSoundOutputs* owner = nullptr;
  pa_threaded_mainloop* loop = nullptr;
  pa_context* context = nullptr;
  pa_time_event* retry = nullptr;
  bool closing = false;
  bool failed = false;     // the last connection attempt failed
  bool listing = false;    // a list request is under way
  bool listAgain = false;  // ... and another change came meanwhile
  bool haveList = false;   // latest holds the server's answer
  bool timedOut = false;   // a bounded wait of the GUI thread ran out
  QList<SoundOutput> building;
  QList<SoundOutput> latest;
};

namespace {

using Shared = PulseSoundOutputs::Shared;

constexpr int kRetryMs = 1000;

void connectNow(Shared* s);
void requestList(Shared* s);

void onRetry(pa_mainloop_api* api, pa_time_event* e, const struct timeval*, void* data) {
  auto* s = static_cast<Shared*>(data);
  api->time_free(e);
  s->retry = nullptr;
  if (!s->closing) connectNow(s);
}

void scheduleRetry(Shared* s) {
  if (s->retry || s->closing) return;
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(s->loop);
  timeval at;
  pa_timeval_add(pa_gettimeofday(&at), pa_usec_t(kRetryMs) * PA_USEC_PER_MSEC);
  s->retry = api->time_new(api, &at, onRetry, s);
}

void dropContext(Shared* s) {
  if (!s->context) return;
  pa_context_set_state_callback(s->context, nullptr, nullptr);
  pa_context_set_subscribe_callback(s->context, nullptr, nullptr);
  pa_context_disconnect(s->context);
  pa_context_unref(s->context);
  s->context = nullptr;
  s->listing = s->listAgain = false;
}

void onSink(pa_context*, const pa_sink_info* info, int eol, void* data) {
  auto* s = static_cast<Shared*>(data);
  if (info) {
    const QString description = QString::fromUtf8(info->description ? info->description : "");
    const QString name = QString::fromUtf8(info->name ? info->name : "");
    s->building.append({name, description.isEmpty() ? name : description});
  }
  if (eol == 0) return;
  s->listing = false;
  if (eol > 0) {
    s->latest = s->building;
    s->haveList = true;
    // To the GUI thread; the owner stops this thread before it goes.
    PulseSoundOutputs* owner = s->owner;
    QMetaObject::invokeMethod(
        owner, [owner] { Q_EMIT owner->changed(); }, Qt::QueuedConnection);
  }
  s->building.clear();
  pa_threaded_mainloop_signal(s->loop, 0);
  if (std::exchange(s->listAgain, false)) requestList(s);
}

void requestList(Shared* s) {
  if (!s->context || pa_context_get_state(s->context) != PA_CONTEXT_READY) return;
  if (s->listing) {
    s->listAgain = true;
    return;
  }
  s->building.clear();
  pa_operation* op = pa_context_get_sink_info_list(s->context, onSink, s);
  if (!op) return;
  s->listing = true;
  pa_operation_unref(op);
}

void onEvent(pa_context*, pa_subscription_event_type_t type, uint32_t, void* data) {
  auto* s = static_cast<Shared*>(data);
  const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
  const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
  // Volume changes (every step of a fade) are "change" events: only an
  // output that comes or goes is read again.
  if (facility == PA_SUBSCRIPTION_EVENT_SINK && kind != PA_SUBSCRIPTION_EVENT_CHANGE)
    requestList(s);
}

void onState(pa_context* context, void* data) {
  auto* s = static_cast<Shared*>(data);
  const pa_context_state_t state = pa_context_get_state(context);
  if (state == PA_CONTEXT_READY) {
    s->failed = false;
    pa_context_set_subscribe_callback(context, onEvent, s);
    if (pa_operation* op =
            pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SINK, nullptr, nullptr))
      pa_operation_unref(op);
    requestList(s);
  } else if (!PA_CONTEXT_IS_GOOD(state)) {
    s->failed = true;
    s->listing = s->listAgain = false;
    scheduleRetry(s);
  }
  pa_threaded_mainloop_signal(s->loop, 0);
}

void connectNow(Shared* s) {
  dropContext(s);
  s->context = pa_context_new(pa_threaded_mainloop_get_api(s->loop), "Scenova outputs");
  if (!s->context) {
    s->failed = true;
    return scheduleRetry(s);
  }
  pa_context_set_state_callback(s->context, onState, s);
  if (pa_context_connect(s->context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    s->failed = true;
    scheduleRetry(s);
  }
}

void onTimeout(pa_mainloop_api* api, pa_time_event* e, const struct timeval*, void* data) {
  auto* s = static_cast<Shared*>(data);
  api->time_free(e);
  s->timedOut = true;
  pa_threaded_mainloop_signal(s->loop, 0);
}

}  // namespace

PulseSoundOutputs::PulseSoundOutputs(QObject* parent) : SoundOutputs(parent), shared_(new Shared) {
  shared_->owner = this;
}

PulseSoundOutputs::~PulseSoundOutputs() {
  stop();
  delete shared_;
}

void PulseSoundOutputs::start() {
  if (loop_) return;
  loop_ = pa_threaded_mainloop_new();
  if (!loop_) return;
  shared_->loop = loop_;
  if (pa_threaded_mainloop_start(loop_) < 0) {
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
    return;
  }
  pa_threaded_mainloop_lock(loop_);
  connectNow(shared_);
  pa_threaded_mainloop_unlock(loop_);
}

QList<SoundOutput> PulseSoundOutputs::list(int waitMs) {
  if (!loop_) return {};
  Shared* s = shared_;
  pa_threaded_mainloop_lock(loop_);
  if (!s->haveList && !s->failed && waitMs > 0) {
    s->timedOut = false;
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
    timeval at;
    pa_timeval_add(pa_gettimeofday(&at), pa_usec_t(waitMs) * PA_USEC_PER_MSEC);
    pa_time_event* timer = api->time_new(api, &at, onTimeout, s);
    while (!s->haveList && !s->failed && !s->timedOut) pa_threaded_mainloop_wait(loop_);
    if (!s->timedOut && timer) api->time_free(timer);
  }
  const QList<SoundOutput> result = s->haveList ? s->latest : QList<SoundOutput>();
  pa_threaded_mainloop_unlock(loop_);
  return result;
}

bool PulseSoundOutputs::known() const {
  if (!loop_) return false;
  pa_threaded_mainloop_lock(loop_);
  const bool have = shared_->haveList;
  pa_threaded_mainloop_unlock(loop_);
  return have;
}

void PulseSoundOutputs::stop() {
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
}

}  // namespace scenova::platform
