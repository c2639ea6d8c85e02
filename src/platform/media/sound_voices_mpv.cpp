#include "sound_voices_mpv.h"

#include "engine_memory.h"
#include "midi_file.h"
#include "midi_render.h"
#include "midi_stream.h"
#include "mpv_session.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace scenova::platform {

namespace {

// The filter that fades a stopped voice out; until then it passes every
// sample untouched. Its clock counts the samples it has seen since the
// file's start (or the loop's), in step with the file's own times.
QByteArray stopFilter() {
  return QByteArrayLiteral("@stop:lavfi=[afade=t=out:st=86400:d=") +
         QByteArray::number(MpvSoundVoices::kRampMs / 1000.0, 'f', 3) + "]:fix-pts=yes";
}

// The reply to the question of what a stopping voice plays.
constexpr quint64 kHeardReply = 2;

MpvSession::Options voiceOptions(const QByteArray& output) {
  return {
      {"config", "no"},
      {"terminal", "no"},
      {"vid", "no"},
      {"audio-display", "no"},
      {"cover-art-auto", "no"},
      {"ao", "pulse"},
      {"audio-device", output.isEmpty() ? QByteArray("auto") : output},
      {"audio-fallback-to-null", "yes"},
      {"pulse-buffer", QByteArray::number(MpvSoundVoices::kBufferMs)},
      {"audio-buffer", QByteArray::number(MpvSoundVoices::kEngineBufferMs / 1000.0, 'f', 3)},
      {"af", stopFilter()},
      {"audio-client-name", "Scenova"},
      {"volume-max", "100"},
      {"idle", "yes"},
      {"keep-open", "no"},
      {"hr-seek", "yes"},
      // A local file read ahead a little, not the engine's default cache.
      {"cache", "no"},
      {"demuxer-max-bytes", "1MiB"},
      {"demuxer-max-back-bytes", "0"},
      {"load-scripts", "no"},
      // Nor the engine's own scripts: each would be a script engine and a
      // thread of its own in every core, woken by its events.
      {"load-stats-overlay", "no"},
      {"load-osd-console", "no"},
      {"load-auto-profiles", "no"},
      {"osc", "no"},
      {"ytdl", "no"},
      {"resume-playback", "no"},
      {"input-default-bindings", "no"},
  };
}

QByteArray volumeText(double level) {
  return QByteArray::number(std::clamp(level, 0.0, 100.0), 'f', 2);
}

bool isMidi(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  return suffix == QLatin1StringView("mid") || suffix == QLatin1StringView("midi") ||
         suffix == QLatin1StringView("kar");
}

}  // namespace

struct MpvSoundVoices::Voice {
  // The registry outlives the core that reads from it.
  std::unique_ptr<MidiStreams> streams;
  std::unique_ptr<MpvSession> session;
  std::shared_ptr<MidiSong> song;
  double level = 100;
  double position = 0;
  double length = 0;
  bool loop = false;
  bool ended = false;
  int id = 0;
  QByteArray midiUrl;
};

// A file loaded ahead of its start, paused at its beginning.
struct MpvSoundVoices::Ready {
  QString path;  // absolute
  qint64 size = -1;
  QDateTime modified;
  std::unique_ptr<MpvSession> session;
  bool failed = false;  // the file did not load: a start loads it anew
};

namespace {

// Ends the voice's core on a thread of its own. The MIDI registry the core
// may still read from is left to it: it is small, and the song it held is
// taken out of it (an open stream keeps its song alive by itself).
template <typename V>
void endCore(V& v) {
  if (v.song) v.song->abandon();
  if (v.streams && !v.midiUrl.isEmpty()) v.streams->remove(v.midiUrl);
  if (v.session) v.session->abandon();
  (void)v.streams.release();
  releaseFreedMemorySoon();
}

}  // namespace

MpvSoundVoices::MpvSoundVoices(QObject* parent) : QObject(parent), positions_(new QTimer(this)) {
  positions_->setInterval(kPositionMs);
  connect(positions_, &QTimer::timeout, this, &MpvSoundVoices::askPositions);
  readying_ = new QTimer(this);
  readying_->setSingleShot(true);
  connect(readying_, &QTimer::timeout, this, &MpvSoundVoices::makeReady);
  // The first start finds a core ready.
  QTimer::singleShot(0, this, &MpvSoundVoices::prepareSpare);
}

