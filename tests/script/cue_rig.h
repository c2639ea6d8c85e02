#pragma once

// The cue engine on the real controls and the real script editor, with the
// fake audio device, a recording volume slider, video side and window.

#include "audio/layer_operations.h"
#include "audio/transport_rig.h"
#include "audio/volume_operations.h"
#include "platform/media/media_player.h"
#include "platform/media/null_media.h"
#include "platform/rtb/rtb.h"
#include "script/cue_engine.h"
#include "video/video_operations.h"

#include <QCheckBox>

namespace scenova::test {

struct RecordingVolume final : audio::VolumeOperations {
  QStringList calls;
  quint32 max = 65535;
  void fadeButtonClick(int index) override { calls << QStringLiteral("fade %1").arg(index); }
  void ApplyVolume() override { calls << QStringLiteral("apply"); }
  void cancelFade() override { calls << QStringLiteral("cancel fade"); }
  quint32 mixerMax() const override { return max; }
};

struct RecordingVideo final : video::VideoOperations {
  QStringList calls;
  int monitors = 1;
  bool projector = false;
  platform::MediaPlayer* wmp1 = nullptr;
  QCheckBox* check1 = nullptr;

  void cmdPlayV_Click() override { calls << QStringLiteral("cmdPlayV_Click"); }
  void cmdStopV_Click() override { calls << QStringLiteral("cmdStopV_Click"); }
  void lblContatoreV_Click() override { calls << QStringLiteral("lblContatoreV_Click"); }
  void setProjector(bool on) override {
    calls << QStringLiteral("setProjector %1").arg(on);
    projector = on;
    if (check1) check1->setChecked(on);
  }
  bool projectorOn() const override { return projector; }
  int monitorCount() const override { return monitors; }
  platform::MediaPlayer* activePlayer() override { return nullptr; }
  platform::MediaPlayer* mainPlayer() override { return nullptr; }
  platform::MediaPlayer* projectorPlayer() override { return wmp1; }
  void showPicture(bool show) override { calls << QStringLiteral("showPicture %1").arg(show); }
  void loadPicture(const QString& path) override { calls << QStringLiteral("loadPicture ") + path; }
};

struct RecordingHost final : script::CueHost {
  QString folder;
  QStringList notices;
  platform::AudioDevice* device = nullptr;
  audio::VolumeOperations* volumeOps = nullptr;
  video::VideoOperations* videoOps = nullptr;
  platform::MediaPlayer* wmp2 = nullptr;
  ui::Control* label11 = nullptr;

  void ShowNotice(const QString& text) override {
    notices << text;
    if (label11) {
      label11->setCaption(text);
      label11->show();
    }
  }
  QString programFolder() const override { return folder; }
  // A side left out is the window's null object.
  platform::AudioDevice& audioDevice() const override { return *device; }
  audio::VolumeOperations& volume() const override { return volumeOps ? *volumeOps : noVolume; }
  video::VideoOperations& video() const override { return videoOps ? *videoOps : noVideo; }
  platform::MediaPlayer& mainPlayer() const override { return wmp2 ? *wmp2 : noPlayer; }

  mutable audio::NoVolume noVolume;
  mutable video::NoVideo noVideo;
  mutable platform::NullMediaPlayer noPlayer;
  audio::LayerOperations* layerOps = nullptr;  // null: the program has no layers
  audio::LayerOperations& layers() const override {
    return layerOps ? *layerOps : CueHost::layers();
  }
};

struct CueRig : PanelRig {
  platform::RTB* editor;
  platform::FakeAudioDevice device;
  RecordingVolume volume;
  RecordingVideo video;
  RecordingHost* host;
  script::CueEngine* engine;

  // withSides: false gives a window without a volume slider and video side
  // (their null objects).
  explicit CueRig(bool withSides = true) : PanelRig(new platform::RTB) {
    editor = qobject_cast<platform::RTB*>(ui.RTB);
    video.check1 = ui.Check1;
    auto h = std::make_unique<RecordingHost>();
    h->folder = folder.path();
    h->device = &device;
    h->volumeOps = withSides ? &volume : nullptr;
    h->videoOps = withSides ? &video : nullptr;
    h->label11 = ui.Label11;
    host = h.get();
    script::CueParts parts;
    parts.ui = &ui;
    parts.lang = &lang;
    parts.Timer1 = &Timer1;
    parts.host = std::move(h);
    parts.editor = editor;
    engine = new script::CueEngine(std::move(parts), &window);
  }

  // The engine goes before the device it talks to (the window, a base,
  // would delete it only after this rig's members).
  ~CueRig() { delete engine; }

  script::CueState& state() { return engine->state(); }
  QString currentCue() const { return ui.Label2[15]->Tag; }

  // Clicks with the caret at pos.
  void clickAt(int pos) {
    editor->SetSelStart(pos);
    engine->activation().RTB_Click();
  }
  void clickIn(const QString& text, const QString& marker, int offset = 1) {
    clickAt(static_cast<int>(text.indexOf(marker)) + offset);
  }

  // An audio file has been loaded: the audio commands exist.
  void audioLoaded(qint64 lengthMs = 180000) {
    device.lengthMs = lengthMs;
    engine->loader().vai(QStringLiteral("a.wav"));
    device.commands.clear();
  }
  QStringList actions() const { return device.actions(); }
};

}  // namespace scenova::test
