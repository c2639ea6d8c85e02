#include "audio/output_choice.h"
#include "audio/sound_layers.h"
#include "platform/media/sound_outputs.h"
#include "subsystems.h"
#include "wiring.h"

namespace scenova::app {

void wireLayers(Subsystems& s) {
  // The layers play where Options, Audio output sends the other sounds.
  audio::SoundLayers* layers = &s.layers;
  auto follow = [layers](const QString& output) {
    layers->setOutput(QString::fromUtf8(platform::mpvAudioDevice(output)));
  };
  follow(s.output.current());
  QObject::connect(&s.output, &audio::OutputChoice::outputChanged, layers, follow);
}

}  // namespace scenova::app
