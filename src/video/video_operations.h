#pragma once

#include <QString>

class QWidget;

namespace scenova::platform {
class MediaPlayer;
}

namespace scenova::video {

// What cues and the media loader ask of the video side: the video panel's
// transport, the projector switch, the monitor count and the picture
// display. The video player, projector and zoom windows implement it.
class VideoOperations {
 public:
  virtual ~VideoOperations() = default;

  virtual void cmdPlayV_Click() = 0;
  virtual void cmdStopV_Click() = 0;
  // Seeks the active player to the seconds in lblContatoreV.Tag.
  virtual void lblContatoreV_Click() = 0;
  // Sets the projector switch; a change runs its click operation.
  virtual void setProjector(bool on) = 0;
  virtual bool projectorOn() const = 0;
  virtual int monitorCount() const = 0;

  // The player video cues go to: the projector's while projector mode is on,
  // else the main window's. Null when there is none.
  virtual platform::MediaPlayer* activePlayer() = 0;
  virtual platform::MediaPlayer* mainPlayer() = 0;       // WMP2
  virtual platform::MediaPlayer* projectorPlayer() = 0;  // WMP1, may be null

  // Picture display: shows or hides the picture (main window preview on one
  // monitor, the zoom window on the second monitor otherwise).
  virtual void showPicture(bool show) = 0;
  // Loads a picture cue (the picture branch of the media loader).
  virtual void loadPicture(const QString& path) = 0;

  // Whether the show has something going on the video side: a video
  // playing, the projector or the picture window up, or a picture in the
  // main window's preview.
  virtual bool showing() const { return false; }
  // Whether the top-level window is one of the show windows (projector,
  // picture): show mode keeps the keyboard there too.
  virtual bool isShowWindow(const QWidget* window) const {
    (void)window;
    return false;
  }
  // The program ends: both players stop and empty, every show window
  // closes, whatever was shown.
  virtual void endShow() {}
};

// A window without a video side: video cues and commands do nothing, and
// there is no player to give them to.
class NoVideo final : public VideoOperations {
 public:
  void cmdPlayV_Click() override {}
  void cmdStopV_Click() override {}
  void lblContatoreV_Click() override {}
  void setProjector(bool) override {}
  bool projectorOn() const override { return false; }
  int monitorCount() const override { return 1; }
  platform::MediaPlayer* activePlayer() override { return nullptr; }
  platform::MediaPlayer* mainPlayer() override { return nullptr; }
  platform::MediaPlayer* projectorPlayer() override { return nullptr; }
  void showPicture(bool) override {}
  void loadPicture(const QString&) override {}
};

}  // namespace scenova::video
