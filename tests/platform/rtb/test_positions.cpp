// Positions and text of the script editor: CR LF counting both ways, Mid and
// TextLength against Text under random edits.

#include "platform/rtb/rtb.h"
#include "platform/rtb/script_text.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using scenova::platform::RTB;
using scenova::platform::ScriptText;

namespace {

// The text as the program must see it, built block by block (independently
// of the code under test).
struct Reference {
  QString text;
  QList<int> toProgram;  // per document position
  QList<int> down, up;   // per program position

  explicit Reference(const QTextDocument& doc) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
      QString t = b.text();
      t.replace(QChar::LineSeparator, u'\v');
      for (int i = 0; i <= t.size(); ++i) {
        toProgram.append(static_cast<int>(text.size()) + i);
        down.append(b.position() + i);
        up.append(b.position() + i);
      }
      text += t;
      if (b.next().isValid()) {
        text += QStringLiteral("\r\n");
        down.append(b.position() + static_cast<int>(t.size()));  // between CR and LF
        up.append(b.next().position());
      }
    }
  }
};

}  // namespace

class TestPositions : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void mapping_data();
  void mapping();
  void outOfRange();
  void midAndLengthFollowRandomEdits();
  void tablesCountAsParagraphs();
};

void TestPositions::mapping_data() {
  QTest::addColumn<QString>("input");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QList<int>>("down");  // document position per program position
  QTest::addColumn<QList<int>>("up");

  QTest::newRow("empty") << QString() << QString() << QList<int>{0} << QList<int>{0};
  QTest::newRow("one break") << QStringLiteral("ab\r\ncd") << QStringLiteral("ab\r\ncd")
                             << QList<int>{0, 1, 2, 2, 3, 4, 5} << QList<int>{0, 1, 2, 3, 3, 4, 5};
  QTest::newRow("empty paragraphs") << QStringLiteral("\r\n\r\n") << QStringLiteral("\r\n\r\n")
                                    << QList<int>{0, 0, 1, 1, 2} << QList<int>{0, 1, 1, 2, 2};
  QTest::newRow("break at end") << QStringLiteral("x\r\n") << QStringLiteral("x\r\n")
                                << QList<int>{0, 1, 1, 2} << QList<int>{0, 1, 2, 2};
  QTest::newRow("lone CR is a break") << QStringLiteral("a\rb") << QStringLiteral("a\r\nb")
                                      << QList<int>{0, 1, 1, 2, 3} << QList<int>{0, 1, 2, 2, 3};
  QTest::newRow("lone LF is a break") << QStringLiteral("a\nb") << QStringLiteral("a\r\nb")
                                      << QList<int>{0, 1, 1, 2, 3} << QList<int>{0, 1, 2, 2, 3};
  QTest::newRow("VT is a line break") << QStringLiteral("a\vb") << QStringLiteral("a\vb")
                                      << QList<int>{0, 1, 2, 3} << QList<int>{0, 1, 2, 3};
  QTest::newRow("both kinds") << QStringLiteral("a\v\r\nb") << QStringLiteral("a\v\r\nb")
                              << QList<int>{0, 1, 2, 2, 3, 4} << QList<int>{0, 1, 2, 3, 3, 4};
}

void TestPositions::mapping() {
  QFETCH(QString, input);
  QFETCH(QString, text);
  QFETCH(QList<int>, down);
  QFETCH(QList<int>, up);
  RTB rtb;
  rtb.SetText(input);
  QCOMPARE(rtb.Text(), text);
  QCOMPARE(rtb.TextLength(), text.size());
  QCOMPARE(down.size(), text.size() + 1);
  ScriptText view;
  view.attach(rtb.document());
  for (int p = 0; p <= text.size(); ++p) {
    QCOMPARE(view.toDocument(p, ScriptText::Round::Down), down[p]);
    QCOMPARE(view.toDocument(p, ScriptText::Round::Up), up[p]);
    QCOMPARE(rtb.toProgramPosition(down[p]), static_cast<int>(down.indexOf(down[p])));
    for (int n = 0; p + n <= text.size(); ++n) QCOMPARE(rtb.Mid(p, n), text.mid(p, n));
  }
}

