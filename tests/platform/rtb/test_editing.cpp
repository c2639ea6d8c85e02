// Selection, text writing, formatting reports and search of the script editor.

#include "platform/rtb/rtb.h"

#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextList>

#include <functional>

using scenova::platform::RTB;

class TestEditing : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void selection_data();
  void selection();
  void selTextWrites();
  void removedTextGoesBackUnchanged();
  void insertionFormat();
  void mixedFormatting();
  void alignment();
  void bullets();
  void selRtf();
  void find_data();
  void find();
  void findKeepsSelectionOnMiss();
};

void TestEditing::selection_data() {
  QTest::addColumn<int>("start");
  QTest::addColumn<int>("length");
  QTest::addColumn<int>("selStart");
  QTest::addColumn<int>("selLength");
  QTest::addColumn<QString>("selText");
  // Text: "ab\r\ncd" (positions a0 b1 CR2 LF3 c4 d5, end 6)
  QTest::newRow("caret") << 1 << 0 << 1 << 0 << QString();
  QTest::newRow("within paragraph") << 4 << 2 << 4 << 2 << QStringLiteral("cd");
  QTest::newRow("across break") << 1 << 4 << 1 << 4 << QStringLiteral("b\r\nc");
  QTest::newRow("end between CR and LF takes the break")
      << 1 << 2 << 1 << 3 << QStringLiteral("b\r\n");
  QTest::newRow("start between CR and LF starts at CR")
      << 3 << 1 << 2 << 2 << QStringLiteral("\r\n");
  QTest::newRow("caret between CR and LF") << 3 << 0 << 2 << 0 << QString();
  QTest::newRow("everything and more") << 0 << 100 << 0 << 6 << QStringLiteral("ab\r\ncd");
  QTest::newRow("before the start") << -2 << 1 << 0 << 1 << QStringLiteral("a");
  QTest::newRow("at the end") << 6 << 5 << 6 << 0 << QString();
  QTest::newRow("negative length") << 4 << -3 << 4 << 0 << QString();
}

void TestEditing::selection() {
  QFETCH(int, start);
  QFETCH(int, length);
  RTB rtb;
  rtb.SetText(QStringLiteral("ab\r\ncd"));
  rtb.SetSelStart(start);
  rtb.SetSelLength(length);
  QTEST(rtb.SelStart(), "selStart");
  QTEST(rtb.SelLength(), "selLength");
  QTEST(rtb.SelText(), "selText");
  rtb.SetSelStart(5);
  QCOMPARE(rtb.SelLength(), 0);  // moving the caret ends the selection
}

void TestEditing::selTextWrites() {
  RTB rtb;
  rtb.SetText(QStringLiteral("one two"));
  QSignalSpy changes(&rtb, &RTB::Change);
  rtb.Select(4, 3);
  rtb.SetSelText(QStringLiteral("2\r\nthree\vfour\nfive"));
  QCOMPARE(rtb.Text(), QStringLiteral("one 2\r\nthree\vfour\r\nfive"));
  QCOMPARE(rtb.document()->blockCount(), 3);
  QCOMPARE(rtb.SelStart(), rtb.TextLength());
  QCOMPARE(rtb.SelLength(), 0);
  QCOMPARE(changes.count(), 1);

  rtb.SetSelText(QString());  // nothing selected, nothing written: no change
  QCOMPARE(changes.count(), 1);
  rtb.SetText(QString());
  QCOMPARE(rtb.Text(), QString());
  QCOMPARE(changes.count(), 2);
}

// The program's undo takes text out of Text() and writes it back with
// SelText: every kind of break must come back as it was.
void TestEditing::removedTextGoesBackUnchanged() {
  RTB rtb;
  const QString original = QStringLiteral("a\r\n\r\nb\vc\r\nd");
  rtb.SetText(original);
  for (int from = 0; from < original.size(); ++from) {
    for (int n = 1; from + n <= original.size(); ++n) {
      rtb.Select(from, n);
      const int start = rtb.SelStart();
      const QString removed = rtb.SelText();
      rtb.SetSelText(QString());
      rtb.SetSelStart(start);
      rtb.SetSelText(removed);
      QCOMPARE(rtb.Text(), original);
    }
  }
}

void TestEditing::insertionFormat() {
  RTB rtb;
  rtb.SetText(QStringLiteral("plain"));
  rtb.SetSelStart(5);
  rtb.SetSelBold(true);
  rtb.SetSelColor(Qt::blue);
  QCOMPARE(rtb.SelBold(), std::optional<bool>(true));
  rtb.SetSelText(QStringLiteral("B"));
  rtb.Select(5, 1);
  QCOMPARE(rtb.SelBold(), std::optional<bool>(true));
  QCOMPARE(rtb.SelColor(), std::optional<QColor>(QColor(Qt::blue)));
  rtb.Select(0, 5);
  QCOMPARE(rtb.SelBold(), std::optional<bool>(false));
}

