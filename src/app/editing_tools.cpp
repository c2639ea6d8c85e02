#include "editing_tools.h"

#include "form1.h"
#include "formatting_commands.h"
#include "platform/rtb/rtb.h"
#include "script/add_command_dialog.h"
#include "script/editing_aids.h"
#include "tools/frm_find.h"
#include "tools/script_undo.h"

#include <QAction>

namespace scenova::app {

EditingTools::EditingTools(Form1& form, script::Interpreter& interpreter,
                           FormattingCommands& formatting)
    : QObject(&form), form_(form), undo_(new tools::ScriptUndo(*form.editor(), this)) {
  runModal = [](QDialog& d) { return d.exec(); };
  const MainControls& ui = form.ui();
  script::EditingCommands c;
  auto trigger = [](QAction* a) { return [a] { a->trigger(); }; };
  c.undo = trigger(ui.mnuAnnulla);
  c.redo = trigger(ui.mnuRipeti);
  c.copy = trigger(ui.mnuCopia);
  c.paste = trigger(ui.mnuIncolla);
  c.cut = trigger(ui.mnuTaglia);
  // The chords of toolbar buttons 4, 5 and 6.
  c.toolbar = [&formatting](int index) {
    using T = FormattingCommands::Toggle;
    if (index == 4) formatting.toggle(T::Bold);
    if (index == 5) formatting.toggle(T::Italic);
    if (index == 6) formatting.toggle(T::Underline);
  };
  c.languageFile = [&form] { return form.languageFile(); };
  aids_ = new script::EditingAids(*form.editor(), interpreter, std::move(c), this);
  aids_->connectEditor();
}

EditingTools::~EditingTools() {
  delete find_.data();
}

void EditingTools::Undo() {
  undo_->Undo();
}

void EditingTools::Redo() {
  undo_->Redo();
}

void EditingTools::resetHistory() {
  undo_->resetHistory();
}

void EditingTools::openFind(bool replace) {
  if (!find_) {
    find_ = new tools::frmFind(*form_.editor(), form_.lang(), *form_.services().dialogs, undo_,
                               replace, &form_);
    find_->setWindowFlag(Qt::Tool);
  }
  find_->show();
  find_->raise();
  find_->activateWindow();
}

void EditingTools::closeFind() {
  if (find_) find_->close();
}

void EditingTools::mnuAddCommand_Click() {
  script::Form3 dialog(*form_.editor(), form_.lang(), &form_);
  runModal(dialog);
}

}  // namespace scenova::app
