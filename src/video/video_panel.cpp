#include "video/video_panel.h"

#include "platform/media/media_player.h"
#include "platform/monitors.h"
#include "ui/language_table.h"
#include "ui/main_controls.h"
#include "ui/numbers.h"
#include "video/monitor_list.h"
#include "video/projector_window.h"
#include "video/show_window.h"
#include "video/zoom_window.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QTimer>

#include <cmath>

namespace scenova::video {

namespace {

constexpr int kTickMs = 100;
const QString kResetCounter = QStringLiteral("00:00 / 00:00");

bool shown(const QWidget* w) {
  return w && !w->isHidden();
}

// The fill of the progress bar: 20 twips short of the exact proportion,
// never below 1. A zero or unknown length gives the empty bar.
double progressWidth(double track, double duration, double position) {
  if (!(duration > 0) || !std::isfinite(duration) || !std::isfinite(position)) return 1;
  return std::max(1.0, std::floor(track / duration * position) - 20);
}

}  // namespace

VideoPanel::VideoPanel(VideoParts parts, QObject* parent)
    : QObject(parent),
      p_(std::move(parts)),
      ui_(p_.ui),
      lang_(p_.lang),
      timer4_(&p_.Timer4),
      monitors_(p_.monitorSystem) {}

void VideoPanel::Form_Load() {
  if (followingMonitors_) return;
  followingMonitors_ = true;
  monitors_.Refresh();
  connect(&p_.monitorSystem, &platform::MonitorSystem::changed, this, &VideoPanel::monitorsChanged);
}

VideoPanel::~VideoPanel() {
  // The window's timer may already be gone when the panel goes with the
  // window's children.
  if (timer4_) timer4_->stop();
  setBusy(false);
}

void VideoPanel::connectControls() {
  using ui::Control;
  connect(ui_.cmdPlayV, &Control::Click, this, &VideoPanel::cmdPlayV_Click);
  connect(ui_.cmdStopV, &Control::Click, this, &VideoPanel::cmdStopV_Click);
  connect(ui_.cmdForV, &Control::Click, this, &VideoPanel::cmdForV_Click);
  connect(ui_.cmdBacV, &Control::Click, this, &VideoPanel::cmdBacV_Click);
  connect(ui_.lblContatoreV, &Control::MouseMove, this, &VideoPanel::lblContatoreV_MouseMove);
  connect(ui_.lblContatoreV, &Control::Click, this, &VideoPanel::lblContatoreV_Click);
  connect(ui_.mnuPlayVideo, &QAction::triggered, this, &VideoPanel::cmdPlayV_Click);
  connect(ui_.mnuStopVideo, &QAction::triggered, this, &VideoPanel::cmdStopV_Click);
  connect(ui_.mnuForVideo, &QAction::triggered, this, &VideoPanel::cmdForV_Click);
  connect(ui_.mnuBacVideo, &QAction::triggered, this, &VideoPanel::cmdBacV_Click);
  connect(ui_.Check1, &QCheckBox::toggled, this, &VideoPanel::Check1_Click);
  connect(ui_.Label5, &Control::Click, this, &VideoPanel::Label5_Click);
  connect(&p_.Timer4, &QTimer::timeout, this, &VideoPanel::Timer4_Timer);
  connectFailures(p_.WMP2);
}

void VideoPanel::connectFailures(platform::MediaPlayer& player) {
  // A file the player cannot open says so, as a failed audio open does.
  // The engine's own words are English: the language's text comes first.
  connect(&player, &platform::MediaPlayer::loadFailed, this,
          [this](const QString& error) { p_.notice(lang_[221] + QLatin1Char(' ') + error); });
}

bool VideoPanel::projectorOn() const {
  return ui_.Check1->isChecked();
}

int VideoPanel::monitorCount() const {
  return monitors_.Count();
}

bool VideoPanel::projectorMode() const {
  return projectorOn() && monitorCount() > 1;
}

ProjectorWindow& VideoPanel::Form2() {
  if (!form2_) {
    platform::PlayerSettings s;
    s.autoStart = true;
    s.fullScreen = true;
    form2_ = std::make_unique<ProjectorWindow>(p_.createPlayer(s));
    connect(&form2_->Timer1, &QTimer::timeout, this, &VideoPanel::Form2_Timer1_Timer);
    connect(form2_.get(), &ShowWindow::escapePressed, this, [this] {
      setBusy(false);
      form2_->hide();  // the video goes on until Stop or Pause
    });
    connectFailures(form2_->WMP1());
    // Form_Load: the progress bar starts empty.
    ui::twips::setWidth(ui_.Shape7, 1);
    ui::twips::setLeft(ui_.lblContatoreV, ui::twips::left(ui_.Shape8));
    ui::twips::setWidth(ui_.lblContatoreV, ui::twips::width(ui_.Shape8));
  }
  return *form2_;
}

ZoomWindow& VideoPanel::frmZoom() {
  if (!zoom_) {
    zoom_ = std::make_unique<ZoomWindow>();
    connect(zoom_.get(), &ShowWindow::escapePressed, this, [this] {
      setBusy(false);
      zoom_->hide();
    });
  }
  return *zoom_;
}

platform::MediaPlayer* VideoPanel::projectorPlayer() {
  return &Form2().WMP1();
}

platform::MediaPlayer* VideoPanel::activePlayer() {
  return &active();
}

platform::MediaPlayer& VideoPanel::active() {
  return projectorMode() ? Form2().WMP1() : p_.WMP2;
}

void VideoPanel::setBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  // The operator's window only: the pointer never appears on the projector.
  if (QWidget* window = ui_.Picture3 ? ui_.Picture3->window() : nullptr) {
    if (busy)
      window->setCursor(Qt::BusyCursor);
    else
      window->unsetCursor();
  }
}

