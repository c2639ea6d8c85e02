#include "audio/layer_rows.h"
#include "audio/output_choice.h"
#include "audio/sound_layers.h"
#include "form1.h"
#include "platform/media/sound_outputs.h"
#include "platform/media/sound_voices.h"
#include "wiring.h"

namespace scenova::app {

namespace {

// The voices of a program started without a media engine for layers.
class NoVoices final : public QObject {
 public:
  explicit NoVoices(QObject* parent) : QObject(parent) {}
  platform::NullSoundVoices voices;
};

}  // namespace

void wireLayers(Form1& form) {
  platform::SoundVoices* voices = form.services().voices;
  NoVoices* none = nullptr;
  if (!voices) {
    none = new NoVoices(nullptr);
    voices = &none->voices;
  }
  auto text = [&form](int index) { return form.lang[index]; };
  auto* layers = new audio::SoundLayers(
      *voices, [&form](const QString& notice) { form.ShowNotice(notice); }, text, &form);
  form.layers = layers;
  // The stand-in voices end after the layers, which still speak to them as
  // they end (a child is deleted after its parent's destructor has run).
  if (none) none->setParent(layers);
  // The layers play where Options, Audio output sends the other sounds.
  if (form.output) {
    auto follow = [layers](const QString& output) {
      layers->setOutput(QString::fromUtf8(platform::mpvAudioDevice(output)));
    };
    follow(form.output->current());
    QObject::connect(form.output, &audio::OutputChoice::outputChanged, layers, follow);
  }
  new audio::LayerRows(*layers, form.ui.Picture2, {form.ui.Picture3, form.ui.WMP2}, text,
                       form.ui.central);
}

}  // namespace scenova::app