void TestPositions::outOfRange() {
  RTB rtb;
  rtb.SetText(QStringLiteral("ab\r\ncd"));
  QCOMPARE(rtb.toDocumentPosition(-5), 0);
  QCOMPARE(rtb.toDocumentPosition(100), 5);
  QCOMPARE(rtb.toProgramPosition(-1), 0);
  QCOMPARE(rtb.toProgramPosition(99), 6);
  QCOMPARE(rtb.Mid(-3, 2), QStringLiteral("ab"));
  QCOMPARE(rtb.Mid(5, 10), QStringLiteral("d"));
  QCOMPARE(rtb.Mid(6, 1), QString());
  QCOMPARE(rtb.Mid(2, -1), QString());
}

// Random edits of every kind a document sees (typing, deleting, breaks,
// formatting, grouped edits, replacing everything); after each, Mid,
// TextLength and both mappings agree with the text built block by block, and
// the index never needed a rebuild.
void TestPositions::midAndLengthFollowRandomEdits() {
  RTB rtb;
  QTextDocument* doc = rtb.document();
  QRandomGenerator rng(20240611);
  auto randomText = [&] {
    static const QString alphabet = QStringLiteral("abc xyz[]\n\u2028\u00e8");
    QString s;
    const int n = rng.bounded(1, 12);
    for (int i = 0; i < n; ++i) s += alphabet.at(rng.bounded(static_cast<int>(alphabet.size())));
    return s;
  };
  auto randomPosition = [&] { return rng.bounded(doc->characterCount()); };
  for (int i = 0; i < 40; ++i) QTextCursor(doc).insertText(randomText());

  for (int step = 0; step < 1500; ++step) {
    QTextCursor c(doc);
    c.setPosition(randomPosition());
    const int before = rtb.indexRebuildCount();
    const int op = rng.bounded(7);
    switch (op) {
      case 0:
      case 1:
        c.insertText(randomText());
        break;
      case 2:
        c.setPosition(randomPosition(), QTextCursor::KeepAnchor);
        c.removeSelectedText();
        break;
      case 3: {
        c.setPosition(randomPosition(), QTextCursor::KeepAnchor);
        QTextCharFormat f;
        f.setFontWeight(rng.bounded(2) ? QFont::Bold : QFont::Normal);
        c.mergeCharFormat(f);
        break;
      }
      case 4: {
        c.beginEditBlock();
        c.insertText(randomText());
        QTextCursor other(doc);
        other.setPosition(randomPosition());
        other.deletePreviousChar();
        other.setPosition(randomPosition());
        other.insertBlock();
        c.endEditBlock();
        break;
      }
      case 5: {
        const int start = rtb.toProgramPosition(randomPosition());
        rtb.Select(start, rng.bounded(8));
        rtb.SetSelText(rng.bounded(2) ? randomText() : QStringLiteral("x\r\ny"));
        break;
      }
      default:
        if (rng.bounded(40) == 0) rtb.SetText(randomText() + QStringLiteral("\r\n") + randomText());
        break;
    }
    // Replacing everything (QTextDocument::clear() reports its change oddly)
    // may rebuild the tiny index; nothing else may.
    if (op != 6) QCOMPARE(rtb.indexRebuildCount(), before);
    const Reference ref(*doc);
    const int len = static_cast<int>(ref.text.size());
    QCOMPARE(rtb.TextLength(), len);
    for (int k = 0; k < 10; ++k) {
      const int p = rng.bounded(len + 1);
      const int n = QList<int>{0, 1, 2, 5, 260}.at(rng.bounded(5));
      QCOMPARE(rtb.Mid(p, n), ref.text.mid(p, n));
      QCOMPARE(rtb.toDocumentPosition(p), ref.down[p]);
      const int q = randomPosition();
      QCOMPARE(rtb.toProgramPosition(q), ref.toProgram[q]);
    }
    QCOMPARE(rtb.Text(), ref.text);
  }
}

// Tables never come from the RTF reader, but a document may hold frames: their
// cell boundaries count as paragraph breaks, and the counts still agree.
void TestPositions::tablesCountAsParagraphs() {
  RTB rtb;
  rtb.SetText(QStringLiteral("before\r\nafter"));
  QTextCursor c(rtb.document());
  c.setPosition(6);
  c.insertTable(2, 2);
  const Reference ref(*rtb.document());
  QCOMPARE(rtb.Text(), ref.text);
  QCOMPARE(rtb.TextLength(), ref.text.size());
  for (int p = 0; p <= ref.text.size(); ++p) {
    QCOMPARE(rtb.Mid(p, 3), ref.text.mid(p, 3));
    QCOMPARE(rtb.toDocumentPosition(p), ref.down[p]);
  }
}

QTEST_MAIN(TestPositions)
#include "test_positions.moc"