void VideoPanel::setPlayPicture(const char* name) {
  ui_.cmdPlayV->setPicture(p_.programFolder + QStringLiteral("/Files/") + QLatin1StringView(name) +
                           QStringLiteral(".jpg"));
}

void VideoPanel::relabel() {
  const bool idle = ui_.cmdPlayV->Tag == lang_[7];
  ui_.mnuPlayVideo->setText(lang_[idle ? 7 : 8]);
  setPlayPicture(idle ? "play2" : "pause2");
}

void VideoPanel::placeWMP2() {
  ui::twips::setTop(ui_.WMP2, ui::twips::top(ui_.Picture3) + ui::design::kVideoPreviewOffset);
  ui::twips::setLeft(ui_.WMP2, ui::twips::left(ui_.Picture3));
  ui::twips::setWidth(ui_.WMP2, ui::twips::width(ui_.Picture3));
  // A video cue hides the panel's player until it plays: show it again so
  // that a video played in the main window is seen.
  ui_.WMP2->show();
  ui_.WMP2->raise();
}

bool VideoPanel::projectorMonitorThere() const {
  const clsMonitor* m = monitors_.ProjectorMonitor();
  return m && p_.monitorSystem.monitorInfo(m->Handle);
}

bool VideoPanel::placeOnProjector(ShowWindow& window) {
  const clsMonitor* m = monitors_.ProjectorMonitor();
  // Asked again: the monitor may have gone since the list was built.
  const auto info = m ? p_.monitorSystem.monitorInfo(m->Handle) : std::nullopt;
  if (!info) {
    // Never put the window over the operator's monitor.
    window.hide();
    return false;
  }
  placedOn_ = m->Handle;
  window.place(info->monitor);
  return true;
}

