#pragma once

// The pre-show check: lists every cue of a script with what a click on it
// would do, so that a cue pointing at a missing file is found before the
// audience is in.
//
//   scenova --cue-sheet SCRIPT
//
// Writes one line per cue, in script order, fields separated by tabs:
//   line     the paragraph the cue's first "[" is in, from 1
//   column   that "[" within its paragraph, from 1
//   kind     command, network, audio, video, midi, picture, sound (a layer
//            cue), missing, or invalid for a [[Wait s]] whose time is not
//            from 0.1 to 600 s
//   text     for a command the canonical text typing the cue would leave
//            (as if both players were shown; nothing is clamped); for a file
//            (a layer cue's too) the absolute path it was found under
//            ("Stop Sounds" for that cue); for missing the trimmed
//            content as written
//   +        a fifth field, only on a cue joined to the cue before it by "+"
//            (a cue group): show mode's GO fires it together with that one
// Carriage returns, line feeds, tabs and line breaks inside a paragraph
// (vertical tabs) are written as \r, \n, \t and \v. A relative path is
// looked up in the script's folder, then in the program folder. Exit status
// 0 when every media cue resolves, 1 when any is missing or invalid (or a
// network cue's host name does not resolve: one line on standard error
// each), 2 when the script
// cannot be read, 3 when the sheet cannot be written (a full disk, a closed
// pipe); one line on standard error for 2 and 3. Needs no display, settings
// or language file. Numbers are read the same way under every locale.

#include <QList>
#include <QString>

class QIODevice;

namespace scenova::script {

// The exit status when the sheet could not be written out.
inline constexpr int kSheetNotWritten = 3;

struct SheetLine {
  int line = 0;
  int column = 0;
  QString kind;
  QString text;
  bool joined = false;  // to the cue before it, by "+"
};

// The cues of a script text (paragraph breaks as CR LF): an opening pair
// and the first closing pair after it, with no other opening pair between.
QList<SheetLine> cueSheet(QStringView scriptText, const QString& scriptFolder,
                          const QString& programFolder);

// What a click on a cue with this content would do, as one sheet line
// without its position: the kind and the text.
SheetLine describeCue(QStringView content, const QString& scriptFolder,
                      const QString& programFolder);

// A field with CR, LF, tab and VT written as \r, \n, \t and \v.
QString sheetField(QStringView text);

// Reads the script and writes its sheet to out (failures to err); returns
// the exit status.
int writeCueSheet(const QString& scriptPath, const QString& programFolder, QIODevice& out,
                  QIODevice& err);

// When argv[1] is --cue-sheet, runs it, sets *handled and returns the exit
// status; otherwise sets *handled to false and returns 0. Makes its own Qt
// application on the offscreen platform when there is none.
int runCueSheet(int argc, char** argv, bool* handled);

}  // namespace scenova::script
