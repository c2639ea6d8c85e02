#include "document_commands.h"
#include "editing_tools.h"
#include "form1.h"
#include "platform/rtb/rtb.h"
#include "script/add_command_dialog.h"
#include "script/cue_engine.h"
#include "script/editing_aids.h"
#include "toolbar_commands.h"
#include "tools/frm_find.h"
#include "tools/script_undo.h"
#include "wiring.h"

#include <QAction>
#include <QEvent>

namespace scenova::app {

EditingTools::EditingTools(Form1& form)
    : QObject(&form), form_(form), undo_(new tools::ScriptUndo(*form.editor(), this)) {
  runModal = [](QDialog& d) { return d.exec(); };
  auto* engine = dynamic_cast<script::CueEngine*>(form.cueEngine);
  if (!engine) return;
  script::EditingCommands c;
  auto trigger = [](QAction* a) {
    return [a] {
      if (a) a->trigger();
    };
  };
  c.undo = trigger(form.ui.mnuAnnulla);
  c.redo = trigger(form.ui.mnuRipeti);
  c.copy = trigger(form.ui.mnuCopia);
  c.paste = trigger(form.ui.mnuIncolla);
  c.cut = trigger(form.ui.mnuTaglia);
  c.toolbar = [&form](int index) {
    if (form.toolbar) form.toolbar->Label2_Click(index);
  };
  c.languageFile = [&form] { return form.LanguageFile; };
  aids_ = new script::EditingAids(*form.editor(), engine->interpreter(), std::move(c), this);
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
    find_ = new tools::frmFind(*form_.editor(), form_.lang, *form_.services().dialogs, undo_,
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
  script::Form3 dialog(*form_.editor(), form_.lang, &form_);
  runModal(dialog);
}

void wireEditing(Form1& form) {
  auto* tools = new EditingTools(form);
  form.editing = tools;
  // The menus, the keys and toolbar button 16 reach these through the
  // window's entry points (entry_points.cpp). New starts the undo history
  // afresh; Open does so by itself (a loaded script is a new document).
  if (form.documents) {
    QObject::connect(form.documents, &DocumentCommands::documentCleared, tools,
                     &EditingTools::resetHistory);
    QObject::connect(form.documents, &DocumentCommands::documentLoaded, tools,
                     &EditingTools::resetHistory);
  }
}

}  // namespace scenova::app
