#pragma once

// The editing commands of the main window: undo and redo, the typing aids,
// the Find and Replace window and the Add Command dialog. The window's
// menus, keys and toolbar call these.

#include "tools/frm_find.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QDialog;

namespace scenova::script {
class EditingAids;
class Interpreter;
}  // namespace scenova::script
namespace scenova::tools {
class ScriptUndo;
}  // namespace scenova::tools

namespace scenova::app {

class Form1;
class FormattingCommands;

class EditingTools : public QObject {
  Q_OBJECT
 public:
  // The typing aids carry command cues out through the interpreter and
  // run the formatting chords (Ctrl+B, Ctrl+I, Ctrl+U) as the toolbar does.
  EditingTools(Form1& form, script::Interpreter& interpreter, FormattingCommands& formatting);
  ~EditingTools() override;

  // mnuAnnulla, mnuRipeti.
  void Undo();
  void Redo();
  // End of start-up, New and Open: both lists start afresh with the
  // editor's text as the first state.
  void resetHistory();

  // mnuTrova (Find) and mnuSostituisci (Replace): opens the Find window, or
  // brings it to the front in the mode it was opened in.
  void openFind(bool replace);
  void closeFind();
  tools::frmFind* findWindow() const { return find_; }

  // mnuAddCommand and toolbar button 16: the Add Command dialog, modal.
  void mnuAddCommand_Click();
  // How a modal dialog is run (tests answer it instead of waiting).
  std::function<int(QDialog&)> runModal;

  tools::ScriptUndo& undo() { return *undo_; }
  script::EditingAids& aids() { return *aids_; }

 private:
  Form1& form_;
  tools::ScriptUndo* undo_;
  script::EditingAids* aids_ = nullptr;
  QPointer<tools::frmFind> find_;
};

}  // namespace scenova::app
