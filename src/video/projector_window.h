#pragma once

// Form2, the projector window: the projector's player WMP1 filling a
// frameless black window on the second monitor, and the counter tick of
// that player.

#include "video/show_window.h"

#include <QTimer>

#include <memory>

namespace scenova::platform {
class MediaPlayer;
}

namespace scenova::video {

class ProjectorWindow final : public ShowWindow {
  Q_OBJECT
 public:
  // Takes the player (never null: a null player where there is no video
  // engine); its widget becomes the window's only child.
  explicit ProjectorWindow(std::unique_ptr<platform::MediaPlayer> wmp1);
  ~ProjectorWindow() override;

  platform::MediaPlayer& WMP1() const { return *wmp1_; }
  QTimer Timer1;  // counter tick of WMP1

  // WMP1 fills the window.
  void Form_Resize();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::unique_ptr<platform::MediaPlayer> wmp1_;
};

}  // namespace scenova::video
