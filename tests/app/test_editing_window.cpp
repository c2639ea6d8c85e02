// The editing commands on the real main window: keys typed into the script
// reach the program's undo, the chords, Find and Add Command.

#include "app/editing_tools.h"
#include "app/form1.h"
#include "app/subsystems.h"
#include "fakes/fakes.h"
#include "platform/rtb/rtb.h"
#include "script/add_command_dialog.h"
#include "support/form_fixture.h"
#include "support/window_focus.h"
#include "tools/frm_find.h"
#include "tools/script_undo.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>

using namespace scenova;
using namespace scenova::app;

namespace {

// The main window shown and active on the test X server, so that keys meet
// Qt's shortcut handling (the menus' and the window's shortcuts take a key
// before the focused control sees it) and a key a control ignores passes up
// to the window, as on an operator's screen.
struct Window : test::FormFixture {
  platform::RTB* rtb = nullptr;

  explicit Window(const char* country = "us")
      : FormFixture({}, nullptr, {}, true, QString::fromLatin1(country)) {
    rtb = form->editor();
    form->show();
  }
  // Gives the window the X focus, as a click on it would, and the script
  // the keyboard focus.
  bool active() {
    if (!QTest::qWaitForWindowExposed(form.get())) return false;
    test::xdotool(
        {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(form->winId())});
    if (!QTest::qWaitForWindowActive(form.get())) return false;
    rtb->setFocus();
    return QTest::qWaitFor([this] { return rtb->hasFocus(); });
  }
  // Keys go where the keyboard focus is, through the shortcuts first.
  static void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), k, m);
  }
  static void type(const QString& s) { QTest::keyClicks(QApplication::focusWidget(), s); }
  static void chord(char k) { key(static_cast<Qt::Key>(k), Qt::ControlModifier); }
};

}  // namespace

class TestEditingWindow : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs the test X server");
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) QSKIP("needs xdotool");
  }

  void ctrlZUndoesOnceAndCtrlYRedoes() {
    Window w;
    QVERIFY(w.active());
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
    QVERIFY(w.active());
    w.type(QStringLiteral("[[fadein fast]]"));
    QCOMPARE(w.rtb->Text(), QStringLiteral("[[FadeIn Fast]]"));
    w.chord('Z');
    QCOMPARE(w.rtb->Text(), QStringLiteral("[[FadeIn Fast]"));
  }

  void boldChordDependsOnTheLanguage() {
    Window en("us");
    QVERIFY(en.active());
    en.type(QStringLiteral("word"));
    en.rtb->Select(0, 4);
    en.chord('G');
    QCOMPARE(en.rtb->SelBold(), std::optional<bool>(false));
    en.chord('B');
    QCOMPARE(en.rtb->SelBold(), std::optional<bool>(true));
    en.form->close();
    Window it("it");
    QCOMPARE(it.form->languageFile(), QStringLiteral("Italiano.lng"));
    QVERIFY(it.active());
    it.type(QStringLiteral("parola"));
    it.rtb->Select(0, 6);
    it.chord('B');
    QCOMPARE(it.rtb->SelBold(), std::optional<bool>(false));
    it.chord('G');
    QCOMPARE(it.rtb->SelBold(), std::optional<bool>(true));
    // Ctrl+S underlines there; it saves nothing.
    it.chord('S');
    QCOMPARE(it.rtb->SelUnderline(), std::optional<bool>(true));
    QVERIFY(it.dialogs.fileRequests.isEmpty());
  }

  // F1 and F9 are the window's: pressed in the script, each runs once.
  void helpAndSoundSettingsKeysRunOnce() {
    Window w;
    w.system.installed << QStringLiteral("pavucontrol");
    QVERIFY(w.active());
    Window::key(Qt::Key_F1);
    QCOMPARE(w.system.opened.size(), 1);
    Window::key(Qt::Key_F9);
    QCOMPARE(w.system.started.size(), 1);
    QCOMPARE(w.rtb->Text(), QString());
  }

  void theFirstUndoAfterStartUpChangesNothing() {
    Window w;
    QVERIFY(w.active());
    w.chord('Z');
    QCOMPARE(w.rtb->Text(), QString());
    QCOMPARE(w.form->subsystems().editing.undo().history().undoCount(), 0);
  }

  void findOpensModelessOnceInTheModeItWasOpenedIn() {
    Window w;
    QVERIFY(w.active());
    w.type(QStringLiteral("cue"));
    w.chord('H');
    tools::frmFind* f = w.form->subsystems().editing.findWindow();
    QVERIFY(f && f->isVisible() && !f->isModal());
    QVERIFY(f->replaceMode());
    QVERIFY(w.active());
    Window::key(Qt::Key_F3);
    QCOMPARE(w.form->subsystems().editing.findWindow(), f);
    QVERIFY(f->replaceMode());
    w.form->subsystems().editing.closeFind();
    QTRY_VERIFY(!w.form->subsystems().editing.findWindow());
    QVERIFY(w.active());
    Window::key(Qt::Key_F3);
    QVERIFY(w.form->subsystems().editing.findWindow());
    QVERIFY(!w.form->subsystems().editing.findWindow()->replaceMode());
  }

  void addCommandFromTheKeyTheMenuAndTheToolbar() {
    Window w;
    int opened = 0;
    w.form->subsystems().editing.runModal = [&](QDialog& d) {
      ++opened;
      auto& f = static_cast<script::Form3&>(d);
      f.Text1->setText(QStringLiteral("75"));
      f.Command1_Click();
      return 1;
    };
    QVERIFY(w.active());
    Window::key(Qt::Key_F6);
    QCOMPARE(opened, 1);
    QCOMPARE(w.rtb->Text(), QStringLiteral("[[Vol 75]] "));
    w.form->ui().mnuAddCommand->trigger();
    Q_EMIT w.form->ui().Label2[16]->Click();
    QCOMPARE(opened, 3);
  }
};

QTEST_MAIN(TestEditingWindow)
#include "test_editing_window.moc"
