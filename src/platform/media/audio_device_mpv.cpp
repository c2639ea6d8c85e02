#include "audio_device_mpv.h"

#include "audio_device_file.h"
#include "mpv_session.h"

#include <QTimer>

#include <cmath>

namespace scenova::platform {

namespace {

MpvSession::Options engineOptions() {
  return {
      {"vid", "no"},
      {"audio-display", "no"},
      {"ao", "pulse"},
      {"audio-fallback-to-null", "yes"},
      // A short output buffer: volume changes and stops are heard within ~35 ms.
      {"pulse-buffer", "30"},
      {"audio-client-name", "Scenova"},
      // Stay loaded and paused at the end, so the position can equal the length.
      {"keep-open", "yes"},
      {"idle", "yes"},
      {"pause", "yes"},
      {"hr-seek", "yes"},
      // A new audio output per file: a sound server that went away and came
      // back is reached again by the next open.
      {"gapless-audio", "no"},
      {"load-scripts", "no"},
      {"ytdl", "no"},
      {"resume-playback", "no"},
  };
}

QByteArray seconds(qint64 ms) {
  return QByteArray::number(double(ms) / 1000.0, 'f', 3);
}

}  // namespace

MpvAudioDevice::MpvAudioDevice(QObject* parent) : QObject(parent) {}

MpvAudioDevice::~MpvAudioDevice() = default;

QString MpvAudioDevice::errorString(quint32 code) const {
  return mciErrorText(code);
}

quint32 MpvAudioDevice::sendString(const QString& command, QString* reply) {
  if (reply) reply->clear();
  const MciCommand c = MciCommand::parse(command);
  if (!c.isValid()) return code(c.error);
  // Bring the state up to date with whatever the engine reported meanwhile.
  if (session_) session_->drainEvents();

  if (c.verb == MciCommand::Verb::CloseAll) {
    closeAll();
    return 0;
  }
  if (c.verb == MciCommand::Verb::Open) return code(open(c.path, c.alias));
  if (alias_.isEmpty() || c.alias.compare(alias_, Qt::CaseInsensitive) != 0) {
    return code(MciError::NoSuchAlias);
  }
  if (broken_ != MciError::None) return code(broken_);
  if (!session_) return code(MciError::DeviceFailed);

  switch (c.verb) {
    case MciCommand::Verb::Play:
      return code(play());
    case MciCommand::Verb::PlayFrom:
      return code(playFrom(c.from));
    case MciCommand::Verb::Stop:
      return code(stop());
    case MciCommand::Verb::SeekStart:
      return code(seekStart());
    case MciCommand::Verb::Position: {
      qint64 ms = 0;
      const MciError e = position(ms);
      if (e == MciError::None && reply) *reply = QString::number(ms);
      return code(e);
    }
    case MciCommand::Verb::Length:
      if (reply) *reply = QString::number(lengthMs_);
      return 0;
    default:
      return code(MciError::UnknownCommand);
  }
}

MciError MpvAudioDevice::open(const QString& path, const QString& alias) {
  if (!alias_.isEmpty()) return MciError::AliasInUse;
  QString resolved;
  if (const MciError e = checkAudioFile(path, &resolved); e != MciError::None) return e;
  if (const MciError e = ensureSession(); e != MciError::None) return e;
  if (const MciError e = loadFile(resolved); e != MciError::None) return e;
  alias_ = alias;
  playing_ = false;
  pausedMs_ = 0;
  atEnd_ = false;
  broken_ = MciError::None;
  return MciError::None;
}

MciError MpvAudioDevice::ensureSession() {
  if (session_ && session_->isValid()) return MciError::None;
  session_.reset();
  auto session = std::make_unique<MpvSession>(engineOptions());
  if (!session->isValid()) return MciError::DeviceFailed;
  session->observe("eof-reached", MPV_FORMAT_FLAG);
  session->observe("current-ao", MPV_FORMAT_STRING);
  connect(session.get(), &MpvSession::propertyChanged, this, &MpvAudioDevice::onProperty);
  connect(session.get(), &MpvSession::endFile, this, &MpvAudioDevice::onEndFile);
  connect(session.get(), &MpvSession::playbackRestart, this, [this] { seekPending_ = false; });
  session_ = std::move(session);
  return MciError::None;
}

void MpvAudioDevice::dropSession() {
  if (!session_) return;
  session_->disconnect(this);
  session_->abandon();
  session_.reset();
}

MciError MpvAudioDevice::loadFile(const QString& path) {
  loaded_ = false;
  session_->setPropertyAsync("pause", "yes");
  if (session_->commandAsync({"loadfile", path.toUtf8()}) < 0) return MciError::DeviceFailed;
  // The load ends like a seek to 0: with the output filled and ready to sound.
  seekPending_ = true;
  seekTargetMs_ = 0;
  // Events of a file closed before belong to it until our file starts.
  bool started = false;
  bool loaded = false;
  const bool answered = session_->waitForEvent(
      [&](const mpv_event& ev) {
        if (ev.event_id == MPV_EVENT_START_FILE) started = true;
        if (!started) return false;
        if (ev.event_id == MPV_EVENT_FILE_LOADED) loaded = true;
        return loaded || ev.event_id == MPV_EVENT_END_FILE;
      },
      kOpenTimeoutMs);
  if (!answered) {
    dropSession();
    return MciError::Timeout;
  }
  if (!loaded) return MciError::UnsupportedFormat;
  const MciError e = readLength();
  if (e != MciError::None) {
    session_->commandAsync({"stop"});
    return e;
  }
  loaded_ = true;
  outputAtOpen_ = session_->getString("current-ao").second;
  settle();
  return MciError::None;
}

MciError MpvAudioDevice::readLength() {
  double trackId = 0;
  double length = 0;
  int rc = session_->getDoubleWait("current-tracks/audio/id", &trackId, kReplyTimeoutMs);
  if (rc >= 0) rc = session_->getDoubleWait("duration", &length, kReplyTimeoutMs);
  if (rc == MpvSession::kTimedOut) {
    dropSession();
    return MciError::Timeout;
  }
  if (rc < 0 || !std::isfinite(length) || length <= 0) return MciError::UnsupportedFormat;
  lengthMs_ = std::llround(length * 1000.0);
  return MciError::None;
}

void MpvAudioDevice::closeAll() {
  if (session_ && loaded_) session_->commandAsync({"stop"});
  // An engine that dropped its file is not trusted with the next one.
  if (broken_ != MciError::None) dropSession();
  alias_.clear();
  loaded_ = false;
  broken_ = MciError::None;
  playing_ = false;
  seekPending_ = false;
  atEnd_ = false;
  pausedMs_ = 0;
  lengthMs_ = 0;
}

void MpvAudioDevice::settle() {
  if (seekPending_) session_->waitFor([this] { return !seekPending_; }, kReplyTimeoutMs);
}

void MpvAudioDevice::startPlaying(bool deferUnpause) {
  playing_ = true;
  playStartMs_ = pausedMs_;
  playClock_.start();
  if (!deferUnpause) {
    unpauseNow();
    return;
  }
  // "play ... from" on a stopped device is mostly followed at once by "stop"
  // (a skip or a seek while paused): unpausing now would let the first
  // milliseconds of the new position sound. The unpause waits for the event
  // loop, and a stop that comes first cancels it.
  unpausePending_ = true;
  QTimer::singleShot(0, this, [this] {
    if (unpausePending_) unpauseNow();
  });
}

void MpvAudioDevice::unpauseNow() {
  unpausePending_ = false;
  if (!session_ || !playing_) return;
  // Unpausing before a seek has refilled the output would let a few
  // milliseconds from the old position sound first.
  settle();
  session_->setPropertyAsync("pause", "no");
  playStartMs_ = seekPending_ ? seekTargetMs_ : playStartMs_;
  playClock_.start();
}

MciError MpvAudioDevice::play() {
  if (!playing_ && !atEnd_) startPlaying(false);
  return MciError::None;
}

MciError MpvAudioDevice::playFrom(qint64 ms) {
  if (ms > lengthMs_) return MciError::OutOfRange;
  seekTo(ms);
  if (ms == lengthMs_) {
    // Nothing is left to play: stay stopped at the end.
    session_->setPropertyAsync("pause", "yes");
    playing_ = false;
    atEnd_ = true;
    seekPending_ = false;
  } else if (playing_) {
    playStartMs_ = ms;
    playClock_.start();
  } else {
    startPlaying(true);
  }
  return MciError::None;
}

MciError MpvAudioDevice::stop() {
  if (!playing_) return MciError::None;
  if (unpausePending_) {
    // Never started: stay silent at the position played from.
    unpausePending_ = false;
    playing_ = false;
    pausedMs_ = playStartMs_;
    return MciError::None;
  }
  session_->setPropertyAsync("pause", "yes");
  if (seekPending_) {
    playing_ = false;
    pausedMs_ = seekTargetMs_;
    return MciError::None;
  }
  // Read after the pause request: the engine answers in order.
  const MciError e = readTimePos(pausedMs_);
  playing_ = false;
  return e;
}

MciError MpvAudioDevice::seekStart() {
  session_->setPropertyAsync("pause", "yes");
  playing_ = false;
  seekTo(0);
  return MciError::None;
}

void MpvAudioDevice::seekTo(qint64 ms) {
  session_->commandAsync({"seek", seconds(ms), "absolute+exact"});
  seekPending_ = true;
  seekTargetMs_ = ms;
  pausedMs_ = ms;
  atEnd_ = false;
}

MciError MpvAudioDevice::position(qint64& ms) {
  if (atEnd_) {
    ms = lengthMs_;
  } else if (!playing_) {
    ms = pausedMs_;
  } else if (seekPending_) {
    ms = seekTargetMs_;
  } else {
    return readTimePos(ms);
  }
  return MciError::None;
}

MciError MpvAudioDevice::readTimePos(qint64& ms) {
  double t = 0;
  const int rc = session_->getDoubleWait("time-pos", &t, kReplyTimeoutMs);
  if (rc == MpvSession::kTimedOut) {
    // A stuck engine would cost every later call the same wait: give it up.
    dropSession();
    broken_ = MciError::DeviceFailed;
    return MciError::Timeout;
  }
  if (rc < 0) return MciError::DeviceFailed;
  qint64 pos = std::llround(t * 1000.0);
  if (playing_) {
    // Just after an unpause the engine's estimate of the output delay lags
    // and its position runs ahead; what is heard cannot have moved further
    // than the time since playback started.
    pos = std::clamp(pos, playStartMs_, playStartMs_ + playClock_.elapsed());
  }
  ms = std::clamp<qint64>(pos, 0, lengthMs_);
  return MciError::None;
}

void MpvAudioDevice::onEndFile(int /*reason*/, int /*error*/) {
  // Our own "close all" clears loaded_ first; any other end means the engine
  // gave the file up (cut short, unreadable, output gone).
  if (!loaded_) return;
  broken_ = MciError::MediaLost;
  playing_ = false;
}

void MpvAudioDevice::onProperty(const QByteArray& name, const QVariant& value) {
  // The engine replaces a sound server that went away by the silent output;
  // the open file then counts as failed until the next open reaches a server.
  if (name == "current-ao" && loaded_ && value.toString() == QLatin1StringView("null") &&
      outputAtOpen_ != "null") {
    broken_ = MciError::DeviceFailed;
    playing_ = false;
    session_->setPropertyAsync("pause", "yes");
    return;
  }
  if (name == "eof-reached" && value.toBool() && loaded_) {
    atEnd_ = true;
    playing_ = false;
    seekPending_ = false;
    pausedMs_ = lengthMs_;
  }
}

}  // namespace scenova::platform
