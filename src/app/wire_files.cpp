#include "audio/transport_buttons.h"
#include "document_commands.h"
#include "form1.h"
#include "platform/rtb/rtb.h"
#include "platform/system_services.h"
#include "recovery.h"
#include "script/cue_engine.h"
#include "settings_panels.h"
#include "subsystems.h"
#include "toolbar_commands.h"
#include "ui/keyboard_buttons.h"
#include "wiring.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QShortcut>
#include <QWidget>

namespace scenova::app {

namespace {

// The pointer leaving the window's area leaves the toolbar too. (Moves over
// the background and the editor's frame reach the toolbar through the
// transport buttons' background handler.)
class LeaveToolbar final : public QObject {
 public:
  LeaveToolbar(ToolbarCommands& toolbar) : QObject(&toolbar), toolbar_(toolbar) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Leave) toolbar_.ClearToolbarHover();
    return QObject::eventFilter(watched, event);
  }

 private:
  ToolbarCommands& toolbar_;
};

void on(QAction* action, QObject* context, std::function<void()> f) {
  QObject::connect(action, &QAction::triggered, context, std::move(f));
}

void wireMenus(Subsystems& s) {
  Form1& form = s.window;
  DocumentCommands& d = s.documents;
  EditingTools& e = s.editing;
  PrintHelpCommands& p = s.printHelp;
  const MainControls& ui = form.ui();
  platform::RTB* rtb = form.editor();
  on(ui.mnuNuovo, &d, [&d] { d.New(); });
  on(ui.mnuApri, &d, [&d] { d.Open(); });
  on(ui.mnuSalva, &d, [&d] { d.Save(); });
  on(ui.mnuSalvaConNome, &d, [&d] { d.mnuSalvaConNome_Click(); });
  on(ui.mnuAggiungiMultimedia, &d, [&d] { d.InsertMediaReference(); });
  on(ui.mnuStampa, &d, [&p] { p.print(); });
  on(ui.mnuAnnulla, &d, [&form, &e] {
    e.Undo();
    form.doc().Modified = 1;
  });
  on(ui.mnuRipeti, &d, [&form, &e] {
    e.Redo();
    form.doc().Modified = 1;
  });
  on(ui.mnuTaglia, rtb, [rtb] { rtb->cut(); });
  on(ui.mnuCopia, rtb, [rtb] { rtb->copy(); });
  on(ui.mnuIncolla, rtb, [rtb] { rtb->Paste(); });
  QObject::connect(
      rtb, &platform::RTB::PasteRefused, &d, [&form](platform::ClipboardReader::Refusal why) {
        using R = platform::ClipboardReader::Refusal;
        form.ShowNotice(
            why == R::NoAnswer
                ? form.lang()[232]
                : form.lang()[233].arg(platform::ClipboardReader::kLargestPaste / (1024 * 1024)));
      });
  on(ui.mnuAddCommand, &d, [&e] { e.mnuAddCommand_Click(); });
  // Add Picture (F7) has no action.
  on(ui.mnuSelezionaTutto, rtb, [rtb] {
    rtb->Select(0, rtb->TextLength());
    rtb->SetFocus();
  });
  on(ui.mnuTrova, &d, [&e] { e.openFind(false); });
  on(ui.mnuSostituisci, &d, [&e] { e.openFind(true); });
  on(ui.mnuGuida, &d, [&p] { p.links().mnuGuida_Click(); });
  on(ui.mnuEsempio, &d, [&d] { d.openExample(); });
  on(ui.mnuInfo, &d, [&p] { p.about(); });
}

void wireSettingsPanels(Form1& form) {
  auto notice = [&form] { form.ShowNotice(form.lang()[153]); };
  auto sound = [&form, notice] {
    startFirstInstalled(*form.services().system, soundSettingsTools(), notice);
  };
  on(form.ui().mnuImpostaAudio, &form, sound);
  auto* f9 = new QShortcut(QKeySequence(Qt::Key_F9), &form);
  f9->setContext(Qt::WindowShortcut);
  QObject::connect(f9, &QShortcut::activated, &form, sound);
  on(form.ui().mnuMonitorSettings, &form, [&form, notice] {
    startFirstInstalled(*form.services().system, displaySettingsTools(), notice);
  });
}

