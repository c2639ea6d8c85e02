// The undo history on a plain-text editor: its behaviour step by step, the
// same as a history of full copies on random editing, and its memory.

#include "fake_text_editor.h"
#include "undo_reference.h"

#include <QRandomGenerator>
#include <QTest>

using scenova::tools::UndoHistory;
using scenova::tools::testing::FakeTextEditor;
using scenova::tools::testing::FullSnapshotHistory;

namespace {

// The editor with the history attached the way the window attaches it.
struct Rig {
  FakeTextEditor editor;
  UndoHistory history{editor};
  explicit Rig(const QString& text = {}) {
    editor.text = text;
    editor.onEdit = [this](int h, int t) { history.noteEdit(h, t); };
    editor.onChange = [this] { history.recordChange(); };
    history.reset();
  }
};

// One random action of an author.
void randomAction(FakeTextEditor& e, QRandomGenerator& rng) {
  static const QString letters = QStringLiteral("ab c\u00e9[]");
  const int length = e.length();
  switch (rng.bounded(9)) {
    case 0:
    case 1:
      e.select(rng.bounded(length + 1), 0);
      e.type(letters.at(rng.bounded(int(letters.size()))));
      break;
    case 2:
      e.select(rng.bounded(length + 1), 0);
      e.backspace();
      break;
    case 3:
      e.select(rng.bounded(length + 1), 0);
      e.del();
      break;
    case 4: {  // paste
      QString paste;
      for (int i = rng.bounded(1, 6); i > 0; --i)
        paste += letters.at(rng.bounded(int(letters.size())));
      if (rng.bounded(3) == 0) paste += QStringLiteral("\r\n");
      e.select(rng.bounded(length + 1), 0);
      e.type(paste);
      break;
    }
    case 5:  // Enter
      e.select(rng.bounded(length + 1), 0);
      e.type(QStringLiteral("\r\n"));
      break;
    case 6:
    case 7: {  // select and delete
      const int s = rng.bounded(length + 1);
      e.select(s, rng.bounded(length - s + 1));
      e.del();
      break;
    }
    default: {  // select and type over the selection
      const int s = rng.bounded(length + 1);
      e.select(s, rng.bounded(length - s + 1));
      e.type(QString(letters.at(rng.bounded(int(letters.size())))).repeated(rng.bounded(1, 4)));
      break;
    }
  }
}

}  // namespace

