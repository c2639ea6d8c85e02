#pragma once

// What the cue benchmarks give the cue engine instead of a main window: a
// volume that only counts fades and a host with an audio device and nothing
// else.

#include "audio/volume_operations.h"
#include "script/cue_context.h"

#include <QString>

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
  platform::AudioDevice* audioDevice() const override { return device; }
  audio::VolumeOperations* volume() const override { return volumeOps; }
  video::VideoOperations* video() const override { return nullptr; }
  platform::MediaPlayer* mainPlayer() const override { return nullptr; }
};

}  // namespace scenova::bench
