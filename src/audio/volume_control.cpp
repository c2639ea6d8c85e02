#include "volume_control.h"

#include "platform/dialogs.h"
#include "platform/media/media_player.h"
#include "platform/media/mixer.h"

#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>

namespace scenova::audio {

namespace {

constexpr int kLeftButton = 1;

// A number rounded to a 16-bit integer as the handlers store positions:
// halves go to the even neighbour; values beyond the range stay at its ends.
qint16 toInt16(double x) {
  if (!std::isfinite(x)) return 0;
  const double r = std::nearbyint(x);
  return static_cast<qint16>(std::clamp(r, -32768.0, 32767.0));
}

// A text read as a whole number (fractions rounded as above); nullopt when
// it is no number.
std::optional<qint64> wholeNumber(const QString& text) {
  bool ok = false;
  const double d = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(d)) return std::nullopt;
  return static_cast<qint64>(std::nearbyint(std::clamp(d, -1e15, 1e15)));
}

}  // namespace

QString blankNumber(qint64 n) {
  return n >= 0 ? QLatin1Char(' ') + QString::number(n) : QString::number(n);
}

VolumeControl::VolumeControl(VolumeParts parts, QObject* parent)
    : QObject(parent), parts_(std::move(parts)), v_(*parts_.view), mixer_(*parts_.mixer) {
  setObjectName(QStringLiteral("VolumeControl"));
  parts_.dragTimer->setTimerType(Qt::PreciseTimer);
  connect(parts_.dragTimer, &QTimer::timeout, this, &VolumeControl::Timer2_Timer);
  fadeTicker_ = std::make_unique<SteadyTicker>(
      *parts_.fadeTimer, [this] { Timer3_Timer(); }, this);
}

VolumeControl::~VolumeControl() {
  parts_.dragTimer->stop();
  fadeTicker_->stop();
}

// ---- Mixer --------------------------------------------------------------

void VolumeControl::OpenMixer() {
  mixerOpen_ = false;
  Max = 0;
  // A program without a master volume (a null mixer) opens it and finds no
  // control on it: the knob drives the players only.
  if (!mixer_.open()) {
    if (!mixerMessageShown_ && parts_.dialogs) {
      mixerMessageShown_ = true;
      parts_.dialogs->messageBox(parts_.dialogOwner, parts_.text ? parts_.text(29) : QString(),
                                 QString(), platform::MsgIcon::None, platform::MsgButtons::Ok);
    }
    return;
  }
  mixerOpen_ = true;
  MixerControl control;
  if (FindMixerControl(mixer_, kSpeakersDestination, kVolumeControl, control)) {
    volumeControl = control;
    Max = static_cast<quint32>(control.maximum);
  }
}

bool VolumeControl::FindMixerControl(platform::Mixer& mixer, quint32 componentType,
                                     quint32 controlType, MixerControl& control) {
  // The sound server offers one line, the default output, and on it one
  // control, its master volume.
  if (componentType != kSpeakersDestination || controlType != kVolumeControl) return false;
  const quint32 maximum = mixer.maximum();
  if (maximum == 0) return false;
  control = MixerControl{1, 0, maximum};
  return true;
}

bool VolumeControl::SetMixerValue(platform::Mixer& mixer, const MixerControl& control,
                                  quint32 value) {
  return mixer.setValue(static_cast<quint32>(std::min<qint64>(value, control.maximum)));
}

// ---- Knob value -----------------------------------------------------------

double VolumeControl::travel() const {
  return v_.trackHeight() - v_.knobHeight();
}

qint64 VolumeControl::knobValueFor(double knobTop) const {
  const double t = travel();
  if (!(t > 0)) return Max;  // a knob as tall as its track is always at the top
  const double max = Max;
  const double x = std::fabs((knobTop - v_.trackTop()) * max / t - max);
  if (!std::isfinite(x)) return 0;
  return static_cast<qint64>(std::trunc(std::min(x, 1e15)));
}

void VolumeControl::storeKnobValue() {
  v_.setKnobTag(QString::number(knobValueFor(v_.knobTop())));
}

qint64 VolumeControl::knobValue() const {
  // A tag that is no number stands for the knob's position.
  const qint64 n = wholeNumber(v_.knobTag()).value_or(knobValueFor(v_.knobTop()));
  return std::clamp<qint64>(n, 0, Max);
}

int VolumeControl::percentFromPosition() const {
  const double t = travel();
  if (!(t > 0)) return 100;
  const double offset = std::clamp(v_.knobTop() - v_.trackTop(), 0.0, t);
  return static_cast<int>(std::floor((t - offset) * 100 / t));
}

void VolumeControl::clampKnobIntoTrack() {
  const double trackTop = v_.trackTop();
  if (!std::isfinite(v_.knobTop()) || v_.knobTop() < trackTop) v_.setKnobTop(trackTop);
  if (v_.knobTop() + v_.knobHeight() > trackTop + v_.trackHeight())
    v_.setKnobTop(trackTop + travel());
}

// ---- Applying -------------------------------------------------------------

