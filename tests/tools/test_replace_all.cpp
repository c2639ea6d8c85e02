// Replace All without a window: the same count and text as searching from
// the top after every replacement, wherever that ends; an end where it
// would not; edits that rebuild the text.

#include "tools/find_replace.h"

#include <QRandomGenerator>
#include <QTest>

using scenova::tools::applyEdits;
using scenova::tools::replaceAll;

namespace {

struct Plain {
  int count = 0;
  QString text;
  bool ended = true;
};

// Search (case ignored) inside the selection the first time, then from the
// top, replace, until nothing is found; a chain that runs past four times
// the text's length in replacements counts as one that does not end.
Plain searchFromTheTop(QString text, int selStart, int selLength, const QString& s,
                       const QString& r) {
  Plain p;
  const qsizetype n = text.size();
  qsizetype at =
      selLength > 0
          ? QStringView(text).first(selStart + selLength).indexOf(s, selStart, Qt::CaseInsensitive)
          : text.indexOf(s, 0, Qt::CaseInsensitive);
  while (at >= 0) {
    if (++p.count > 4 * n + 64 || text.size() > 4 * n + 65536) {
      p.ended = false;
      break;
    }
    text.replace(at, s.size(), r);
    at = text.indexOf(s, 0, Qt::CaseInsensitive);
  }
  p.text = text;
  return p;
}

QString randomText(QRandomGenerator& rng, int maxLength, const QString& letters) {
  QString t;
  for (int i = rng.bounded(maxLength + 1); i > 0; --i)
    t += letters.at(rng.bounded(int(letters.size())));
  return t;
}

}  // namespace

class TestReplaceAll : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void replacesEveryOccurrenceWhateverTheCaseAndReportsTheCount() {
    const auto r = replaceAll(u"x X x", 0, 0, QStringLiteral("x"), QStringLiteral("y"));
    QCOMPARE(r.count, 3);
    QCOMPARE(applyEdits(QStringLiteral("x X x"), r.edits), QStringLiteral("y y y"));
    QCOMPARE(r.caret, 5);
  }

  void aSelectionWithoutTheTextReplacesNothing() {
    const auto r = replaceAll(u"cue and cue", 3, 5, QStringLiteral("cue"), QStringLiteral("q"));
    QCOMPARE(r.count, 0);
    QVERIFY(r.edits.empty());
    // Found inside the selection, the search then covers the whole script.
    const auto s = replaceAll(u"cue and cue", 4, 7, QStringLiteral("cue"), QStringLiteral("q"));
    QCOMPARE(s.count, 2);
    QCOMPARE(applyEdits(QStringLiteral("cue and cue"), s.edits), QStringLiteral("q and q"));
  }

  void endsWhenTheReplacementHoldsTheSearchText() {
    const auto r = replaceAll(u"x x", 0, 0, QStringLiteral("x"), QStringLiteral("xx"));
    QCOMPARE(r.count, 2);
    QCOMPARE(applyEdits(QStringLiteral("x x"), r.edits), QStringLiteral("xx xx"));
    QCOMPARE(r.caret, 5);
    const auto s = replaceAll(u"ab", 0, 0, QStringLiteral("A"), QStringLiteral("[a]"));
    QCOMPARE(applyEdits(QStringLiteral("ab"), s.edits), QStringLiteral("[a]b"));
    // Replacements that keep forming new occurrences around themselves.
    const auto t = replaceAll(u"abbbAbbaa", 0, 0, QStringLiteral("ab"), QStringLiteral("bbAA"));
    QCOMPARE(t.count, 2);
    QCOMPARE(applyEdits(QStringLiteral("abbbAbbaa"), t.edits), QStringLiteral("bbAAbbbbAAbaa"));
  }

  void neverCutsALineBreakAndWritesBreaksWhole() {
    const QString text = QStringLiteral("one\r\ntwo");
    QCOMPARE(replaceAll(text, 0, 0, QStringLiteral("\r"), QStringLiteral("-")).count, 0);
    QCOMPARE(replaceAll(text, 0, 0, QStringLiteral("\n"), QStringLiteral("-")).count, 0);
    const auto r = replaceAll(text, 0, 0, QStringLiteral("\r\n"), QStringLiteral("\n|\r"));
    QCOMPARE(applyEdits(text, r.edits), QStringLiteral("one\r\n|\r\ntwo"));
    QCOMPARE(replaceAll(text, 0, 0, QString(), QStringLiteral("x")).count, 0);
  }

  // Random texts over a small alphabet, where replacements form new
  // occurrences all the time.
  void sameAsSearchingFromTheTopEveryTime() {
    QRandomGenerator rng(7);
    const QString letters = QStringLiteral("abA");
    for (int round = 0; round < 20000; ++round) {
      const QString text = randomText(rng, 14, letters);
      const QString s = randomText(rng, 3, letters);
      const QString r = randomText(rng, 4, letters);
      if (s.isEmpty()) continue;
      int selStart = 0, selLength = 0;
      if (rng.bounded(3) == 0) {
        selStart = rng.bounded(int(text.size()) + 1);
        selLength = rng.bounded(int(text.size()) - selStart + 1);
      }
      const Plain want = searchFromTheTop(text, selStart, selLength, s, r);
      const auto got = replaceAll(text, selStart, selLength, s, r);
      const QString result = applyEdits(text, got.edits);
      const QString what = QStringLiteral("\"%1\" [%2,%3] \"%4\" -> \"%5\"")
                               .arg(text)
                               .arg(selStart)
                               .arg(selLength)
                               .arg(s, r);
      if (!want.ended) continue;  // it has ended here: that is the point
      if (got.count != want.count) QFAIL(qPrintable(what + QString::number(want.count)));
      if (result != want.text)
        QFAIL(qPrintable(what + QStringLiteral(": ") + result + QStringLiteral(" against ") +
                         want.text));
      // The edits are in order and do not overlap.
      for (size_t e = 1; e < got.edits.size(); ++e)
        QVERIFY(got.edits[e].position >=
                got.edits[e - 1].position + got.edits[e - 1].removed.size());
    }
  }

  void aLongSearchTextAndManyOccurrencesStayCheap() {
    const QString needle(100000, u'q');
    QCOMPARE(replaceAll(QString(1000, u'a'), 0, 0, needle, QStringLiteral("x")).count, 0);
    QString text;
    for (int i = 0; i < 20000; ++i) text += QStringLiteral("[[Vol 50]] line\r\n");
    const auto r = replaceAll(text, 0, 0, QStringLiteral("vol 50"), QStringLiteral("Vol 75"));
    QCOMPARE(r.count, 20000);
    QCOMPARE(int(r.edits.size()), 20000);
  }
};

QTEST_GUILESS_MAIN(TestReplaceAll)
#include "test_replace_all.moc"
