#include "audio/audio_transport.h"

#include "audio/transport_buttons.h"
#include "platform/media/audio_device.h"
#include "platform/media/media_player.h"
#include "ui/language_table.h"
#include "ui/main_controls.h"
#include "ui/numbers.h"

#include <QAction>
#include <QMetaObject>
#include <QTimer>

#include <cmath>

namespace scenova::audio {

namespace {
constexpr int kTickMs = 10;
constexpr double kSkipMs = 5000;

// A millisecond value as the device commands carry it: whole digits.
QString wholeMs(double ms) {
  return QString::number(std::llround(ms));
}

void setCaption(ui::Control* c, const QString& text) {
  if (c->caption() != text) c->setCaption(text);
}
}  // namespace

double replyNumber(QStringView reply) {
  const qsizetype nul = reply.indexOf(QChar(0));
  if (nul >= 0) reply = reply.left(nul);
  qsizetype i = 0;
  while (i < reply.size() && reply[i] == QLatin1Char(' ')) ++i;
  const qsizetype begin = i;
  if (i < reply.size() && (reply[i] == QLatin1Char('-') || reply[i] == QLatin1Char('+'))) ++i;
  bool digits = false, point = false;
  for (; i < reply.size(); ++i) {
    const QChar c = reply[i];
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
      digits = true;
    } else if (c == QLatin1Char('.') && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!digits) return 0;
  return reply.mid(begin, i - begin).toString().toDouble();
}

AudioTransport::AudioTransport(TransportParts parts, QObject* parent)
    : QObject(parent),
      p_(std::move(parts)),
      device_(*p_.device),
      buttons_(*p_.buttons),
      ui_(*p_.ui),
      video_(*p_.videoPanel),
      lang_(*p_.lang) {
  // Events may come from inside a device call: handle them afterwards.
  device_.setEventHandler([this](platform::AudioDevice::Event e, quint32 code) {
    QMetaObject::invokeMethod(
        this, [this, e, code] { onDeviceEvent(e, code); }, Qt::QueuedConnection);
  });
}

AudioTransport::~AudioTransport() {
  device_.setEventHandler({});
}

void AudioTransport::showNotice(const QString& text) {
  p_.notice(text);
}

void AudioTransport::onDeviceEvent(platform::AudioDevice::Event e, quint32 code) {
  using Event = platform::AudioDevice::Event;
  switch (e) {
    case Event::NotResponding:
      showNotice(lang_[160]);
      break;
    case Event::Responding:
      showNotice(lang_[162]);
      break;
    case Event::Loaded:
      // The counter shows the length of a file that took long to load.
      Timer1_Timer();
      break;
    case Event::LoadFailed:
      showNotice(ui::deviceErrorText(lang_, code, device_.errorString(code)));
      enterStopped();
      break;
    case Event::ServerLost:
      showNotice(lang_[161]);
      enterStopped();
      break;
    case Event::NoOutput:
      // Every cue while it lasts: the counter runs, and nothing is heard.
      showNotice(lang_[220]);
      break;
  }
}

void AudioTransport::enterStopped() {
  // Nothing sounds any more: the panel says so, and the next cue (or Play,
  // once the file is loaded again) starts from a stopped track.
  if (markerSaysPlay()) return;
  ui_.cmdPlayA->Tag = lang_[7];
  ui_.mnuPlayAudio->setText(lang_[7]);
  p_.Timer1->stop();
  setPlayPicture();
  buttons_.cmdPlayA_MouseMove(0, 0, 0, 0);
}

void AudioTransport::refreshPlayButton() {
  buttons_.cmdPlayA_MouseMove(0, 0, 0, 0);
}

quint32 AudioTransport::send(const QString& command, QString* reply) {
  return device_.sendString(command, reply);
}

bool AudioTransport::markerSaysPlay() const {
  return ui_.cmdPlayA->Tag == lang_[7];
}

void AudioTransport::setPlayPicture() {
  // The buttons' look has one owner; it picks play2 or pause2 by the marker.
  buttons_.showPressed(TransportButtons::Play);
}

double AudioTransport::CurPos() {
  QString reply;
  if (send(QStringLiteral("status wav1 position"), &reply) > 0) return 0;
  return replyNumber(reply);
}

std::optional<double> AudioTransport::lengthQuery() {
  QString reply;
  if (send(QStringLiteral("status wav1 length"), &reply) > 0) return std::nullopt;
  return replyNumber(reply);
}

QString AudioTransport::timeText(double milliseconds) {
  // nearbyint rounds a half to the even neighbour.
  const double s = std::nearbyint(milliseconds / 1000);
  const double minutes = std::floor(s / 60);
  const auto seconds = static_cast<qint64>(s - 60 * minutes);
  return QString::number(static_cast<qint64>(minutes)) + QLatin1Char(':') +
         (seconds < 10 ? QStringLiteral("0") : QString()) + QString::number(seconds);
}

QString AudioTransport::counterText(double positionMs, double lengthMs) {
  return timeText(positionMs) + QStringLiteral(" / ") + timeText(lengthMs);
}

const QString& AudioTransport::counterFor(double positionMs, double lengthMs) {
  // timeText shows nothing finer than these whole seconds.
  const std::pair seconds{std::nearbyint(positionMs / 1000), std::nearbyint(lengthMs / 1000)};
  if (seconds != counterSeconds_) {
    counterSeconds_ = seconds;
    counter_ = counterText(positionMs, lengthMs);
  }
  return counter_;
}

void AudioTransport::cmdPlayA_Click() {
  if (markerSaysPlay()) {
    ui_.cmdPlayA->Tag = lang_[8];
    // A device that has never played needs one play/stop before it starts
    // from its current position.
    if (CurPos() == 0) {
      send(QStringLiteral("play wav1"));
      send(QStringLiteral("stop wav1"));
    }
    send(QStringLiteral("play wav1"));
    // The sound first, then the look: nothing is drawn before this returns.
    ui_.mnuPlayAudio->setText(lang_[8]);
    p_.Timer1->start(kTickMs);
    setPlayPicture();
    return;
  }
  const double p = CurPos();
  ui_.mnuPlayAudio->setText(lang_[7]);
  ui_.cmdPlayA->Tag = lang_[7];
  send(QStringLiteral("play wav1 from ") + wholeMs(p > 0 ? p : 0));
  send(QStringLiteral("stop wav1"));
  p_.Timer1->stop();
  setPlayPicture();
}

void AudioTransport::cmdStopA_Click() {
  send(QStringLiteral("seek wav1 to start"));
  Timer1_Timer();
  ui_.cmdPlayA->Tag = lang_[7];
  ui_.mnuPlayAudio->setText(lang_[7]);
  buttons_.cmdPlayA_MouseMove(0, 0, 0, 0);
}

void AudioTransport::rewind() {
  send(QStringLiteral("seek wav1 to start"));
}

void AudioTransport::prepareFile(const QString& path) {
  device_.prepare(path);
}

void AudioTransport::closeDevice() {
  send(QStringLiteral("close all"));
}

void AudioTransport::settleNewFile() {
  // Timer1 ends up as the press of Play and Stop leave it: running when the
  // player was idle, stopped when it was playing (that press paused it).
  if (markerSaysPlay())
    p_.Timer1->start(kTickMs);
  else
    p_.Timer1->stop();
  setPlayPicture();
  cmdStopA_Click();
}

void AudioTransport::cmdForA_Click() {
  // No upper bound: the device refuses a target past the end.
  const double target = CurPos() + kSkipMs;
  send(QStringLiteral("play wav1 from ") + wholeMs(target));
  if (markerSaysPlay()) send(QStringLiteral("stop wav1"));
  Timer1_Timer();
}

void AudioTransport::cmdBacA_Click() {
  const double back = CurPos() - kSkipMs;
  send(QStringLiteral("play wav1 from ") + wholeMs(back > 0 ? back : 0));
  if (markerSaysPlay()) send(QStringLiteral("stop wav1"));
  Timer1_Timer();
}

void AudioTransport::lblContatore_MouseMove(int, int, double x, double) {
  const std::optional<double> length = lengthQuery();
  const double width = ui::twips::width(ui_.lblContatore);
  if (!length || width <= 0) return;
  const QString t = ui::signedDecimal(std::floor(*length / width * x));
  if (ui_.lblContatore->Tag != t) ui_.lblContatore->Tag = t;
}

void AudioTransport::lblContatore_Click() {
  send(QStringLiteral("seek wav1 to start"));
  send(QStringLiteral("play wav1 from ") + ui_.lblContatore->Tag);
  Timer1_Timer();
  if (markerSaysPlay()) {
    // Not playing: pause at the new position.
    ui_.cmdPlayA->Tag = lang_[8];
    cmdPlayA_Click();
  }
}

bool AudioTransport::status(double& positionMs, double& lengthMs) {
  // Both status queries in one call without their text: this runs a hundred
  // times a second while a cue plays.
  static const QString alias = QStringLiteral("wav1");
  qint64 position = 0, length = 0;
  if (device_.status(alias, position, length) > 0) return false;
  positionMs = double(position);
  lengthMs = double(length);
  return true;
}

void AudioTransport::Timer1_Timer() {
  double position = 0, length = 0;
  if (!status(position, length)) return;
  if (position >= length) {
    // The track has ended: rewind, and pause at the start if it was playing.
    // A stopped track that stands at its end (moved there by a skip) is only
    // rewound: the toggle would start it.
    send(QStringLiteral("seek wav1 to start"));
    if (!markerSaysPlay()) {
      cmdPlayA_Click();
      setPlayPicture();
    }
    position = CurPos();
  }
  setCaption(ui_.lblContatore, counterFor(position, length));
  if (length != 0) {
    const double fill = ui::twips::width(ui_.lblContatore) / length * position;
    // The bar is only touched when its width in pixels changes: a tick that
    // changes nothing visible repaints nothing.
    const double now = ui::twips::width(ui_.Shape1);
    if (now != fill &&
        (ui::twips::toPixels(now) != ui::twips::toPixels(fill) || !p_.Timer1->isActive()))
      ui::twips::setWidth(ui_.Shape1, fill);
  }
  if (ui_.Shape1->isHidden()) ui_.Shape1->show();

  const platform::MediaPlayer& video = p_.videoPlayer();
  const QString at = video.currentPositionString();
  if (at.isEmpty()) return;
  setCaption(video_.lblContatoreV, at + QStringLiteral(" / ") + video.durationString());
  if (video_.Shape8->isHidden()) video_.Shape8->show();
}

void AudioTransport::connectControls() {
  using ui::Control;
  connect(ui_.cmdPlayA, &Control::Click, this, &AudioTransport::cmdPlayA_Click);
  connect(ui_.cmdStopA, &Control::Click, this, &AudioTransport::cmdStopA_Click);
  connect(ui_.cmdForA, &Control::Click, this, &AudioTransport::cmdForA_Click);
  connect(ui_.cmdBacA, &Control::Click, this, &AudioTransport::cmdBacA_Click);
  connect(ui_.lblContatore, &Control::MouseMove, this, &AudioTransport::lblContatore_MouseMove);
  connect(ui_.lblContatore, &Control::Click, this, &AudioTransport::lblContatore_Click);
  connect(ui_.mnuPlayAudio, &QAction::triggered, this, &AudioTransport::cmdPlayA_Click);
  connect(ui_.mnuStopAudio, &QAction::triggered, this, &AudioTransport::cmdStopA_Click);
  connect(ui_.mnuBacAudio, &QAction::triggered, this, &AudioTransport::cmdBacA_Click);
  connect(ui_.mnuForAudio, &QAction::triggered, this, &AudioTransport::cmdForA_Click);
  connect(p_.Timer1, &QTimer::timeout, this, &AudioTransport::Timer1_Timer);
}

}  // namespace scenova::audio
