#include "fakes/media/fake_sound_voices.h"

namespace scenova::platform {

int FakeSoundVoices::start(const QString& path, bool loop, double level, QString* why) {
  if (!refuse.isEmpty()) {
    if (why) *why = refuse;
    return 0;
  }
  static int next = 1;
  const int id = next++;
  playing.insert(id, Voice{path, loop, level, {}, {}});
  started.append(path);
  return id;
}

void FakeSoundVoices::setLevel(int voice, double level) {
  const auto it = playing.find(voice);
  if (it == playing.end()) return;
  it->level = level;
  it->levels.append(level);
}

void FakeSoundVoices::stop(int voice) {
  if (playing.remove(voice)) stopped.append(voice);
}

SoundVoices::Status FakeSoundVoices::status(int voice) const {
  return playing.value(voice).status;
}

void FakeSoundVoices::end(int voice, const QString& why) {
  if (playing.remove(voice)) ended(voice, why);
}

}  // namespace scenova::platform
