// The RTF writer: escaping, structure, ranges, and save/load round trips of
// generated documents.

#include "platform/rtf/doc_description.h"
#include "platform/rtf/rtf.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

using namespace scenova::platform;

namespace {

// The body of the RTF written for a one-paragraph plain document.
QByteArray bodyOf(const QString& text) {
  QTextDocument doc;
  doc.setDefaultFont(QFont(QStringLiteral("Arial"), 12));
  doc.setPlainText(text);
  const QByteArray rtf = rtf::writeDocument(doc);
  const qsizetype start = rtf.indexOf("\\plain ") + 7;
  return rtf.mid(start, rtf.lastIndexOf("\\par") - start);
}

// Random documents: text in several scripts and the characters RTF must
// escape, every run format the writer keeps, alignments, indents and lists.
class DocumentGenerator {
 public:
  explicit DocumentGenerator(quint32 seed) : rng_(seed) {}

  void fill(QTextDocument& doc) {
    QTextCursor c(&doc);
    QTextList* list = nullptr;
    const int paragraphs = pick(1, 12);
    for (int p = 0; p < paragraphs; ++p) {
      QTextBlockFormat bf;
      static constexpr Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter,
                                                 Qt::AlignJustify};
      bf.setAlignment(aligns[pick(0, 3)]);
      bf.setLeftMargin(pick(0, 3) * 20);
      bf.setRightMargin(pick(0, 1) * 10);
      const int listKind = pick(0, 3);  // 0, 1: none
      if (listKind < 2) bf.setTextIndent(pick(-1, 2) * 10);
      if (pick(0, 3) == 0) {
        static constexpr QTextOption::TabType types[] = {
            QTextOption::LeftTab, QTextOption::RightTab, QTextOption::CenterTab,
            QTextOption::DelimiterTab};
        QList<QTextOption::Tab> tabs;
        QString leaders;
        for (int t = pick(1, 3); t > 0; --t) {
          const auto type = types[pick(0, 3)];
          tabs.append({pick(1, 40) * 12.0, type,
                       type == QTextOption::DelimiterTab ? QChar(u'.') : QChar()});
          leaders += QChar(rtf::kTabLeaderChars[pick(0, 5)]);
        }
        bf.setTabPositions(tabs);
        bf.setProperty(rtf::kTabLeadersProperty, leaders);
      }
      if (p == 0)
        c.setBlockFormat(bf);
      else
        c.insertBlock(bf);
      if (listKind >= 2) {
        const auto style = listKind == 2 ? QTextListFormat::ListDisc : QTextListFormat::ListDecimal;
        if (list && list->format().style() == style)
          list->add(c.block());
        else
          list = c.createList(style);
      } else {
        list = nullptr;
      }
      const int runs = pick(0, 5);
      for (int r = 0; r < runs; ++r) c.insertText(text(), charFormat());
    }
  }

 private:
  int pick(int lo, int hi) { return static_cast<int>(rng_.bounded(lo, hi + 1)); }

  QString text() {
    static const QStringList pieces = {QStringLiteral("Scene "),
                                       QStringLiteral("caf\u00e9 \u20ac"),
                                       QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442"),
                                       QStringLiteral("\u4e2d\u6587"),
                                       QStringLiteral("\U0001F3AD"),
                                       QStringLiteral("\\{}"),
                                       QStringLiteral("\t"),
                                       QStringLiteral("\u2028"),
                                       QStringLiteral("\u00a0\u00ad\u2011"),
                                       QStringLiteral("\u0151\u0171"),
                                       QStringLiteral("[[Files\\a.wav]]"),
                                       QStringLiteral("\u05d0\u0628")};
    QString out;
    for (int i = pick(1, 4); i > 0; --i)
      out += pieces[pick(0, static_cast<int>(pieces.size()) - 1)];
    return out;
  }

