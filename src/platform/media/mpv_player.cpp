#include "mpv_player.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <cmath>

#include "engine_memory.h"
#include "midi_file.h"
#include "midi_render.h"
#include "mpv_session.h"
#include "native_video_view.h"
#include "sound_outputs.h"
#include "video_widget.h"

#include <mpv/client.h>

namespace scenova::platform {

namespace {

MpvSession::Options coreOptions(int volume) {
  MpvSession::Options options{
      {"config", "no"},
      {"terminal", "no"},
      {"idle", "yes"},
      {"keep-open", "yes"},  // a finished file stays, paused on its end
      {"pause", "yes"},
      {"vo", "null"},  // the video widget switches to its renderer when it has one
      {"hwdec", "no"},
      {"gpu-hwdec-interop", "no"},   // no probing of hardware decoders by the renderer
      {"video-timing-offset", "0"},  // the GUI thread never blocks in a render call
      {"keepaspect", "yes"},
      {"ao", "pulse"},
      {"audio-fallback-to-null", "yes"},
      {"pulse-buffer", "30"},  // a volume change is heard within ~35 ms
      {"audio-client-name", "Scenova"},
      {"volume", QByteArray::number(volume)},
      {"volume-max", "100"},
      {"hr-seek", "yes"},
      {"audio-display", "no"},
      {"cover-art-auto", "no"},
      {"sub-auto", "no"},
      {"resume-playback", "no"},
      {"ytdl", "no"},
      {"osc", "no"},
      {"load-scripts", "no"},
      {"load-stats-overlay", "no"},
      {"load-osd-console", "no"},
      {"load-auto-profiles", "no"},
      {"input-default-bindings", "no"},
      {"input-vo-keyboard", "no"},
      // In a window of ours: clicks and the pointer belong to the widget
      // around it, whose pointer (none on the projector) the picture keeps.
      {"input-cursor", "no"},
      {"cursor-autohide", "no"},
      {"gpu-context", "x11egl"},
  };
  return options;
}

QString localPath(const QString& url) {
  if (url.startsWith(QLatin1StringView("file:"), Qt::CaseInsensitive))
    return QUrl(url).toLocalFile();
  return url;
}

bool isMidiFile(const QFileInfo& info) {
  const QString suffix = info.suffix().toLower();
  if (suffix == QLatin1StringView("mid") || suffix == QLatin1StringView("kar") ||
      suffix == QLatin1StringView("midi"))
    return true;
  QFile f(info.absoluteFilePath());
  return f.open(QIODevice::ReadOnly) && f.read(4) == "MThd";
}

}  // namespace

MpvMediaPlayer::MpvMediaPlayer(const PlayerSettings& settings, VideoOutput output, QWidget* parent)
    : settings_(settings),
      soundFont_(defaultSoundFont()),
      volume_(std::clamp(settings.volume, 0, 100)) {
  session_ = std::make_unique<MpvSession>(coreOptions(volume_));
  if (session_->isValid()) {
    streams_->install(session_->handle());
    connect(session_.get(), &MpvSession::fileStarted, this, &MpvMediaPlayer::onStartFile);
    connect(session_.get(), &MpvSession::fileLoaded, this, &MpvMediaPlayer::onFileLoaded);
    connect(session_.get(), &MpvSession::fileEnded, this, &MpvMediaPlayer::onEndFile);
    connect(session_.get(), &MpvSession::entriesInserted, this,
            [this](qint64 first, int count) { entries_ = std::max(entries_, first + count - 1); });
    connect(session_.get(), &MpvSession::playbackRestart, this, [this] { seekTarget_.reset(); });
    // The GUI thread never reads the core's properties directly (a read
    // waits for the core, which may be busy opening a file): they are
    // watched and kept here as they change.
    connect(session_.get(), &MpvSession::propertyChanged, this, &MpvMediaPlayer::onProperty);
    session_->observe("time-pos", MPV_FORMAT_DOUBLE);
    session_->observe("duration", MPV_FORMAT_DOUBLE);
    session_->observe("pause", MPV_FORMAT_FLAG);
    session_->observe("eof-reached", MPV_FORMAT_FLAG);
  } else {
    qWarning("Media player: %s", qUtf8Printable(session_->errorText()));
  }
  QWidget* view = nullptr;
  if (output == VideoOutput::NativeWindow && session_->isValid()) {
    view = new NativeVideoView(session_.get(), kNativeOutputs, parent);
    videoOutput_ = true;
  } else if (output == VideoOutput::OpenGL && session_->isValid()) {
    view = new VideoWidget(session_.get(), parent);
    videoOutput_ = true;
  } else {
    view = new QWidget(parent);
    view->setAttribute(Qt::WA_OpaquePaintEvent, false);
    view->setAutoFillBackground(true);
    QPalette black = view->palette();
    black.setColor(QPalette::Window, Qt::black);
    view->setPalette(black);
    view->setFocusPolicy(Qt::StrongFocus);
  }
  view->installEventFilter(this);
  view_ = view;
}

MpvMediaPlayer::~MpvMediaPlayer() {
  // The widget's renderer belongs to the core: it goes first.
  delete view_.data();
  unload();
  // A core held up by a hung sound server must not hold the exit up.
  if (!session_->terminate(kEndWaitMs)) (void)streams_.release();
  session_.reset();
}

void MpvMediaPlayer::setUrl(const QString& url) {
  url_ = url;
  unload();
  if (!url.isEmpty()) load(localPath(url));
}

void MpvMediaPlayer::close() {
  url_.clear();
  unload();
}

void MpvMediaPlayer::load(const QString& path) {
  const QFileInfo info(path);
  // Folders would load as playlists and empty files never play: refuse both
  // before the core sees them.
  if (!session_->isValid()) return fail(session_->errorText());
  if (path.isEmpty() || !info.isFile() || !info.isReadable())
    return fail(QStringLiteral("Cannot open %1").arg(path));
  if (info.size() == 0) return fail(QStringLiteral("%1 is empty").arg(info.fileName()));
  QByteArray target;
  if (isMidiFile(info)) {
    QString why;
    target = startMidi(info.absoluteFilePath(), &why);
    if (target.isEmpty()) return fail(info.fileName() + QStringLiteral(": ") + why);
  } else {
    target = QFile::encodeName(info.absoluteFilePath());  // absolute: never read as a protocol
  }
  setPaused(true);
  state_ = State::Loading;
  playOnLoad_ = settings_.autoStart;
  if (const int rc = session_->commandAsync({"loadfile", target, "replace"}); rc < 0) {
    unload();
    return fail(info.fileName() + QStringLiteral(": ") + MpvSession::errorName(rc));
  }
  entry_ = ++entries_;
  // Briefly: until the file is open and its length known, or it failed;
  // not at all when the core has not let go of the previous file by then.
  if (session_->waitFor([this] { return endingEntry_ == 0; }, kBusyWaitMs)) {
    session_->waitFor(
        [this] {
          return state_ == State::Empty ||
                 (state_ == State::Ready && std::isfinite(knownDuration_));
        },
        kLoadTimeoutMs);
  }
  if (state_ != State::Loading) return;
  // A file that neither opens nor fails in good time is given up, so that
  // the operator learns it will not play.
  const quint64 attempt = ++loadAttempt_;
  QTimer::singleShot(kGiveUpMs, this, [this, attempt, name = info.fileName()] {
    if (attempt != loadAttempt_ || state_ != State::Loading) return;
    unload();
    fail(name + QStringLiteral(": the file did not open"));
  });
}

void MpvMediaPlayer::fail(const QString& text) {
  Q_EMIT loadFailed(text);
}

QByteArray MpvMediaPlayer::startMidi(const QString& path, QString* why) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *why = file.errorString();
    return {};
  }
  // Read with a bound: the file may have grown since its size was looked at.
  const QByteArray smf = file.size() > kMaxMidiBytes ? QByteArray() : file.read(kMaxMidiBytes + 1);
  if (file.size() > kMaxMidiBytes || smf.size() > kMaxMidiBytes) {
    *why = QStringLiteral("the file is too large for a MIDI file");
    return {};
  }
  const auto timing = MidiTiming::parse(smf, why);
  if (!timing) return {};
  if (!QFileInfo(soundFont_).isFile()) {
    *why = QStringLiteral("no General MIDI sound font at %1").arg(soundFont_);
    return {};
  }
  midi_ = MidiSong::make(smf, *timing, soundFont_);
  if (!midi_) {
    *why = QStringLiteral("the song is too long");
    return {};
  }
  midiUrl_ = streams_->add(midi_);
  return midiUrl_;
}

