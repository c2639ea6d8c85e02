#pragma once

#include "platform/media/media_player.h"

#include <QStringList>

namespace scenova::test {

// A player that only keeps its URL and counts the loads.
class UrlPlayer final : public platform::MediaPlayer {
 public:
  QStringList loads;
  QString url() const override { return url_; }
  void setUrl(const QString& url) override {
    url_ = url;
    loads << url;
  }
  void close() override { url_.clear(); }
  void play() override {}
  void pause() override {}
  void stop() override {}
  double currentPosition() const override { return 0; }
  void setCurrentPosition(double) override {}
  QString currentPositionString() const override { return {}; }
  double duration() const override { return 0; }
  QString durationString() const override { return {}; }
  void setVolume(int) override {}
  int volume() const override { return 50; }
  void setAudioOutput(const QString&) override {}
  QWidget* widget() override { return nullptr; }

 private:
  QString url_;
};

}  // namespace scenova::test
