// Where cues lie: the searches that GO, the next-cue mark and the broken-cue
// check use, held against a plain reading of the rules (every opening pair
// replaces the one waiting; the first closing pair after it ends the cue)
// and against the click, which must fire every cue they find.

#include "platform/rtb/rtb.h"
#include "script/cue_activation.h"
#include "script/editor_source.h"

#include <QRandomGenerator>
#include <QTest>

using namespace scenova;
using script::CueBounds;

namespace {

// Every cue of the text, read one character at a time.
QList<CueBounds> referenceCues(const QString& text) {
  QList<CueBounds> cues;
  int open = -1;
  for (int i = 0; i + 1 < text.size(); ++i) {
    const QStringView pair = QStringView(text).mid(i, 2);
    if (pair == u"]]" && open >= 0) {
      cues.append({open, i});
      open = -1;
    } else if (pair == u"[[") {
      open = i;
    }
  }
  return cues;
}

QString randomScript(QRandomGenerator& random, int length) {
  // Mostly brackets, so that pairs, triples and strays are common.
  static const QString alphabet = QStringLiteral("[[[]]]ab \r\n");
  QString s;
  while (s.size() < length) {
    const QChar c = alphabet[static_cast<int>(random.bounded(alphabet.size()))];
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
      s += QStringLiteral("\r\n");
    else
      s += c;
  }
  return s;
}

}  // namespace

class TestCueSearch : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void searchesAgreeWithTheRulesEverywhere() {
    // Lengths across the first piece sizes, so that pairs straddle the
    // pieces the searches read.
    QRandomGenerator random(20261207);
    for (int round = 0; round < 300; ++round) {
      const QString text = randomScript(random, 1 + static_cast<int>(random.bounded(400)));
      const script::StringSource source(text);
      const QList<CueBounds> cues = referenceCues(text);
      for (int p = 0; p <= text.size(); ++p) {
        std::optional<CueBounds> expectAfter, expectBefore;
        for (const CueBounds& c : cues)
          if (c.close >= p) {
            expectAfter = c;
            break;
          }
        for (const CueBounds& c : cues)
          if (c.end() <= p) expectBefore = c;
        const QByteArray where =
            "text " + text.toUtf8().toPercentEncoding() + " at " + QByteArray::number(p);
        QVERIFY2(script::cueAtOrAfter(source, p) == expectAfter, where.constData());
        QVERIFY2(script::cueEndingBy(source, p) == expectBefore, where.constData());
      }
    }
  }

  void longWaysAcrossLargePieces() {
    // Cues far apart: the pieces grow past their first sizes.
    const QString gap(200000, QLatin1Char('x'));
    const QString text = QStringLiteral("[[one]]") + gap + QStringLiteral("]] [[two]]") + gap +
                         QStringLiteral("[[ [[three]]") + gap;
    const script::StringSource source(text);
    const std::optional<CueBounds> two = script::cueAtOrAfter(source, 7);
    QVERIFY(two);
    QCOMPARE(text.mid(two->contentStart(), two->contentLength()), QStringLiteral("two"));
    const std::optional<CueBounds> three = script::cueAtOrAfter(source, two->end());
    QVERIFY(three);
    QCOMPARE(text.mid(three->contentStart(), three->contentLength()), QStringLiteral("three"));
    QVERIFY(!script::cueAtOrAfter(source, three->end()));
    QCOMPARE(script::cueEndingBy(source, three->open), two);
    QCOMPARE(script::cueEndingBy(source, two->open)->open, 0);
    QCOMPARE(script::cueEndingBy(source, static_cast<int>(text.size())), three);
  }

  void theClickFiresEveryCueFound_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << QStringLiteral("a [[Play Audio]] b [[x.wav]]");
    QTest::newRow("nested opening") << QStringLiteral("[[a [[b]] c]]");
    QTest::newRow("triple brackets") << QStringLiteral("[[[a]]] [[b]]]]");
    QTest::newRow("across a paragraph") << QStringLiteral("one [[Play\r\nAudio]] two");
    QTest::newRow("longer than the click looks ahead")
        << QStringLiteral("[[") + QString(600, QLatin1Char('z')) + QStringLiteral("]]");
    QTest::newRow("empty") << QStringLiteral("xx [[]] yy");
  }
  void theClickFiresEveryCueFound() {
    QFETCH(QString, text);
    platform::RTB editor;
    editor.SetText(text);
    const script::EditorSource source(editor);
    const QList<CueBounds> cues = referenceCues(editor.Text());
    QVERIFY(!cues.isEmpty());
    int found = 0;
    for (std::optional<CueBounds> c = script::cueAtOrAfter(source, 0); c;
         c = script::cueAtOrAfter(source, c->end())) {
      QCOMPARE(*c, cues[found++]);
      // A click just before the closing pair finds the same content.
      const std::optional<script::CueSpan> span = script::findCueAround(editor, c->close);
      QVERIFY(span);
      QCOMPARE(span->start, c->contentStart());
      QCOMPARE(span->end, c->close);
    }
    QCOMPARE(found, cues.size());
  }

  void emptyAndCuelessScripts() {
    for (const QString& text :
         {QString(), QStringLiteral("]] just [ text ] [["), QStringLiteral("[[never closed")}) {
      const script::StringSource source(text);
      QVERIFY(!script::cueAtOrAfter(source, 0));
      QVERIFY(!script::cueEndingBy(source, static_cast<int>(text.size())));
      QVERIFY(!script::cueAtOrAfter(source, -5));
      QVERIFY(!script::cueEndingBy(source, 1 << 30));
    }
  }
};

QTEST_MAIN(TestCueSearch)
#include "test_cue_search.moc"
