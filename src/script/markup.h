#pragma once

// Cue markup: the command vocabulary, how numbers in commands are read and
// the small text rules shared by everything that looks at cues.

#include <QString>
#include <QStringView>

namespace scenova::script {

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

// Reads a number by the one rule used for command arguments and dialog
// fields: blanks, tabs and line feeds ignored anywhere; optional sign; digits
// with at most one '.'; optional E/D exponent; &H hex and &O octal; reading
// stops at the first character that fits none of these. No number reads 0.
double ReadNumber(QStringView text);

// Blank-only trimming of cue content (U+0020; tabs and line breaks stay).
QStringView trimBlanks(QStringView text);
inline QString trimBlanks(const QString& text) {
  return trimBlanks(QStringView(text)).toString();
}

// Signed decimal form: a leading blank for values >= 0, "-" otherwise, then
// the digits, a fraction only when there is one, and no "0" before the point
// of a value below 1 (12 -> " 12", 0.5 -> " .5", -2.25 -> "-2.25").
QString signedDecimal(double value);

// The lower case of cue content as the interpreter compares it.
QString lowerCase(QStringView text);

}  // namespace scenova::script
