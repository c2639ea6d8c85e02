#pragma once

// The video side of the main window: the video panel's transport on the two
// players (WMP2 in the panel, WMP1 on the projector window), the projector
// switch, the picture display and the counter ticks. The handlers are the
// entry points that the buttons, the Video menu, cues and the media loader
// all run.
//
// Projector mode (the switch Check1 ticked and more than one monitor in the
// monitor list) is decided anew by every operation: it chooses WMP1 on the
// projector window, else WMP2. The monitor list is built again whenever the
// system reports a monitor added, removed or moved; the show windows follow
// their monitor, and when it goes away (or the projector cannot be shown)
// the switch goes back, video plays in the main window and a notice says why.

#include "video/monitor_list.h"
#include "video/video_operations.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class QTimer;

namespace scenova::ui {
struct VideoPanelControls;
class LanguageTable;
}  // namespace scenova::ui

namespace scenova::platform {
class MonitorSystem;
struct PlayerSettings;
}  // namespace scenova::platform

namespace scenova::video {

class ProjectorWindow;
class ShowWindow;
class ZoomWindow;

// Everything the panel works on. Nothing here is optional: where the system
// has no video engine the caller passes platform::NullMediaPlayer (and a
// factory making them), and Qt's screens as the monitors.
struct VideoParts {
  ui::VideoPanelControls& ui;
  const ui::LanguageTable& lang;
  QTimer& Timer4;               // counter tick of WMP2
  platform::MediaPlayer& WMP2;  // the main window's player
  const platform::MonitorSystem& monitorSystem;
  // Makes the projector's player (WMP1) when the projector window is first
  // used; it always gives a player.
  std::function<std::unique_ptr<platform::MediaPlayer>(const platform::PlayerSettings&)>
      createPlayer;
  // The cue clicked last (a file name or a command); empty when none.
  std::function<QString()> currentCue;
  std::function<void(const QString&)> notice;  // Label11 for 6 seconds
  QString programFolder;
};

class VideoPanel final : public QObject, public VideoOperations {
  Q_OBJECT
 public:
  explicit VideoPanel(VideoParts parts, QObject* parent = nullptr);
  ~VideoPanel() override;

  // Reads the monitor list again (start-up step 1) and follows the
  // system's reports of monitors changing from then on.
  void Form_Load();
  const clsMonitors& monitors() const { return monitors_; }

  // Connects the panel's buttons, counter, menu, switch, Timer4 and the
  // players' failure notices to their handlers.
  void connectControls();

  // VideoOperations
  void cmdPlayV_Click() override;
  void cmdStopV_Click() override;
  void lblContatoreV_Click() override;
  void setProjector(bool on) override;
  bool projectorOn() const override;
  int monitorCount() const override;
  platform::MediaPlayer* activePlayer() override;
  platform::MediaPlayer* mainPlayer() override { return &p_.WMP2; }
  platform::MediaPlayer* projectorPlayer() override;
  void showPicture(bool show) override;
  void loadPicture(const QString& path) override;
  bool showing() const override;
  bool isShowWindow(const QWidget* window) const override;
  void endShow() override;

  void cmdForV_Click();
  void cmdBacV_Click();
  // Stores the time under the pointer (x in twips) in lblContatoreV.Tag.
  void lblContatoreV_MouseMove(int button, int shift, double x, double y);
  void Timer4_Timer();
  void Form2_Timer1_Timer();
  // Applies the switch's value (any change of Check1 runs it).
  void Check1_Click();
  void Label5_Click() { Check1_Click(); }

  bool projectorMode() const;
  // The windows, created on first use and kept.
  ProjectorWindow& Form2();
  ZoomWindow& frmZoom();
  bool hasForm2() const { return form2_ != nullptr; }
  bool hasFrmZoom() const { return zoom_ != nullptr; }
  // Whether the busy pointer is on (set by play, reset by a tick or Stop).
  bool busy() const { return busy_; }
  // The pointer over video Back: the busy pointer ends there.
  void endBusyPointer() { setBusy(false); }

 private:
  void setBusy(bool busy);
  void relabel();
  void placeWMP2();
  // Puts a show window over the projector's monitor; false (the window
  // hidden) when there is no such monitor.
  bool placeOnProjector(ShowWindow& window);
  bool projectorMonitorThere() const;
  // The switch goes back and the operator is told why; a video that was
  // playing goes on in the main window's player from where it stood.
  void fallBackToMainWindow(const QString& why);
  void monitorsChanged();
  void hideForm2();
  // The player video cues and the transport act on (see activePlayer).
  platform::MediaPlayer& active();
  void counterTick(platform::MediaPlayer& player, bool endOfMedia);
  void setPlayPicture(const char* name);
  void connectFailures(platform::MediaPlayer& player);
  QString videoToReload() const;

  VideoParts p_;
  ui::VideoPanelControls& ui_;
  const ui::LanguageTable& lang_;
  QPointer<QTimer> timer4_;  // the window's timer may go before the panel
  clsMonitors monitors_;
  bool followingMonitors_ = false;
  std::unique_ptr<ProjectorWindow> form2_;
  std::unique_ptr<ZoomWindow> zoom_;
  bool busy_ = false;
  QString lastVideo_;    // the URL the switch took from the players
  qint64 placedOn_ = 0;  // the monitor the show windows were put on last
};

}  // namespace scenova::video
