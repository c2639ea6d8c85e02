#pragma once

// Cue markup: the command vocabulary and the small text rules shared by
// everything that looks at cues. Numbers in commands are read and written by
// the rules of ui/numbers.h, which the audio and video counters share.

#include "ui/numbers.h"

#include <QString>
#include <QStringView>

namespace scenova::script {

using ui::ReadNumber;
using ui::signedDecimal;

// Which player a command belongs to; its commands only exist while that
// player's panel is shown.
enum class CommandGroup { Always, Video, Audio };

enum class CommandId {
  FadeInFast,
  FadeInNormal,
  FadeInSlow,
  FadeIn,
  FadeOutFast,
  FadeOutNormal,
  FadeOutSlow,
  FadeOut,
  Vol,
  ImgOff,
  ImgOn,
  ProjectorOn,
  ProjectorOff,
  PauseVideo,
  PlayVideo,
  StopVideo,
  SeekVideo,
  PauseAudio,
  PlayAudio,
  StopAudio,
  SeekAudio,
};

struct CommandInfo {
  CommandId id;
  const char* key;        // lower case
  const char* canonical;  // what the cue is rewritten to
  bool prefix;            // key is a prefix; the rest is the argument
  CommandGroup group;
};

// The 21 commands in the order they are tested.
const CommandInfo* commandTable(int* count);

struct RecognisedCommand {
  const CommandInfo* info = nullptr;  // null: not a command
  QString canonical;                  // canonical form, argument included
  QString argument;                   // text after a prefix key, exactly as written
  explicit operator bool() const { return info != nullptr; }
};

// Recognises trimmed cue content. Commands of a player whose panel is not
// shown are not commands.
RecognisedCommand recogniseCommand(QStringView content, bool videoShown, bool audioShown);

// Blank-only trimming of cue content (U+0020; tabs and line breaks stay).
QStringView trimBlanks(QStringView text);
inline QString trimBlanks(const QString& text) {
  return trimBlanks(QStringView(text)).toString();
}

// The lower case of cue content as the interpreter compares it.
QString lowerCase(QStringView text);

}  // namespace scenova::script
