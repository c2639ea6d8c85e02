// The Find and Replace window on the real editor: Find and Find Next with
// their messages, Replace finding first, the line-break flag, Replace All
// with its count and its undo, the histories and dropped text.

#include "fakes/fakes.h"
#include "platform/rtb/rtb.h"
#include "tools/frm_find.h"
#include "tools/script_undo.h"
#include "ui/language_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using scenova::platform::FakeDialogs;
using scenova::platform::RTB;
using scenova::tools::frmFind;
using scenova::tools::ScriptUndo;

namespace {

struct Rig {
  RTB rtb;
  ScriptUndo undo{rtb};
  FakeDialogs dialogs;
  scenova::ui::LanguageTable lang;
  std::unique_ptr<frmFind> find;

  explicit Rig(const QString& text) {
    rtb.SetText(text);
    undo.resetHistory();
    const char* texts[][2] = {{"21", "Cancel"},    {"56", "Find"},          {"57", "Find Next"},
                              {"59", "Replace"},   {"60", "Replace with"},  {"61", "Replace All"},
                              {"62", "Options"},   {"63", "Whole word"},    {"64", "Match case"},
                              {"65", "Not found"}, {"66", "End of script"}, {"67", "Replaced:"},
                              {"68", "times"}};
    for (auto& t : texts)
      lang.setText(QString::fromLatin1(t[0]).toInt(), QString::fromLatin1(t[1]));
  }
  frmFind& open(bool replace) {
    find = std::make_unique<frmFind>(rtb, lang, dialogs, &undo, replace);
    find->setAttribute(Qt::WA_DeleteOnClose, false);
    return *find;
  }
  QStringList messages() const {
    QStringList out;
    for (const auto& m : dialogs.messages) out << m.text;
    return out;
  }
  QString selection() const { return rtb.SelText(); }
};

QStringList items(const QComboBox* box) {
  QStringList out;
  for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
  return out;
}

}  // namespace

