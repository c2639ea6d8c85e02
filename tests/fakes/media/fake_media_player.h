#pragma once

#include <QStringList>
#include <QWidget>

#include <QPointer>

#include "platform/media/media_player.h"

namespace scenova::platform {

// A media player for tests of the video transport, the loader and the volume
// code: it plays nothing, records every call in calls ("setUrl path",
// "play", "seek 12.5", "volume 40", ...) and reports whatever the test sets.
//
// Like the real player: setting a URL loads it (the media counts as loaded
// unless the path is listed in unplayable), autoStart makes it play, stop
// returns to 0, positions are clamped to [0, duration], the texts are empty
// while nothing is loaded, and at the end (position == duration) the
// position text equals the duration text.
class FakeMediaPlayer final : public MediaPlayer {
  Q_OBJECT
 public:
  explicit FakeMediaPlayer(const PlayerSettings& settings = {}, QWidget* parent = nullptr);
  ~FakeMediaPlayer() override;

  // Script.
  double mediaDuration = 60;  // length given to the next loaded file
  QStringList unplayable;     // paths that load as nothing
  // What was asked.
  QStringList calls;

  bool loaded() const { return loaded_; }
  bool playing() const { return playing_; }
  // Moves the position as if the media had played for a while (clamped);
  // reaching the end stops playing, as a finished file does.
  void advance(double seconds);
  // Sets the position directly without recording a call.
  void setPositionForTest(double seconds);
  // Sends a key as the widget would.
  void pressKey(int keyCode, int shift = 0) { Q_EMIT keyDown(keyCode, shift); }

  QString url() const override { return url_; }
  void setUrl(const QString& url) override;
  void close() override;
  void play() override;
  void pause() override;
  void stop() override;
  double currentPosition() const override { return loaded_ ? position_ : 0; }
  void setCurrentPosition(double seconds) override;
  QString currentPositionString() const override;
  double duration() const override { return loaded_ ? duration_ : 0; }
  QString durationString() const override;
  void setVolume(int percent) override;
  int volume() const override { return volume_; }
  // Every output named by setAudioOutput, in order.
  QStringList outputs;
  void setAudioOutput(const QString& outputName) override { outputs.append(outputName); }
  QWidget* widget() override { return widget_; }

 private:
  PlayerSettings settings_;
  QPointer<QWidget> widget_;
  QString url_;
  bool loaded_ = false;
  bool playing_ = false;
  double duration_ = 0;
  double position_ = 0;
  int volume_ = 50;
};

}  // namespace scenova::platform
