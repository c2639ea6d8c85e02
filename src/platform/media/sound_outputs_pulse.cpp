#include "sound_outputs_pulse.h"

#include "pulse_link.h"

#include <pulse/pulseaudio.h>

#include <QMetaObject>

#include <utility>

namespace scenova::platform {

QByteArray mpvAudioDevice(const QString& outputName) {
  if (outputName.isEmpty()) return QByteArrayLiteral("auto");
  return QByteArrayLiteral("pulse/") + outputName.toUtf8();
}

namespace {

constexpr int kRetryMs = 1000;

}  // namespace

// Everything here is touched on the connection thread too, so it is only
// used with the link's lock held.
struct PulseSoundOutputs::Shared {
  PulseSoundOutputs* owner = nullptr;
  PulseLink link{"Scenova outputs", [this](pa_context* context) { onState(context); }};
  bool failed = false;     // the last connection attempt failed
  bool listing = false;    // a list request is under way
  bool listAgain = false;  // ... and another change came meanwhile
  bool haveList = false;   // latest holds the server's answer
  QList<SoundOutput> building;
  QList<SoundOutput> latest;

  void connectNow() {
    listing = listAgain = false;
    if (!link.connect()) {
      failed = true;
      link.retryIn(kRetryMs, [this] { connectNow(); });
    }
  }
  void onState(pa_context* context) {
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) {
      failed = false;
      pa_context_set_subscribe_callback(context, onEvent, this);
      if (pa_operation* op =
              pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SINK, nullptr, nullptr))
        pa_operation_unref(op);
      requestList();
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
      failed = true;
      listing = listAgain = false;
      link.retryIn(kRetryMs, [this] { connectNow(); });
    }
  }
  void requestList() {
    if (!link.isUp()) return;
    if (listing) {
      listAgain = true;
      return;
    }
    building.clear();
    pa_operation* op = pa_context_get_sink_info_list(link.context(), onSink, this);
    if (!op) return;
    listing = true;
    pa_operation_unref(op);
  }
  static void onEvent(pa_context*, pa_subscription_event_type_t type, uint32_t, void* data) {
    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    // Volume changes (every step of a fade) are "change" events: only an
    // output that comes or goes is read again.
    if (facility == PA_SUBSCRIPTION_EVENT_SINK && kind != PA_SUBSCRIPTION_EVENT_CHANGE)
      static_cast<Shared*>(data)->requestList();
  }
  static void onSink(pa_context*, const pa_sink_info* info, int eol, void* data) {
    static_cast<Shared*>(data)->take(info, eol);
  }
  void take(const pa_sink_info* info, int eol) {
    if (info) {
      const QString description = QString::fromUtf8(info->description ? info->description : "");
      const QString name = QString::fromUtf8(info->name ? info->name : "");
      building.append({name, description.isEmpty() ? name : description});
    }
    if (eol == 0) return;
    listing = false;
    if (eol > 0) {
      latest = building;
      haveList = true;
      // To the GUI thread; the owner stops this thread before it goes.
      PulseSoundOutputs* o = owner;
      QMetaObject::invokeMethod(
          o, [o] { Q_EMIT o->changed(); }, Qt::QueuedConnection);
    }
    building.clear();
    link.wake();
    if (std::exchange(listAgain, false)) requestList();
  }
};

PulseSoundOutputs::PulseSoundOutputs(QObject* parent) : SoundOutputs(parent), shared_(new Shared) {
  shared_->owner = this;
}

PulseSoundOutputs::~PulseSoundOutputs() {
  shared_->link.stop();
  delete shared_;
}

void PulseSoundOutputs::start() {
  if (shared_->link.started() || !shared_->link.start()) return;
  PulseLink::Lock lock(shared_->link);
  shared_->connectNow();
}

QList<SoundOutput> PulseSoundOutputs::list(int waitMs) {
  Shared* s = shared_;
  if (!s->link.started()) return {};
  PulseLink::Lock lock(s->link);
  if (!s->haveList && !s->failed && waitMs > 0)
    s->link.waitUntil([s] { return s->haveList || s->failed; }, waitMs);
  return s->haveList ? s->latest : QList<SoundOutput>();
}

bool PulseSoundOutputs::known() const {
  if (!shared_->link.started()) return false;
  PulseLink::Lock lock(shared_->link);
  return shared_->haveList;
}

}  // namespace scenova::platform
