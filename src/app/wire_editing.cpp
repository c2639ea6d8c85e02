#include "editing_tools.h"
#include "form1.h"
#include "platform/rtb/rtb.h"
#include "script/add_command_dialog.h"
#include "script/cue_engine.h"
#include "script/editing_aids.h"
#include "tools/frm_find.h"
#include "tools/script_undo.h"
#include "wiring.h"

#include <QAction>
#include <QEvent>

namespace scenova::app {

namespace {

// The pointer over the window itself puts the toolbar's hover marks away.
class ToolbarUnhover final : public QObject {
 public:
  ToolbarUnhover(ui::MainControls& controls, QObject* parent)
      : QObject(parent), controls_(controls) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseMove) script::ClearToolbarHover(controls_);
    return QObject::eventFilter(watched, event);
  }

 private:
  ui::MainControls& controls_;
};

}  // namespace

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
  c.help = trigger(form.ui.mnuGuida);
  c.audioSettings = trigger(form.ui.mnuImpostaAudio);
  c.toolbar = [this](int index) { toggleFormat(index); };
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

void EditingTools::toggleFormat(int index) {
  platform::RTB& e = *form_.editor();
  switch (index) {
    case 4:
      e.SetSelBold(!e.SelBold().value_or(false));
      break;
    case 5:
      e.SetSelItalic(!e.SelItalic().value_or(false));
      break;
    case 6:
      e.SetSelUnderline(!e.SelUnderline().value_or(false));
      break;
    default:
      break;
  }
  e.SetFocus();
}

void wireEditing(Form1& form) {
  auto* tools = new EditingTools(form);
  form.editing = tools;
  QObject::connect(form.ui.mnuAnnulla, &QAction::triggered, tools, &EditingTools::Undo);
  QObject::connect(form.ui.mnuRipeti, &QAction::triggered, tools, &EditingTools::Redo);
  QObject::connect(form.ui.mnuTrova, &QAction::triggered, tools,
                   [tools] { tools->openFind(false); });
  QObject::connect(form.ui.mnuSostituisci, &QAction::triggered, tools,
                   [tools] { tools->openFind(true); });
  QObject::connect(form.ui.mnuAddCommand, &QAction::triggered, tools,
                   &EditingTools::mnuAddCommand_Click);
  if (ui::Control* b16 = form.ui.Label2[16])
    QObject::connect(b16, &ui::Control::Click, tools, &EditingTools::mnuAddCommand_Click);
  auto* unhover = new ToolbarUnhover(form.ui, tools);
  form.ui.central->installEventFilter(unhover);
  form.ui.Label1->installEventFilter(unhover);
}

}  // namespace scenova::app
