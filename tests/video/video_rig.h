#pragma once

// The video panel on the real controls, with fake players and monitors.

#include "audio/transport_rig.h"
#include "fakes/fake_monitors.h"
#include "fakes/media/fake_media_player.h"
#include "video/projector_window.h"
#include "video/video_panel.h"
#include "video/zoom_window.h"

#include <QCheckBox>
#include <QImage>

namespace scenova::test {

inline const QRect kLeftMonitor(0, 0, 1024, 768);
inline const QRect kRightMonitor(1024, 0, 1024, 768);

struct VideoRig : PanelRig {
  platform::FakeMonitorSystem monitors;
  platform::FakeMediaPlayer wmp2;
  platform::FakeMediaPlayer* wmp1 = nullptr;  // made with the projector window
  QTimer Timer4;
  QStringList notices;
  std::unique_ptr<video::VideoPanel> panel;

  explicit VideoRig(QList<QRect> screens = {kLeftMonitor, kRightMonitor})
      : PanelRig(new QWidget), monitors(std::move(screens)) {
    ui::twips::setWidth(ui.Shape7, 1);
    panel = std::make_unique<video::VideoPanel>(video::VideoParts{
        .ui = ui,
        .lang = lang,
        .Timer4 = Timer4,
        .WMP2 = wmp2,
        .monitorSystem = monitors,
        .createPlayer =
            [this](const platform::PlayerSettings& s) {
              auto p = std::make_unique<platform::FakeMediaPlayer>(s);
              wmp1 = p.get();
              return p;
            },
        .currentCue = [this] { return ui.Label2[15]->Tag; },
        .notice = [this](const QString& text) { notices << text; },
        .programFolder = folder.path(),
    });
    panel->connectControls();
    panel->Form_Load();
  }

  // A video cue has been loaded: CurrentCue names it, the panel is shown.
  QString clip;
  void cue(const QString& name = QStringLiteral("clip.mp4")) {
    folder.write(name, QByteArrayLiteral("video"));
    clip = folder.file(name);
    ui.Label2[15]->Tag = clip;
    ui.Picture3->show();
  }
  void projectorOn() {
    ui.Check1->setChecked(true);
    wmp1->calls.clear();
    wmp2.calls.clear();
  }
  video::ProjectorWindow* form2() { return panel->hasForm2() ? &panel->Form2() : nullptr; }
  QString counter() const { return ui.lblContatoreV->caption(); }
  double bar() const { return ui::twips::width(ui.Shape7); }
  QString playingPicture() const { return ui.cmdPlayV->picturePath(); }

  // A picture file of that size in the program folder.
  QString picture(const QString& name, int w, int h, const char* format = "JPG") {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::red);
    const QString path = folder.file(name);
    img.save(path, format);
    return path;
  }
};

}  // namespace scenova::test
