// Typing aids and the Add Command dialog on the real editor and controls:
// the second "]" of a command cue, the chords and the cue the dialog
// inserts.

#include "cue_rig.h"
#include "script/add_command_dialog.h"
#include "script/editing_aids.h"
#include "support/window_focus.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QStandardPaths>
#include <QTest>

using namespace scenova;

namespace {

const QColor kBlue(0, 0, 255);

struct AidsRig : test::CueRig {
  QStringList ran;
  QString languageFile = QStringLiteral("english.lng");
  script::EditingAids* aids;

  AidsRig() {
    script::EditingCommands c;
    auto note = [this](const char* what) {
      return [this, what] { ran << QString::fromLatin1(what); };
    };
    c.undo = note("undo");
    c.redo = note("redo");
    c.copy = note("copy");
    c.paste = note("paste");
    c.cut = note("cut");
    c.toolbar = [this](int i) { ran << QStringLiteral("toolbar %1").arg(i); };
    c.languageFile = [this] { return languageFile; };
    aids = new script::EditingAids(*editor, engine->interpreter(), std::move(c), &window);
    aids->connectEditor();
  }
  // The window shown and active on the test X server with the script
  // focused: keys then meet Qt's shortcut handling first, as an
  // operator's do.
  bool active() {
    window.show();
    if (!test::giveFocus(&window)) return false;
    editor->setFocus();
    return QTest::qWaitFor([this] { return editor->hasFocus(); });
  }
  void type(const QString& s) { QTest::keyClicks(QApplication::focusWidget(), s); }
  void chord(char key, Qt::KeyboardModifiers m = Qt::ControlModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, m);
  }
  std::optional<QColor> colorAt(int at, int length) {
    editor->Select(at, length);
    return editor->SelColor();
  }
};

}  // namespace

