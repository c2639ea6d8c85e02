#pragma once

#include <QtGlobal>

namespace scenova::audio {

// What the cue interpreter asks of the volume slider: the same operations
// the slider's own controls run when the operator uses them.
class VolumeOperations {
 public:
  virtual ~VolumeOperations() = default;

  // Runs the click of a fade button: 0..2 raise fast/normal/slow (Image4 to
  // Image6), 3..5 lower fast/normal/slow (Image7 to Image9).
  virtual void fadeButtonClick(int index) = 0;

  // Applies the knob value (Image2.Tag) to the mixer, the players and the
  // percentage label.
  virtual void ApplyVolume() = 0;

  // The mixer value that means full volume; 0 when there is no mixer.
  virtual quint32 mixerMax() const = 0;

  // Ends a running fade where it stands: the knob and the volume stay as
  // the last step left them. A slider without fades has none to end.
  virtual void cancelFade() {}
};

// A window without a volume slider or mixer: fades and levels change no
// volume.
class NoVolume final : public VolumeOperations {
 public:
  void fadeButtonClick(int) override {}
  void ApplyVolume() override {}
  quint32 mixerMax() const override { return 0; }
};

}  // namespace scenova::audio
