#pragma once

// The media side of a system that has none of it: no audio device, no
// mixer, no video engine. The window works with these exactly as with the
// real ones, so no caller asks whether a device is there. Every command
// fails as the real device would when it cannot act: nothing sounds,
// nothing is shown, and nothing claims otherwise.

#include "platform/media/audio_device.h"
#include "platform/media/media_player.h"
#include "platform/media/mixer.h"

#include <QPointer>

namespace scenova::platform {

// Every command fails as a device that could not start does.
class NullAudioDevice final : public AudioDevice {
 public:
  quint32 sendString(const QString& command, QString* reply = nullptr) override;
  QString errorString(quint32 code) const override;
  void setOutput(const QString&) override {}
};

// A program without a master volume: there is nothing to open, and no
// volume control on it (maximum 0), so the slider drives the players only.
class NullMixer final : public Mixer {
 public:
  bool open() override { return true; }
  quint32 maximum() const override { return 0; }
  bool setValue(quint32) override { return false; }
  void setOutput(const QString&) override {}
};

// A player that plays nothing: a file given to it leaves it empty, as a
// file the real player cannot play does. Its widget is an empty area.
class NullMediaPlayer final : public MediaPlayer {
  Q_OBJECT
 public:
  explicit NullMediaPlayer(QWidget* parent = nullptr);
  ~NullMediaPlayer() override;

  QString url() const override { return {}; }
  void setUrl(const QString&) override {}
  void close() override {}
  void play() override {}
  void pause() override {}
  void stop() override {}
  double currentPosition() const override { return 0; }
  void setCurrentPosition(double) override {}
  QString currentPositionString() const override { return {}; }
  double duration() const override { return 0; }
  QString durationString() const override { return {}; }
  void setVolume(int percent) override { volume_ = percent; }
  int volume() const override { return volume_; }
  void setAudioOutput(const QString&) override {}
  QWidget* widget() override { return widget_; }

 private:
  QPointer<QWidget> widget_;
  int volume_ = 50;
};

}  // namespace scenova::platform
