// Undo and redo on the real script editor: keys as the author presses them,
// random editing against a history of full copies, program edits made of
// many parts, a new script.

#include "rtb_undo_port.h"
#include "tools/script_undo.h"
#include "undo_reference.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using scenova::platform::RTB;
using scenova::tools::ScriptUndo;
using scenova::tools::TextEdit;
using scenova::tools::testing::FullSnapshotHistory;
using scenova::tools::testing::RtbPort;

namespace {

struct Editor {
  RTB rtb;
  ScriptUndo undo{rtb};
  explicit Editor(const QString& text = {}) {
    rtb.SetText(text);
    undo.resetHistory();
  }
  void key(Qt::Key k) { QTest::keyClick(&rtb, k); }
  void type(const QString& s) { QTest::keyClicks(&rtb, s); }
  int selStart() const { return rtb.SelStart(); }
  int selLength() const { return rtb.SelLength(); }
};

// A random edit made through the editor's operations, the same on both.
void randomEdit(RTB& e, QRandomGenerator& rng) {
  static const QStringList pieces{QStringLiteral("a"), QStringLiteral("[[Vol 75]]"),
                                  QStringLiteral("\r\n"), QStringLiteral("x y"),
                                  QStringLiteral("\u00e8")};
  const int length = e.TextLength();
  const int at = rng.bounded(length + 1);
  switch (rng.bounded(7)) {
    case 0:
    case 1:
      e.Select(at, 0);
      e.SetSelText(pieces.at(rng.bounded(int(pieces.size()))));
      break;
    case 2:
      e.Select(at, rng.bounded(4));
      e.SetSelText(QString());
      break;
    case 3:
      e.Select(at, rng.bounded(4));
      e.SetSelText(pieces.at(rng.bounded(int(pieces.size()))));
      break;
    case 4:  // a change of formatting only
      e.Select(at, rng.bounded(4));
      e.SetSelBold(true);
      break;
    case 5:  // keys typed over a selection
      e.Select(at, rng.bounded(6));
      QTest::keyClicks(&e, QStringLiteral("ab"));
      break;
    default:
      e.Select(at, rng.bounded(3));
      break;
  }
}

}  // namespace

