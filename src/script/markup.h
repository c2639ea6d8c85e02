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
  // Not one of the 21 above: the pause inside a cue group ([[Wait 1.5]]).
  Wait,
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

// Recognises trimmed cue content (the table, then Wait). Commands of a
// player whose panel is not shown are not commands.
RecognisedCommand recogniseCommand(QStringView content, bool videoShown, bool audioShown);

// [[Wait s]], the pause inside a cue group, recognised beside the table:
// "wait" (any case), blanks, then the time as written. A time that reads
// like a file name ("wait 2.wav") leaves the cue a media cue. The canonical
// form is "Wait " and the time trimmed of blanks, whatever the time says;
// whether the time is usable is the group's business (cue_groups.h).
RecognisedCommand recogniseWait(QStringView content);

// Blank-only trimming of cue content (U+0020; tabs and line breaks stay).
QStringView trimBlanks(QStringView text);
inline QString trimBlanks(const QString& text) {
  return trimBlanks(QStringView(text)).toString();
}

// The lower case of cue content as the interpreter compares it.
QString lowerCase(QStringView text);

}  // namespace scenova::script
