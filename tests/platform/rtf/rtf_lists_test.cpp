// Numbered and bulleted lists and tab stops: what the reader makes of them,
// what the writer writes, and that a save and load keeps them.

#include "platform/rtf/doc_description.h"
#include "platform/rtf/rtf.h"

#include <QRegularExpression>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

using namespace scenova::platform;

namespace {

// A Word-style list table: list 10 (\ls0) with four levels (decimal "1.",
// letters "a)", a Courier New "o" bullet, and "1.1." numbers of levels 1 and
// 4), list 20 (\ls2) in roman numbers "(vii)" from 7; then old-style \pn
// numbering "(3)" and an "o" bullet.
const char kLists[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}\r\n"
    "{\\*\\listtable{\\list\\listtemplateid1"
    "{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}"
    "\\fi-360\\li720}"
    "{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext\\'02\\'01);}{\\levelnumbers\\'01;}"
    "\\fi-360\\li1440}"
    "{\\listlevel\\levelnfc23{\\leveltext\\'01o;}{\\levelnumbers;}\\f1\\fi-360\\li2160}"
    "{\\listlevel\\levelnfc0{\\leveltext\\leveltemplateid5\\'04\\'00.\\'03.;}"
    "{\\levelnumbers\\'01\\'03;}\\fi-360\\li2880}\\listid10}\r\n"
    "{\\list\\listtemplateid2{\\listlevel\\levelnfc2\\levelstartat7{\\leveltext\\'03(\\'00);}"
    "{\\levelnumbers\\'02;}\\fi-360\\li720}\\listid20}}\r\n"
    "{\\*\\listoverridetable{\\listoverride\\listid10\\listoverridecount0\\ls0}"
    "{\\listoverride\\listid20\\listoverridecount0\\ls2}}\r\n"
    "{\\listtext 1.\\tab}\\pard\\ls0\\ilvl0\\fi-360\\li720 One\\par\r\n"
    "\\pard\\ls0\\ilvl1\\fi-360\\li1440 Two\\par\r\n"
    "\\pard\\ls0\\ilvl1\\fi-360\\li1440 Three\\par\r\n"
    "\\pard\\ls0\\ilvl2\\fi-360\\li2160 Four\\par\r\n"
    "\\pard Between\\par\r\n"
    "\\pard\\ls0\\ilvl0\\fi-360\\li720 Five\\par\r\n"
    "\\pard\\ls0\\ilvl1\\fi-360\\li1440 Six\\par\r\n"
    "\\pard\\ls0\\ilvl3\\fi-360\\li2880 Deep\\par\r\n"
    "\\pard\\ls2\\ilvl0\\fi-360\\li720 Seven\\par\r\n"
    "\\pard\\ls5\\ilvl0{\\*\\pn\\pnlvlbody\\pndec} Undefined\\par\r\n"
    "\\pard{\\pntext (3)\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart3{\\pntxtb (}{\\pntxta "
    ")}}Old\\par\r\n"
    "\\pard{\\pntext (4)\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart3{\\pntxtb (}{\\pntxta )}}Old "
    "two\\par\r\n"
    "\\pard{\\pntext o\\tab}{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb o}}Bullet\\par}";

// One line per paragraph: its text and its numbering.
QStringList listLines(const QTextDocument& doc) {
  QStringList out;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
    out << b.text() + QStringLiteral(": ") + listSignature(b);
  return out;
}

// The \pntext markers of written RTF, in order, each with its \ls and \ilvl.
QStringList writtenMarkers(const QByteArray& rtf) {
  static const QRegularExpression item(
      QStringLiteral("\\{\\\\pntext(?:\\\\f\\d+)? (.*?)\\\\tab\\}.*?\\\\ls(\\d+)\\\\ilvl(\\d)"));
  QStringList out;
  for (auto it = item.globalMatch(QString::fromLatin1(rtf)); it.hasNext();) {
    const auto m = it.next();
    out << QStringLiteral("%1 ls%2/%3").arg(m.captured(1), m.captured(2), m.captured(3));
  }
  return out;
}

QTextDocument* load(const QByteArray& rtf, QObject* parent) {
  auto* doc = new QTextDocument(parent);
  if (!rtf::readDocument(rtf, *doc)) return nullptr;
  return doc;
}

}  // namespace

class RtfListsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // Style, level, first number, marker and item number of every list
  // paragraph: a level's items number on across other paragraphs, a higher
  // level's item starts the deeper levels anew, an undefined list is no list.
  void readsListTableAndOldNumbering() {
    QTextDocument* doc = load(kLists, this);
    QVERIFY(doc);
    const QStringList want = {QStringLiteral("One: -4/1 from 1 \"{1}.\" item 1"),
                              QStringLiteral("Two: -5/2 from 1 \"{2})\" item 1"),
                              QStringLiteral("Three: -5/2 from 1 \"{2})\" item 2"),
                              QStringLiteral("Four: -2/3 from 1 \"o\" in Courier New item 1"),
                              QStringLiteral("Between: -"),
                              QStringLiteral("Five: -4/1 from 1 \"{1}.\" item 2"),
                              QStringLiteral("Six: -5/2 from 1 \"{2})\" item 1"),
                              QStringLiteral("Deep: -4/4 from 1 \"{1}.{4}.\" item 1"),
                              QStringLiteral("Seven: -7/1 from 7 \"({1})\" item 1"),
                              QStringLiteral(" Undefined: -"),
                              QStringLiteral("Old: -4/1 from 3 \"({1})\" item 1"),
                              QStringLiteral("Old two: -4/1 from 3 \"({1})\" item 2"),
                              QStringLiteral("Bullet: -2/1 from 1 \"o\" in Courier New item 1")};
    QCOMPARE(listLines(*doc), want);
    // The levels of one RTF list belong together; other lists do not.
    const auto group = [doc](int block) {
      return doc->findBlockByNumber(block).textList()->format().intProperty(
          rtf::kListGroupProperty);
    };
    QVERIFY(group(0) > 0);
    QCOMPARE(group(1), group(0));
    QCOMPARE(group(6), group(0));
    QVERIFY(group(8) != group(0));
    QCOMPARE(group(10), 0);
    // What the editor can show of a marker.
    const QTextListFormat seven = doc->findBlockByNumber(8).textList()->format();
    QCOMPARE(seven.numberPrefix(), QStringLiteral("("));
    QCOMPARE(seven.numberSuffix(), QStringLiteral(")"));
  }

  // The markers the editor shows are those other word processors show.
  void itemTexts() {
    QTextDocument* doc = load(kLists, this);
    QVERIFY(doc);
    QStringList markers;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) markers << rtf::listItemText(b);
    QCOMPARE(markers, QStringList({QStringLiteral("1."), QStringLiteral("a)"), QStringLiteral("b)"),
                                   QStringLiteral("o"), QString(), QStringLiteral("2."),
                                   QStringLiteral("a)"), QStringLiteral("2.1."),
                                   QStringLiteral("(vii)"), QString(), QStringLiteral("(3)"),
                                   QStringLiteral("(4)"), QStringLiteral("o")}));
    QTextDocument made;
    QTextCursor c(&made);
    QTextListFormat upper;
    upper.setStyle(QTextListFormat::ListUpperRoman);
    upper.setNumberSuffix(QStringLiteral(":"));
    c.createList(upper);
    c.insertBlock();
    QCOMPARE(rtf::listItemText(made.lastBlock()), QStringLiteral("II:"));
  }

  // The writer numbers as other word processors will: markers with their
  // start numbers, the numbers of higher levels, one \ls per RTF list.
  void writesListTable() {
    QTextDocument* doc = load(kLists, this);
    QVERIFY(doc);
    const QByteArray rtf = rtf::writeDocument(*doc);
    const QStringList want = {
        QStringLiteral("1. ls1/0"),   QStringLiteral("a) ls1/1"),    QStringLiteral("b) ls1/1"),
        QStringLiteral("o ls1/2"),    QStringLiteral("2. ls1/0"),    QStringLiteral("a) ls1/1"),
        QStringLiteral("2.1. ls1/3"), QStringLiteral("(vii) ls2/0"), QStringLiteral("(3) ls3/0"),
        QStringLiteral("(4) ls3/0"),  QStringLiteral("o ls4/0")};
    QCOMPARE(writtenMarkers(rtf), want);
    QVERIFY(rtf.contains("{\\*\\listtable\r\n{\\list\\listtemplateid1"));
    QVERIFY(
        rtf.contains("\\levelnfc2\\levelnfcn2\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat7"
                     "{\\leveltext\\'03(\\'00);}{\\levelnumbers\\'02;}"));
    QVERIFY(rtf.contains("{\\leveltext\\'04\\'00.\\'03.;}{\\levelnumbers\\'01\\'03;}"));
    QVERIFY(rtf.contains("{\\listoverride\\listid4\\listoverridecount0\\ls4}"));
    QVERIFY(rtf.contains("\\pnlvlbody\\pnindent0\\pndec\\pnstart3{\\pntxtb (}{\\pntxta )}}\\ls3"));
  }

  void saveAndLoadKeepsLists() {
    QTextDocument* doc = load(kLists, this);
    QVERIFY(doc);
    const QByteArray rtf = rtf::writeDocument(*doc);
    QTextDocument* again = load(rtf, this);
    QVERIFY(again);
    QCOMPARE(listLines(*again), listLines(*doc));
    QCOMPARE(describe(*again).split(u'\n'), describe(*doc).split(u'\n'));
    QCOMPARE(rtf::writeDocument(*again), rtf);
  }

  // Lists made in the editor carry no RTF properties: their numbering comes
  // from style, prefix and suffix, and a list that starts anew gets an RTF
  // list of its own.
  void writesEditorLists() {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("A"));
    QTextListFormat decimal;
    decimal.setStyle(QTextListFormat::ListDecimal);
    QTextList* outer = c.createList(decimal);
    c.insertBlock();
    c.insertText(QStringLiteral("B"));
    c.insertBlock();
    QTextListFormat letters;
    letters.setStyle(QTextListFormat::ListUpperAlpha);
    letters.setIndent(2);
    letters.setNumberSuffix(QStringLiteral(")"));
    c.createList(letters);
    c.insertText(QStringLiteral("C"));
    c.insertBlock();
    outer->add(c.block());
    c.insertText(QStringLiteral("D"));
    c.insertBlock();
    outer->remove(c.block());
    c.setBlockFormat(QTextBlockFormat());
    c.insertText(QStringLiteral("text"));
    c.insertBlock();
    c.createList(decimal);
    c.insertText(QStringLiteral("E"));
    c.insertBlock();
    c.createList(QTextListFormat::ListSquare);
    c.insertText(QStringLiteral("F"));
    const QByteArray rtf = rtf::writeDocument(doc);
    QCOMPARE(writtenMarkers(rtf),
             QStringList({QStringLiteral("1. ls1/0"), QStringLiteral("2. ls1/0"),
                          QStringLiteral("A) ls1/1"), QStringLiteral("3. ls1/0"),
                          QStringLiteral("1. ls2/0"), QStringLiteral("\\'a7 ls3/0")}));
    QTextDocument again;
    QVERIFY(rtf::readDocument(rtf, again));
    QCOMPARE(again.toPlainText(), doc.toPlainText());
    for (int block : {0, 1, 2, 3, 5, 6}) {
      const QTextList* before = doc.findBlockByNumber(block).textList();
      const QTextList* after = again.findBlockByNumber(block).textList();
      QVERIFY(after);
      QCOMPARE(after->format().style(), before->format().style());
      QCOMPARE(after->format().indent(), before->format().indent());
      QCOMPARE(after->itemText(again.findBlockByNumber(block)),
               before->itemText(doc.findBlockByNumber(block)));
    }
  }

  // A font named Symbol keeps the character set the file gave it (readers
  // read its bytes as symbol codes only with \\fcharset2); a \\pnlvlcont
  // paragraph is not numbered, whatever numbering words follow.
  void symbolCharsetAndUnnumberedContinuation() {
    const QByteArray in =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Symbol;}{\\f2\\fcharset2 Symbol;}}"
        "\\pard{\\f1 \\'b7}{\\f2 \\'b7}\\par"
        "\\pard{\\*\\pn\\pnlvlcont\\ls0\\pndec}goes on\\par}";
    QTextDocument doc;
    QVERIFY(rtf::readDocument(in, doc));
    QCOMPARE(doc.findBlockByNumber(1).textList(), nullptr);
    const QByteArray rtf = rtf::writeDocument(doc);
    QVERIFY(rtf.contains("{\\f1\\fnil\\fcharset0 Symbol;}{\\f2\\fnil\\fcharset2 Symbol;}"));
    QVERIFY(rtf.contains("{\\f1 \\'b7}{\\f2 \\'b7}"));
  }

  // Tab stops keep their kind, position and leader.
  void tabStops() {
    const QByteArray in =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\tqr\\tldot\\tx4500\\tqc\\tx6000"
        "\\tlhyph\\tqdec\\tx7500\\tlth\\tx8400\\tx9000 a\\tab b\\par"
        "\\tx300 still\\par\\pard none\\par}";
    QTextDocument doc;
    QVERIFY(rtf::readDocument(in, doc));
    QCOMPARE(blockSignature(doc.findBlockByNumber(0)),
             QStringLiteral("P L left 0 right 0 first 0 list - tab 300R. tab 400C tab 500D- "
                            "tab 560L# tab 600L"));
    QCOMPARE(blockSignature(doc.findBlockByNumber(1)).count(QStringLiteral(" tab ")), 6);
    QCOMPARE(blockSignature(doc.findBlockByNumber(2)),
             QStringLiteral("P L left 0 right 0 first 0 list -"));
    const QByteArray rtf = rtf::writeDocument(doc);
    QVERIFY(
        rtf.contains("\\tldot\\tqr\\tx4500\\tqc\\tx6000\\tlhyph\\tqdec\\tx7500\\tlth\\tx8400"
                     "\\tx9000\\plain"));
    QTextDocument again;
    QVERIFY(rtf::readDocument(rtf, again));
    QCOMPARE(describe(again), describe(doc));
  }
};

QTEST_MAIN(RtfListsTest)
#include "rtf_lists_test.moc"
