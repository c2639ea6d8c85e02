#pragma once

#include "audio/layer_operations.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

namespace scenova::platform {
class SoundVoices;
}

namespace scenova::audio {

// The sound layers: up to kMaxLayers files at once, each on a voice of its
// own with its own level and fades. The master volume (the knob, its fades,
// "Vol") governs them all at the sound server; a layer's fades move only its
// own level.
//
//   SoundLayers layers(voices, notice, text);
//   layers.play(u"/show/rain.wav"_s, true);
//   layers.fade(u"/show/rain.wav"_s, 8);
class SoundLayers : public QObject, public LayerOperations {
  Q_OBJECT
 public:
  static constexpr int kMaxLayers = 16;
  // How often a level moving over time is set again.
  static constexpr int kStepMs = 15;

  struct Layer {
    int id = 0;  // the voice
    QString path;
    double level = 100;  // where the level stands now
    double positionSeconds = 0;
    double lengthSeconds = 0;
    bool loop = false;
  };

  // notice shows a text to the operator; text gives the window's texts by
  // number.
  SoundLayers(platform::SoundVoices& voices, std::function<void(const QString&)> notice,
              std::function<QString(int)> text, QObject* parent = nullptr);
  ~SoundLayers() override;

  Result play(const QString& path, bool loop) override;
  Result stop(const QString& path) override;
  Result fade(const QString& path, double seconds) override;
  Result level(const QString& path, double percent) override;
  void stopAll() override;
  void prepare(const QStringList& paths) override;

  // The output the layers play to, the running ones too (the engine's
  // audio device name; empty: the sound server's default).
  void setOutput(const QString& mpvAudioDevice);

  // The layers playing, oldest first, with their positions now.
  QList<Layer> layers() const;
  // Stops one layer by its voice (a row's stop button).
  void stopLayer(int id);

 Q_SIGNALS:
  // A layer came or went.
  void layersChanged();

 private:
  struct Move {
    double from = 0, to = 0;
    double seconds = 0;
    bool stopAtEnd = false;
    QElapsedTimer clock;
  };
  struct Entry {
    Layer layer;
    std::optional<Move> move;
  };

  Entry* find(const QString& path);
  void startMove(Entry& e, double to, double seconds, bool stopAtEnd);
  void step();
  void remove(int id, bool stopVoice);
  void onEnded(int id, const QString& why);

  platform::SoundVoices& voices_;
  std::function<void(const QString&)> notice_;
  std::function<QString(int)> text_;
  QList<Entry> entries_;
  QTimer moves_;
};

}  // namespace scenova::audio
