#include "audio/sound_layers.h"

#include "platform/media/sound_voices.h"

#include <algorithm>

namespace scenova::audio {

namespace {

// Texts of the window's language file.
constexpr int kTooManyText = 280;
constexpr int kDidNotStartText = 285;

bool names(const QString& layerPath, const QString& path) {
  if (path.isEmpty()) return false;
  return layerPath == path || layerPath.endsWith(QLatin1Char('/') + path);
}

}  // namespace

SoundLayers::SoundLayers(platform::SoundVoices& voices, std::function<void(const QString&)> notice,
                         std::function<QString(int)> text, QObject* parent)
    : QObject(parent), voices_(voices), notice_(std::move(notice)), text_(std::move(text)) {
  moves_.setInterval(kStepMs);
  moves_.setTimerType(Qt::PreciseTimer);
  connect(&moves_, &QTimer::timeout, this, &SoundLayers::step);
  voices_.setEndHandler([this](int id, const QString& why) { onEnded(id, why); });
}

SoundLayers::~SoundLayers() {
  voices_.setEndHandler({});
}

SoundLayers::Entry* SoundLayers::find(const QString& path) {
  // The newest layer first: a restarted file is the one meant.
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
    if (names(it->layer.path, path)) return &*it;
  return nullptr;
}

LayerOperations::Result SoundLayers::play(const QString& path, bool loop) {
  // The same file again starts over: its old layer goes first.
  if (Entry* e = find(path); e && e->layer.path == path) remove(e->layer.id, true);
  if (entries_.size() >= kMaxLayers) {
    notice_(text_(kTooManyText));
    return Result::TooMany;
  }
  QString why;
  const int id = voices_.start(path, loop, 100, &why);
  if (id <= 0) {
    notice_(text_(kDidNotStartText) + QLatin1Char(' ') + why);
    return Result::Failed;
  }
  Entry e;
  e.layer.id = id;
  e.layer.path = path;
  e.layer.loop = loop;
  entries_.append(e);
  Q_EMIT layersChanged();
  return Result::Done;
}

LayerOperations::Result SoundLayers::stop(const QString& path) {
  Entry* e = find(path);
  if (!e) return Result::NotPlaying;
  remove(e->layer.id, true);
  return Result::Done;
}

LayerOperations::Result SoundLayers::fade(const QString& path, double seconds) {
  Entry* e = find(path);
  if (!e) return Result::NotPlaying;
  startMove(*e, 0, seconds, true);
  return Result::Done;
}

LayerOperations::Result SoundLayers::level(const QString& path, double percent) {
  Entry* e = find(path);
  if (!e) return Result::NotPlaying;
  startMove(*e, std::clamp(percent, 0.0, 100.0), kLevelSeconds, false);
  return Result::Done;
}

void SoundLayers::stopAll() {
  if (entries_.isEmpty()) return;
  for (const Entry& e : std::as_const(entries_)) voices_.stop(e.layer.id);
  entries_.clear();
  moves_.stop();
  Q_EMIT layersChanged();
}

void SoundLayers::prepare(const QStringList& paths) {
  voices_.prepare(paths);
}

void SoundLayers::setOutput(const QString& mpvAudioDevice) {
  voices_.setOutput(mpvAudioDevice);
}

QList<SoundLayers::Layer> SoundLayers::layers() const {
  QList<Layer> out;
  out.reserve(entries_.size());
  for (const Entry& e : entries_) {
    Layer l = e.layer;
    const platform::SoundVoices::Status s = voices_.status(l.id);
    l.positionSeconds = s.positionSeconds;
    l.lengthSeconds = s.lengthSeconds;
    out.append(l);
  }
  return out;
}

void SoundLayers::stopLayer(int id) {
  remove(id, true);
}

void SoundLayers::startMove(Entry& e, double to, double seconds, bool stopAtEnd) {
  Move m;
  m.from = e.layer.level;
  m.to = to;
  m.seconds = seconds;
  m.stopAtEnd = stopAtEnd;
  m.clock.start();
  e.move = m;
  if (!moves_.isActive()) moves_.start();
}

void SoundLayers::step() {
  QList<int> done;
  bool moving = false;
  for (Entry& e : entries_) {
    if (!e.move) continue;
    const Move& m = *e.move;
    const double t = m.seconds > 0 ? std::min(1.0, m.clock.elapsed() / 1000.0 / m.seconds) : 1.0;
    e.layer.level = m.from + (m.to - m.from) * t;
    voices_.setLevel(e.layer.id, e.layer.level);
    if (t < 1.0) {
      moving = true;
      continue;
    }
    if (m.stopAtEnd) done.append(e.layer.id);
    e.move.reset();
  }
  for (const int id : std::as_const(done)) remove(id, true);
  if (!moving) moves_.stop();
}

void SoundLayers::remove(int id, bool stopVoice) {
  const auto it = std::find_if(entries_.begin(), entries_.end(),
                               [id](const Entry& e) { return e.layer.id == id; });
  if (it == entries_.end()) return;
  entries_.erase(it);
  if (stopVoice) voices_.stop(id);
  Q_EMIT layersChanged();
}

void SoundLayers::onEnded(int id, const QString& why) {
  if (!why.isEmpty()) notice_(text_(kDidNotStartText) + QLatin1Char(' ') + why);
  remove(id, false);
}

}  // namespace scenova::audio