class TestEditingAids : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs the test X server");
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) QSKIP("needs xdotool");
  }

  void aCommandCueIsTidiedAndColouredButNotCarriedOut() {
    AidsRig r;
    QVERIFY(r.active());
    r.type(QStringLiteral("go [[fadein fast]]"));
    QCOMPARE(r.editor->Text(), QStringLiteral("go [[FadeIn Fast]]"));
    QCOMPARE(r.editor->SelStart(), 18);
    QCOMPARE(r.colorAt(3, 15), std::optional<QColor>(kBlue));
    QVERIFY(r.volume.calls.isEmpty());
    QVERIFY(!r.state().CommandDone);
  }

  void inTheMiddleOfALineTheTextAfterStaysAsItWas() {
    AidsRig r;
    QVERIFY(r.active());
    r.editor->SetText(QStringLiteral("before after"));
    r.editor->SetSelStart(7);
    r.type(QStringLiteral("[[vol 150]]"));
    QCOMPARE(r.editor->Text(), QStringLiteral("before [[Vol 150]]after"));
    QCOMPARE(r.editor->SelStart(), 18);
    QVERIFY(r.colorAt(18, 5) != std::optional<QColor>(kBlue));
    QVERIFY(r.volume.calls.isEmpty());  // no clamping, no volume change
  }

  void mediaCuesAndUnavailableCommandsStayAsTyped() {
    AidsRig r;
    QVERIFY(r.active());
    r.type(QStringLiteral("[[song.mp3]] [[play audio]]"));
    QCOMPARE(r.editor->Text(), QStringLiteral("[[song.mp3]] [[play audio]]"));
    QVERIFY(r.colorAt(0, 12) != std::optional<QColor>(kBlue));
  }

  void aThirdBracketOrOneBetweenTwoIsAbsorbed() {
    AidsRig r;
    QVERIFY(r.active());
    r.type(QStringLiteral("[[stop audio]]]"));
    QCOMPARE(r.editor->Text(), QStringLiteral("[[stop audio]]"));
    r.editor->SetText(QStringLiteral("[[Img On]]"));
    r.editor->SetSelStart(9);
    r.type(QStringLiteral("]"));
    QCOMPARE(r.editor->Text(), QStringLiteral("[[Img On]]"));
    QCOMPARE(r.editor->SelStart(), 9);
    // At the very start, and with no "[[" before it, "]" is just typed.
    r.editor->SetText(QString());
    r.type(QStringLiteral("]]"));
    QCOMPARE(r.editor->Text(), QStringLiteral("]]"));
  }

  void theEditorsOwnChordsNeverActAndTheProgramsRunOnce() {
    AidsRig r;
    QVERIFY(r.active());
    r.type(QStringLiteral("abc"));
    r.editor->Select(0, 3);
    for (char k : {'Z', 'Y', 'C', 'V', 'X', 'I'}) r.chord(k);
    QCOMPARE(r.editor->Text(), QStringLiteral("abc"));  // nothing cut, nothing typed
    QCOMPARE(r.ran, (QStringList{QStringLiteral("undo"), QStringLiteral("redo"),
                                 QStringLiteral("copy"), QStringLiteral("paste"),
                                 QStringLiteral("cut"), QStringLiteral("toolbar 5")}));
  }

  void aChordCountsWhenCtrlComesUpBeforeTheLetter() {
    AidsRig r;
    QVERIFY(r.active());
    QTest::keyPress(QApplication::focusWidget(), Qt::Key_Control, Qt::ControlModifier);
    QTest::keyPress(QApplication::focusWidget(), 'Z', Qt::ControlModifier);
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Control, Qt::NoModifier);
    QTest::keyRelease(QApplication::focusWidget(), 'Z', Qt::NoModifier);
    QTest::keyClick(QApplication::focusWidget(), 'Z');  // a plain z later is typed, nothing runs
    QCOMPARE(r.ran, QStringList{QStringLiteral("undo")});
    QCOMPARE(r.editor->Text().toLower(), QStringLiteral("z"));
  }

  void boldAndUnderlineChordsFollowTheLanguageFile() {
    AidsRig r;
    QVERIFY(r.active());
    for (char k : {'B', 'U', 'G', 'S'}) r.chord(k);
    QCOMPARE(r.ran, (QStringList{QStringLiteral("toolbar 4"), QStringLiteral("toolbar 6")}));
    r.ran.clear();
    r.languageFile = QStringLiteral("Italiano.LNG");
    for (char k : {'B', 'U', 'G', 'S'}) r.chord(k);
    QCOMPARE(r.ran, (QStringList{QStringLiteral("toolbar 4"), QStringLiteral("toolbar 6")}));
    r.ran.clear();
    r.chord('Z', Qt::ControlModifier | Qt::ShiftModifier);  // not Ctrl alone
    QTest::keyClick(QApplication::focusWidget(),
                    Qt::Key_F1);  // the window's shortcuts, not the editor's
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9, Qt::ShiftModifier);
    QCOMPARE(r.ran, QStringList());
  }

  void addCommandInsertsTheVolumeCueAndRestoresTheFormatting() {
    AidsRig r;
    QVERIFY(r.active());
    r.editor->SetText(QStringLiteral("Act one"));
    r.editor->Select(0, 7);
    r.editor->SetSelItalic(true);
    r.editor->SetSelFontName(QStringLiteral("Courier New"));
    r.editor->Select(0, 3);  // the selection stays; the cue goes after it
    script::Form3 f(*r.editor, r.lang);
    QCOMPARE(f.windowTitle().contains(u'&'), false);
    f.Text1->setText(QStringLiteral("75"));
    QVERIFY(f.Option1[10]->isChecked());
    f.Command1_Click();
    QCOMPARE(r.editor->Text(), QStringLiteral("Act[[Vol 75]]  one"));
    r.editor->Select(3, 10);
    QCOMPARE(r.editor->SelColor(), std::optional<QColor>(kBlue));
    QCOMPARE(r.editor->SelFontName(), std::optional<QString>(QStringLiteral("Arial")));
    r.editor->Select(13, 1);  // the blank after the cue
    QVERIFY(r.editor->SelColor() != std::optional<QColor>(kBlue));
    QCOMPARE(r.editor->SelItalic(), std::optional<bool>(true));
    QCOMPARE(r.editor->SelFontName(), std::optional<QString>(QStringLiteral("Courier New")));
  }

  void theVolumeFieldIsLimitedWhenLeftAndSeekFieldsAreTrimmed() {
    AidsRig r;
    QVERIFY(r.active());
    script::Form3 f(*r.editor, r.lang);
    f.Text1->setText(QStringLiteral("150"));
    f.Text1_LostFocus();
    QCOMPARE(f.Text1->text(), QStringLiteral("100"));
    f.Text2->setText(QStringLiteral(" 12 "));
    QVERIFY(f.Option1[11]->isChecked() && !f.Option1[10]->isChecked());
    QCOMPARE(f.commandText(), QStringLiteral("[[Seek Audio 12]]"));
    f.Text3->setText(QStringLiteral("abc"));
    QCOMPARE(f.commandText(), QStringLiteral("[[Seek Video abc]]"));
    f.Option1[5]->setChecked(true);
    QCOMPARE(f.commandText(), QStringLiteral("[[FadeIn Fast]]"));
  }

  void anInsertedFadeCueIsCarriedOutWhenClicked() {
    AidsRig r;
    QVERIFY(r.active());
    r.editor->SetText(QString());
    script::Form3 f(*r.editor, r.lang);
    f.Option1[5]->setChecked(true);
    f.Command1_Click();
    r.clickAt(4);
    QCOMPARE(r.volume.calls, QStringList{QStringLiteral("fade 0")});
  }

  // Keyboard only: the dialog opens on the first option, every option has an
  // access key of its own, and the key picks the option whose cue is added.
  void everyOptionHasItsOwnAccessKey() {
    AidsRig r;
    QVERIFY(r.active());
    script::Form3 f(*r.editor, r.lang);
    f.show();
    QVERIFY(test::giveFocus(&f));
    QCOMPARE(QApplication::focusWidget(), f.Option1[0]);
    QSet<int> keys;
    for (QPushButton* b : {f.Command1, f.Command2}) {
      const QKeySequence key = QKeySequence::mnemonic(b->text());
      if (!key.isEmpty()) keys << key[0].toCombined();
    }
    for (size_t i = 0; i < f.Option1.size(); ++i) {
      QRadioButton* option = f.Option1[i];
      const QKeySequence key = QKeySequence::mnemonic(option->text());
      const QByteArray what = option->text().toUtf8();
      QVERIFY2(!key.isEmpty(), what.constData());
      QVERIFY2(!keys.contains(key[0].toCombined()), what.constData());
      keys << key[0].toCombined();
      QTest::keyClick(&f, static_cast<Qt::Key>(key[0].key()), Qt::AltModifier);
      QTRY_VERIFY2(option->isChecked(), what.constData());  // an animated click
      const QString cue = f.commandText();
      QVERIFY2(cue.startsWith(QStringLiteral("[[")) && cue.endsWith(QStringLiteral("]]")) &&
                   !cue.contains(u'&'),
               qPrintable(cue));
    }
    f.Option1[9]->setChecked(true);
    QCOMPARE(f.commandText(), QStringLiteral("[[FadeOut Slow]]"));
  }

  void cancelInsertsNothing() {
    AidsRig r;
    QVERIFY(r.active());
    r.editor->SetText(QStringLiteral("x"));
    script::Form3 f(*r.editor, r.lang);
    f.Option1[0]->setChecked(true);
    QCOMPARE(f.Command2->text(), QStringLiteral("Cancel"));
    f.Command2->click();
    QCOMPARE(r.editor->Text(), QStringLiteral("x"));
  }
};

QTEST_MAIN(TestEditingAids)
#include "test_editing_aids.moc"