void wireToolbar(Subsystems& s) {
  Form1& form = s.window;
  ToolbarCommands& t = s.toolbar;
  MainControls& ui = form.ui();
  for (size_t i = 0; i < ui.Label2.size(); ++i) {
    const int index = static_cast<int>(i);
    QObject::connect(ui.Label2[i], &Control::Click, &t, [&t, index] { t.Label2_Click(index); });
    QObject::connect(ui.Label2[i], &Control::MouseMove, &t,
                     [&t, index] { t.Label2_MouseMove(index); });
    ui.Label2[i]->setMouseTracking(true);
  }
  // The letters over buttons 4 to 7 are part of their buttons.
  for (size_t i = 0; i < ui.Label3.size(); ++i) {
    ui.Label3[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  auto* leave = new LeaveToolbar(t);
  ui.central->installEventFilter(leave);
  // The keyboard reaches the toolbar too: F10 focuses its first button, Tab
  // and the arrows go along it and on to the font boxes, Space or Enter
  // presses a button, Escape goes back to the script. The hover frame
  // marks the focused button.
  auto* keys = new ui::KeyboardButtons({ui.Label2.begin(), ui.Label2.end()}, form.editor(), &t);
  QObject::connect(keys, &ui::KeyboardButtons::focused, &t,
                   [&t](int index) { t.Label2_MouseMove(index); });
  QObject::connect(keys, &ui::KeyboardButtons::left, &t, [&t] { t.ClearToolbarHover(); });
  QWidget::setTabOrder(ui.Label2.back(), ui.Combo1);
  QWidget::setTabOrder(ui.Combo1, ui.Combo2);
  auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), &form);
  f10->setContext(Qt::WindowShortcut);
  QObject::connect(f10, &QShortcut::activated, keys, [keys] { keys->focusFirst(); });
  ui.central->setMouseTracking(true);
  // The window's background handler (the pointer on the background or on
  // the editor's frame) clears the toolbar's hover frame first.
  s.cues.buttons().setToolbarHoverClear([&t] { t.ClearToolbarHover(); });
  FormattingCommands& f = t.formatting();
  QComboBox* names = ui.Combo1;
  QComboBox* sizes = ui.Combo2;
  QObject::connect(names, &QComboBox::editTextChanged, &t,
                   [&f, names] { f.Combo1_Change(*names); });
  QObject::connect(names, &QComboBox::textActivated, &t, [&f, names] { f.Combo1_Change(*names); });
  QObject::connect(sizes, &QComboBox::editTextChanged, &t,
                   [&f, sizes] { f.Combo2_Change(*sizes); });
  QObject::connect(sizes, &QComboBox::textActivated, &t, [&f, sizes] { f.Combo2_Change(*sizes); });
}

}  // namespace

RecoveryKeeper::Options recoveryOptions(const Form1& form) {
  RecoveryKeeper::Options o;
  o.folder = form.services().recoveryFolder;
  return o;
}

void wireFiles(Subsystems& s) {
  wireMenus(s);
  wireToolbar(s);
  wireSettingsPanels(s.window);
  RecoveryKeeper* r = &s.recovery;
  DocumentCommands* d = &s.documents;
  QObject::connect(s.window.editor(), &platform::RTB::Change, r, &RecoveryKeeper::noteChange);
  QObject::connect(d, &DocumentCommands::documentLoaded, r, &RecoveryKeeper::discard);
  QObject::connect(d, &DocumentCommands::documentSaved, r, &RecoveryKeeper::discard);
  QObject::connect(d, &DocumentCommands::documentCleared, r, &RecoveryKeeper::discard);
}

}  // namespace scenova::app