// Each attribute: set on part of the text, a read over all of it is mixed;
// writing over the mixed selection makes it uniform and raises one Change.
void TestEditing::mixedFormatting() {
  struct Attribute {
    const char* name;
    std::function<void(RTB&)> set;
    std::function<bool(const RTB&)> isMixed;
    std::function<bool(const RTB&)> isSet;
  };
  const QList<Attribute> attributes = {
      {"bold", [](RTB& r) { r.SetSelBold(true); }, [](const RTB& r) { return !r.SelBold(); },
       [](const RTB& r) { return r.SelBold() == true; }},
      {"italic", [](RTB& r) { r.SetSelItalic(true); }, [](const RTB& r) { return !r.SelItalic(); },
       [](const RTB& r) { return r.SelItalic() == true; }},
      {"underline", [](RTB& r) { r.SetSelUnderline(true); },
       [](const RTB& r) { return !r.SelUnderline(); },
       [](const RTB& r) { return r.SelUnderline() == true; }},
      {"strike", [](RTB& r) { r.SetSelStrikeThru(true); },
       [](const RTB& r) { return !r.SelStrikeThru(); },
       [](const RTB& r) { return r.SelStrikeThru() == true; }},
      {"colour", [](RTB& r) { r.SetSelColor(QColor(0, 0, 255)); },
       [](const RTB& r) { return !r.SelColor(); },
       [](const RTB& r) { return r.SelColor() == QColor(0, 0, 255); }},
      {"font", [](RTB& r) { r.SetSelFontName(QStringLiteral("Liberation Serif")); },
       [](const RTB& r) { return !r.SelFontName(); },
       [](const RTB& r) { return r.SelFontName() == QStringLiteral("Liberation Serif"); }},
      {"size", [](RTB& r) { r.SetSelFontSize(31); }, [](const RTB& r) { return !r.SelFontSize(); },
       [](const RTB& r) { return r.SelFontSize() == 31.0; }},
  };
  for (const Attribute& a : attributes) {
    RTB rtb;
    rtb.SetText(QStringLiteral("plain\r\nmarked"));
    rtb.Select(7, 6);
    QSignalSpy changes(&rtb, &RTB::Change);
    a.set(rtb);
    QVERIFY2(a.isSet(rtb), a.name);
    rtb.Select(0, 5);
    QVERIFY2(!a.isSet(rtb) && !a.isMixed(rtb), a.name);
    rtb.Select(3, 6);
    QVERIFY2(a.isMixed(rtb), a.name);
    a.set(rtb);
    QVERIFY2(a.isSet(rtb), a.name);
    rtb.Select(0, rtb.TextLength());
    QVERIFY2(a.isMixed(rtb), a.name);  // "pla" is still plain
    QCOMPARE(changes.count(), 2);
  }
  RTB rtb;  // sizes of 0 or less change nothing
  rtb.SetText(QStringLiteral("abc"));
  rtb.Select(0, 3);
  QSignalSpy changes(&rtb, &RTB::Change);
  rtb.SetSelFontSize(0);
  rtb.SetSelFontSize(-4);
  QCOMPARE(changes.count(), 0);
}

void TestEditing::alignment() {
  RTB rtb;
  rtb.SetText(QStringLiteral("one\r\ntwo\r\nthree"));
  QSignalSpy changes(&rtb, &RTB::Change);
  rtb.Select(6, 0);
  rtb.SetSelAlignment(RTB::AlignCenterCode);
  QCOMPARE(changes.count(), 1);
  QCOMPARE(rtb.SelAlignment(), std::optional<int>(2));
  rtb.Select(0, 3);
  QCOMPARE(rtb.SelAlignment(), std::optional<int>(0));
  rtb.Select(0, 8);
  QCOMPARE(rtb.SelAlignment(), std::nullopt);
  rtb.SetSelAlignment(RTB::AlignRightCode);
  QCOMPARE(rtb.SelAlignment(), std::optional<int>(1));
  QVERIFY(!(rtb.document()->lastBlock().blockFormat().alignment() & Qt::AlignRight));
  rtb.SetSelAlignment(7);
  QCOMPARE(changes.count(), 2);
}

void TestEditing::bullets() {
  RTB rtb;
  rtb.SetText(QStringLiteral("one\r\ntwo\r\nthree"));
  QSignalSpy changes(&rtb, &RTB::Change);
  rtb.Select(1, 5);  // touches "one" and "two"
  QCOMPARE(rtb.SelBullet(), std::optional<bool>(false));
  rtb.SetSelBullet(true);
  QCOMPARE(changes.count(), 1);
  QCOMPARE(rtb.SelBullet(), std::optional<bool>(true));
  QCOMPARE(rtb.Text(), QStringLiteral("one\r\ntwo\r\nthree"));  // a bullet is not text
  QVERIFY(!rtb.document()->lastBlock().textList());
  rtb.Select(0, rtb.TextLength());
  QCOMPARE(rtb.SelBullet(), std::nullopt);
  rtb.SetSelBullet(false);
  QCOMPARE(changes.count(), 2);
  QCOMPARE(rtb.SelBullet(), std::optional<bool>(false));
  for (QTextBlock b = rtb.document()->begin(); b.isValid(); b = b.next()) {
    QCOMPARE(b.blockFormat().indent(), 0);
  }
}

