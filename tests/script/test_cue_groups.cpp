// Cue groups: which cues a "+" joins, and the [[Wait s]] command's text and
// time.

#include "script/cue_groups.h"
#include "script/markup.h"

#include <QTest>

using namespace scenova::script;

namespace {

// The contents of the cues one GO on the cue at `at` fires.
QStringList groupAt(const QString& text, int at) {
  const StringSource source(text);
  QStringList contents;
  const std::optional<CueBounds> first = cueAtOrAfter(source, at);
  if (!first) return contents;
  for (const CueBounds& c : groupFrom(source, *first))
    contents << text.mid(c.contentStart(), c.contentLength());
  return contents;
}

}  // namespace

class TestCueGroups : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void joins_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("group");
    const QStringList abc{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    const QStringList a{QStringLiteral("a")};
    QTest::newRow("blanks") << QStringLiteral("x [[a]] + [[b]]  +  [[c]] y") << abc;
    QTest::newRow("no blanks") << QStringLiteral("[[a]]+[[b]]+[[c]]") << abc;
    QTest::newRow("tabs and no-break spaces")
        << QStringLiteral("[[a]]\t+\u00a0[[b]] +\t[[c]]") << abc;
    QTest::newRow("stops at a plain gap") << QStringLiteral("[[a]] + [[b]] [[c]]")
                                          << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("text beside the plus") << QStringLiteral("[[a]] + and [[b]]") << a;
    QTest::newRow("two plusses") << QStringLiteral("[[a]] ++ [[b]]") << a;
    QTest::newRow("plus at the paragraph's end") << QStringLiteral("[[a]] +\r\n[[b]]") << a;
    QTest::newRow("plus at the next paragraph's start") << QStringLiteral("[[a]]\r\n+ [[b]]") << a;
    QTest::newRow("line break inside the paragraph") << QStringLiteral("[[a]] +\v[[b]]") << a;
    QTest::newRow("plus at the script's end") << QStringLiteral("[[a]] + ") << a;
    QTest::newRow("next cue never closes") << QStringLiteral("[[a]] + [[b") << a;
    QTest::newRow("nearest opening pair") << QStringLiteral("[[a]] + [[x [[b]]") << a;
    QTest::newRow("a long run of blanks")
        << QStringLiteral("[[a]]") + QString(70, QLatin1Char(' ')) + QStringLiteral("+ [[b]]") << a;
  }
  void joins() {
    QFETCH(QString, text);
    QFETCH(QStringList, group);
    QCOMPARE(groupAt(text, 0), group);
  }

  void joinedBothWaysAndGroupStart() {
    const QString text = QStringLiteral("[[a]] + [[b]] + [[c]] [[d]]");
    const StringSource s(text);
    const CueBounds a = *cueAtOrAfter(s, 0);
    const CueBounds b = *joinedAfter(s, a);
    const CueBounds c = *joinedAfter(s, b);
    const CueBounds d = *cueAtOrAfter(s, c.end());
    QCOMPARE(joinedBefore(s, b), a);
    QCOMPARE(joinedBefore(s, c), b);
    QVERIFY(!joinedBefore(s, a));
    QVERIFY(!joinedBefore(s, d));
    QVERIFY(!joinedAfter(s, c));
    QCOMPARE(groupStartOf(s, c), a);
    QCOMPARE(groupStartOf(s, d), d);
  }

  void oneGoFiresAtMostALimitedGroup() {
    QString text;
    for (int i = 0; i < kMostInGroup + 10; ++i) text += QStringLiteral("[[Vol 1]] + ");
    const QStringList group = groupAt(text, 0);
    QCOMPARE(group.size(), kMostInGroup);
  }

  void waitIsRecognisedInAnyCase_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("canonical");
    QTest::newRow("as written") << QStringLiteral("Wait 1.5") << QStringLiteral("Wait 1.5");
    QTest::newRow("any case, blanks") << QStringLiteral("wAIT   2 ") << QStringLiteral("Wait 2");
    QTest::newRow("a time that cannot be used")
        << QStringLiteral("wait abc") << QStringLiteral("Wait abc");
    QTest::newRow("a file named wait") << QStringLiteral("wait 2.wav") << QString();
    QTest::newRow("a file beginning with wait") << QStringLiteral("waiting.wav") << QString();
    QTest::newRow("no time") << QStringLiteral("wait") << QString();
    QTest::newRow("tab") << QStringLiteral("wait\t1") << QString();
  }
  void waitIsRecognisedInAnyCase() {
    QFETCH(QString, content);
    QFETCH(QString, canonical);
    const RecognisedCommand r = recogniseCommand(trimBlanks(content), false, false);
    QCOMPARE(bool(r), !canonical.isEmpty());
    if (!r) return;
    QCOMPARE(r.info->id, CommandId::Wait);
    QCOMPARE(r.canonical, canonical);
  }

  void waitTimes_data() {
    QTest::addColumn<QString>("time");
    QTest::addColumn<int>("ms");  // -1: refused
    QTest::newRow("1.5") << QStringLiteral("1.5") << 1500;
    QTest::newRow("shortest") << QStringLiteral("0.1") << 100;
    QTest::newRow("longest") << QStringLiteral("600") << 600000;
    QTest::newRow(".25") << QStringLiteral(".25") << 250;
    QTest::newRow("0") << QStringLiteral("0") << -1;
    QTest::newRow("too short") << QStringLiteral("0.09") << -1;
    QTest::newRow("-1") << QStringLiteral("-1") << -1;
    QTest::newRow("1e9") << QStringLiteral("1e9") << -1;
    QTest::newRow("600.5") << QStringLiteral("600.5") << -1;
    QTest::newRow("abc") << QStringLiteral("abc") << -1;
    QTest::newRow("a number and text") << QStringLiteral("2abc") << -1;
    QTest::newRow("comma") << QStringLiteral("1,5") << -1;
    QTest::newRow("inf") << QStringLiteral("inf") << -1;
    QTest::newRow("nan") << QStringLiteral("nan") << -1;
    QTest::newRow("empty") << QString() << -1;
  }
  void waitTimes() {
    QFETCH(QString, time);
    QFETCH(int, ms);
    const std::optional<int> got = waitMs(time);
    QCOMPARE(got.value_or(-1), ms);
  }
};

QTEST_APPLESS_MAIN(TestCueGroups)
#include "test_cue_groups.moc"
