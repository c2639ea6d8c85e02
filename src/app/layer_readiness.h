#pragma once

#include <QObject>
#include <QTimer>

namespace scenova::audio {
class LayerOperations;
}

namespace scenova::app {

class Form1;
class ShowMode;

// Keeps the files of the coming layer cues loaded ahead, so that a click or
// a GO on one sounds at once: after every check of the script's cues and
// after every layer that starts or stops, the layers are told the files of
// the [[Sound f]] and [[Loop f]] cues from the next cue of show mode on
// (outside show mode: from the start of the script).
class LayerReadiness : public QObject {
  Q_OBJECT
 public:
  LayerReadiness(Form1& form, ShowMode& show, audio::LayerOperations& layers);

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
  QTimer soon_;
};

}  // namespace scenova::app