class TestScriptUndo : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void typedCharactersGoBackOneAtATime() {
    Editor e;
    e.type(QStringLiteral("abc"));
    e.undo.Undo();
    QCOMPARE(e.rtb.Text(), QStringLiteral("ab"));
    QCOMPARE(e.selStart(), 2);
    e.undo.Undo();
    QCOMPARE(e.rtb.Text(), QStringLiteral("a"));
  }

  void deletedSelectionComesBackSelected() {
    Editor e(QStringLiteral("say hello"));
    e.rtb.Select(4, 5);
    e.key(Qt::Key_Delete);
    QCOMPARE(e.rtb.Text(), QStringLiteral("say "));
    e.undo.Undo();
    QCOMPARE(e.rtb.Text(), QStringLiteral("say hello"));
    QCOMPARE(e.selStart(), 4);
    QCOMPARE(e.selLength(), 5);
  }

  void backspaceAndEnterComeBackWithTheCaretAfterThem() {
    Editor e(QStringLiteral("ab"));
    e.rtb.SetSelStart(2);
    e.key(Qt::Key_Backspace);
    e.undo.Undo();
    QCOMPARE(e.rtb.Text(), QStringLiteral("ab"));
    QCOMPARE(e.selStart(), 2);
    QCOMPARE(e.selLength(), 0);
    e.rtb.SetSelStart(1);
    e.key(Qt::Key_Return);
    QCOMPARE(e.rtb.Text(), QStringLiteral("a\r\nb"));
    e.undo.Undo();
    QCOMPARE(e.rtb.Text(), QStringLiteral("ab"));
    e.undo.Redo();
    QCOMPARE(e.rtb.Text(), QStringLiteral("a\r\nb"));
    QCOMPARE(e.selStart(), 3);
    QCOMPARE(e.selLength(), 0);
  }

  void pastedTextIsRedoneSelectedAndANewChangeEndsRedo() {
    Editor e(QStringLiteral("ab"));
    e.rtb.SetSelStart(1);
    e.rtb.SetSelText(QStringLiteral("xyz"));
    e.undo.Undo();
    QCOMPARE(e.rtb.Text(), QStringLiteral("ab"));
    e.undo.Redo();
    QCOMPARE(e.rtb.Text(), QStringLiteral("axyzb"));
    QCOMPARE(e.selStart(), 1);
    QCOMPARE(e.selLength(), 3);
    e.undo.Undo();
    e.type(QStringLiteral("q"));
    e.undo.Redo();
    QVERIFY(!e.rtb.Text().contains(QStringLiteral("xyz")));
  }

  void undoWithOneStateChangesNothing() {
    Editor e(QStringLiteral("start"));
    e.undo.Undo();
    QCOMPARE(e.rtb.Text(), QStringLiteral("start"));
  }

  void undoKeepsTheFormattingOfTheRestOfTheScript() {
    Editor e(QStringLiteral("bold plain"));
    e.rtb.Select(0, 4);
    e.rtb.SetSelBold(true);
    e.rtb.SetSelStart(10);
    e.type(QStringLiteral("!"));
    e.undo.Undo();
    QCOMPARE(e.rtb.Text(), QStringLiteral("bold plain"));
    e.rtb.Select(0, 4);
    QCOMPARE(e.rtb.SelBold(), std::optional<bool>(true));
  }

  // Keys typed over a selection and a paste over one are taken back
  // exactly, one step each.
  void typingAndPastingOverASelectionAreTakenBackExactly() {
    Editor e(QStringLiteral("hello world"));
    e.rtb.Select(0, 6);
    e.type(QStringLiteral("J"));
    QCOMPARE(e.rtb.Text(), QStringLiteral("Jworld"));
    e.undo.Undo();
    QCOMPARE(e.rtb.Text(), QStringLiteral("hello world"));
    QCOMPARE(e.selStart(), 0);
    QCOMPARE(e.selLength(), 6);

    Editor act(QStringLiteral("ACT ONE\r\nHAMLET: To be."));
    act.rtb.Select(0, 4);
    act.type(QStringLiteral("PLAY "));
    QCOMPARE(act.rtb.Text(), QStringLiteral("PLAY ONE\r\nHAMLET: To be."));
    while (act.undo.history().undoCount() > 0) act.undo.Undo();
    QCOMPARE(act.rtb.Text(), QStringLiteral("ACT ONE\r\nHAMLET: To be."));
    while (act.undo.history().redoCount() > 0) act.undo.Redo();
    QCOMPARE(act.rtb.Text(), QStringLiteral("PLAY ONE\r\nHAMLET: To be."));

    Editor paste(QStringLiteral("ACT ONE"));
    QApplication::clipboard()->setText(QStringLiteral("HAMLET"));
    paste.rtb.Select(0, 3);
    paste.rtb.paste();
    QCOMPARE(paste.rtb.Text(), QStringLiteral("HAMLET ONE"));
    QCOMPARE(paste.undo.history().undoCount(), 1);
    paste.undo.Undo();
    QCOMPARE(paste.rtb.Text(), QStringLiteral("ACT ONE"));
    paste.undo.Redo();
    QCOMPARE(paste.rtb.Text(), QStringLiteral("HAMLET ONE"));
  }

  // Bold, a colour or a cue turning blue changes no character: no step, and
  // the redo list stays.
  void formattingIsNoStep() {
    Editor e(QStringLiteral("[[Vol 60]] music"));
    e.rtb.SetSelStart(16);
    e.type(QStringLiteral("!"));
    e.undo.Undo();
    QCOMPARE(e.undo.history().redoCount(), 1);
    e.rtb.Select(0, 5);
    e.rtb.SetSelBold(true);
    e.rtb.Select(0, 10);
    e.rtb.SetSelColor(QColor(0, 0, 255));
    QCOMPARE(e.undo.history().undoCount(), 0);
    QCOMPARE(e.undo.history().redoCount(), 1);
    e.undo.Redo();
    QCOMPARE(e.rtb.Text(), QStringLiteral("[[Vol 60]] music!"));
    QCOMPARE(e.selStart(), 17);
  }

  // A new script: the first undo must not apply the old script's last
  // difference to it.
  void aLoadedScriptStartsAFreshHistory() {
    Editor e(QStringLiteral("old script"));
    e.rtb.SetSelStart(10);
    e.type(QStringLiteral("!!!"));
    e.rtb.SetText(QStringLiteral("new"));
    e.undo.resetHistory();
    e.undo.Undo();
    QCOMPARE(e.rtb.Text(), QStringLiteral("new"));
    QCOMPARE(e.undo.history().redoCount(), 0);
    // Opening a file starts afresh by itself.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("act2.txt"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("Act two");
    f.close();
    e.type(QStringLiteral("??"));
    QVERIFY(e.rtb.LoadFile(path));
    e.undo.Undo();
    QCOMPARE(e.rtb.Text(), QStringLiteral("Act two"));
    e.rtb.SetSelStart(7);
    e.type(QStringLiteral("!"));
    e.undo.Undo();
    QCOMPARE(e.rtb.Text(), QStringLiteral("Act two"));
  }

  // Random edits on two editors: one with the history, one with the
  // full-copy reference; after every step both read the same.
  void behavesAsAHistoryOfFullCopiesOnTheRealEditor() {
    for (quint32 seed = 1; seed <= 25; ++seed) {
      QRandomGenerator rng(seed);
      RTB a, b;
      const QString start = QStringLiteral("[[Play Audio]]\r\nAct one\r\n[[FadeOut Slow]]");
      a.SetText(start);
      b.SetText(start);
      ScriptUndo undo(a);
      RtbPort port(b);
      FullSnapshotHistory reference(port);
      connect(&b, &RTB::Change, &b, [&] { reference.change(); });
      undo.resetHistory();
      reference.reset();
      for (int step = 0; step < 80; ++step) {
        const int what = rng.bounded(10);
        if (what < 2) {
          undo.Undo();
          reference.Undo();
        } else if (what < 3) {
          undo.Redo();
          reference.Redo();
        } else {
          QRandomGenerator copy = rng;
          randomEdit(a, rng);
          randomEdit(b, copy);
        }
        if (a.Text() != b.Text() || a.SelStart() != b.SelStart() || a.SelLength() != b.SelLength())
          QFAIL(qPrintable(QStringLiteral("seed %1 step %2: \"%3\" against \"%4\"")
                               .arg(seed)
                               .arg(step)
                               .arg(a.Text(), b.Text())));
      }
    }
  }

  // A program change made of many separate edits is one exact step.
  void editsInManyPlacesAreOneExactStep() {
    Editor e(QStringLiteral("x and x and x"));
    e.rtb.Select(6, 1);
    e.rtb.SetSelBold(true);
    QSignalSpy changes(&e.rtb, &RTB::Change);
    e.undo.recordAsOneStep([&] {
      const std::vector<TextEdit> edits{{0, QStringLiteral("x"), QStringLiteral("[[Vol 1]]")},
                                        {12, QStringLiteral("x"), QStringLiteral("yy")}};
      scenova::tools::applyEditsToEditor(e.rtb, edits);
      return edits;
    });
    QCOMPARE(changes.count(), 1);
    QCOMPARE(e.rtb.Text(), QStringLiteral("[[Vol 1]] and x and yy"));
    e.undo.Undo();
    QCOMPARE(e.rtb.Text(), QStringLiteral("x and x and x"));
    e.rtb.Select(6, 1);
    QCOMPARE(e.rtb.SelBold(), std::optional<bool>(true));
    e.undo.Redo();
    QCOMPARE(e.rtb.Text(), QStringLiteral("[[Vol 1]] and x and yy"));
    e.undo.Undo();
    QCOMPARE(e.undo.history().undoCount(), 0);  // the bold was no step
    QCOMPARE(e.rtb.Text(), QStringLiteral("x and x and x"));
  }
};

QTEST_MAIN(TestScriptUndo)
#include "test_script_undo.moc"
