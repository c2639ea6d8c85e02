#include "audio_file_ahead.h"

#include "mpv_session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace scenova::platform {

namespace {

constexpr quint64 kLengthReply = 1;
constexpr quint64 kTrackReply = 2;

// One spelling for the same file, however it was named.
QString normal(const QString& path) {
  return path.isEmpty() ? path : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

}  // namespace

AudioFileAhead::AudioFileAhead(Factory make, QObject* parent)
    : QObject(parent), make_(std::move(make)) {}

AudioFileAhead::~AudioFileAhead() {
  drop();
}

void AudioFileAhead::drop() {
  if (!session_) return;
  session_->disconnect(this);
  session_->abandon();
  session_.reset();
}

void AudioFileAhead::load(const QString& named) {
  const QString path = normal(named);
  const QFileInfo info(path);
  if (!path.isEmpty() && path == path_ && session_ && !failed_ && info.size() == size_ &&
      info.lastModified() == modified_)
    return;
  drop();
  path_ = path;
  lengthMs_ = -1;
  restarted_ = failed_ = false;
  output_.clear();
  if (path.isEmpty() || !info.isFile() || !info.isReadable()) return;
  size_ = info.size();
  modified_ = info.lastModified();
  session_ = make_();
  if (!session_ || !session_->isValid()) {
    session_.reset();
    return;
  }
  MpvSession* s = session_.get();
  // As the device's own load: a file with a sound track and a length.
  connect(s, &MpvSession::fileLoaded, this, [s] {
    s->getDoubleAsync("current-tracks/audio/id", kTrackReply);
    s->getDoubleAsync("duration", kLengthReply);
  });
  connect(s, &MpvSession::doubleReply, this, [this](quint64 id, int error, double value) {
    if (id == kTrackReply && error < 0) failed_ = true;
    if (id != kLengthReply) return;
    if (error < 0 || !std::isfinite(value) || value <= 0)
      failed_ = true;
    else
      lengthMs_ = std::llround(value * 1000.0);
  });
  connect(s, &MpvSession::playbackRestart, this, [this] { restarted_ = true; });
  connect(s, &MpvSession::fileEnded, this, [this](qint64, int, int) { failed_ = true; });
  connect(s, &MpvSession::propertyChanged, this,
          [this](const QByteArray& name, const QVariant& value) {
            if (name == "current-ao" && value.isValid()) output_ = value.toString().toUtf8();
          });
  if (s->commandAsync({"loadfile", QFile::encodeName(info.absoluteFilePath())}) < 0) failed_ = true;
}

bool AudioFileAhead::isReady() const {
  return session_ && !failed_ && restarted_ && lengthMs_ > 0 && !output_.isEmpty() &&
         output_ != "null";
}

std::optional<AudioFileAhead::Ready> AudioFileAhead::take(const QString& named) {
  const QString path = normal(named);
  if (path.isEmpty() || path != path_) return std::nullopt;
  if (session_) session_->drainIfPending();
  const QFileInfo info(path);
  if (!isReady() || info.size() != size_ || info.lastModified() != modified_) {
    // Opened as if nothing had been loaded ahead; the next cue's file is
    // loaded when the next cue is known.
    drop();
    path_.clear();
    return std::nullopt;
  }
  session_->disconnect(this);
  Ready r{std::move(session_), lengthMs_, output_};
  // Loaded again for the next time the same cue comes.
  path_.clear();
  return r;
}

void AudioFileAhead::reload() {
  const QString path = path_;
  drop();
  path_.clear();
  load(path);
}

}  // namespace scenova::platform
