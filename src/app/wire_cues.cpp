#include "audio/layer_operations.h"
#include "form1.h"
#include "platform/rtb/rtb.h"
#include "script/cue_engine.h"
#include "subsystems.h"
#include "wiring.h"

#include <QEvent>
#include <QFileInfo>

#include <functional>

namespace scenova::app {

namespace {

// The window as the cue code sees it.
class FormCueHost final : public script::CueHost {
 public:
  FormCueHost(Form1& form, audio::VolumeOperations& volume, video::VideoOperations& video,
              audio::LayerOperations& layers)
      : form_(form), volume_(volume), video_(video), layers_(layers) {}
  void ShowNotice(const QString& text) override { form_.ShowNotice(text); }
  QString programFolder() const override { return form_.programFolder(); }
  QString scriptFolder() const override {
    const QString path = form_.doc().DocumentPath;
    return path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
  }
  platform::AudioDevice& audioDevice() const override { return *form_.services().audio; }
  audio::VolumeOperations& volume() const override { return volume_; }
  video::VideoOperations& video() const override { return video_; }
  platform::MediaPlayer& mainPlayer() const override { return form_.mainPlayer(); }
  audio::LayerOperations& layers() const override { return layers_; }

 private:
  Form1& form_;
  audio::VolumeOperations& volume_;
  video::VideoOperations& video_;
  audio::LayerOperations& layers_;
};

// Watches mouse moves over the widgets it is installed on.
class BackgroundHover final : public QObject {
 public:
  BackgroundHover(std::function<void()> onMove, QObject* parent)
      : QObject(parent), onMove_(std::move(onMove)) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseMove) onMove_();
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> onMove_;
};

}  // namespace

script::CueParts cueParts(Form1& form, audio::VolumeOperations& volume,
                          video::VideoOperations& video, audio::LayerOperations& layers) {
  script::CueParts parts;
  parts.ui = &form.ui();
  parts.lang = &form.lang();
  parts.Timer1 = &form.timers().Timer1;
  parts.host = std::make_unique<FormCueHost>(form, volume, video, layers);
  parts.editor = form.editor();
  return parts;
}

void wireCues(Subsystems& s) {
  script::CueEngine* engine = &s.cues;
  engine->connectControls();
  // The pointer on the window's own background (or on the editor's frame)
  // puts every lit transport button back to normal.
  // (Label1, the editor's frame, reports its own moves to the buttons.)
  auto* unlight =
      new BackgroundHover([engine] { engine->buttons().Form_MouseMove(0, 0, 0, 0); }, engine);
  s.window.ui().central->installEventFilter(unlight);
}

}  // namespace scenova::app