class TestFindWindow : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void findThenFindNextThenTheEndThenTheTopAgain() {
    Rig r(QStringLiteral("a cue, another cue."));
    frmFind& f = r.open(false);
    QVERIFY(!f.cmdReplace->isEnabled() && !f.cboReplace->isEnabled());
    QCOMPARE(f.windowTitle(), QStringLiteral("Find..."));
    f.cboFind->setEditText(QStringLiteral("cue"));
    f.cmdFind_Click();
    QCOMPARE(r.rtb.SelStart(), 2);
    QCOMPARE(f.cmdFind->text(), QStringLiteral("Find Next"));
    f.cmdFind_Click();
    QCOMPARE(r.rtb.SelStart(), 15);
    f.cmdFind_Click();
    QCOMPARE(r.messages(), QStringList{QStringLiteral("End of script")});
    QCOMPARE(r.dialogs.messages.first().title, QStringLiteral("Scenova"));
    QCOMPARE(f.cmdFind->text(), QStringLiteral("&Find"));
    QCOMPARE(r.rtb.SelStart(), 15);  // no wrapping by itself
    f.cmdFind_Click();
    QCOMPARE(r.rtb.SelStart(), 2);
    QCOMPARE(items(f.cboFind), QStringList{QStringLiteral("cue")});
  }

  void aMissingTextIsReportedAndMatchCaseIsHonoured() {
    Rig r(QStringLiteral("The Cue"));
    frmFind& f = r.open(false);
    f.cboFind->setEditText(QStringLiteral("cue"));
    f.chkMatchCase->setChecked(true);
    f.cmdFind_Click();
    QCOMPARE(r.messages(), QStringList{QStringLiteral("Not found")});
    QCOMPARE(f.cmdFind->text(), QStringLiteral("&Find"));
    f.chkMatchCase->setChecked(false);
    f.cmdFind_Click();
    QCOMPARE(r.selection(), QStringLiteral("Cue"));
    // Whole words: "cue" inside "cues" does not count.
    Rig w(QStringLiteral("cues cue"));
    frmFind& g = w.open(false);
    g.cboFind->setEditText(QStringLiteral("cue"));
    g.chkWholeWord->setChecked(true);
    g.cmdFind_Click();
    QCOMPARE(w.rtb.SelStart(), 5);
  }

  void theSelectionPrefillsTheSearchTrimmedAndCutAtALineBreak() {
    Rig r(QStringLiteral("x  act one  y"));
    r.rtb.Select(1, 11);
    frmFind& f = r.open(false);
    QCOMPARE(f.cboFind->currentText(), QStringLiteral("act one"));
    QCOMPARE(items(f.cboFind), QStringList{QStringLiteral("act one")});
    QVERIFY(!f.cutAtLineBreak());

    Rig two(QStringLiteral("first line\r\nsecond line\r\nfirst line\r\nfirst line"));
    two.rtb.Select(0, 23);
    frmFind& g = two.open(true);
    QCOMPARE(g.cboFind->currentText(), QStringLiteral("first line"));
    QVERIFY(g.cutAtLineBreak());
    QCOMPARE(g.windowTitle(), QStringLiteral("Replace..."));
    g.cboReplace->setEditText(QStringLiteral("1"));
    two.rtb.SetSelStart(0);
    g.cmdReplace_Click();  // finds
    QCOMPARE(two.rtb.Text(),
             QStringLiteral("first line\r\nsecond line\r\nfirst line\r\nfirst line"));
    QCOMPARE(two.selection(), QStringLiteral("first line"));
    QCOMPARE(g.cmdReplace->text(), QStringLiteral("Replace"));
    g.cmdReplace_Click();  // replaces, with the line break the search lost
    QCOMPARE(two.rtb.Text(), QStringLiteral("1\r\n\r\nsecond line\r\nfirst line\r\nfirst line"));
    QCOMPARE(two.rtb.SelStart(), 18);
    g.cmdReplace_Click();  // later ones do not add one
    QCOMPARE(two.rtb.Text(), QStringLiteral("1\r\n\r\nsecond line\r\n1\r\nfirst line"));
    QCOMPARE(two.selection(), QStringLiteral("first line"));
    // Each replacement is one exact undo step.
    two.undo.Undo();
    QCOMPARE(two.rtb.Text(), QStringLiteral("1\r\n\r\nsecond line\r\nfirst line\r\nfirst line"));
  }

  void replaceAllCountsAndIsOneUndoStep() {
    Rig r(QStringLiteral("x x x"));
    r.rtb.SetSelStart(3);
    frmFind& f = r.open(true);
    f.cboFind->setEditText(QStringLiteral(" X "));
    f.cboReplace->setEditText(QStringLiteral("y"));
    QSignalSpy changes(&r.rtb, &RTB::Change);
    f.cmdReplaceAll_Click();
    QCOMPARE(r.rtb.Text(), QStringLiteral("y y y"));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(r.messages(), QStringList{QStringLiteral("Replaced: \r\n3 times")});
    QCOMPARE(r.rtb.SelStart(), 5);
    QVERIFY(items(f.cboFind).isEmpty());  // Replace All keeps no history
    r.undo.Undo();
    QCOMPARE(r.rtb.Text(), QStringLiteral("x x x"));
    r.undo.Redo();
    QCOMPARE(r.rtb.Text(), QStringLiteral("y y y"));
  }

  void replaceAllEndsWhenTheReplacementHoldsTheSearch() {
    Rig r(QStringLiteral("x and x"));
    frmFind& f = r.open(true);
    f.cboFind->setEditText(QStringLiteral("x"));
    f.cboReplace->setEditText(QStringLiteral("xx"));
    f.cmdReplaceAll_Click();
    QCOMPARE(r.rtb.Text(), QStringLiteral("xx and xx"));
    QCOMPARE(r.messages().last(), QStringLiteral("Replaced: \r\n2 times"));
  }

  void replaceAllInsideASelectionWithoutTheTextChangesNothing() {
    Rig r(QStringLiteral("cue one, cue two"));
    r.rtb.Select(4, 3);
    frmFind& f = r.open(true);
    f.cboFind->setEditText(QStringLiteral("cue"));
    f.cboReplace->setEditText(QStringLiteral("Q"));
    f.cmdReplaceAll_Click();
    QCOMPARE(r.rtb.Text(), QStringLiteral("cue one, cue two"));
    QCOMPARE(r.messages().last(), QStringLiteral("Replaced: \r\n0 times"));
    QCOMPARE(r.undo.history().undoCount(), 0);
  }

  void replaceAllKeepsTheFormattingAroundTheReplacements() {
    Rig r(QStringLiteral("bold x plain x"));
    r.rtb.Select(0, 4);
    r.rtb.SetSelBold(true);
    r.rtb.SetSelStart(0);
    frmFind& f = r.open(true);
    f.cboFind->setEditText(QStringLiteral("x"));
    f.cboReplace->setEditText(QStringLiteral("[[Vol 50]]"));
    f.cmdReplaceAll_Click();
    QCOMPARE(r.rtb.Text(), QStringLiteral("bold [[Vol 50]] plain [[Vol 50]]"));
    r.rtb.Select(0, 4);
    QCOMPARE(r.rtb.SelBold(), std::optional<bool>(true));
  }

  void droppedTextFillsABoxCutAtItsFirstLineBreak() {
    Rig r(QStringLiteral("text"));
    frmFind& f = r.open(true);
    f.dropText(f.cboFind, QStringLiteral("  dropped  \r\nmore"));
    QCOMPARE(f.cboFind->currentText(), QStringLiteral("dropped"));
    QVERIFY(f.cutAtLineBreak());
    QCOMPARE(items(f.cboFind), QStringList{QStringLiteral("dropped")});
    f.dropText(f.cboReplace, QString(1 << 20, u'z'));
    QCOMPARE(f.cboReplace->currentText().size(), 1 << 20);
  }

  void oddSearchTextsNeitherCrashNorHang() {
    Rig r(QStringLiteral("[[Play Audio]]\r\nline"));
    frmFind& f = r.open(true);
    f.cboReplace->setEditText(QStringLiteral("[["));
    for (const QString& what :
         {QString(100000, u'q'), QStringLiteral("[["), QStringLiteral("\r")}) {
      f.cboFind->setEditText(what);
      f.cmdFind_Click();
      f.cmdReplace_Click();
      f.cmdReplaceAll_Click();
    }
    QCOMPARE(f.cboFind->itemText(0).size(), 100000);
    QVERIFY(r.rtb.Text().startsWith(QStringLiteral("[[Play Audio]]")));
    // The undo history still follows the editor.
    r.rtb.SetSelStart(0);
    r.rtb.SetSelText(QStringLiteral("!"));
    QCOMPARE(r.undo.history().stateText(), r.rtb.Text());
  }

  void choosingAnEarlierSearchStartsAtTheTop() {
    Rig r(QStringLiteral("cue cue"));
    frmFind& f = r.open(false);
    f.cboFind->addItem(QStringLiteral("cue"));
    r.rtb.SetSelStart(5);
    Q_EMIT f.cboFind->activated(0);
    QCOMPARE(r.rtb.SelStart(), 0);
  }
};

QTEST_MAIN(TestFindWindow)
#include "test_find_window.moc"
