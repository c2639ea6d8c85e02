#include "form1.h"
#include "platform/rtb/rtb.h"
#include "script/cue_engine.h"
#include "wiring.h"

namespace scenova::app {

namespace {

// The window as the cue code sees it.
class FormCueHost final : public script::CueHost {
 public:
  explicit FormCueHost(Form1& form) : form_(form) {}
  void ShowNotice(const QString& text) override { form_.ShowNotice(text); }
  QString programFolder() const override { return form_.programFolder(); }
  platform::AudioDevice* audioDevice() const override { return form_.services().audio; }
  audio::VolumeOperations* volume() const override { return form_.volume; }
  video::VideoOperations* video() const override { return form_.video; }
  platform::MediaPlayer* mainPlayer() const override { return form_.WMP2; }

 private:
  Form1& form_;
};

}  // namespace

void wireCues(Form1& form) {
  script::CueParts parts;
  parts.ui = &form.ui;
  parts.lang = &form.lang;
  parts.Timer1 = &form.Timer1;
  parts.host = std::make_unique<FormCueHost>(form);
  parts.editor = form.editor();
  auto* engine = new script::CueEngine(std::move(parts), &form);
  engine->connectControls();
  form.cueEngine = engine;
}

}  // namespace scenova::app