void MpvMediaPlayer::unload() {
  const bool active = state_ != State::Empty || midi_;
  state_ = State::Empty;
  playOnLoad_ = false;
  duration_ = 0;
  seekTarget_.reset();
  if (midi_) midi_->abandon();  // a rendering under way stops at its next block
  // The core lets the file go in its own time (a hung sound server may hold
  // it up for long); what it still reports of it is not taken for the next
  // file's, whose number differs.
  if (active && session_ && session_->isValid()) {
    if (isCurrent()) endingEntry_ = entry_;
    session_->commandAsync({"stop"});
  }
  entry_ = 0;
  if (active) releaseFreedMemorySoon();
  timePos_ = knownDuration_ = qQNaN();
  eof_ = false;
  midi_.reset();
  if (!midiUrl_.isEmpty()) streams_->remove(midiUrl_);
  midiUrl_.clear();
}

void MpvMediaPlayer::onStartFile(qint64 entry) {
  startedEntry_ = entry;
  // What the core reports from now on belongs to this file.
  if (isCurrent()) {
    timePos_ = knownDuration_ = qQNaN();
    eof_ = false;
  }
}

void MpvMediaPlayer::onFileLoaded() {
  if (state_ != State::Loading || !isCurrent()) return;
  duration_ = std::isfinite(knownDuration_) && knownDuration_ > 0 ? knownDuration_ : 0;
  state_ = State::Ready;
  if (playOnLoad_) setPaused(false);
  playOnLoad_ = false;
}