void VolumeControl::ApplyVolume() {
  const qint64 value = knobValue();
  // Without a mixer maximum the knob's position alone gives the percentage,
  // so the slider still works for the players.
  int percent = Max > 0 ? static_cast<int>(std::floor(static_cast<double>(value) / Max * 100))
                        : percentFromPosition();
  percent = std::min(percent, 100);
  v_.setPercentCaption(blankNumber(percent));
  if (mixerOpen_ && Max > 0) SetMixerValue(mixer_, volumeControl, static_cast<quint32>(value));
  parts_.mainPlayer()->setVolume(percent);
  if (v_.projectorTicked()) parts_.projectorPlayer()->setVolume(percent);
}

// ---- Start-up -------------------------------------------------------------

void VolumeControl::LayoutVolumeKnob() {
  parts_.dragTimer->stop();
  parts_.dragTimer->setInterval(kTickMs);
  v_.setKnobTop((v_.trackHeight() - v_.knobHeight()) / 2 + v_.trackTop());
  v_.setKnobLeft(v_.trackWidth() / 2 - v_.knobWidth() / 2 + v_.trackLeft());
  storeKnobValue();
}

void VolumeControl::restore(std::optional<double> knobTop, std::optional<QString> knobValue) {
  if (knobTop && std::isfinite(*knobTop)) {
    v_.setKnobTop(*knobTop);
    clampKnobIntoTrack();
  }
  if (knobValue) {
    qint64 n = wholeNumber(*knobValue).value_or(knobValueFor(v_.knobTop()));
    // Kept within 0..Max; without a mixer the saved value stays for the next
    // run that has one.
    n = std::max<qint64>(n, 0);
    if (Max > 0) n = std::min<qint64>(n, Max);
    v_.setKnobTag(QString::number(n));
  }
  ApplyVolume();
}

// ---- Dragging -------------------------------------------------------------

bool VolumeControl::dragging() const {
  return parts_.dragTimer->isActive();
}
bool VolumeControl::fading() const {
  return fadeTicker_->isActive();
}

void VolumeControl::Image2_MouseDown(int button, int, double, double) {
  parts_.dragTimer->start(kTickMs);
  fadeTicker_->stop();
  DragButton = static_cast<qint16>(button);
}

void VolumeControl::Image2_MouseMove(int button, int, double, double y) {
  DragButton = static_cast<qint16>(button);
  const float lowest =
      static_cast<float>(v_.trackTop()) - 1.15f * static_cast<float>(v_.knobHeight());
  DragTarget = std::max(static_cast<float>(v_.knobTop() + y - 310), lowest);
  ApplyVolume();
  clampKnobIntoTrack();
}

void VolumeControl::Timer2_Timer() {
  if (DragButton != kLeftButton) return;
  const double trackTop = v_.trackTop(), height = v_.knobHeight();
  qint16 newTop = toInt16(static_cast<double>(DragTarget) - height / 2 + trackTop);
  if (newTop + height - trackTop > v_.trackHeight()) newTop = toInt16(trackTop + travel());
  if (newTop < trackTop) newTop = toInt16(trackTop);
  if (v_.knobTop() != newTop) v_.setKnobTop(newTop);
  storeKnobValue();
}

void VolumeControl::Image2_MouseUp(int button, int, double, double) {
  parts_.dragTimer->stop();
  DragButton = static_cast<qint16>(button);
  ApplyVolume();
}

// ---- The track --------------------------------------------------------------

void VolumeControl::Image3_MouseUp(int button, int, double, double y) {
  // The level pointed at wins over a running fade, which ends first.
  fadeTicker_->stop();
  DragButton = static_cast<qint16>(button);
  v_.setKnobTop(v_.trackTop() + y - v_.knobHeight() / 2);
  clampKnobIntoTrack();
  storeKnobValue();
  ApplyVolume();
}

void VolumeControl::Image3_Click() {
  fadeTicker_->stop();
}

// ---- Fades ------------------------------------------------------------------

void VolumeControl::fadeButtonClick(int index) {
  if (index < 0 || index >= static_cast<int>(kFadeSteps.size())) return;
  // A fade that is running goes on from where the knob is, at the new step.
  fadeTicker_->start(kTickMs);
  FadeStep = kFadeSteps[static_cast<size_t>(index)];
  FadePos = toInt16(v_.knobTop());
}

void VolumeControl::cancelFade() {
  fadeTicker_->stop();
}

void VolumeControl::Timer3_Timer() {
  const int next = FadePos + FadeStep;
  if (next >= std::numeric_limits<qint16>::min() && next <= std::numeric_limits<qint16>::max()) {
    FadePos = static_cast<qint16>(next);
    v_.setKnobTop(FadePos);
  }
  const double trackTop = v_.trackTop();
  if (v_.knobTop() + v_.knobHeight() > trackTop + v_.trackHeight()) {
    v_.setKnobTop(trackTop + travel());
    fadeTicker_->stop();
    v_.setKnobTag(QStringLiteral("0"));
  } else if (v_.knobTop() < trackTop) {
    v_.setKnobTop(trackTop);
    fadeTicker_->stop();
    v_.setKnobTag(QString::number(Max));
  } else {
    storeKnobValue();
  }
  ApplyVolume();
}

}  // namespace scenova::audio