MpvSoundVoices::~MpvSoundVoices() {
  // A core held up by a hung sound server must not hold the exit up.
  const auto endNow = [](Voice& v) {
    if (v.song) v.song->abandon();
    if (v.session && !v.session->terminate(MpvSession::kEndWaitMs / 4)) (void)v.streams.release();
  };
  for (const std::shared_ptr<Voice>& v : std::as_const(voices_)) endNow(*v);
  // Voices on their way out end now too, wherever their fade is.
  for (const std::shared_ptr<Voice>& v : std::as_const(stopping_)) endNow(*v);
  if (spare_) spare_->terminate(MpvSession::kEndWaitMs / 4);
  for (const std::unique_ptr<Ready>& r : ready_) r->session->terminate(MpvSession::kEndWaitMs / 4);
}

void MpvSoundVoices::prepareSpare() {
  if (spare_) return;
  auto session = std::make_unique<MpvSession>(voiceOptions(output_));
  if (!session->isValid()) {
    qWarning("Sound layers: %s", qUtf8Printable(session->errorText()));
    return;
  }
  spare_ = std::move(session);
}

std::unique_ptr<MpvSession> MpvSoundVoices::takeSpare() {
  prepareSpare();
  std::unique_ptr<MpvSession> s = std::move(spare_);
  // The next one is made once this start is heard: starting a core takes
  // the processor from the one starting now.
  QTimer::singleShot(kSpareDelayMs, this, &MpvSoundVoices::prepareSpare);
  return s;
}

void MpvSoundVoices::prepare(const QStringList& paths) {
  QStringList wanted;
  for (const QString& p : paths) {
    if (wanted.size() >= kMaxReady) break;
    const QString path = QFileInfo(p).absoluteFilePath();
    // MIDI plays through a stream made at its start: nothing to load ahead.
    if (p.isEmpty() || isMidi(path) || wanted.contains(path)) continue;
    wanted << path;
  }
  if (wanted == wanted_) return;
  wanted_ = wanted;
  const auto before = ready_.size();
  std::erase_if(ready_, [this](const std::unique_ptr<Ready>& r) {
    if (wanted_.contains(r->path)) return false;
    r->session->abandon();
    return true;
  });
  if (ready_.size() != before) releaseFreedMemorySoon();
  if (!readying_->isActive()) readying_->start(0);
}

// Loads the first wanted file that has no core yet, then comes back for the
// next one a moment later.
void MpvSoundVoices::makeReady() {
  for (const QString& path : std::as_const(wanted_)) {
    if (std::any_of(ready_.cbegin(), ready_.cend(),
                    [&path](const std::unique_ptr<Ready>& r) { return r->path == path; }))
      continue;
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) continue;
    MpvSession::Options options = voiceOptions(output_);
    options.append(std::pair<QByteArray, QByteArray>("pause", "yes"));
    auto r = std::make_unique<Ready>();
    r->session = std::make_unique<MpvSession>(options);
    if (!r->session->isValid()) return;  // no engine: a start says so
    r->path = path;
    r->size = info.size();
    r->modified = info.lastModified();
    Ready* raw = r.get();
    connect(r->session.get(), &MpvSession::fileEnded, this, [raw](qint64, int reason, int) {
      if (reason == MPV_END_FILE_REASON_ERROR) raw->failed = true;
    });
    if (r->session->commandAsync({"loadfile", QFile::encodeName(path), "replace"}) < 0)
      r->failed = true;
    ready_.push_back(std::move(r));
    readying_->start(kReadyGapMs);
    return;
  }
}

// The file's ready core, when it loaded and the file has not changed since.
std::unique_ptr<MpvSession> MpvSoundVoices::takeReady(const QString& path) {
  const auto it =
      std::find_if(ready_.begin(), ready_.end(),
                   [&path](const std::unique_ptr<Ready>& r) { return r->path == path; });
  if (it == ready_.end()) return {};
  const std::unique_ptr<Ready> r = std::move(*it);
  ready_.erase(it);
  // Ready again for the next start, once this one is heard.
  readying_->start(kSpareDelayMs);
  disconnect(r->session.get(), nullptr, this, nullptr);
  const QFileInfo info(path);
  if (r->failed || info.size() != r->size || info.lastModified() != r->modified) {
    r->session->abandon();
    return {};
  }
  return std::move(r->session);
}

