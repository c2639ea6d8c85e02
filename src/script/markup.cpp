#include "markup.h"

#include <iterator>

namespace scenova::script {

namespace {

constexpr CommandInfo kCommands[] = {
    {CommandId::FadeInFast, "fadein fast", "FadeIn Fast", false, CommandGroup::Always},
    {CommandId::FadeInNormal, "fadein normal", "FadeIn Normal", false, CommandGroup::Always},
    {CommandId::FadeInSlow, "fadein slow", "FadeIn Slow", false, CommandGroup::Always},
    {CommandId::FadeIn, "fadein", "FadeIn", false, CommandGroup::Always},
    {CommandId::FadeOutFast, "fadeout fast", "FadeOut Fast", false, CommandGroup::Always},
    {CommandId::FadeOutNormal, "fadeout normal", "FadeOut Normal", false, CommandGroup::Always},
    {CommandId::FadeOutSlow, "fadeout slow", "FadeOut Slow", false, CommandGroup::Always},
    {CommandId::FadeOut, "fadeout", "FadeOut", false, CommandGroup::Always},
    {CommandId::Vol, "vol", "Vol", true, CommandGroup::Always},
    {CommandId::ImgOff, "img off", "Img Off", false, CommandGroup::Always},
    {CommandId::ImgOn, "img on", "Img On", false, CommandGroup::Always},
    {CommandId::ProjectorOn, "projector on", "Projector On", false, CommandGroup::Video},
    {CommandId::ProjectorOff, "projector off", "Projector Off", false, CommandGroup::Video},
    {CommandId::PauseVideo, "pause video", "Pause Video", false, CommandGroup::Video},
    {CommandId::PlayVideo, "play video", "Play Video", false, CommandGroup::Video},
    {CommandId::StopVideo, "stop video", "Stop Video", false, CommandGroup::Video},
    {CommandId::SeekVideo, "seek video", "Seek Video", true, CommandGroup::Video},
    {CommandId::PauseAudio, "pause audio", "Pause Audio", false, CommandGroup::Audio},
    {CommandId::PlayAudio, "play audio", "Play Audio", false, CommandGroup::Audio},
    {CommandId::StopAudio, "stop audio", "Stop Audio", false, CommandGroup::Audio},
    {CommandId::SeekAudio, "seek audio", "Seek Audio", true, CommandGroup::Audio},
};

constexpr CommandInfo kWait{CommandId::Wait, "wait", "Wait", true, CommandGroup::Always};

// A file name's extension at the end: a point and then a letter.
bool endsLikeFileName(QStringView text) {
  const qsizetype dot = text.lastIndexOf(QLatin1Char('.'));
  return dot >= 0 && dot + 1 < text.size() && text[dot + 1].isLetter();
}

}  // namespace

const CommandInfo* commandTable(int* count) {
  if (count) *count = static_cast<int>(std::size(kCommands));
  return kCommands;
}

QString lowerCase(QStringView text) {
  return text.toString().toLower();
}

RecognisedCommand recogniseCommand(QStringView content, bool videoShown, bool audioShown) {
  const QString lower = lowerCase(content);
  for (const CommandInfo& c : kCommands) {
    if (c.group == CommandGroup::Video && !videoShown) continue;
    if (c.group == CommandGroup::Audio && !audioShown) continue;
    const QLatin1StringView key(c.key);
    RecognisedCommand r;
    if (c.prefix) {
      if (!lower.startsWith(key)) continue;
      r.argument = content.mid(key.size()).toString();
    } else if (lower != key) {
      continue;
    }
    r.info = &c;
    r.canonical = QLatin1StringView(c.canonical) + r.argument;
    return r;
  }
  return recogniseWait(content);
}

RecognisedCommand recogniseWait(QStringView content) {
  const QLatin1StringView key(kWait.key);
  if (content.size() <= key.size() || !content.startsWith(key, Qt::CaseInsensitive) ||
      content[key.size()] != QLatin1Char(' '))
    return {};
  const QStringView time = trimBlanks(content.mid(key.size()));
  if (time.isEmpty() || endsLikeFileName(time)) return {};
  RecognisedCommand r;
  r.info = &kWait;
  r.argument = time.toString();
  r.canonical = QLatin1StringView(kWait.canonical) + QLatin1Char(' ') + r.argument;
  return r;
}

QStringView trimBlanks(QStringView text) {
  qsizetype b = 0, e = text.size();
  while (b < e && text[b] == QLatin1Char(' ')) ++b;
  while (e > b && text[e - 1] == QLatin1Char(' ')) --e;
  return text.mid(b, e - b);
}

}  // namespace scenova::script