void TestEditing::selRtf() {
  RTB source;
  source.SetText(QStringLiteral("abc\r\ndef \u00e8\u20ac{x}"));
  source.Select(5, 3);
  source.SetSelBold(true);
  source.Select(1, 13);
  const QByteArray rtf = source.SelRTF();
  QVERIFY(rtf.startsWith("{\\rtf"));

  RTB target;
  target.SetText(QStringLiteral("[]"));
  target.SetSelStart(1);
  QSignalSpy changes(&target, &RTB::Change);
  QVERIFY(target.SetSelRTF(rtf));
  QCOMPARE(target.Text(), QStringLiteral("[bc\r\ndef \u00e8\u20ac{x}]"));
  QCOMPARE(target.SelStart(), 14);
  QCOMPARE(changes.count(), 1);
  target.Select(5, 3);
  QCOMPARE(target.SelBold(), std::optional<bool>(true));  // formatting comes along
  target.Select(1, 3);
  QCOMPARE(target.SelBold(), std::optional<bool>(false));

  target.Select(1, 13);
  QVERIFY(target.SetSelRTF(QByteArray()));  // an empty text deletes the selection
  QCOMPARE(target.Text(), QStringLiteral("[]"));
}

void TestEditing::find_data() {
  QTest::addColumn<QString>("what");
  QTest::addColumn<int>("start");  // -1: not given
  QTest::addColumn<int>("end");    // -1: not given
  QTest::addColumn<int>("options");
  QTest::addColumn<int>("found");
  // Text: "Cue one, cue two; cuesheet\r\nCUE" (c at 0, 9, 18; CR LF at 26; CUE at 28)
  const int whole = RTB::FindWholeWord, exact = RTB::FindMatchCase;
  QTest::newRow("any case") << QStringLiteral("cue") << 0 << -1 << 0 << 0;
  QTest::newRow("match case") << QStringLiteral("cue") << 0 << -1 << exact << 9;
  QTest::newRow("from a start") << QStringLiteral("cue") << 10 << -1 << 0 << 18;
  QTest::newRow("whole word") << QStringLiteral("cue") << 10 << -1 << whole << 28;
  QTest::newRow("whole word, match case")
      << QStringLiteral("cue") << 10 << -1 << whole + exact << -1;
  QTest::newRow("match must end by the end") << QStringLiteral("cue") << 10 << 20 << 0 << -1;
  QTest::newRow("match ending at the end") << QStringLiteral("cue") << 10 << 21 << 0 << 18;
  QTest::newRow("end without start") << QStringLiteral("two") << -1 << 16 << 0 << 13;
  QTest::newRow("across a break") << QStringLiteral("sheet\r\ncue") << 0 << -1 << 0 << 21;
  QTest::newRow("nothing to find") << QString() << 0 << -1 << 0 << -1;
  QTest::newRow("start past the end") << QStringLiteral("cue") << 40 << -1 << 0 << -1;
}

void TestEditing::find() {
  QFETCH(QString, what);
  QFETCH(int, start);
  QFETCH(int, end);
  QFETCH(int, options);
  QFETCH(int, found);
  RTB rtb;
  rtb.SetText(QStringLiteral("Cue one, cue two; cuesheet\r\nCUE"));
  const auto given = [](int v) { return v < 0 ? std::nullopt : std::optional<int>(v); };
  QCOMPARE(rtb.Find(what, given(start), given(end), RTB::FindOptions(options)), found);
  if (found >= 0) {
    QCOMPARE(rtb.SelStart(), found);
    QCOMPARE(rtb.SelText(), rtb.Text().mid(found, what.size()));
  }
}

// Without start and end the search stays inside the selection; a miss leaves
// the selection as it was.
void TestEditing::findKeepsSelectionOnMiss() {
  RTB rtb;
  rtb.SetText(QStringLiteral("Cue one, cue two; cuesheet\r\nCUE"));
  rtb.Select(10, 15);
  QCOMPARE(rtb.Find(QStringLiteral("cue")), 18);
  rtb.Select(19, 5);
  QCOMPARE(rtb.Find(QStringLiteral("cue")), -1);
  QCOMPARE(rtb.SelStart(), 19);
  QCOMPARE(rtb.SelLength(), 5);
  rtb.SetSelStart(20);
  QCOMPARE(rtb.Find(QStringLiteral("cue")), 0);  // no selection: the whole script
}

QTEST_MAIN(TestEditing)
#include "test_editing.moc"
