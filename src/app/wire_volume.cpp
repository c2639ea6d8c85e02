#include "audio/volume_control.h"
#include "form1.h"
#include "subsystems.h"
#include "video/video_operations.h"
#include "wiring.h"

#include <QCheckBox>

namespace scenova::app {

namespace {

// The slider's controls on the main window's audio panel.
class FormVolumeView final : public audio::VolumeView {
 public:
  explicit FormVolumeView(MainControls& ui) : ui_(ui) {}

  double knobLeft() const override { return twips::left(ui_.Image2); }
  double knobTop() const override { return twips::top(ui_.Image2); }
  double knobWidth() const override { return twips::width(ui_.Image2); }
  double knobHeight() const override { return twips::height(ui_.Image2); }
  void setKnobLeft(double v) override { twips::setLeft(ui_.Image2, v); }
  void setKnobTop(double v) override { twips::setTop(ui_.Image2, v); }

  double trackLeft() const override { return twips::left(ui_.Image3); }
  double trackTop() const override { return twips::top(ui_.Image3); }
  double trackWidth() const override { return twips::width(ui_.Image3); }
  double trackHeight() const override { return twips::height(ui_.Image3); }

  QString knobTag() const override { return ui_.Image2->Tag; }
  void setKnobTag(const QString& tag) override { ui_.Image2->Tag = tag; }
  QString percentCaption() const override { return ui_.Label6->caption(); }
  void setPercentCaption(const QString& c) override { ui_.Label6->setCaption(c); }

  bool projectorTicked() const override { return ui_.Check1->checkState() != Qt::Unchecked; }

 private:
  MainControls& ui_;
};

// The shipped pictures; a picture that cannot be read leaves the plain
// drawn control.
void setPictures(Form1& form) {
  auto picture = [&form](Control* c, const char* file) {
    if (c->setPicture(form.programFile(QStringLiteral("\\Files\\") + QLatin1StringView(file))))
      c->setStyleSheet(QString());
  };
  picture(form.ui().Image2, "knob.png");
  picture(form.ui().Image3, "track.png");
  const char* fades[] = {"fadein_fast.png",  "fadein_normal.png",  "fadein_slow.png",
                         "fadeout_fast.png", "fadeout_normal.png", "fadeout_slow.png"};
  for (size_t i = 0; i < form.ui().fadeButtons.size(); ++i)
    picture(form.ui().fadeButtons[i], fades[i]);
  form.ui().Image2->setCursor(Qt::SizeVerCursor);
  form.ui().Image3->setCursor(Qt::PointingHandCursor);
}

}  // namespace

audio::VolumeParts volumeParts(Form1& form, video::VideoOperations& video) {
  audio::VolumeParts parts;
  parts.view = std::make_unique<FormVolumeView>(form.ui());
  parts.dragTimer = &form.timers().Timer2;
  parts.fadeTimer = &form.timers().Timer3;
  parts.mixer = form.services().mixer;
  parts.mainPlayer = [&form] { return &form.mainPlayer(); };
  parts.projectorPlayer = [&video] { return video.projectorPlayer(); };
  parts.dialogs = form.services().dialogs;
  parts.dialogOwner = &form;
  parts.text = [&form](int n) { return form.lang()[n]; };
  return parts;
}

void wireVolume(Subsystems& s) {
  using audio::VolumeControl;
  VolumeControl* v = &s.volume;
  const MainControls& ui = s.window.ui();
  QObject::connect(ui.Image2, &Control::MouseDown, v, &VolumeControl::Image2_MouseDown);
  QObject::connect(ui.Image2, &Control::MouseMove, v, &VolumeControl::Image2_MouseMove);
  QObject::connect(ui.Image2, &Control::MouseUp, v, &VolumeControl::Image2_MouseUp);
  QObject::connect(ui.Image3, &Control::MouseUp, v, &VolumeControl::Image3_MouseUp);
  QObject::connect(ui.Image3, &Control::Click, v, &VolumeControl::Image3_Click);
  for (size_t i = 0; i < ui.fadeButtons.size(); ++i)
    QObject::connect(ui.fadeButtons[i], &Control::Click, v,
                     [v, i] { v->fadeButtonClick(static_cast<int>(i)); });
  setPictures(s.window);
}

}  // namespace scenova::app
