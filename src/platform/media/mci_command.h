#pragma once

#include <QString>
#include <QtGlobal>

namespace scenova::platform {

// Status codes of the audio command device (0 is success). The real device
// and its test stand-in return the same code for the same case.
enum class MciError : quint32 {
  None = 0,
  UnknownCommand = 1,     // empty text or a word that is no command
  BadParameter = 2,       // a known command with missing, extra or wrong words
  MissingPosition = 3,    // "from" not followed by a whole number
  BadPath = 4,            // unbalanced quotes or a quote inside the file name
  FileNotFound = 5,       // nothing at that path
  IsFolder = 6,           // the path names a folder
  Unreadable = 7,         // the file exists but cannot be read
  EmptyFile = 8,          // zero bytes
  UnsupportedFormat = 9,  // no playable audio in the file
  NoSuchAlias = 10,       // no device open under that alias (or none at all)
  AliasInUse = 11,        // open while a device is already open
  OutOfRange = 12,        // position beyond the end of the media
  DeviceFailed = 13,      // the media engine could not start or stopped working
  Timeout = 14,           // the media engine did not answer in time
  MediaLost = 15,         // the open file stopped being playable (e.g. cut short)
};

inline quint32 code(MciError e) {
  return static_cast<quint32>(e);
}

// The message shown for a code; unknown codes get a generic text.
QString mciErrorText(quint32 code);

// One parsed command text. Runs of blanks (spaces, tabs) separate words,
// keywords ignore case, the file name of "open" is one word between double
// quotes (it may hold blanks and any character except a double quote).
struct MciCommand {
  enum class Verb { Invalid, CloseAll, Open, Play, PlayFrom, Stop, SeekStart, Position, Length };

  Verb verb = Verb::Invalid;
  MciError error = MciError::None;  // why it is Invalid
  QString alias;                    // every verb but CloseAll
  QString path;                     // Open
  qint64 from = 0;                  // PlayFrom, in ms; saturates on overflow

  bool isValid() const { return verb != Verb::Invalid; }
  static MciCommand parse(const QString& text);
};

}  // namespace scenova::platform