  QTextCharFormat charFormat() {
    static const QStringList families = {QString(), QStringLiteral("Arial"),
                                         QStringLiteral("Times New Roman"),
                                         QStringLiteral("Courier New")};
    static const double sizes[] = {0, 8, 10.5, 12, 14, 36};
    static const QColor colours[] = {QColor(), Qt::red, QColor(0, 128, 0), QColor(1, 2, 3)};
    QTextCharFormat f;
    if (const QString& family = families[pick(0, 3)]; !family.isEmpty())
      f.setFontFamilies({family});
    if (const double size = sizes[pick(0, 5)]; size > 0) f.setFontPointSize(size);
    if (pick(0, 1)) f.setFontWeight(QFont::Bold);
    if (pick(0, 1)) f.setFontItalic(true);
    if (pick(0, 2) == 0) f.setFontUnderline(true);
    if (pick(0, 3) == 0) f.setFontStrikeOut(true);
    if (const int v = pick(0, 5); v < 2)
      f.setVerticalAlignment(v ? QTextCharFormat::AlignSuperScript
                               : QTextCharFormat::AlignSubScript);
    if (const QColor& fg = colours[pick(0, 3)]; fg.isValid()) f.setForeground(fg);
    if (const QColor& bg = colours[pick(0, 3)]; bg.isValid()) f.setBackground(bg);
    return f;
  }

  QRandomGenerator rng_;
};

}  // namespace

class RtfWriterTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void escaping_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("rtf");
    QTest::newRow("specials") << QStringLiteral("a\\b{c}d") << QByteArray("a\\\\b\\{c\\}d");
    QTest::newRow("tab, soft break, spaces") << QStringLiteral("a\tb\u2028c\u00a0d\u00ade\u2011f")
                                             << QByteArray("a\\tab b\\line c\\~d\\-e\\_f");
    QTest::newRow("Windows-1252") << QStringLiteral("\u00e9\u20ac\u0152")
                                  << QByteArray("\\'e9\\'80\\'8c");
    QTest::newRow("outside the code page")
        << QStringLiteral("\u041f\u0151") << QByteArray("\\u1055?\\u337?");
    QTest::newRow("above 32767 counts down")
        << QStringLiteral("\uf0b7\uffff") << QByteArray("\\u-3913?\\u-1?");
    QTest::newRow("surrogate pair as two")
        << QStringLiteral("\U0001F600") << QByteArray("\\u-10179?\\u-8704?");
    QTest::newRow("control characters") << QStringLiteral(
                                               "a\x01\x1f"
                                               "b\ufffc")
                                        << QByteArray("ab");
  }

  void escaping() {
    QFETCH(QString, text);
    QFETCH(QByteArray, rtf);
    QCOMPARE(bodyOf(text), rtf);
  }

  void structure() {
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("Times"), 12));
    QTextCursor c(&doc);
    QTextCharFormat red;
    red.setForeground(Qt::red);
    red.setFontFamilies({QStringLiteral("Arial")});
    red.setBackground(Qt::yellow);
    c.insertText(QStringLiteral("cue"), red);
    QTextCharFormat viaFont;
    viaFont.setFont(QFont(QStringLiteral("Courier;New")));
    c.insertText(QStringLiteral("x"), viaFont);
    c.insertBlock();
    c.createList(QTextListFormat::ListDisc);
    c.insertText(QStringLiteral("item"));
    const QByteArray rtf = rtf::writeDocument(doc);
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 "));
    QVERIFY(rtf.contains("{\\f1\\fnil\\fcharset0 Arial;}"));
    QVERIFY(rtf.contains("{\\f2\\fnil\\fcharset0 CourierNew;}"));
    QVERIFY(rtf.contains("{\\f3\\fnil\\fcharset2 Symbol;}"));
    QVERIFY(rtf.contains("{\\colortbl ;\\red255\\green0\\blue0;\\red255\\green255\\blue0;}"));
    QVERIFY(rtf.contains("\\uc1"));
    QVERIFY(rtf.contains("{\\f1\\cf1\\highlight2 cue}"));
    QVERIFY(
        rtf.contains("{\\pntext\\f3 \\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf3\\pnindent0{\\pntxtb "
                     "\\'b7}}\\ls1\\ilvl0"));
    QVERIFY(rtf.endsWith("\\par\r\n}\r\n"));
    QCOMPARE(rtf.count("\\par\r\n"), 2);
  }

  void ranges_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pars");
    // "first" 0-4, break at 5, "second" 6-11, document end 12
    QTest::newRow("inside a paragraph") << 1 << 4 << QStringLiteral("irs") << 0;
    QTest::newRow("up to the break") << 2 << 5 << QStringLiteral("rst") << 0;
    QTest::newRow("with the break") << 2 << 6 << QStringLiteral("rst\n") << 1;
    QTest::newRow("across") << 3 << 9 << QStringLiteral("st\nsec") << 1;
    QTest::newRow("clamped") << -5 << 500 << QStringLiteral("first\nsecond") << 1;
    QTest::newRow("reversed is empty") << 4 << 2 << QString() << 0;
  }

  void ranges() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, text);
    QFETCH(int, pars);
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("first\nsecond"));
    const QByteArray rtf = rtf::writeRange(doc, from, to);
    QCOMPARE(rtf.count("\\par\r\n"), pars);
    QTextDocument pasted;
    QTextCursor c(&pasted);
    QVERIFY(rtf::insertRtf(c, rtf));
    QCOMPARE(pasted.toPlainText(), text);
  }

  // Save then load gives back the same text and formatting; a range copied
  // and pasted gives back the same text.
  void roundTripOfGeneratedDocuments() {
    for (quint32 seed = 1; seed <= 300; ++seed) {
      QTextDocument doc;
      DocumentGenerator(seed).fill(doc);
      const QByteArray rtf = rtf::writeDocument(doc);
      QTextDocument loaded;
      QVERIFY(rtf::readDocument(rtf, loaded));
      const QString want = describe(doc), got = describe(loaded);
      if (want != got) {
        qWarning("seed %u\nwritten:\n%s", seed, rtf.constData());
        QCOMPARE(got.split(u'\n'), want.split(u'\n'));
      }
      QCOMPARE(rtf::writeDocument(loaded), rtf);

      const int end = doc.characterCount() - 1;
      int from = static_cast<int>(seed * 7 % (end + 1));
      if (doc.characterAt(from).isLowSurrogate()) ++from;
      int to = from + static_cast<int>(seed * 13 % (end - from + 1));
      if (to > from && doc.characterAt(to - 1).isHighSurrogate()) --to;  // not inside a pair
      QTextDocument pasted;
      QTextCursor c(&pasted);
      QVERIFY(rtf::insertRtf(c, rtf::writeRange(doc, from, to)));
      QTextCursor range(&doc);
      range.setPosition(from);
      range.setPosition(to, QTextCursor::KeepAnchor);
      QCOMPARE(pasted.toRawText(), range.selectedText());
    }
  }

  // Written a paragraph at a time (a deadline already passed), a document
  // comes out as the same bytes as in one go; a change between two steps
  // spoils the copy instead of mixing two versions of the script.
  void writtenInSteps() {
    for (quint32 seed = 1; seed <= 60; ++seed) {
      QTextDocument doc;
      DocumentGenerator(seed).fill(doc);
      rtf::DocumentWriter w(doc);
      int steps = 1;
      while (!w.step(QDeadlineTimer(0))) ++steps;
      QCOMPARE(steps, doc.blockCount());
      QCOMPARE(w.take(), rtf::writeDocument(doc));
    }
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("one\ntwo\nthree"));
    {
      rtf::DocumentWriter w(doc);
      QVERIFY(!w.step(QDeadlineTimer(0)));
      QTextCursor(&doc).insertText(QStringLiteral("x"));
      QVERIFY(w.stale());
      QVERIFY(!w.step(QDeadlineTimer::Forever));
      QVERIFY(w.take().isEmpty());
    }
    {
      rtf::DocumentWriter w(doc);
      QVERIFY(!w.step(QDeadlineTimer(0)));
      QTextCursor c(&doc);
      c.setPosition(6, QTextCursor::KeepAnchor);
      QTextCharFormat bold;
      bold.setFontWeight(QFont::Bold);
      c.mergeCharFormat(bold);  // formatting only
      QVERIFY(w.stale());
    }
    {
      auto gone = std::make_unique<QTextDocument>();
      gone->setPlainText(QStringLiteral("a\nb"));
      rtf::DocumentWriter w(*gone);
      QVERIFY(!w.step(QDeadlineTimer(0)));
      gone.reset();
      QVERIFY(w.stale());
      QVERIFY(!w.step(QDeadlineTimer::Forever));
    }
  }
};

QTEST_MAIN(RtfWriterTest)
#include "rtf_writer_test.moc"
