#include "player_route.h"

namespace scenova::platform {

PlayerRoute::Factory PlayerRoute::wrap(Factory make) {
  if (!make) return {};
  return [this, make = std::move(make)](const PlayerSettings& settings, QWidget* parent) {
    std::unique_ptr<MediaPlayer> player = make(settings, parent);
    if (!player) return player;
    players_.removeAll(nullptr);
    players_.append(player.get());
    if (!output_.isEmpty()) player->setAudioOutput(output_);
    return player;
  };
}

void PlayerRoute::setOutput(const QString& outputName) {
  output_ = outputName;
  players_.removeAll(nullptr);
  for (const QPointer<MediaPlayer>& p : players_) p->setAudioOutput(outputName);
}

}  // namespace scenova::platform
