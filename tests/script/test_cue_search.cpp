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

// Dense scripts are mostly brackets, so that pairs, triples and strays are
// common; sparse ones hold a bracket now and then, so that the searches read
// long ways across their pieces.
QString randomScript(QRandomGenerator& random, int length, bool dense) {
  static const QString brackets = QStringLiteral("[[[]]]");
  QString s;
  while (s.size() < length) {
    const quint32 r = random.bounded(dense ? 11 : 400);
    if (r < 6)
      s += brackets[static_cast<int>(r)];
    else if (r < 8)
      s += QStringLiteral("\r\n");
    else
      s += QLatin1Char(r % 2 ? 'a' : ' ');
  }
  return s;
}

}  // namespace

class TestCueSearch : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void searchesAgreeWithTheRulesEverywhere_data() {
    QTest::addColumn<bool>("dense");
    QTest::addColumn<int>("rounds");
    QTest::addColumn<int>("longest");
    QTest::newRow("dense") << true << 300 << 400;
    QTest::newRow("sparse") << false << 40 << 3000;
  }
  void searchesAgreeWithTheRulesEverywhere() {
    QFETCH(bool, dense);
    QFETCH(int, rounds);
    QFETCH(int, longest);
    QRandomGenerator random(20261207);
    for (int round = 0; round < rounds; ++round) {
      const QString text =
          randomScript(random, 1 + static_cast<int>(random.bounded(longest)), dense);
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
        if (script::cueAtOrAfter(source, p) != expectAfter ||
            script::cueEndingBy(source, p) != expectBefore) {
          const QByteArray where =
              "text " + text.toUtf8().toPercentEncoding() + " at " + QByteArray::number(p);
          QFAIL(where.constData());
        }
      }
    }
  }

  void pairsOnTheEdgesOfThePieces() {
    // The searches read 64 characters, then 256, 1024 and so on: a pair
    // that starts on the last character of a piece or on the first of the
    // next one is found all the same, going on and going back.
    QList<int> edges;
    for (int end = 64, piece = 64; end < 100000; piece *= 4, end += piece)
      for (int d = -3; d <= 3; ++d) edges << end + d;
    for (int gap : edges) {
      const QString x(gap, QLatin1Char('x'));
      const QString text = x + QStringLiteral("[[c]]") + x + QStringLiteral("]] ") + x;
      const script::StringSource source(text);
      const CueBounds c{gap, gap + 3};
      QCOMPARE(script::cueAtOrAfter(source, 0), c);
      QCOMPARE(script::cueAtOrAfter(source, 1), c);
      QCOMPARE(script::cueEndingBy(source, static_cast<int>(text.size())), c);
      QVERIFY(!script::cueAtOrAfter(source, c.end()));
      // A long cue, closed a piece away from where the search starts.
      const QString open = QStringLiteral("[[") + x + QStringLiteral("]]");
      const script::StringSource longCue(open);
      QCOMPARE(script::cueAtOrAfter(longCue, 2), (CueBounds{0, gap + 2}));
      QCOMPARE(script::cueEndingBy(longCue, gap + 4), (CueBounds{0, gap + 2}));
      QCOMPARE(script::openingBefore(longCue, gap + 2), 0);
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
