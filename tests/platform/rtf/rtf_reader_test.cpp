// The RTF reader: golden files, small snippets, formatting, hostile input.

#include "platform/rtf/doc_description.h"
#include "platform/rtf/rtf.h"
#include "platform/text_codec.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

using namespace scenova::platform;

namespace {

QString loadText(QByteArrayView bytes) {
  QTextDocument doc;
  if (!rtf::readDocument(bytes, doc)) return QStringLiteral("<failed>");
  return doc.toRawText().replace(QChar(0x2029), u'\n');
}

QByteArray utf8(const char* s) {
  return QByteArray(s);
}

}  // namespace

class RtfReaderTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void goldenCases_data() {
    QTest::addColumn<QString>("dir");
    const QDir cases(qEnvironmentVariable("SCENOVA_SOURCE_DIR") +
                     QStringLiteral("/tests/platform/rtf/cases"));
    QVERIFY(cases.exists());
    for (const QString& name : cases.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
      QTest::newRow(qPrintable(name)) << cases.filePath(name);
  }

  // Each case folder holds input.rtf and expected.txt, the document's text
  // with paragraphs on lines of their own.
  void goldenCases() {
    QFETCH(QString, dir);
    QFile in(dir + QStringLiteral("/input.rtf")), expected(dir + QStringLiteral("/expected.txt"));
    QVERIFY(in.open(QIODevice::ReadOnly) && expected.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    const QString want = QString::fromUtf8(expected.readAll());
    QCOMPARE(loadText(bytes), want);
    QCOMPARE(rtf::plainText(bytes), want);
  }

  void snippets_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("text");
    QTest::newRow("final par absorbed") << utf8("{\\rtf1 a\\par}") << QStringLiteral("a");
    QTest::newRow("empty last paragraph kept")
        << utf8("{\\rtf1 a\\par\\par}") << QStringLiteral("a\n");
    QTest::newRow("pntext not doubled")
        << utf8("{\\rtf1{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}Item}")
        << QStringLiteral("Item");
    QTest::newRow("blanks and BOM before header")
        << utf8("\xEF\xBB\xBF \r\n{\\rtf1 x}") << QStringLiteral("x");
    QTest::newRow("text after the document group")
        << utf8("{\\rtf1 in}out}") << QStringLiteral("in");
    QTest::newRow("unknown code page falls back")
        << utf8("{\\rtf1\\ansicpg99999 caf\\'e9}") << QStringLiteral("caf\u00e9");
    QTest::newRow("font code page via cpg")
        << utf8("{\\rtf1{\\fonttbl{\\f0\\cpg1251 X;}}\\f0\\'c0}") << QStringLiteral("\u0410");
    QTest::newRow("unknown font number uses document code page")
        << utf8("{\\rtf1\\ansicpg1251{\\fonttbl{\\f0 X;}}\\f7\\'c0}") << QStringLiteral("\u0410");
    QTest::newRow("hex split across a group stays a character")
        << utf8("{\\rtf1\\ansicpg932\\'82\\'a0}") << QStringLiteral("\u3042");
    QTest::newRow("uc skip stops at group end")
        << utf8("{\\rtf1{\\uc5\\u1055 ab}cd}") << QStringLiteral("\u041fcd");
    QTest::newRow("u above BMP written directly")
        << utf8("{\\rtf1\\uc0\\u128169 !}") << QStringLiteral("\U0001F4A9!");
    QTest::newRow("control characters dropped")
        << utf8("{\\rtf1 a\x01\\u7?b\\u8233?c}") << QStringLiteral("ab\u2028c");
    QTest::newRow("backslash newline is a paragraph")
        << utf8("{\\rtf1 a\\\nb}") << QStringLiteral("a\nb");
    QTest::newRow("hidden text kept") << utf8("{\\rtf1 a{\\v b}c}") << QStringLiteral("abc");
    QTest::newRow("nested table cells") << utf8(
                                               "{\\rtf1 a\\cell {\\*\\nesttableprops x\\nestcell "
                                               "y\\nestcell\\nestrow}b\\cell\\row c}")
                                        << QStringLiteral("a\tx\ty\nb\nc");
    QTest::newRow("plain UTF-8 text")
        << utf8("h\xC3\xA9llo\r\nworld\rthree\n") << QStringLiteral("h\u00e9llo\nworld\nthree");
    QTest::newRow("plain Windows-1252 text")
        << utf8("caf\xE9 \x80") << QStringLiteral("caf\u00e9 \u20ac");
    // Scripts saved as plain text in the code page of their language: the
    // code page is detected, Latin text stays Windows-1252.
    const QString russian = QString::fromUtf8(
        "ГАМЛЕТ: Быть или не быть, вот в чём вопрос.\n[[Vol 60]] музыка\n"
        "ОФЕЛИЯ: Мой принц, как поживали вы все эти дни?\nКонец первого действия");
    QTest::newRow("plain Windows-1251 Russian text")
        << scenova::platform::encodeCodePage(russian, 1251) << russian;
    // Three short lines the detector alone takes for Mac Cyrillic.
    const QString shortRussian = QString::fromUtf8(
        "ГАМЛЕТ: Быть или не быть, вот в чём вопрос.\r\n[[Vol 60]] музыка\r\n"
        "ОФЕЛИЯ: Мой принц, как поживали вы все эти дни?\r\n");
    QTest::newRow("short plain Windows-1251 Russian text")
        << scenova::platform::encodeCodePage(shortRussian, 1251)
        << QString(shortRussian).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).chopped(1);
    const QString bulgarian = QString::fromUtf8(
        "ХАМЛЕТ: Да бъдеш или да не бъдеш – това е въпросът.\n[[FadeOut Slow]]\n"
        "ОФЕЛИЯ: Добри ми принце, как сте през всичките тези дни?");
    QTest::newRow("plain Windows-1251 Bulgarian text")
        << scenova::platform::encodeCodePage(bulgarian, 1251) << bulgarian;
    const QString french = QString::fromUtf8(
        "HAMLET : Être ou ne pas être, c'est là la question.\n[[Vol 60]] musique\n"
        "OPHÉLIE : Mon seigneur, comment s'est porté votre honneur depuis tant de jours ?\n"
        "Fin du premier acte, où l'on entend la forêt « à la fenêtre » – 20 €");
    QTest::newRow("plain Windows-1252 French text")
        << scenova::platform::encodeCodePage(french, 1252) << french;
    const char utf16le[] = {'\xFF', '\xFE', 'a', 0, 'b', 0};
    QTest::newRow("plain UTF-16 text") << QByteArray(utf16le, 6) << QStringLiteral("ab");
    const char unpaired[] = {'\xFE', '\xFF', '\xD8', '\x3D', 0, 'x', '\xDC', 0};
    QTest::newRow("unpaired surrogates in UTF-16")
        << QByteArray(unpaired, 8) << QStringLiteral("\uFFFDx\uFFFD");
    QTest::newRow("empty file") << QByteArray() << QString();
  }

  void snippets() {
    QFETCH(QByteArray, input);
    QFETCH(QString, text);
    QCOMPARE(loadText(input), text);
  }

  void formatting() {
    const QByteArray input =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}"
        "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        "\\pard\\qc\\li720\\ri300\\fi-150 plain {\\b bold}{\\i\\f1 it}{\\ul u\\ulnone n}"
        "{\\strike s}{\\fs36 big}{\\cf1 red}{\\highlight2 hi}{\\super sup}\\b x\\plain y\\par"
        "\\qr right\\par\\pard left\\par"
        "{\\*\\pn\\pnlvlblt}bullet 1\\par bullet "
        "2\\par\\pard\\qj{\\*\\pn\\pnlvlbody\\pndec}num\\par}";
    QTextDocument doc;
    QVERIFY(rtf::readDocument(input, doc));
    const QString expected = QStringLiteral(
        "P C left 48 right 20 first -10 list -\n"
        "  [Arial 12pt v0 fg- bg-] plain \n"
        "  [Arial 12pt b v0 fg- bg-] bold\n"
        "  [Courier New 12pt i v0 fg- bg-] it\n"
        "  [Arial 12pt u v0 fg- bg-] u\n"
        "  [Arial 12pt v0 fg- bg-] n\n"
        "  [Arial 12pt s v0 fg- bg-] s\n"
        "  [Arial 18pt v0 fg- bg-] big\n"
        "  [Arial 12pt v0 fg#ff0000 bg-] red\n"
        "  [Arial 12pt v0 fg- bg#0000ff] hi\n"
        "  [Arial 12pt v1 fg- bg-] sup\n"
        "  [Arial 12pt b v0 fg- bg-] x\n"
        "  [Arial 12pt v0 fg- bg-] y\n"
        "P R left 48 right 20 first -10 list -\n"
        "  [Arial 12pt v0 fg- bg-] right\n"
        "P L left 0 right 0 first 0 list -\n"
        "  [Arial 12pt v0 fg- bg-] left\n"
        "P L left 0 right 0 first 0 list -1/1\n"
        "  [Arial 12pt v0 fg- bg-] bullet 1\n"
        "P L left 0 right 0 first 0 list -1/1\n"
        "  [Arial 12pt v0 fg- bg-] bullet 2\n"
        "P J left 0 right 0 first 0 list -4/1\n"
        "  [Arial 12pt v0 fg- bg-] num\n");
    QCOMPARE(describe(doc).split(u'\n'), expected.split(u'\n'));
    // Consecutive bullets share one list.
    QCOMPARE(doc.findBlockByNumber(3).textList(), doc.findBlockByNumber(4).textList());
  }

  void listTableLevels() {
    QFile in(qEnvironmentVariable("SCENOVA_SOURCE_DIR") +
             QStringLiteral("/tests/platform/rtf/cases/word-list-table/input.rtf"));
    QVERIFY(in.open(QIODevice::ReadOnly));
    QTextDocument doc;
    QVERIFY(rtf::readDocument(in.readAll(), doc));
    QCOMPARE(doc.findBlockByNumber(0).textList(), nullptr);
    const QTextList* bullets = doc.findBlockByNumber(1).textList();
    QVERIFY(bullets);
    QCOMPARE(bullets->format().style(), QTextListFormat::ListDisc);
    QCOMPARE(bullets->count(), 2);
    const QTextList* numbered = doc.findBlockByNumber(3).textList();
    QVERIFY(numbered && numbered != bullets);
    QCOMPARE(numbered->format().style(), QTextListFormat::ListDecimal);
    QCOMPARE(doc.findBlockByNumber(4).textList(), nullptr);
  }

  void failedReadLeavesDocument() {
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("kept"));
    QString error;
    QVERIFY(!rtf::readDocument(QByteArray("PK\x03\x04\0\0binary", 12), doc, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(doc.toPlainText(), QStringLiteral("kept"));
    QTextCursor c(&doc);
    QVERIFY(!rtf::insertRtf(c, QByteArray("\0\0", 2)));
    QCOMPARE(doc.toPlainText(), QStringLiteral("kept"));
  }

  void insertReplacesSelection_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("caret");
    QTest::newRow("inline") << utf8("{\\rtf1 {\\b XY}}") << QStringLiteral("abXYef\nsecond") << 4;
    QTest::newRow("two paragraphs")
        << utf8("{\\rtf1 X\\par Y}") << QStringLiteral("abX\nYef\nsecond") << 5;
    QTest::newRow("ending with a break")
        << utf8("{\\rtf1 X\\par}") << QStringLiteral("abX\nef\nsecond") << 4;
    QTest::newRow("plain text") << utf8("1\n2") << QStringLiteral("ab1\n2ef\nsecond") << 5;
    QTest::newRow("empty input deletes") << QByteArray() << QStringLiteral("abef\nsecond") << 2;
  }

  void insertReplacesSelection() {
    QFETCH(QByteArray, input);
    QFETCH(QString, result);
    QFETCH(int, caret);
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("abcdef\nsecond"));
    QTextCursor c(&doc);
    c.setPosition(2);
    c.setPosition(4, QTextCursor::KeepAnchor);
    QVERIFY(rtf::insertRtf(c, input));
    QCOMPARE(doc.toPlainText(), result);
    QCOMPARE(c.position(), caret);
    QVERIFY(doc.isUndoAvailable());
    doc.undo();
    QCOMPARE(doc.toPlainText(), QStringLiteral("abcdef\nsecond"));
  }

  void hostileInput_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("text");
    QByteArray deep = "{\\rtf1 a";
    for (int i = 0; i < 100000; ++i) deep += "{\\b ";
    deep += "deep";
    QTest::newRow("100000 groups deep, unclosed") << deep << QStringLiteral("adeep");
    QByteArray closed = "{\\rtf1 ";
    for (int i = 0; i < 5000; ++i) closed += '{';
    closed += "x" + QByteArray(5000, '}') + "y}";
    QTest::newRow("5000 groups deep, closed") << closed << QStringLiteral("xy");
    QTest::newRow("truncated") << utf8("{\\rtf1 abc {\\b def") << QStringLiteral("abc def");
    QTest::newRow("truncated in a control word")
        << utf8("{\\rtf1 abc\\pa") << QStringLiteral("abc");
    QTest::newRow("truncated after backslash") << utf8("{\\rtf1 abc\\") << QStringLiteral("abc");
    QTest::newRow("truncated hex")
        << utf8("{\\rtf1 abc\\'4") << QStringLiteral("abc\u0004").left(3);
    QTest::newRow("bad hex") << utf8("{\\rtf1 a\\'zzb}") << QStringLiteral("azzb");
    QTest::newRow("unbalanced close") << utf8("{\\rtf1 a}}}b") << QStringLiteral("a");
    QTest::newRow("huge numbers")
        << utf8(
               "{\\rtf1{\\fonttbl{\\f99999999999999 X;}}\\fs99999999999999\\li-99999999999999"
               "\\cf4294967297\\uc99999999999 \\u99999999999 ab\\'41c}")
        << QStringLiteral("\uFFFD");
    QTest::newRow("bin beyond the end")
        << utf8("{\\rtf1 a{\\pict\\bin999999999 xyz") << QStringLiteral("a");
    QTest::newRow("negative bin") << utf8("{\\rtf1 a\\bin-5 b}") << QStringLiteral("ab");
    QTest::newRow("long control word")
        << QByteArray("{\\rtf1 a\\" + QByteArray(10000, 'x') + " b}") << QStringLiteral("ab");
    QTest::newRow("nothing but a header") << utf8("{\\rtf") << QString();
  }

  void hostileInput() {
    QFETCH(QByteArray, input);
    QFETCH(QString, text);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(loadText(input), text);
    QVERIFY(timer.elapsed() < 3000);
  }

  // Every prefix of a file with all kinds of content loads without harm.
  void everyTruncationLoads() {
    QFile in(qEnvironmentVariable("SCENOVA_SOURCE_DIR") +
             QStringLiteral("/tests/platform/rtf/cases/word-list-table/input.rtf"));
    QVERIFY(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    for (qsizetype n = 0; n <= bytes.size(); ++n) {
      QTextDocument doc;
      rtf::readDocument(QByteArrayView(bytes).first(n), doc);
    }
  }
};

QTEST_MAIN(RtfReaderTest)
#include "rtf_reader_test.moc"