void MpvMediaPlayer::onEndFile(qint64 entry, int reason, int error) {
  Q_UNUSED(reason);
  if (entry == endingEntry_) endingEntry_ = 0;
  if (state_ == State::Empty || entry != entry_) return;  // a file already let go
  const bool opening = state_ == State::Loading;
  // A finished file stays open (keep-open), so any end of the current file
  // means it failed or the core let it go: the player is empty.
  state_ = State::Empty;
  duration_ = 0;
  seekTarget_.reset();
  playOnLoad_ = false;
  // Do not leave the core working on whatever the file may have redirected to.
  session_->commandAsync({"stop"});
  if (opening)
    fail(QFileInfo(localPath(url_)).fileName() + QStringLiteral(": ") +
         MpvSession::errorName(error != 0 ? error : MPV_ERROR_LOADING_FAILED));
}

void MpvMediaPlayer::setPaused(bool paused) {
  paused_ = paused;
  session_->setPropertyAsync("pause", paused ? "yes" : "no");
}

void MpvMediaPlayer::onProperty(const QByteArray& name, const QVariant& value) {
  // Reports of a file let go, still on their way.
  if (name != "pause" && !isCurrent()) return;
  const double number = value.isValid() ? value.toDouble() : qQNaN();
  if (name == "time-pos") {
    timePos_ = number;
  } else if (name == "duration") {
    knownDuration_ = number;
    if (state_ == State::Ready && std::isfinite(number) && number > 0) duration_ = number;
  } else if (name == "pause") {
    if (value.isValid()) paused_ = value.toBool();
  } else if (name == "eof-reached") {
    eof_ = value.isValid() && value.toBool();
  }
}

bool MpvMediaPlayer::atEnd() const {
  return eof_;
}

bool MpvMediaPlayer::isPlaying() const {
  return state_ == State::Ready && !paused_ && !atEnd();
}

void MpvMediaPlayer::seekTo(double seconds) {
  seekTarget_ = seconds;
  eof_ = false;
  session_->commandAsync({"seek", QByteArray::number(seconds, 'f', 6), "absolute+exact"});
}

void MpvMediaPlayer::play() {
  if (state_ == State::Loading) playOnLoad_ = true;
  if (state_ != State::Ready) return;
  if (atEnd()) seekTo(0);  // a finished file plays from its start again
  setPaused(false);
}

void MpvMediaPlayer::pause() {
  playOnLoad_ = false;
  if (state_ == State::Ready) setPaused(true);
}

void MpvMediaPlayer::stop() {
  playOnLoad_ = false;
  if (state_ != State::Ready) return;
  setPaused(true);
  seekTo(0);
}

double MpvMediaPlayer::currentPosition() const {
  if (state_ != State::Ready) return 0;
  if (seekTarget_) return *seekTarget_;
  if (atEnd()) return duration_;
  const double pos = timePos_;
  if (!std::isfinite(pos)) return 0;
  return duration_ > 0 ? std::clamp(pos, 0.0, duration_) : std::max(pos, 0.0);
}

void MpvMediaPlayer::setCurrentPosition(double seconds) {
  if (state_ != State::Ready || !std::isfinite(seconds)) return;
  // Beyond the end means the end: the file finishes and stays paused there.
  seekTo(duration_ > 0 ? std::clamp(seconds, 0.0, duration_) : std::max(seconds, 0.0));
}

QString MpvMediaPlayer::currentPositionString() const {
  return state_ == State::Ready ? formatPlayerTime(currentPosition()) : QString();
}

double MpvMediaPlayer::duration() const {
  return state_ == State::Ready ? duration_ : 0;
}

QString MpvMediaPlayer::durationString() const {
  return state_ == State::Ready ? formatPlayerTime(duration_) : QString();
}

void MpvMediaPlayer::setVolume(int percent) {
  volume_ = std::clamp(percent, 0, 100);
  if (session_->isValid()) session_->setPropertyAsync("volume", QByteArray::number(volume_));
}

void MpvMediaPlayer::setAudioOutput(const QString& outputName) {
  if (session_->isValid()) session_->setPropertyAsync("audio-device", mpvAudioDevice(outputName));
}

qint64 MpvMediaPlayer::droppedFrames() const {
  return session_->getInt("frame-drop-count").second +
         session_->getInt("vo-delayed-frame-count").second;
}

qint64 MpvMediaPlayer::midiFramesRendered() const {
  return midi_ ? midi_->framesRendered() : 0;
}

bool MpvMediaPlayer::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const int code = virtualKeyCode(*key);
    if (code != 0) {
      Q_EMIT keyDown(code, keyShiftState(*key));
      return true;
    }
  }
  return MediaPlayer::eventFilter(watched, event);
}

}  // namespace scenova::platform