void VideoPanel::fallBackToMainWindow(const QString& why) {
  const bool playing = ui_.cmdPlayV->Tag == lang_[8];
  const double at =
      form2_ && !form2_->WMP1().url().isEmpty() ? form2_->WMP1().currentPosition() : 0;
  hideForm2();
  if (zoom_) zoom_->hide();
  // Runs Check1_Click: both players emptied (the video remembered), the
  // panel's player shown.
  if (ui_.Check1->isChecked()) ui_.Check1->setChecked(false);
  p_.notice(why);
  if (!playing) return;
  ui_.cmdPlayV->Tag = lang_[7];
  cmdPlayV_Click();
  if (at > 0 && !p_.WMP2.url().isEmpty()) p_.WMP2.setCurrentPosition(at);
}

void VideoPanel::monitorsChanged() {
  monitors_.Refresh();
  if (placedOn_ == 0) return;  // nothing was put on a projector
  if (const auto placed = p_.monitorSystem.monitorInfo(placedOn_)) {
    // Moved or given another resolution: the show windows follow it.
    for (ShowWindow* w :
         {static_cast<ShowWindow*>(form2_.get()), static_cast<ShowWindow*>(zoom_.get())})
      if (shown(w)) w->place(placed->monitor);
    return;
  }
  // The projector's monitor went away: its windows must not land on the
  // operator's monitor, and the next video must not go to it.
  placedOn_ = 0;
  if (shown(form2_.get()) || shown(zoom_.get()) || projectorOn()) fallBackToMainWindow(lang_[208]);
}

void VideoPanel::hideForm2() {
  if (form2_) form2_->hide();
}

bool VideoPanel::showing() const {
  const bool playing = ui_.cmdPlayV->Tag == lang_[8];
  return playing || (form2_ && form2_->isVisible()) || (zoom_ && zoom_->isVisible()) ||
         (ui_.imgZoom && ui_.imgZoom->isVisible());
}

bool VideoPanel::isShowWindow(const QWidget* window) const {
  return window && (window == form2_.get() || window == zoom_.get());
}

void VideoPanel::endShow() {
  p_.Timer4.stop();
  p_.WMP2.close();
  if (form2_) {
    form2_->Timer1.stop();
    form2_->WMP1().close();
    form2_->close();
  }
  if (zoom_) zoom_->close();
  ui_.cmdPlayV->Tag = lang_[7];
  setBusy(false);
}

void VideoPanel::cmdPlayV_Click() {
  platform::MediaPlayer& wmp2 = p_.WMP2;
  // A projector that cannot be shown never takes the video out of sight.
  if (ui_.cmdPlayV->Tag == lang_[7] && projectorMode() && !projectorMonitorThere())
    fallBackToMainWindow(lang_[124]);
  if (ui_.cmdPlayV->Tag == lang_[7]) {
    ui_.cmdPlayV->Tag = lang_[8];
    setBusy(true);
    if (projectorMode()) {
      ProjectorWindow& form2 = Form2();
      p_.Timer4.stop();
      wmp2.stop();
      platform::MediaPlayer& wmp1 = form2.WMP1();
      const QString cue = videoToReload();
      if (ui::twips::width(ui_.Shape7) < 21 && !cue.isEmpty() && cue != wmp1.url())
        wmp1.setUrl(cue);
      if (shown(ui_.imgZoom)) ui_.imgZoom->hide();
      wmp1.play();
      if (placeOnProjector(form2)) {
        form2.show();
        form2.raise();
      }
      form2.Timer1.start(kTickMs);
    } else {
      if (form2_) {
        form2_->Timer1.stop();
        form2_->WMP1().stop();
      }
      placeWMP2();
      if (shown(ui_.imgZoom)) ui_.imgZoom->hide();
      // Emptied by the switch: the video it took from the players comes back.
      if (wmp2.url().isEmpty() && !lastVideo_.isEmpty()) wmp2.setUrl(lastVideo_);
      wmp2.play();
      ui::twips::setLeft(ui_.lblContatoreV, ui::twips::left(ui_.Shape8));
      ui::twips::setWidth(ui_.lblContatoreV, ui::twips::width(ui_.Shape8));
      p_.Timer4.start(kTickMs);
    }
  } else {
    ui_.cmdPlayV->Tag = lang_[7];
    // Both players pause, whichever is active.
    if (form2_) form2_->WMP1().pause();
    wmp2.pause();
    if (!projectorMode())
      p_.Timer4.stop();
    else if (form2_)
      form2_->Timer1.stop();
    setBusy(false);
  }
  relabel();
}

