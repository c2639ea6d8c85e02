// The editing commands on the real main window: keys typed into the script
// reach the program's undo, the chords, Find and Add Command.

#include "app/editing_tools.h"
#include "app/form1.h"
#include "app/subsystems.h"
#include "platform/fakes.h"
#include "platform/rtb/rtb.h"
#include "script/add_command_dialog.h"
#include "support/program_folder.h"
#include "tools/frm_find.h"
#include "tools/script_undo.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

using namespace scenova;
using namespace scenova::app;

namespace {

struct Window {
  test::ProgramFolder folder;
  platform::FakeDialogs dialogs;
  platform::FakeEnvironment env;
  platform::FakeSystemServices system;
  std::unique_ptr<Form1> form;
  platform::RTB* rtb = nullptr;

  explicit Window(const char* country = "us") {
    env.folder = folder.path();
    env.country = QString::fromLatin1(country);
    Services s;
    s.dialogs = &dialogs;
    s.env = &env;
    s.system = &system;
    s.settingsPath = folder.settingsPath();
    form = std::make_unique<Form1>(s, ui::LanguageTable());
    form->Form_Load();
    rtb = form->editor();
  }
  void type(const QString& s) { QTest::keyClicks(rtb, s); }
  void chord(char key) { QTest::keyClick(rtb, key, Qt::ControlModifier); }
};

}  // namespace

class TestEditingWindow : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void ctrlZUndoesOnceAndCtrlYRedoes() {
    Window w;
    w.type(QStringLiteral("ab"));
    w.chord('Z');
    QCOMPARE(w.rtb->Text(), QStringLiteral("a"));
    w.chord('Y');
    QCOMPARE(w.rtb->Text(), QStringLiteral("ab"));
    w.form->ui().mnuAnnulla->trigger();
    QCOMPARE(w.rtb->Text(), QStringLiteral("a"));
    QCOMPARE(w.form->doc().Modified, 1);
  }

  void aTidiedCueIsTakenBackByOneUndo() {
    Window w;
    w.type(QStringLiteral("[[fadein fast]]"));
    QCOMPARE(w.rtb->Text(), QStringLiteral("[[FadeIn Fast]]"));
    w.chord('Z');
    QCOMPARE(w.rtb->Text(), QStringLiteral("[[FadeIn Fast]"));
  }

  void boldChordDependsOnTheLanguage() {
    Window en("us");
    en.type(QStringLiteral("word"));
    en.rtb->Select(0, 4);
    en.chord('G');
    QCOMPARE(en.rtb->SelBold(), std::optional<bool>(false));
    en.chord('B');
    QCOMPARE(en.rtb->SelBold(), std::optional<bool>(true));
    Window it("it");
    QCOMPARE(it.form->languageFile(), QStringLiteral("Italiano.lng"));
    it.type(QStringLiteral("parola"));
    it.rtb->Select(0, 6);
    it.chord('B');
    QCOMPARE(it.rtb->SelBold(), std::optional<bool>(false));
    it.chord('G');
    QCOMPARE(it.rtb->SelBold(), std::optional<bool>(true));
  }

  void theFirstUndoAfterStartUpChangesNothing() {
    Window w;
    w.form->ui().mnuAnnulla->trigger();
    QCOMPARE(w.rtb->Text(), QString());
    QCOMPARE(w.form->subsystems().editing.undo().history().undoCount(), 0);
  }

  void findOpensModelessOnceInTheModeItWasOpenedIn() {
    Window w;
    w.type(QStringLiteral("cue"));
    w.form->ui().mnuSostituisci->trigger();
    tools::frmFind* f = w.form->subsystems().editing.findWindow();
    QVERIFY(f && f->isVisible() && !f->isModal());
    QVERIFY(f->replaceMode());
    w.form->ui().mnuTrova->trigger();
    QCOMPARE(w.form->subsystems().editing.findWindow(), f);
    QVERIFY(f->replaceMode());
    w.form->subsystems().editing.closeFind();
    QTRY_VERIFY(!w.form->subsystems().editing.findWindow());
    w.form->ui().mnuTrova->trigger();
    QVERIFY(!w.form->subsystems().editing.findWindow()->replaceMode());
  }

  void addCommandFromTheMenuAndTheToolbar() {
    Window w;
    int opened = 0;
    w.form->subsystems().editing.runModal = [&](QDialog& d) {
      ++opened;
      auto& f = static_cast<script::Form3&>(d);
      f.Text1->setText(QStringLiteral("75"));
      f.Command1_Click();
      return 1;
    };
    w.form->ui().mnuAddCommand->trigger();
    QCOMPARE(w.rtb->Text(), QStringLiteral("[[Vol 75]] "));
    Q_EMIT w.form->ui().Label2[16]->Click();
    QCOMPARE(opened, 2);
  }
};

QTEST_MAIN(TestEditingWindow)
#include "test_editing_window.moc"
