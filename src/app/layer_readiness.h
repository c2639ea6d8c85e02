#pragma once

#include <QObject>
#include <QTimer>

namespace scenova::audio {
class AudioTransport;
class LayerOperations;
}  // namespace scenova::audio

namespace scenova::app {

class Form1;
class ShowMode;

// Keeps the files of the coming cues loaded ahead, so that a click or a GO
// on one sounds at once: after every check of the script's cues, every
// layer that starts or stops and every move of show mode's next-cue mark,
// the layers are told the files of the [[Sound f]] and [[Loop f]] cues from
// the next cue on (outside show mode: from the start of the script), and
// the audio panel the sound file of the first plain file cue from there.
class LayerReadiness : public QObject {
  Q_OBJECT
 public:
  LayerReadiness(Form1& form, ShowMode& show, audio::LayerOperations& layers,
                 audio::AudioTransport& transport);

  // Tells the layers a short while from now (each call starts the while
  // again, so that a burst of changes is looked at once).
  void updateSoon();
  // Tells them now.
  void update();

  static constexpr int kSettleMs = 300;
  // How many files are named (the layers keep the first few loaded).
  static constexpr int kLimit = 16;

 private:
  Form1& form_;
  ShowMode& show_;
  audio::LayerOperations& layers_;
  audio::AudioTransport& transport_;
  QTimer soon_;
};

}  // namespace scenova::app
