#include "platform/media/null_media.h"

#include "platform/media/mci_command.h"

#include <QWidget>

namespace scenova::platform {

quint32 NullAudioDevice::sendString(const QString&, QString* reply) {
  if (reply) reply->clear();
  return code(MciError::DeviceFailed);
}

QString NullAudioDevice::errorString(quint32 code) const {
  return mciErrorText(code);
}

NullMediaPlayer::NullMediaPlayer(QWidget* parent) : widget_(new QWidget(parent)) {}

NullMediaPlayer::~NullMediaPlayer() {
  delete widget_.data();
}

}  // namespace scenova::platform