class TestUndoHistory : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void typingIsTakenBackOneCharacterAtATime() {
    Rig r;
    for (const char* c : {"a", "b", "c"}) r.editor.type(QString::fromLatin1(c));
    r.history.Undo();
    QCOMPARE(r.editor.text, QStringLiteral("ab"));
    QCOMPARE(r.editor.start, 2);
    r.history.Undo();
    QCOMPARE(r.editor.text, QStringLiteral("a"));
    r.history.Undo();
    r.history.Undo();  // nothing before the first state
    QCOMPARE(r.editor.text, QString());
    QCOMPARE(r.history.undoCount(), 0);
    r.history.Redo();
    r.history.Redo();
    QCOMPARE(r.editor.text, QStringLiteral("ab"));
    QCOMPARE(r.editor.start, 2);
    QCOMPARE(r.editor.selected, 0);
  }

  void deletedTextComesBackSelectedAndPastedTextIsRedoneSelected() {
    Rig r(QStringLiteral("say hello world"));
    r.editor.select(4, 5);
    r.editor.del();
    r.history.Undo();
    QCOMPARE(r.editor.text, QStringLiteral("say hello world"));
    QCOMPARE(r.editor.start, 4);
    QCOMPARE(r.editor.selected, 5);
    r.editor.select(3, 0);
    r.editor.type(QStringLiteral("xyz"));
    r.history.Undo();
    QCOMPARE(r.editor.text, QStringLiteral("say hello world"));
    r.history.Redo();
    QCOMPARE(r.editor.text, QStringLiteral("sayxyz hello world"));
    QCOMPARE(r.editor.start, 3);
    QCOMPARE(r.editor.selected, 3);
  }

  void aLineBreakIsOneStepAndLeavesTheCaretAfterIt() {
    Rig r(QStringLiteral("ab"));
    r.editor.select(1, 0);
    r.editor.backspace();
    r.history.Undo();
    QCOMPARE(r.editor.text, QStringLiteral("ab"));
    QCOMPARE(r.editor.start, 1);
    QCOMPARE(r.editor.selected, 0);
    r.editor.select(1, 0);
    r.editor.type(QStringLiteral("\r\n"));
    r.history.Undo();
    QCOMPARE(r.editor.text, QStringLiteral("ab"));
    r.history.Redo();
    QCOMPARE(r.editor.text, QStringLiteral("a\r\nb"));
    QCOMPARE(r.editor.start, 3);
    QCOMPARE(r.editor.selected, 0);
    // Backspace over the break, then undo: the break comes back whole and
    // the caret goes after it.
    r.editor.backspace();
    r.history.Undo();
    QCOMPARE(r.editor.text, QStringLiteral("a\r\nb"));
    QCOMPARE(r.editor.start, 3);
    QCOMPARE(r.editor.selected, 0);
  }

  void aNewChangeEmptiesTheRedoListButUndoAndRedoDoNot() {
    Rig r;
    r.editor.type(QStringLiteral("a"));
    r.editor.type(QStringLiteral("b"));
    r.history.Undo();
    r.history.Undo();
    QCOMPARE(r.history.redoCount(), 2);
    r.history.Redo();
    QCOMPARE(r.history.redoCount(), 1);
    r.editor.type(QStringLiteral("x"));
    QCOMPARE(r.history.redoCount(), 0);
    r.history.Redo();
    QCOMPARE(r.editor.text, QStringLiteral("ax"));
  }

  void withOneStateOnlyUndoJustFocusesTheEditor() {
    Rig r(QStringLiteral("text"));
    r.editor.select(2, 0);
    r.history.Undo();
    QCOMPARE(r.editor.text, QStringLiteral("text"));
    QCOMPARE(r.editor.start, 2);
    QCOMPARE(r.editor.focusCount, 1);
  }

  void resetStartsAfreshSoAnOldStepNeverReachesANewScript() {
    Rig r(QStringLiteral("first script"));
    r.editor.select(12, 0);
    r.editor.type(QStringLiteral("!!"));
    // Open: the new text arrives as a change, then the history starts again.
    r.editor.select(0, r.editor.length());
    r.editor.type(QStringLiteral("second"));
    r.history.reset();
    r.history.Undo();
    QCOMPARE(r.editor.text, QStringLiteral("second"));
    QCOMPARE(r.history.undoCount(), 0);
  }

  void exactStepsTakeBackSeveralEditsAtOnce() {
    Rig r(QStringLiteral("x x x"));
    const std::vector<scenova::tools::TextEdit> edits{
        {0, QStringLiteral("x"), QStringLiteral("yy")},
        {4, QStringLiteral("x"), QStringLiteral("yy")}};
    r.history.setTracking(false);
    r.editor.applyEdits(edits);
    r.history.setTracking(true);
    r.history.recordExact(edits, 6);
    QCOMPARE(r.editor.text, QStringLiteral("yy x yy"));
    r.history.Undo();
    QCOMPARE(r.editor.text, QStringLiteral("x x x"));
    r.history.Redo();
    QCOMPARE(r.editor.text, QStringLiteral("yy x yy"));
    QCOMPARE(r.history.stateText(), r.editor.text);
  }

  // Typing or pasting over a selection is one step, taken back exactly
  // whatever the lengths, and what comes back is shown as a deletion's.
  void typingOverASelectionIsTakenBackExactly() {
    Rig r(QStringLiteral("hello world"));
    r.editor.select(0, 6);
    r.editor.type(QStringLiteral("J"));
    r.history.Undo();
    QCOMPARE(r.editor.text, QStringLiteral("hello world"));
    QCOMPARE(r.editor.start, 0);
    QCOMPARE(r.editor.selected, 6);
    r.history.Redo();
    QCOMPARE(r.editor.text, QStringLiteral("Jworld"));
    QCOMPARE(r.editor.start, 1);
    QCOMPARE(r.editor.selected, 0);

    Rig act(QStringLiteral("ACT ONE"));
    act.editor.select(0, 4);
    for (const char* c : {"P", "L", "A", "Y", " "}) act.editor.type(QString::fromLatin1(c));
    QCOMPARE(act.editor.text, QStringLiteral("PLAY ONE"));
    while (act.history.undoCount() > 0) act.history.Undo();
    QCOMPARE(act.editor.text, QStringLiteral("ACT ONE"));

    Rig paste(QStringLiteral("ACT ONE"));
    paste.editor.select(0, 3);
    paste.editor.type(QStringLiteral("HAMLET"));
    paste.history.Undo();
    QCOMPARE(paste.editor.text, QStringLiteral("ACT ONE"));
    paste.history.Redo();
    QCOMPARE(paste.editor.text, QStringLiteral("HAMLET ONE"));

    // The typed character matches the end of the selection: the text only
    // lost characters, but not at the caret.
    Rig shorter(QStringLiteral("xyz"));
    shorter.editor.select(1, 2);
    shorter.editor.type(QStringLiteral("z"));
    shorter.history.Undo();
    QCOMPARE(shorter.editor.text, QStringLiteral("xyz"));
  }

  // A change that leaves the characters as they were (formatting) is no
  // step: undo does not stop at it and redo is still there.
  void aChangeOfFormattingAloneIsNoStep() {
    Rig r(QStringLiteral("ab"));
    r.editor.select(2, 0);
    r.editor.type(QStringLiteral("c"));
    r.editor.type(QStringLiteral("d"));
    r.history.Undo();
    r.editor.select(0, 2);
    r.editor.onChange();  // bold, a colour: the text stays
    QCOMPARE(r.history.undoCount(), 1);
    QCOMPARE(r.history.redoCount(), 1);
    r.history.Redo();
    QCOMPARE(r.editor.text, QStringLiteral("abcd"));
    r.history.Undo();
    r.history.Undo();
    QCOMPARE(r.editor.text, QStringLiteral("ab"));
  }

  // Every step of random editing, undoing and redoing gives the same text,
  // caret and selection as a history of full copies.
  void behavesAsAHistoryOfFullCopies() {
    for (quint32 seed = 1; seed <= 200; ++seed) {
      QRandomGenerator rng(seed);
      FakeTextEditor a, b;
      a.text = b.text = QStringLiteral("[[Play Audio]]\r\nact one");
      UndoHistory history(a);
      FullSnapshotHistory reference(b);
      a.onEdit = [&](int h, int t) { history.noteEdit(h, t); };
      a.onChange = [&] { history.recordChange(); };
      b.onChange = [&] { reference.change(); };
      history.reset();
      reference.reset();
      for (int step = 0; step < 150; ++step) {
        const int what = rng.bounded(10);
        if (what < 2) {
          history.Undo();
          reference.Undo();
        } else if (what < 3) {
          history.Redo();
          reference.Redo();
        } else {
          QRandomGenerator copy = rng;
          randomAction(a, rng);
          randomAction(b, copy);
        }
        if (a.text != b.text || a.start != b.start || a.selected != b.selected)
          QFAIL(qPrintable(QStringLiteral("seed %1 step %2: \"%3\" (%4,%5) against \"%6\" (%7,%8)")
                               .arg(seed)
                               .arg(step)
                               .arg(a.text)
                               .arg(a.start)
                               .arg(a.selected)
                               .arg(b.text)
                               .arg(b.start)
                               .arg(b.selected)));
      }
    }
  }

  // Typing, deleting, pasting, Enter and typing over a selection: undoing
  // everything and redoing everything passes through every text in between.
  void undoAllAndRedoAllGiveBackEveryText() {
    for (quint32 seed = 1; seed <= 100; ++seed) {
      QRandomGenerator rng(seed);
      Rig r(QStringLiteral("start"));
      QStringList texts{r.editor.text};
      for (int step = 0; step < 60; ++step) {
        randomAction(r.editor, rng);
        if (r.editor.text != texts.last())
          texts << r.editor.text;
        else
          texts.last() = r.editor.text;
      }
      QStringList back{r.editor.text};
      while (r.history.undoCount() > 0) {
        r.history.Undo();
        if (r.editor.text != back.last()) back << r.editor.text;
      }
      std::reverse(back.begin(), back.end());
      QCOMPARE(back, texts);
      QStringList forward{r.editor.text};
      while (r.history.redoCount() > 0) {
        r.history.Redo();
        if (r.editor.text != forward.last()) forward << r.editor.text;
      }
      QCOMPARE(forward, texts);
    }
  }

  void memoryFollowsTheEditsNotTheScript() {
    Rig r(QString(200000, u'x'));
    for (int i = 0; i < 1000; ++i) {
      r.editor.select(100000 + i, 0);
      r.editor.type(QStringLiteral("k"));
    }
    QCOMPARE(r.history.undoCount(), 1000);
    QVERIFY2(r.history.stepBytes() < 200 * 1000,
             qPrintable(QString::number(r.history.stepBytes())));
  }
};

QTEST_GUILESS_MAIN(TestUndoHistory)
#include "test_undo_history.moc"