int MpvSoundVoices::readyCount() const {
  return static_cast<int>(std::count_if(
      ready_.cbegin(), ready_.cend(), [](const std::unique_ptr<Ready>& r) { return !r->failed; }));
}

QByteArray MpvSoundVoices::midiTarget(Voice& v, const QString& path, QString* why) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *why = file.errorString();
    return {};
  }
  const QByteArray smf = file.read(kMaxMidiBytes + 1);
  if (smf.size() > kMaxMidiBytes) {
    *why = QStringLiteral("the file is too large for a MIDI file");
    return {};
  }
  const auto timing = MidiTiming::parse(smf, why);
  if (!timing) return {};
  const QString font = defaultSoundFont();
  if (!QFileInfo(font).isFile()) {
    *why = QStringLiteral("no General MIDI sound font at %1").arg(font);
    return {};
  }
  v.song = MidiSong::make(smf, *timing, font);
  if (!v.song) {
    *why = QStringLiteral("the song is too long");
    return {};
  }
  v.streams = std::make_unique<MidiStreams>();
  if (!v.streams->install(v.session->handle())) {
    *why = QStringLiteral("the engine refused the MIDI stream");
    return {};
  }
  v.midiUrl = v.streams->add(v.song);
  return v.midiUrl;
}

int MpvSoundVoices::start(const QString& path, bool loop, double level, QString* why) {
  QString reason;
  const QFileInfo info(path);
  if (path.isEmpty() || !info.isFile() || !info.isReadable()) {
    if (why) *why = QStringLiteral("cannot open %1").arg(path);
    return 0;
  }
  auto v = std::make_shared<Voice>();
  std::unique_ptr<MpvSession> loaded = isMidi(path) ? nullptr : takeReady(info.absoluteFilePath());
  const bool ready = loaded != nullptr;
  v->session = ready ? std::move(loaded) : takeSpare();
  if (!v->session) {
    if (why) *why = QStringLiteral("the media engine did not start");
    return 0;
  }
  v->level = std::clamp(level, 0.0, 100.0);
  v->loop = loop;
  QByteArray target = QFile::encodeName(info.absoluteFilePath());
  if (isMidi(path)) {
    target = midiTarget(*v, info.absoluteFilePath(), &reason);
    if (target.isEmpty()) {
      if (why) *why = info.fileName() + QStringLiteral(": ") + reason;
      endCore(*v);
      return 0;
    }
  }
  MpvSession* s = v->session.get();
  // The requests reach the core in the order they are sent.
  s->setPropertyAsync("volume", volumeText(v->level));
  s->setPropertyAsync("loop-file", loop ? "inf" : "no");
  if (ready) {
    s->setPropertyAsync("pause", "no");
  } else if (const int rc = s->commandAsync({"loadfile", target, "replace"}); rc < 0) {
    if (why) *why = info.fileName() + QStringLiteral(": ") + MpvSession::errorName(rc);
    endCore(*v);
    return 0;
  }
  const int id = next_++;
  v->id = id;
  s->observe("duration", MPV_FORMAT_DOUBLE);
  Voice* raw = v.get();
  connect(s, &MpvSession::propertyChanged, this,
          [raw](const QByteArray& name, const QVariant& value) {
            if (!value.isValid()) return;
            if (name == "duration") raw->length = value.toDouble();
          });
  connect(s, &MpvSession::doubleReply, this, [raw](quint64, int error, double value) {
    if (error == 0) raw->position = value;
  });
  connect(s, &MpvSession::fileEnded, this,
          [this, id](qint64, int endReason, int error) { onEnded(id, endReason, error); });
  voices_.insert(id, v);
  if (!positions_->isActive()) positions_->start();
  return id;
}

void MpvSoundVoices::onEnded(int voice, int reason, int error) {
  if (reason != MPV_END_FILE_REASON_EOF && reason != MPV_END_FILE_REASON_ERROR) return;
  const auto it = voices_.find(voice);
  if (it == voices_.end()) return;
  std::shared_ptr<Voice> v = *it;
  voices_.erase(it);
  // Not from inside the core's own signal.
  QTimer::singleShot(0, this, [v] { endCore(*v); });
  ended(voice, reason == MPV_END_FILE_REASON_ERROR ? MpvSession::errorName(error) : QString());
}

