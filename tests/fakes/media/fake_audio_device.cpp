#include "fakes/media/fake_audio_device.h"

#include "platform/media/audio_device_file.h"

namespace scenova::platform {

void FakeAudioDevice::advance(qint64 ms) {
  if (!playing || ms <= 0) return;
  positionMs = std::min(positionMs + ms, openLength_);
  if (positionMs >= openLength_) playing = false;
}

quint32 FakeAudioDevice::sendString(const QString& command, QString* reply) {
  commands.append(command);
  if (reply) reply->clear();
  const MciCommand c = MciCommand::parse(command);
  return c.isValid() ? run(c, reply) : code(c.error);
}

quint32 FakeAudioDevice::run(const MciCommand& c, QString* reply) {
  using Verb = MciCommand::Verb;
  if (c.verb == Verb::CloseAll) {
    alias.clear();
    path.clear();
    playing = false;
    positionMs = 0;
    brokenWith = 0;
    return 0;
  }
  if (c.verb == Verb::Open) {
    if (isOpen()) return code(MciError::AliasInUse);
    if (checkFiles) {
      if (const MciError e = checkAudioFile(c.path, nullptr); e != MciError::None) return code(e);
    }
    if (const quint32 fail = std::exchange(failNextOpen, 0)) return fail;
    alias = c.alias;
    path = c.path;
    openLength_ = lengthMs;
    positionMs = 0;
    playing = false;
    return 0;
  }
  if (!isOpen() || c.alias.compare(alias, Qt::CaseInsensitive) != 0) {
    return code(MciError::NoSuchAlias);
  }
  if (brokenWith) return brokenWith;
  switch (c.verb) {
    case Verb::PlayFrom:
      if (c.from > openLength_) return code(MciError::OutOfRange);
      positionMs = c.from;
      playing = positionMs < openLength_;
      return 0;
    case Verb::Play:
      playing = positionMs < openLength_;
      return 0;
    case Verb::Stop:
      playing = false;
      return 0;
    case Verb::SeekStart:
      playing = false;
      positionMs = 0;
      return 0;
    case Verb::Position:
      if (reply) *reply = QString::number(positionMs);
      return 0;
    case Verb::Length:
      if (reply) *reply = QString::number(openLength_);
      return 0;
    default:
      return code(MciError::UnknownCommand);
  }
}

}  // namespace scenova::platform
