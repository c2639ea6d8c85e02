#include "audio_device_mpv.h"

#include "audio_device_file.h"
#include "engine_memory.h"
#include "mpv_session.h"
#include "sound_outputs.h"

#include <QTimer>

#include <algorithm>
#include <cmath>

namespace scenova::platform {

namespace {

MpvSession::Options engineOptions() {
  return {
      {"vid", "no"},
      {"audio-display", "no"},
      {"ao", "pulse"},
      {"audio-fallback-to-null", "yes"},
      // The sound server's usual buffer. Stop and pause do not wait for it
      // (the stream is flushed or corked) and fades are made by the master
      // volume, applied as the server mixes. A shorter one only wakes the
      // engine more often: 30 ms cost a playing cue twice the CPU.
      {"pulse-buffer", "100"},
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
      // Nor the engine's own scripts: each would be a script engine and a
      // thread of its own in every core, woken by its events.
      {"load-stats-overlay", "no"},
      {"load-osd-console", "no"},
      {"load-auto-profiles", "no"},
      {"osc", "no"},
      {"ytdl", "no"},
      {"resume-playback", "no"},
  };
}

QByteArray seconds(qint64 ms) {
  return QByteArray::number(double(ms) / 1000.0, 'f', 3);
}

// Reply ids: the two queries of a load carry the load's number, the answers
// to the watch carry a number above kPingBase (all below the session's own).
constexpr quint64 kTrackQuery = 1;
constexpr quint64 kLengthQuery = 2;
constexpr quint64 kPingBase = quint64(1) << 44;
constexpr quint64 kSeekBase = quint64(1) << 45;

quint64 loadReplyId(quint64 load, quint64 query) {
  return (load << 4) | query;
}

}  // namespace

MpvAudioDevice::MpvAudioDevice(QObject* parent)
    : QObject(parent), ahead_([this] { return makeSession(); }), stallTimer_(new QTimer(this)) {
  stallTimer_->setSingleShot(true);
  connect(stallTimer_, &QTimer::timeout, this, &MpvAudioDevice::onStallCheck);
  // Starting the engine takes a while: at start-up, not at the first cue.
  ensureSession();
}

MpvAudioDevice::~MpvAudioDevice() {
  // An engine held up by a hung sound server would hold the exit up too.
  if (stalled_ || loading()) dropSession();
}

QString MpvAudioDevice::errorString(quint32 code) const {
  return mciErrorText(code);
}

void MpvAudioDevice::setOutput(const QString& outputName) {
  device_ = mpvAudioDevice(outputName);
  // The engine moves a sound that plays to the new output itself.
  if (session_) session_->setPropertyAsync("audio-device", device_);
  ahead_.reload();
}

quint32 MpvAudioDevice::sendString(const QString& command, QString* reply) {
  if (reply) reply->clear();
  const MciCommand c = MciCommand::parse(command);
  if (!c.isValid()) return code(c.error);
  // Bring the state up to date with whatever the engine reported meanwhile.
  if (session_) session_->drainIfPending();

  if (c.verb == MciCommand::Verb::CloseAll) {
    closeAll();
    return 0;
  }
  if (c.verb == MciCommand::Verb::Open) return code(open(c.path, c.alias));
  if (const MciError e = checkAlias(c.alias); e != MciError::None) return code(e);
  // Commands that need the length wait a little for a load under way; a
  // "play ... from" is kept for the end of the load if it takes longer.
  if (c.verb == MciCommand::Verb::PlayFrom || c.verb == MciCommand::Verb::Length) {
    const MciError e = awaitLoad();
    if (e == MciError::Timeout && c.verb == MciCommand::Verb::PlayFrom) {
      return code(playFromWhileLoading(c.from));
    }
    if (e != MciError::None) return code(e);
  }

  switch (c.verb) {
    case MciCommand::Verb::Play:
      return code(play());
    case MciCommand::Verb::PlayFrom:
      return code(playFrom(c.from));
    case MciCommand::Verb::Stop:
      return code(stop());
    case MciCommand::Verb::SeekStart:
      return code(seekStart());
    case MciCommand::Verb::Position:
      if (reply) *reply = QString::number(position());
      return 0;
    case MciCommand::Verb::Length:
      if (reply) *reply = QString::number(lengthMs_);
      return 0;
    default:
      return code(MciError::UnknownCommand);
  }
}

quint32 MpvAudioDevice::status(const QString& alias, qint64& positionMs, qint64& lengthMs) {
  if (session_) session_->drainIfPending();
  if (const MciError e = checkAlias(alias); e != MciError::None) return code(e);
  if (const MciError e = awaitLoad(); e != MciError::None) return code(e);
  lengthMs = lengthMs_;
  positionMs = position();
  return 0;
}

MciError MpvAudioDevice::checkAlias(const QString& alias) const {
  if (alias_.isEmpty() || alias.compare(alias_, Qt::CaseInsensitive) != 0) {
    return MciError::NoSuchAlias;
  }
  if (broken()) return brokenError_;
  if (!session_) return MciError::DeviceFailed;
  return MciError::None;
}

MciError MpvAudioDevice::open(const QString& path, const QString& alias) {
  if (!alias_.isEmpty()) return MciError::AliasInUse;
  QString resolved;
  if (const MciError e = checkAudioFile(path, &resolved); e != MciError::None) return e;
  // The file loaded ahead: its core is taken over, loaded and filled.
  if (std::optional<AudioFileAhead::Ready> ready = ahead_.take(resolved))
    return openReady(std::move(*ready), alias);
  if (const MciError e = ensureSession(); e != MciError::None) return e;
  resetForOpen();
  session_->setPropertyAsync("pause", "yes");
  if (session_->commandAsync({"loadfile", resolved.toUtf8()}) < 0) return MciError::DeviceFailed;
  // The engine numbers the files it is given: events of a file given
  // before (one still loading, or closed) carry an older number.
  entry_ = ++entries_;
  move(Input::Open);
  // The load ends like a seek to 0: with the output filled and ready to sound.
  seekPending_ = true;
  seekTaken_ = true;
  watch();
  session_->waitFor([this] { return !loading(); }, kWaitMs);
  if (state_ == State::Closed) return loadError_;
  // Loaded, or still loading in the background: the alias is taken either
  // way, and a load that ends later is reported.
  alias_ = alias;
  reportLoad_ = loading();
  return MciError::None;
}

void MpvAudioDevice::resetForOpen() {
  seekWanted_ = false;
  pausedMs_ = 0;
  lengthMs_ = 0;
  brokenError_ = MciError::None;
  loadError_ = MciError::None;
  started_ = false;
  noOutputSaid_ = false;
  ++loadId_;
}

MciError MpvAudioDevice::openReady(AudioFileAhead::Ready ready, const QString& alias) {
  dropSession();
  adopt(std::move(ready.session));
  output_ = ready.output;
  entries_ = entry_ = 1;
  resetForOpen();
  started_ = true;
  move(Input::Open);
  seekPending_ = false;
  seekTaken_ = true;
  alias_ = alias;
  reportLoad_ = false;
  watch();
  loadDone(ready.lengthMs);
  return MciError::None;
}

void MpvAudioDevice::prepare(const QString& path) {
  ahead_.load(path);
}

MciError MpvAudioDevice::awaitLoad() {
  if (loading()) session_->waitFor([this] { return !loading(); }, kWaitMs);
  if (loaded()) return MciError::None;
  if (broken()) return brokenError_;
  return MciError::Timeout;
}

void MpvAudioDevice::loadFailed(MciError e) {
  loadError_ = e;
  if (alias_.isEmpty()) {
    move(Input::OpenFailed);  // still inside "open", which answers it
    return;
  }
  brokenError_ = e;
  move(Input::LoadFailed);
  if (std::exchange(reportLoad_, false)) report(Event::LoadFailed, code(e));
}

void MpvAudioDevice::loadDone(qint64 lengthMs) {
  lengthMs_ = lengthMs;
  move(Input::Loaded);
  if (seekWanted_) {
    // A "play ... from" while the file loaded.
    seekWanted_ = false;
    if (pausedMs_ > 0 && pausedMs_ < lengthMs_) {
      seekTo(pausedMs_);
    } else {
      pausedMs_ = 0;
    }
  }
  if (std::exchange(reportLoad_, false)) report(Event::Loaded);
  startNow();
}

MciError MpvAudioDevice::ensureSession() {
  if (session_ && session_->isValid()) return MciError::None;
  session_.reset();
  std::unique_ptr<MpvSession> session = makeSession();
  if (!session) return MciError::DeviceFailed;
  adopt(std::move(session));
  output_.clear();
  entries_ = 0;
  return MciError::None;
}

// A core set up for the device, playing to the chosen output.
std::unique_ptr<MpvSession> MpvAudioDevice::makeSession() {
  // A child, so that what goes on between the engine and the device can be
  // looked at from outside; the device still owns and ends it.
  auto session = std::make_unique<MpvSession>(engineOptions(), this);
  if (!session->isValid()) return nullptr;
  session->setPropertyAsync("audio-device", device_);
  session->observe("eof-reached", MPV_FORMAT_FLAG);
  session->observe("current-ao", MPV_FORMAT_STRING);
  return session;
}

void MpvAudioDevice::adopt(std::unique_ptr<MpvSession> session) {
  connect(session.get(), &MpvSession::propertyChanged, this, &MpvAudioDevice::onProperty);
  connect(session.get(), &MpvSession::fileStarted, this, &MpvAudioDevice::onStartFile);
  connect(session.get(), &MpvSession::fileLoaded, this, &MpvAudioDevice::onFileLoaded);
  connect(session.get(), &MpvSession::doubleReply, this, &MpvAudioDevice::onReply);
  connect(session.get(), &MpvSession::commandReply, this, &MpvAudioDevice::onCommandReply);
  connect(session.get(), &MpvSession::fileEnded, this, &MpvAudioDevice::onEndFile);
  connect(session.get(), &MpvSession::entriesInserted, this, [this](qint64 first, int count) {
    // The engine numbered the entries of a playlist: the next file it is
    // given gets the number after them.
    entries_ = std::max(entries_, first + count - 1);
  });
  connect(session.get(), &MpvSession::playbackRestart, this, &MpvAudioDevice::onRestart);
  session_ = std::move(session);
}

void MpvAudioDevice::dropSession() {
  if (!session_) return;
  session_->disconnect(this);
  session_->abandon();
  session_.reset();
  pingOutstanding_ = false;
  stallTimer_->stop();
}

void MpvAudioDevice::onStartFile(qint64 entry) {
  if (loading() && entry == entry_) started_ = true;
}

void MpvAudioDevice::onFileLoaded() {
  if (!loading() || !started_) return;
  session_->getDoubleAsync("current-tracks/audio/id", loadReplyId(loadId_, kTrackQuery));
  session_->getDoubleAsync("duration", loadReplyId(loadId_, kLengthQuery));
}

void MpvAudioDevice::onReply(quint64 id, int error, double value) {
  if (!loading()) return;
  if (id == loadReplyId(loadId_, kTrackQuery)) {
    if (error < 0) loadError_ = MciError::UnsupportedFormat;
  } else if (id == loadReplyId(loadId_, kLengthQuery)) {
    if (loadError_ == MciError::None && (error < 0 || !std::isfinite(value) || value <= 0))
      loadError_ = MciError::UnsupportedFormat;
    if (loadError_ != MciError::None) {
      // Answers come in order: the track query has been answered too.
      session_->commandAsync({"stop"});
      loadFailed(loadError_);
      return;
    }
    loadDone(std::llround(value * 1000.0));
  }
}

void MpvAudioDevice::closeAll() {
  if (state_ != State::Closed) releaseFreedMemorySoon();
  // An engine that dropped its file, or hangs on the last one, is not
  // trusted with the next one.
  if (brokenError_ != MciError::None || (loading() && stalled_)) {
    dropSession();
  } else if (session_ && loaded()) {
    session_->commandAsync({"stop"});
  }
  move(Input::CloseAll);
  alias_.clear();
  reportLoad_ = seekWanted_ = false;
  loadError_ = MciError::None;
  brokenError_ = MciError::None;
  seekPending_ = false;
  pausedMs_ = 0;
  lengthMs_ = 0;
}

void MpvAudioDevice::requestStart() {
  // A "stop" before the event loop turns cancels the start unheard.
  move(Input::Play);
  QTimer::singleShot(0, this, &MpvAudioDevice::startNow);
}

void MpvAudioDevice::startNow() {
  if (state_ != State::Starting || !session_) return;
  // Unpausing before a seek or a load has filled the output would let a few
  // milliseconds from the old position sound first: the restart starts it.
  if (seekPending_) return;
  move(Input::Sound);
  session_->setPropertyAsync("pause", "no");
  playStartMs_ = pausedMs_;
  playClock_.start();
  watch();
}

void MpvAudioDevice::pauseEngine() {
  if (state_ == State::Playing) {
    session_->setPropertyAsync("pause", "yes");
    watch();
  }
  move(Input::Stop);
}

MciError MpvAudioDevice::play() {
  if (state_ == State::Stopped || state_ == State::Loading) requestStart();
  return MciError::None;
}

MciError MpvAudioDevice::playFrom(qint64 ms) {
  if (ms > lengthMs_) return MciError::OutOfRange;
  if (state_ == State::Playing) {
    // Asked for where the sound already is (a pause reads the position
    // and plays from it before it stops): no seek, no splice.
    const qint64 here = countedPosition();
    if (ms <= here && here - ms <= kSameSpotMs) {
      // Counted on from the position asked for, which a stop that follows
      // at once keeps exactly.
      playStartMs_ = ms;
      playClock_.start();
      sameSpotMs_ = ms;
      QTimer::singleShot(0, this, [this] { sameSpotMs_ = -1; });
      return MciError::None;
    }
  }
  seekTo(ms);
  if (ms == lengthMs_) {
    // Nothing is left to play: stay stopped at the end.
    pauseEngine();
    session_->setPropertyAsync("pause", "yes");
    move(Input::ToEnd);
    seekPending_ = false;
  } else if (state_ != State::Playing) {
    requestStart();
  }
  return MciError::None;
}

MciError MpvAudioDevice::playFromWhileLoading(qint64 ms) {
  pausedMs_ = ms;
  seekWanted_ = true;
  if (!playing()) requestStart();
  return MciError::None;
}

MciError MpvAudioDevice::stop() {
  if (!playing()) return MciError::None;
  if (state_ == State::Playing) pausedMs_ = sameSpotMs_ >= 0 ? sameSpotMs_ : countedPosition();
  sameSpotMs_ = -1;
  pauseEngine();
  return MciError::None;
}

MciError MpvAudioDevice::seekStart() {
  pauseEngine();
  seekTo(0);
  return MciError::None;
}

void MpvAudioDevice::seekTo(qint64 ms) {
  // Until the engine has taken this seek, a restart it reports belongs to
  // an earlier seek or to the load, with the output filled from elsewhere.
  seekTaken_ = false;
  session_->commandAsync({"seek", seconds(ms), "absolute+exact"}, kSeekBase + ++seekId_);
  seekPending_ = true;
  pausedMs_ = ms;
  move(Input::Seek);
  watch();
}

qint64 MpvAudioDevice::countedPosition() const {
  if (seekPending_) return pausedMs_;
  // One millisecond short of the length until the engine says it has
  // played everything: the last of the sound is still in the output then.
  const qint64 at = playStartMs_ + playClock_.elapsed();
  return std::clamp<qint64>(at, 0, std::max<qint64>(lengthMs_ - 1, 0));
}

qint64 MpvAudioDevice::position() {
  if (state_ == State::AtEnd) return lengthMs_;
  if (state_ != State::Playing) return pausedMs_;
  // An end the engine never reported (its notice of the end is merged away
  // when a short file ends twice in quick succession): the clock decides.
  if (!stalled_ && playStartMs_ + playClock_.elapsed() > lengthMs_ + 1000) {
    finishAtEnd();
    return lengthMs_;
  }
  return countedPosition();
}

void MpvAudioDevice::finishAtEnd() {
  move(Input::Ended);
  pausedMs_ = lengthMs_;
}

void MpvAudioDevice::watch() {
  // One question at a time: its answer says the engine got through all
  // that was sent before it.
  if (pingOutstanding_ || !session_) return;
  if (session_->commandAsync({"ignore"}, kPingBase + ++pingId_) < 0) return;
  pingOutstanding_ = true;
  stallTimer_->start(kStallMs);
}

void MpvAudioDevice::onCommandReply(quint64 id, int /*error*/) {
  if (id == kSeekBase + seekId_) seekTaken_ = true;
  if (id != kPingBase + pingId_) return;
  pingOutstanding_ = false;
  stallTimer_->stop();
  if (stalled_) {
    stalled_ = false;
    report(Event::Responding);
  }
}

void MpvAudioDevice::onStallCheck() {
  if (!pingOutstanding_ || stalled_) return;
  stalled_ = true;
  report(Event::NotResponding);
}

void MpvAudioDevice::onEndFile(qint64 entry, int reason, int /*error*/) {
  // The end of a file given before ours.
  if (entry != entry_) return;
  if (loading() && reason == MPV_END_FILE_REASON_REDIRECT) {
    // A playlist (whatever its name): a cue is one sound, never a list of
    // files the engine would go on to open. Refused, and the engine stops
    // before it starts on the entries.
    session_->commandAsync({"stop"});
    loadFailed(MciError::UnsupportedFormat);
    return;
  }
  if (loading()) {
    // Ours could not be loaded.
    loadFailed(MciError::UnsupportedFormat);
    return;
  }
  // Our own "close all" leaves no load; any other end means the engine gave
  // the file up (cut short, unreadable, output gone).
  if (!loaded() && state_ != State::Lost) return;
  brokenError_ = MciError::MediaLost;
  move(Input::Lost);
}

void MpvAudioDevice::onRestart() {
  if (!seekTaken_) return;
  seekPending_ = false;
  if (state_ == State::Playing) {
    // A seek while sounding: the count goes on from its target.
    playStartMs_ = pausedMs_;
    playClock_.start();
  }
  startNow();
}

void MpvAudioDevice::onProperty(const QByteArray& name, const QVariant& value) {
  if (name == "current-ao") {
    const QByteArray ao = value.toString().toUtf8();
    // The engine replaces a sound server that went away by the silent
    // output: the open file counts as failed until the next open, which
    // starts a new engine that reaches the server again once it is back.
    const bool lost = ao == "null" && !output_.isEmpty() && output_ != "null";
    if (!ao.isEmpty()) output_ = ao;
    if (lost && holdsFile()) {
      brokenError_ = MciError::DeviceFailed;
      pauseEngine();
      session_->setPropertyAsync("pause", "yes");
      move(Input::Lost);
      report(Event::ServerLost);
    } else if (ao == "null" && holdsFile() && !std::exchange(noOutputSaid_, true)) {
      // No sound server to play to: the file runs on the silent output.
      // Each file gets an output of its own, so the next open reaches a
      // server that has started meanwhile.
      report(Event::NoOutput);
    }
    return;
  }
  if (name != "eof-reached" || !value.toBool()) return;
  // Only an end that belongs to the playback going on now counts: a notice
  // of an end that was overtaken by a rewind and a new start must not put
  // the device back at the end.
  if (state_ != State::Playing || seekPending_) return;
  const qint64 played = playStartMs_ + playClock_.elapsed();
  if (played < lengthMs_ - std::min<qint64>(500, lengthMs_ / 2)) return;
  finishAtEnd();
}

}  // namespace scenova::platform