void VideoPanel::cmdStopV_Click() {
  ui::twips::setWidth(ui_.Shape7, 1);
  if (projectorMode()) {
    ProjectorWindow& form2 = Form2();
    form2.Timer1.stop();
    form2.WMP1().stop();
    form2.hide();
  } else {
    p_.Timer4.stop();
    p_.WMP2.stop();
  }
  ui_.lblContatoreV->setCaption(kResetCounter);
  ui_.cmdPlayV->Tag = lang_[7];
  ui_.mnuPlayVideo->setText(lang_[7]);
  setPlayPicture("play");
  setBusy(false);
}

void VideoPanel::cmdForV_Click() {
  platform::MediaPlayer& player = active();
  player.setCurrentPosition(player.currentPosition() + 5);
  if (projectorMode())
    Form2_Timer1_Timer();
  else
    Timer4_Timer();
}

void VideoPanel::cmdBacV_Click() {
  platform::MediaPlayer& player = active();
  player.setCurrentPosition(player.currentPosition() - 5);
  if (projectorMode())
    Form2_Timer1_Timer();
  else
    Timer4_Timer();
  setBusy(false);
}

void VideoPanel::lblContatoreV_MouseMove(int, int, double x, double) {
  const double width = ui::twips::width(ui_.lblContatoreV);
  if (!(width > 0)) return;
  const double at = active().duration() / width * x;
  if (std::isfinite(at)) ui_.lblContatoreV->Tag = ui::signedDecimal(at);
}

void VideoPanel::lblContatoreV_Click() {
  bool ok = false;
  const double seconds = ui_.lblContatoreV->Tag.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(seconds)) return;  // nothing stored: no seek
  active().setCurrentPosition(seconds);
}

void VideoPanel::counterTick(platform::MediaPlayer& player, bool endOfMedia) {
  const QString at = player.currentPositionString();
  if (at.isEmpty()) {
    ui_.Shape7->hide();
    return;
  }
  const QString length = player.durationString();
  const QString caption = at + QStringLiteral(" / ") + length;
  if (ui_.lblContatoreV->caption() != caption) ui_.lblContatoreV->setCaption(caption);
  const double fill =
      progressWidth(ui::twips::width(ui_.Shape8), player.duration(), player.currentPosition());
  if (ui::twips::width(ui_.Shape7) != fill) ui::twips::setWidth(ui_.Shape7, fill);
  if (ui_.Shape7->isHidden()) {
    ui_.Shape7->show();
    ui::twips::setLeft(ui_.lblContatoreV, ui::twips::left(ui_.Shape8));
    ui::twips::setWidth(ui_.lblContatoreV, ui::twips::width(ui_.Shape8));
    if (!endOfMedia) setBusy(false);
  }
  if (!endOfMedia) return;
  if (at == length && ui_.cmdPlayV->Tag != lang_[7]) {
    ui_.cmdPlayV->Tag = lang_[7];
    ui_.mnuPlayVideo->setText(lang_[7]);
    setPlayPicture("play");
  }
  setBusy(false);
}

void VideoPanel::Timer4_Timer() {
  counterTick(p_.WMP2, true);
}

void VideoPanel::Form2_Timer1_Timer() {
  // Before the projector window was first used there is nothing to count.
  if (!form2_) {
    ui_.Shape7->hide();
    return;
  }
  counterTick(form2_->WMP1(), false);
}

void VideoPanel::setProjector(bool on) {
  // Setting the value it already has changes nothing and runs nothing.
  if (ui_.Check1->isChecked() != on) ui_.Check1->setChecked(on);
}

