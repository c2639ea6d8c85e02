#include "audio/output_choice.h"
#include "audio/sound_layers.h"
#include "layer_readiness.h"
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
  // The files of the coming layer cues wait loaded: after each check of the
  // script's cues, and after each layer cue fired (the next ones move up).
  auto* readiness = new LayerReadiness(s.window, s.show, *layers, s.cues.transport());
  QObject::connect(&s.show.brokenCues(), &script::BrokenCues::checked, readiness,
                   [readiness] { readiness->update(); });
  QObject::connect(layers, &audio::SoundLayers::layersChanged, readiness,
                   &LayerReadiness::updateSoon);
  // And the next plain file cue's sound waits loaded for the audio panel.
  QObject::connect(&s.show.nextCue(), &script::NextCue::moved, readiness,
                   &LayerReadiness::updateSoon);
}

}  // namespace scenova::app
