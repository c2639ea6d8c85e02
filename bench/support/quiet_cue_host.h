#pragma once

// What the cue benchmarks give the cue engine instead of a main window: a
// volume that only counts fades, a host with an audio device and nothing
// else, and the rig that joins them to the window's controls.

#include "audio/volume_operations.h"
#include "fakes/media/fake_audio_device.h"
#include "platform/media/null_media.h"
#include "platform/rtb/rtb.h"
#include "script/cue_context.h"
#include "script/cue_engine.h"
#include "ui/language_table.h"
#include "ui/main_controls.h"
#include "video/video_operations.h"

#include <QMainWindow>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace scenova::bench {

struct QuietVolume final : audio::VolumeOperations {
  int fades = 0;
  void fadeButtonClick(int) override { ++fades; }
  void ApplyVolume() override {}
  quint32 mixerMax() const override { return 65535; }
};

struct Host final : script::CueHost {
  platform::AudioDevice* device = nullptr;
  audio::VolumeOperations* volumeOps = nullptr;
  void ShowNotice(const QString&) override {}
  QString programFolder() const override { return QStringLiteral("/nonexistent"); }
  platform::AudioDevice& audioDevice() const override { return *device; }
  audio::VolumeOperations& volume() const override { return *volumeOps; }
  video::VideoOperations& video() const override { return noVideo; }
  platform::MediaPlayer& mainPlayer() const override { return noPlayer; }

  mutable video::NoVideo noVideo;
  mutable platform::NullMediaPlayer noPlayer;
};

// The cue engine over the window's controls, an empty editor and a fake
// audio device, with the play button showing "Play".
struct CueRig {
  QMainWindow window;
  ui::MainControls ui;
  ui::LanguageTable lang;
  QTimer Timer1;
  platform::FakeAudioDevice device;
  QuietVolume volume;
  platform::RTB* editor = nullptr;
  script::CueEngine* engine = nullptr;

  CueRig() {
    editor = new platform::RTB;
    ui = ui::buildMainControls(&window, editor, new QWidget);
    lang.setText(7, QStringLiteral("Play"));
    lang.setText(8, QStringLiteral("Pause"));
    ui.cmdPlayA->Tag = lang[7];
    auto host = std::make_unique<Host>();
    host->device = &device;
    host->volumeOps = &volume;
    script::CueParts parts{&ui, &lang, &Timer1, std::move(host), editor};
    engine = new script::CueEngine(std::move(parts), &window);
  }
};

}  // namespace scenova::bench
