#pragma once

#include "media_player.h"

#include <QList>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

namespace scenova::platform {

// Sends the sound of media players (video and MIDI) to the output chosen:
// every player made through a factory it wrapped follows setOutput for as
// long as it lives, and starts on the output chosen when it was made.
//
//   PlayerRoute route;
//   auto make = route.wrap(createMediaPlayer-like factory);
//   route.setOutput(u"usb_interface"_s);   // every living player, and later ones
class PlayerRoute {
 public:
  using Factory = std::function<std::unique_ptr<MediaPlayer>(const PlayerSettings&, QWidget*)>;

  // The route must outlive the factory it returns.
  Factory wrap(Factory make);
  void setOutput(const QString& outputName);
  QString output() const { return output_; }

 private:
  QString output_;
  QList<QPointer<MediaPlayer>> players_;
};

}  // namespace scenova::platform
