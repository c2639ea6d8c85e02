#include "video/projector_window.h"

#include "platform/key_codes.h"
#include "platform/media/media_player.h"

namespace scenova::video {

ProjectorWindow::ProjectorWindow(std::unique_ptr<platform::MediaPlayer> wmp1)
    : ShowWindow(QStringLiteral("Form2")), wmp1_(std::move(wmp1)) {
  Timer1.setTimerType(Qt::PreciseTimer);
  if (QWidget* view = wmp1_->widget()) {
    view->setParent(this);
    view->setObjectName(QStringLiteral("WMP1"));
    view->setCursor(Qt::BlankCursor);
    view->show();
    // The player's own key event: Escape hides the window as in the window.
    connect(wmp1_.get(), &platform::MediaPlayer::keyDown, this, [this](int code, int) {
      if (code == 27) Q_EMIT escapePressed();
    });
  }
}

ProjectorWindow::~ProjectorWindow() {
  Timer1.stop();
  // The player's widget is ours as a child: the player deletes it first.
  wmp1_.reset();
}

void ProjectorWindow::Form_Resize() {
  if (QWidget* view = wmp1_->widget()) view->setGeometry(rect());
}

void ProjectorWindow::resizeEvent(QResizeEvent* event) {
  ShowWindow::resizeEvent(event);
  Form_Resize();
}

}  // namespace scenova::video
