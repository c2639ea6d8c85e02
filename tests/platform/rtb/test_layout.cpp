// The script editor's page layout: places every character where Qt's own
// layout does, lays out only what an edit touched, and lays out lazily.

#include "platform/rtb/rtb.h"
#include "platform/rtb/script_layout.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>

using scenova::platform::RTB;
using scenova::platform::ScriptLayout;

namespace {

// Every kind of paragraph and character formatting a script shows.
void fillFormatted(QTextDocument* doc) {
  QTextCursor c(doc);
  c.insertText(
      QStringLiteral("Atto primo. [[Play Audio]] The actor enters slowly from the left "
                     "while the light fades and music plays in the background."));
  QTextBlockFormat center, right, plain, hanging;
  center.setAlignment(Qt::AlignHCenter);
  right.setAlignment(Qt::AlignRight);
  hanging.setLeftMargin(40);
  hanging.setTextIndent(-20);
  hanging.setTopMargin(12);
  hanging.setBottomMargin(6);
  c.insertBlock(center);
  c.insertText(QStringLiteral("Centred title"));
  c.insertBlock(right);
  c.insertText(QStringLiteral("Right aligned"));
  c.insertBlock(plain);
  QTextCharFormat bold, big;
  bold.setFontWeight(QFont::Bold);
  big.setFontPointSize(22);
  c.insertText(QStringLiteral("Bold "), bold);
  c.insertText(QStringLiteral("big"), big);
  c.insertText(QStringLiteral(" plain\tafter a tab"), QTextCharFormat());
  QTextListFormat bullets;
  bullets.setStyle(QTextListFormat::ListDisc);
  bullets.setIndent(1);
  c.insertBlock(plain);
  c.createList(bullets);
  c.insertText(QStringLiteral("a bullet long enough to wrap onto another line of this editor"));
  c.insertBlock();
  c.insertText(QStringLiteral("second bullet"));
  c.insertBlock(hanging);
  c.insertText(
      QStringLiteral("A hanging indent with space before, long enough to wrap twice "
                     "in the narrow editor used by this test of the layout."));
  c.insertBlock(plain);
  c.insertText(QStringLiteral("line one") + QChar(QChar::LineSeparator) + QStringLiteral("two"));
  c.insertBlock(plain);
  c.insertBlock(plain);
  c.insertText(QStringLiteral("After an empty paragraph."));
}

void fillLong(QTextDocument* doc, int paragraphs) {
  QTextCursor c(doc);
  c.beginEditBlock();
  for (int i = 0; i < paragraphs; ++i) {
    if (i > 0) c.insertBlock();
    c.insertText(QStringLiteral("Paragraph %1: the actor speaks a line of the play.").arg(i));
  }
  c.endEditBlock();
}

ScriptLayout* layoutOf(const QTextEdit& edit) {
  return qobject_cast<ScriptLayout*>(edit.document()->documentLayout());
}

}  // namespace

class TestLayout : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void placesCharactersLikeQt();
  void hitTestFindsTheCharacter();
  void editLaysOutOnlyWhatItTouched();
  void laysOutWhatIsShownFirst();
  void newWidthLaysOutAgain();
};

// The same document in a plain QTextEdit (Qt's layout) and in the editor: the
// caret stands in the same place at every position.
void TestLayout::placesCharactersLikeQt() {
  QTextEdit qt;
  RTB rtb;
  for (QTextEdit* e : {&qt, static_cast<QTextEdit*>(&rtb)}) {
    e->resize(380, 500);
    fillFormatted(e->document());
    e->show();
  }
  QVERIFY(QTest::qWaitForWindowExposed(&rtb));
  QVERIFY(layoutOf(rtb));
  const int end = rtb.document()->characterCount();
  for (int pos = 0; pos < end; ++pos) {
    QTextCursor a(qt.document()), b(rtb.document());
    a.setPosition(pos);
    b.setPosition(pos);
    const QRect expected = qt.cursorRect(a), actual = rtb.cursorRect(b);
    QVERIFY2(qAbs(expected.x() - actual.x()) <= 1 && qAbs(expected.y() - actual.y()) <= 1 &&
                 qAbs(expected.height() - actual.height()) <= 1,
             qPrintable(QStringLiteral("position %1: Qt %2,%3 h%4, editor %5,%6 h%7")
                            .arg(pos)
                            .arg(expected.x())
                            .arg(expected.y())
                            .arg(expected.height())
                            .arg(actual.x())
                            .arg(actual.y())
                            .arg(actual.height())));
  }
  QVERIFY(qAbs(qt.document()->size().height() - rtb.document()->size().height()) <= 2);
}