QString VideoPanel::videoToReload() const {
  // The last cue clicked may be a command ("Play Video"): only a file is
  // worth loading; otherwise the video the players last had.
  const QString cue = p_.currentCue();
  if (!cue.isEmpty() && QFileInfo(cue).isFile()) return cue;
  return lastVideo_;
}

void VideoPanel::Check1_Click() {
  // Both players are emptied; the projector reloads the video on Play.
  if (!p_.WMP2.url().isEmpty()) lastVideo_ = p_.WMP2.url();
  if (form2_ && !form2_->WMP1().url().isEmpty()) lastVideo_ = form2_->WMP1().url();
  p_.WMP2.close();
  if (form2_) form2_->WMP1().close();
  ui::twips::setWidth(ui_.Shape7, 1);
  if (projectorMode()) {
    ui_.WMP2->hide();
    ProjectorWindow& form2 = Form2();
    if (!placeOnProjector(form2)) {
      // As with one monitor: the switch goes back (running this again).
      ui_.Check1->setChecked(false);
      p_.notice(lang_[124]);
      return;
    }
    form2.show();
    form2.raise();
    form2.activateWindow();
    form2.setFocus();
    return;
  }
  if (ui_.Check1->isChecked()) {
    // One monitor: the switch goes back by itself (running this again for
    // the unticked switch), and the operator is told why.
    ui_.Check1->setChecked(false);
    p_.notice(lang_[124]);
  }
  p_.Timer4.start(1000);
  if (form2_) form2_->Timer1.stop();
  hideForm2();
  placeWMP2();
}

void VideoPanel::showPicture(bool show) {
  if (!show) {
    if (shown(ui_.imgZoom)) ui_.imgZoom->hide();
    if (zoom_ && shown(zoom_->Image1)) zoom_->Image1->hide();
    return;
  }
  if (monitorCount() < 2) {
    if (ui_.imgZoom->isHidden()) ui_.imgZoom->show();
  } else if (zoom_ && zoom_->Image1->isHidden()) {
    zoom_->Image1->show();
  }
}

void VideoPanel::loadPicture(const QString& path) {
  QString error;
  const auto picture = readPicture(path, &error);
  if (!picture) {
    // The previous picture and its preview stay; the operator learns why
    // this one did not come.
    p_.notice(lang_[222] + QLatin1Char(' ') + error);
    return;
  }
  ui_.imgZoom->hide();
  p_.WMP2.close();
  if (form2_ && form2_->isVisible()) {
    form2_->WMP1().close();
    form2_->hide();
  }
  ZoomWindow& zoom = frmZoom();
  zoom.Image1->setPicture(*picture);
  if (monitorCount() >= 2) {
    if (placeOnProjector(zoom)) {
      zoom.Form_Resize();
      zoom.show();
      zoom.raise();
      zoom.Image1->show();
      return;
    }
    // The projector cannot be shown: the picture comes up in the main window.
    p_.notice(lang_[124]);
  }
  // One monitor: the preview under the video panel, as wide as the panel
  // for a landscape picture, three quarters of that high otherwise.
  ui_.imgZoom->setPixmap(QPixmap::fromImage(picture->image));
  const double w0 = picture->natural.width(), h0 = picture->natural.height();
  const double panel = ui::twips::width(ui_.Picture3);
  double w = 0, h = 0;
  if (h0 < w0) {
    w = panel;
    h = panel / w0 * h0;
  } else {
    h = panel / 4 * 3;
    w = h / h0 * w0;
  }
  ui::twips::setGeometry(ui_.imgZoom, (panel - w) / 2 + ui::twips::left(ui_.Picture3),
                         ui::twips::top(ui_.Picture3) + ui::design::kVideoPreviewOffset, w, h);
  ui_.imgZoom->show();
  ui_.imgZoom->raise();
}

}  // namespace scenova::video
