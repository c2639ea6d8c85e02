#pragma once

#include "audio/steady_ticker.h"
#include "audio/volume_operations.h"
#include "audio/volume_view.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QTimer;
class QWidget;

namespace scenova::platform {
class Dialogs;
class MediaPlayer;
class Mixer;
}  // namespace scenova::platform

namespace scenova::audio {

// The volume control found on the mixer: its identifier and value bounds.
struct MixerControl {
  quint32 controlId = 0;
  qint64 minimum = 0;
  qint64 maximum = 0;
};

// Component and control types the slider asks the mixer for.
constexpr quint32 kSpeakersDestination = 4;
constexpr quint32 kVolumeControl = 0x50030001;

// What the slider works with. The view, the timers and the dialogs must
// outlive the VolumeControl; the players are asked for each time, since they
// come and go.
struct VolumeParts {
  std::unique_ptr<VolumeView> view;
  QTimer* dragTimer = nullptr;       // Timer2
  QTimer* fadeTimer = nullptr;       // Timer3
  platform::Mixer* mixer = nullptr;  // required (a null mixer: none)
  // The players the knob sets too: required, and never giving null (a null
  // player where there is no video engine).
  std::function<platform::MediaPlayer*()> mainPlayer;       // WMP2
  std::function<platform::MediaPlayer*()> projectorPlayer;  // WMP1
  platform::Dialogs* dialogs = nullptr;
  QWidget* dialogOwner = nullptr;
  std::function<QString(int)> text;  // language texts by number
};

// The audio panel's volume slider and its six fade buttons. One knob sets the
// master volume of the mixer, the main window's player and, while the
// projector switch is ticked, the projector's player.
class VolumeControl : public QObject, public VolumeOperations {
  Q_OBJECT
 public:
  explicit VolumeControl(VolumeParts parts, QObject* parent = nullptr);
  ~VolumeControl() override;

  // Start-up.
  void OpenMixer();
  void LayoutVolumeKnob();
  // Gives the knob its saved top and value (either may be missing) and
  // applies the volume.
  void restore(std::optional<double> knobTop, std::optional<QString> knobValue);

  static bool FindMixerControl(platform::Mixer& mixer, quint32 componentType, quint32 controlType,
                               MixerControl& control);
  static bool SetMixerValue(platform::Mixer& mixer, const MixerControl& control, quint32 value);

  // VolumeOperations.
  void ApplyVolume() override;
  void fadeButtonClick(int index) override;
  void cancelFade() override;
  quint32 mixerMax() const override { return Max; }

  // The knob (dragging).
  void Image2_MouseDown(int button, int shift, double x, double y);
  void Image2_MouseMove(int button, int shift, double x, double y);
  void Image2_MouseUp(int button, int shift, double x, double y);
  void Timer2_Timer();

  // The track.
  void Image3_MouseUp(int button, int shift, double x, double y);
  void Image3_Click();

  // The fade buttons Image4..Image9 and the fade timer.
  void Image4_Click() { fadeButtonClick(0); }
  void Image5_Click() { fadeButtonClick(1); }
  void Image6_Click() { fadeButtonClick(2); }
  void Image7_Click() { fadeButtonClick(3); }
  void Image8_Click() { fadeButtonClick(4); }
  void Image9_Click() { fadeButtonClick(5); }
  void Timer3_Timer();

  // Twips per tick of each fade button: raise fast, normal, slow, then lower.
  static constexpr std::array<qint16, 6> kFadeSteps{-10, -5, -1, 10, 5, 1};
  static constexpr int kTickMs = 10;

  // The mixer value a knob top stands for: Max at the top of the track, 0 at
  // the bottom, linear in between, the fraction dropped.
  qint64 knobValueFor(double knobTop) const;
  // The tag as a whole number, kept within 0..Max.
  qint64 knobValue() const;

  bool dragging() const;
  bool fading() const;
  const SteadyTicker& fadeTicker() const { return *fadeTicker_; }

  VolumeView& view() { return *parts_.view; }

  // State, named as the handlers use it.
  MixerControl volumeControl;
  quint32 Max = 0;
  qint16 DragButton = 0;
  float DragTarget = 0;
  qint16 FadePos = 0;
  qint16 FadeStep = 0;

 private:
  double travel() const;
  void storeKnobValue();
  void clampKnobIntoTrack();
  int percentFromPosition() const;

  VolumeParts parts_;
  VolumeView& v_;
  platform::Mixer& mixer_;
  bool mixerOpen_ = false;
  std::unique_ptr<SteadyTicker> fadeTicker_;
  bool mixerMessageShown_ = false;
};

// "Str" of a whole number: a leading blank for 0 and above, "-" below.
QString blankNumber(qint64 n);

}  // namespace scenova::audio
