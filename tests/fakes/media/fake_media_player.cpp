#include "fakes/media/fake_media_player.h"

#include <algorithm>
#include <cmath>

namespace scenova::platform {

FakeMediaPlayer::FakeMediaPlayer(const PlayerSettings& settings, QWidget* parent)
    : settings_(settings), widget_(new QWidget(parent)), volume_(settings.volume) {}

FakeMediaPlayer::~FakeMediaPlayer() {
  delete widget_.data();
}

void FakeMediaPlayer::setUrl(const QString& url) {
  calls << QStringLiteral("setUrl ") + url;
  url_ = url;
  loaded_ = !url.isEmpty() && !unplayable.contains(url);
  duration_ = loaded_ ? mediaDuration : 0;
  position_ = 0;
  playing_ = loaded_ && settings_.autoStart;
  if (!url.isEmpty() && !loaded_) Q_EMIT loadFailed(QStringLiteral("Cannot play ") + url);
}

void FakeMediaPlayer::close() {
  calls << QStringLiteral("close");
  url_.clear();
  loaded_ = playing_ = false;
  duration_ = position_ = 0;
}

void FakeMediaPlayer::play() {
  calls << QStringLiteral("play");
  if (!loaded_) return;
  if (position_ >= duration_) position_ = 0;
  playing_ = true;
}

void FakeMediaPlayer::pause() {
  calls << QStringLiteral("pause");
  playing_ = false;
}

void FakeMediaPlayer::stop() {
  calls << QStringLiteral("stop");
  playing_ = false;
  position_ = 0;
}

void FakeMediaPlayer::setCurrentPosition(double seconds) {
  calls << QStringLiteral("seek ") + QString::number(seconds);
  if (loaded_ && std::isfinite(seconds)) setPositionForTest(seconds);
}

void FakeMediaPlayer::setPositionForTest(double seconds) {
  position_ = std::clamp(seconds, 0.0, duration_);
}

void FakeMediaPlayer::advance(double seconds) {
  if (!loaded_) return;
  setPositionForTest(position_ + seconds);
  if (position_ >= duration_) playing_ = false;
}

QString FakeMediaPlayer::currentPositionString() const {
  return loaded_ ? formatPlayerTime(position_) : QString();
}

QString FakeMediaPlayer::durationString() const {
  return loaded_ ? formatPlayerTime(duration_) : QString();
}

void FakeMediaPlayer::setVolume(int percent) {
  calls << QStringLiteral("volume ") + QString::number(percent);
  volume_ = std::clamp(percent, 0, 100);
}

}  // namespace scenova::platform
