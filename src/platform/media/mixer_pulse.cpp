#include "mixer_pulse.h"

#include "pulse_link.h"

#include <QElapsedTimer>

#include <pulse/pulseaudio.h>

#include <algorithm>

namespace scenova::platform {

namespace {

constexpr int kReadTimeoutMs = 1000;
// While the server is gone, a new connection is tried every kRetryMs; the
// server that comes back (a restart starts it at its own default volume)
// is given the last value set, so the output and the knob agree again.
constexpr int kRetryMs = 1000;

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

}  // namespace

// Everything here is touched on the connection thread too, so it is only
// used with the link's lock held.
struct PulseMixer::Shared {
  PulseLink link{"Scenova", [this](pa_context* context) { onState(context); }};
  std::optional<quint32> pending;  // applied when a new connection comes up
  std::optional<quint32> last;     // the last value set (the knob's)
  std::optional<quint32> readResult;
  bool readDone = false;
  QElapsedTimer lastConnect;
  QByteArray sink = "@DEFAULT_SINK@";  // the output whose volume this is

  void onState(pa_context* context) {
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY && pending) {
      sendVolume(context, sink, *pending);
      pending.reset();
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
      if (last && !pending) pending = last;
      scheduleRetry();
    }
  }
  void scheduleRetry() {
    if (last) link.retryIn(kRetryMs, [this] { connectAgain(); });
  }
  // On the connection thread.
  void connectAgain() {
    if (!link.isDown()) return;
    if (!connect()) scheduleRetry();
  }
  bool connect() {
    lastConnect.start();
    return link.connect();
  }
  static void onSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* data) {
    auto* s = static_cast<Shared*>(data);
    if (info) s->readResult = pa_cvolume_max(&info->volume);
    if (eol != 0) s->readDone = true;
    s->link.wake();
  }
};

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
  PulseLink& link = shared_->link;
  if (!link.start()) return false;
  // Connecting and the first read share one time limit, so that a server
  // that hangs delays the start by kConnectTimeoutMs at most.
  QElapsedTimer started;
  started.start();
  PulseLink::Lock lock(link);
  bool ok = shared_->connect();
  if (ok) {
    link.waitUntil([&link] { return link.isDown() || link.isUp(); }, kConnectTimeoutMs);
    ok = link.isUp();
  }
  if (ok) {
    // A server without any output has no master volume to set.
    const int left = kConnectTimeoutMs - static_cast<int>(started.elapsed());
    ok = readValueLocked(std::max(left, 50)).has_value();
  }
  if (!ok) link.drop();
  opened_ = ok;
  return ok;
}

bool PulseMixer::setValue(quint32 value) {
  if (!opened_) return false;
  Shared* s = shared_;
  PulseLink::Lock lock(s->link);
  s->last = value;
  if (s->link.isUp()) return sendVolume(s->link.context(), s->sink, value);
  s->pending = value;
  // Try the server again at most once a second, without waiting for it.
  if (s->link.isDown() && s->lastConnect.elapsed() >= kRetryMs) s->connect();
  return false;
}

void PulseMixer::setOutput(const QString& outputName) {
  const QByteArray sink =
      outputName.isEmpty() ? QByteArrayLiteral("@DEFAULT_SINK@") : outputName.toUtf8();
  Shared* s = shared_;
  PulseLink::Lock lock(s->link);
  s->sink = sink;
  if (s->last && s->link.isUp()) sendVolume(s->link.context(), s->sink, *s->last);
}

std::optional<quint32> PulseMixer::readValue() {
  if (!shared_->link.started()) return std::nullopt;
  PulseLink::Lock lock(shared_->link);
  return readValueLocked(kReadTimeoutMs);
}

std::optional<quint32> PulseMixer::readValueLocked(int timeoutMs) {
  Shared* s = shared_;
  if (!s->link.isUp()) return std::nullopt;
  s->readResult.reset();
  s->readDone = false;
  pa_operation* op = pa_context_get_sink_info_by_name(s->link.context(), s->sink.constData(),
                                                      Shared::onSinkInfo, s);
  if (!op) return std::nullopt;
  const bool done = s->link.waitUntil([s] { return s->readDone; }, timeoutMs);
  if (pa_operation_get_state(op) == PA_OPERATION_RUNNING) pa_operation_cancel(op);
  pa_operation_unref(op);
  return done ? s->readResult : std::nullopt;
}

void PulseMixer::disconnect() {
  shared_->link.stop();
  opened_ = false;
}

}  // namespace scenova::platform