void MpvSoundVoices::setLevel(int voice, double level) {
  const auto it = voices_.find(voice);
  if (it == voices_.end()) return;
  Voice& v = **it;
  v.level = std::clamp(level, 0.0, 100.0);
  v.session->setPropertyAsync("volume", volumeText(v.level));
}

void MpvSoundVoices::stop(int voice) {
  const auto it = voices_.find(voice);
  if (it == voices_.end()) return;
  std::shared_ptr<Voice> v = *it;
  voices_.erase(it);
  disconnect(v->session.get(), nullptr, this, nullptr);
  stopping_.insert(v->id, v);
  fadeOut(v);
  // A core that does not say what it plays is ended all the same.
  QTimer::singleShot(kStopGiveUpMs, this, [this, v] { end(v); });
}

void MpvSoundVoices::end(const std::shared_ptr<Voice>& v) {
  if (v->ended) return;
  v->ended = true;
  stopping_.remove(v->id);
  // The answer asked for holds the voice; it will not be needed.
  disconnect(v->session.get(), nullptr, this, nullptr);
  endCore(*v);
}

// Asks the core what is heard now; the fade is placed from the answer.
void MpvSoundVoices::fadeOut(const std::shared_ptr<Voice>& v) {
  MpvSession* s = v->session.get();
  connect(s, &MpvSession::doubleReply, this, [this, v](quint64 reply, int error, double heard) {
    if (reply != kHeardReply) return;
    disconnect(v->session.get(), &MpvSession::doubleReply, this, nullptr);
    if (v->ended) return;
    if (error != 0) return end(v);  // nothing heard yet
    placeFade(v, heard);
  });
  if (s->getDoubleAsync("audio-pts", kHeardReply) < 0) end(v);
}

void MpvSoundVoices::placeFade(const std::shared_ptr<Voice>& v, double heard) {
  const double lead = kStopLeadMs / 1000.0, margin = 0.05;
  const double at = heard + lead;
  if (v->loop && at > v->length - margin) {
    if (v->length < 2 * (lead + margin)) return stepDown(v);
    // The filters may already work on the loop's next round, which starts
    // them afresh: the fade is placed once the loop point is heard.
    const int untilLoop = int((v->length - heard) * 1000) + 20;
    QTimer::singleShot(std::max(untilLoop, 1), this, [this, v] { fadeOut(v); });
    return;
  }
  v->session->commandAsync(
      {"af-command", "stop", "st", QByteArray::number(std::max(at, 0.0), 'f', 4)});
  QTimer::singleShot(kStopLeadMs + kRampMs + kBufferMs / 2, this, [this, v] { end(v); });
}

// A loop shorter than what the filters work ahead: its level is taken
// down in a few steps instead, then what the output holds plays out.
void MpvSoundVoices::stepDown(const std::shared_ptr<Voice>& v) {
  constexpr int kSteps = 4;
  for (int i = 1; i <= kSteps; ++i) {
    const double level = v->level * (1.0 - double(i) / kSteps);
    QTimer::singleShot((kRampMs * (i - 1)) / (kSteps - 1), Qt::PreciseTimer, this,
                       [v, level] { v->session->setPropertyAsync("volume", volumeText(level)); });
  }
  QTimer::singleShot(kRampMs + 2 * kBufferMs, this, [this, v] { end(v); });
}

void MpvSoundVoices::askPositions() {
  if (voices_.isEmpty()) {
    positions_->stop();
    return;
  }
  for (const std::shared_ptr<Voice>& v : std::as_const(voices_))
    v->session->getDoubleAsync("time-pos", 1);
}

MpvSoundVoices::Status MpvSoundVoices::status(int voice) const {
  const auto it = voices_.constFind(voice);
  if (it == voices_.cend()) return {};
  return {(*it)->position, (*it)->length};
}

void MpvSoundVoices::setOutput(const QString& device) {
  output_ = device.toUtf8();
  const QByteArray name = output_.isEmpty() ? QByteArray("auto") : output_;
  for (const std::shared_ptr<Voice>& v : std::as_const(voices_))
    v->session->setPropertyAsync("audio-device", name);
  if (spare_) spare_->setPropertyAsync("audio-device", name);
  for (const std::unique_ptr<Ready>& r : ready_) r->session->setPropertyAsync("audio-device", name);
}

}  // namespace scenova::platform
