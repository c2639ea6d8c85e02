#pragma once

// The script editor's typing aids: the second "]" of a command cue puts the
// command into its canonical form in blue (without carrying it out), the
// program's own commands replace the editor's Ctrl chords (F1 and F9 are
// the window's shortcuts).

#include <QObject>
#include <QString>

#include <functional>

namespace scenova::platform {
class RTB;
}

namespace scenova::script {

class Interpreter;

// The window's commands the chords and keys run.
struct EditingCommands {
  std::function<void()> undo, redo, copy, paste, cut;
  // Toolbar button: 4 bold, 5 italic, 6 underline.
  std::function<void(int index)> toolbar;
  // The name of the current language file ("italiano.lng").
  std::function<QString()> languageFile;
};

class EditingAids : public QObject {
  Q_OBJECT
 public:
  EditingAids(platform::RTB& editor, Interpreter& interpreter, EditingCommands commands,
              QObject* parent = nullptr);

  // Connects the editor's key events (and keeps the window's shortcuts from
  // taking the chords away from the editor).
  void connectEditor();

  void RTB_KeyPress(int& keyAscii);
  void RTB_KeyDown(int& keyCode, int shift);
  void RTB_KeyUp(int keyCode, int shift);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // 1-based position of the first character after the nearest "[[" before
  // the "]" at 1-based position pos; 0 when a "]]" comes first (the typed
  // "]" is absorbed), -1 when there is neither.
  int cueStart(int pos) const;
  bool italian() const;

  platform::RTB& editor_;
  Interpreter& interpreter_;
  EditingCommands commands_;
  int chordKey_ = 0;  // the letter pressed with Ctrl alone, until it comes up
};

}  // namespace scenova::script