void TestLayout::hitTestFindsTheCharacter() {
  RTB rtb;
  rtb.resize(380, 500);
  fillFormatted(rtb.document());
  rtb.show();
  QVERIFY(QTest::qWaitForWindowExposed(&rtb));
  for (int pos = 0; pos < rtb.document()->characterCount(); ++pos) {
    QTextCursor c(rtb.document());
    c.setPosition(pos);
    const QRect r = rtb.cursorRect(c);
    const QPoint inside(r.x() + 1, r.center().y());
    QCOMPARE(rtb.cursorForPosition(inside).position(), pos);
  }
}

// Typing in the middle of a long laid-out script lays out the one paragraph
// (and the next, whose spacing depends on it); the paragraphs below keep
// their layouts and only their place moves.
void TestLayout::editLaysOutOnlyWhatItTouched() {
  RTB rtb;
  rtb.resize(400, 300);
  fillLong(rtb.document(), 3000);
  rtb.show();
  ScriptLayout* layout = layoutOf(rtb);
  layout->layoutAll();
  const QTextBlock last = rtb.document()->lastBlock();
  const qreal lastTop = layout->blockBoundingRect(last).top();
  const int before = layout->paragraphsLaidOut();

  rtb.SetSelStart(rtb.TextLength() / 2);
  QTest::keyClicks(&rtb, QStringLiteral("xyz"));
  QVERIFY(layout->paragraphsLaidOut() - before <= 3 * 2);
  QCOMPARE(layout->blockBoundingRect(last).top(), lastTop);

  const int lines = rtb.document()->findBlock(rtb.textCursor().position()).layout()->lineCount();
  QTest::keyClicks(&rtb, QString(200, u'w'));  // the paragraph grows by lines
  const int more = rtb.document()->findBlock(rtb.textCursor().position()).layout()->lineCount();
  QVERIFY(more > lines);
  QVERIFY(layout->blockBoundingRect(last).top() > lastTop);
  QVERIFY(!layout->layoutPending());
}

// A long script just loaded is laid out where it is shown, the rest waits
// with estimated heights; going to the end lays out what lies above it.
void TestLayout::laysOutWhatIsShownFirst() {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("long.snv"));
  {
    QTextDocument doc;
    fillLong(&doc, 5000);
    RTB writer;
    writer.SetText(doc.toPlainText());  // LF ends a paragraph
    QVERIFY(writer.SaveFile(path));
  }
  RTB rtb;
  rtb.resize(400, 300);
  QVERIFY(rtb.LoadFile(path));
  rtb.show();  // no event loop here: the background layout does not run
  ScriptLayout* layout = layoutOf(rtb);
  rtb.viewport()->grab();
  QVERIFY(layout->layoutPending());
  QVERIFY(layout->paragraphsLaidOut() < 100);

  rtb.SetSelStart(rtb.TextLength());  // the caret is shown at the end
  QVERIFY(!layout->layoutPending());
  const QRectF rect = layout->blockBoundingRect(rtb.document()->lastBlock());
  QCOMPARE(rect.bottom() + rtb.document()->documentMargin(), layout->documentSize().height());
}

void TestLayout::newWidthLaysOutAgain() {
  QTextEdit qt;
  RTB rtb;
  for (QTextEdit* e : {&qt, static_cast<QTextEdit*>(&rtb)}) {
    e->resize(600, 400);
    fillFormatted(e->document());
    e->show();
    e->resize(250, 400);
  }
  layoutOf(rtb)->layoutAll();
  QVERIFY(qAbs(qt.document()->size().height() - rtb.document()->size().height()) <= 2);
  QTextCursor a(qt.document()), b(rtb.document());
  a.movePosition(QTextCursor::End);
  b.movePosition(QTextCursor::End);
  QVERIFY(qAbs(qt.cursorRect(a).y() - rtb.cursorRect(b).y()) <= 1);
}

QTEST_MAIN(TestLayout)
#include "test_layout.moc"
