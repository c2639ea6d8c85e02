#pragma once

// A volume slider on plain numbers: the design geometry of the knob and the
// track, a fake mixer, two fake players and fake dialogs.

#include "audio/volume_control.h"
#include "fakes/fakes.h"
#include "fakes/media/fake_media_player.h"
#include "fakes/media/fake_mixer.h"
#include "platform/media/null_media.h"

#include <QTimer>

namespace scenova::test {

struct MemoryVolumeView final : audio::VolumeView {
  double kLeft = 990, kTop = 1125, kWidth = 375, kHeight = 195;
  double tLeft = 1125, tTop = 255, tWidth = 90, tHeight = 1200;
  QString tag, caption = QStringLiteral("100");
  bool ticked = false;

  double knobLeft() const override { return kLeft; }
  double knobTop() const override { return kTop; }
  double knobWidth() const override { return kWidth; }
  double knobHeight() const override { return kHeight; }
  void setKnobLeft(double v) override { kLeft = v; }
  void setKnobTop(double v) override { kTop = v; }
  double trackLeft() const override { return tLeft; }
  double trackTop() const override { return tTop; }
  double trackWidth() const override { return tWidth; }
  double trackHeight() const override { return tHeight; }
  QString knobTag() const override { return tag; }
  void setKnobTag(const QString& t) override { tag = t; }
  QString percentCaption() const override { return caption; }
  void setPercentCaption(const QString& c) override { caption = c; }
  bool projectorTicked() const override { return ticked; }
};

struct Slider {
  static constexpr double kTop = 255, kBottom = 1260, kCentre = 757.5;

  QTimer timer2, timer3;
  platform::FakeMixer mixer;
  platform::NullMixer noMixer;  // a program without a master volume
  platform::FakeMediaPlayer wmp2, wmp1;
  platform::FakeDialogs dialogs;
  MemoryVolumeView* view = nullptr;
  std::unique_ptr<audio::VolumeControl> v;

  enum class Mixer { Opens, Fails, None };

  explicit Slider(quint32 max = 65536, Mixer kind = Mixer::Opens) {
    mixer.max = max;
    mixer.openSucceeds = kind == Mixer::Opens;
    audio::VolumeParts parts;
    auto memory = std::make_unique<MemoryVolumeView>();
    view = memory.get();
    parts.view = std::move(memory);
    parts.dragTimer = &timer2;
    parts.fadeTimer = &timer3;
    parts.mixer = kind == Mixer::None ? static_cast<platform::Mixer*>(&noMixer) : &mixer;
    parts.mainPlayer = [this] { return &wmp2; };
    parts.projectorPlayer = [this] { return &wmp1; };
    parts.dialogs = &dialogs;
    parts.text = [](int n) { return QStringLiteral("text %1").arg(n); };
    v = std::make_unique<audio::VolumeControl>(std::move(parts));
    v->OpenMixer();
    v->LayoutVolumeKnob();
  }

  // Puts the knob's top at `top` with a click on the track.
  void clickTrackAt(double top) {
    v->Image3_MouseUp(1, 0, 45, top - view->tTop + view->kHeight / 2);
    v->Image3_Click();
  }
  // Runs fade ticks until the fade ends; the number of ticks it took.
  int runFade(int limit = 5000) {
    int ticks = 0;
    while (v->fading() && ticks < limit) {
      v->Timer3_Timer();
      ++ticks;
    }
    return ticks;
  }
};

}  // namespace scenova::test
