// Loading, saving and printing of the script editor.

#include "platform/rtb/rtb.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using scenova::platform::RTB;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int pdfPages(const QByteArray& pdf) {
  return static_cast<int>(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") +
                          pdf.count("/Type /Page/") + pdf.count("/Type /Page "));
}

}  // namespace

class TestFiles : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void loadFailureLeavesTheEditorAlone_data();
  void loadFailureLeavesTheEditorAlone();
  void loadReplacesTheContent();
  void saveAndLoadKeepTheText();
  void saveReplacesTheFileByRenaming();
  void saveFailureKeepsWhatWasThere();
  void printSelectionOrAll();

 private:
  QTemporaryDir dir_;
};

void TestFiles::loadFailureLeavesTheEditorAlone_data() {
  QTest::addColumn<QString>("path");
  QTest::newRow("missing file") << dir_.filePath(QStringLiteral("missing.snv"));
  QTest::newRow("folder") << dir_.path();
  QTest::newRow("empty path") << QString();
}

void TestFiles::loadFailureLeavesTheEditorAlone() {
  QFETCH(QString, path);
  RTB rtb;
  rtb.SetText(QStringLiteral("keep\r\nme"));
  rtb.Select(2, 2);
  QTextDocument* doc = rtb.document();
  QSignalSpy changes(&rtb, &RTB::Change);
  QString error;
  QVERIFY(!rtb.LoadFile(path, &error));
  QVERIFY(!error.isEmpty());
  QVERIFY(!error.contains(u'\n'));
  QCOMPARE(rtb.Text(), QStringLiteral("keep\r\nme"));
  QCOMPARE(rtb.SelStart(), 2);
  QCOMPARE(rtb.SelLength(), 2);
  QCOMPARE(rtb.document(), doc);
  QCOMPARE(changes.count(), 0);
}

void TestFiles::loadReplacesTheContent() {
  const QString path = dir_.filePath(QStringLiteral("script.snv"));
  QVERIFY(writeFile(
      path, "{\\rtf1\\ansi\\ansicpg1252 Atto primo\\par [[Play Audio]] caf\\'e8\\par fine}"));
  RTB rtb;
  rtb.SetText(QStringLiteral("old"));
  rtb.SetSelStart(3);
  QSignalSpy changes(&rtb, &RTB::Change);
  QVERIFY(rtb.LoadFile(path));
  QCOMPARE(rtb.Text(), QStringLiteral("Atto primo\r\n[[Play Audio]] caf\u00e8\r\nfine"));
  QCOMPARE(changes.count(), 1);
  QCOMPARE(rtb.SelStart(), 0);
  QCOMPARE(rtb.Mid(12, 14), QStringLiteral("[[Play Audio]]"));
  rtb.SetSelStart(rtb.TextLength());
  rtb.SetSelText(QStringLiteral("!"));  // the new document is followed like the old one
  QCOMPARE(changes.count(), 2);
  QCOMPARE(rtb.Mid(rtb.TextLength() - 5, 5), QStringLiteral("fine!"));
}

void TestFiles::saveAndLoadKeepTheText() {
  const QString path = dir_.filePath(QStringLiteral("round.snv"));
  const QString text =
      QStringLiteral("Scena 1\r\n\r\n[[FadeIn Fast]] {braces} \\ \u00e8\u20ac\u0416\vend\t!");
  RTB a;
  a.SetText(text);
  QString error;
  QVERIFY2(a.SaveFile(path, &error), qPrintable(error));
  QVERIFY(readFile(path).startsWith("{\\rtf"));
  RTB b;
  QVERIFY(b.LoadFile(path));
  QCOMPARE(b.Text(), text);
}

// Saving writes a new file and renames it over the old one: whoever still
// holds the old file (here a second link to it) keeps the old content intact,
// and no temporary file is left behind.
void TestFiles::saveReplacesTheFileByRenaming() {
  const QString path = dir_.filePath(QStringLiteral("linked.snv"));
  const QString link = dir_.filePath(QStringLiteral("old-copy.snv"));
  QVERIFY(writeFile(path, "{\\rtf1 old}"));
  QVERIFY(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()) == 0);
  RTB rtb;
  rtb.SetText(QStringLiteral("new"));
  QVERIFY(rtb.SaveFile(path));
  QCOMPARE(readFile(link), QByteArray("{\\rtf1 old}"));
  RTB back;
  QVERIFY(back.LoadFile(path));
  QCOMPARE(back.Text(), QStringLiteral("new"));
  QCOMPARE(QDir(dir_.path()).entryList({QStringLiteral("linked*")}, QDir::Files),
           QStringList{QStringLiteral("linked.snv")});
}

void TestFiles::saveFailureKeepsWhatWasThere() {
  RTB rtb;
  rtb.SetText(QStringLiteral("text"));
  QString error;
  QVERIFY(!rtb.SaveFile(dir_.filePath(QStringLiteral("no/such/folder/x.snv")), &error));
  QVERIFY(!error.isEmpty());
  const QString folder = dir_.filePath(QStringLiteral("a-folder"));
  QVERIFY(QDir().mkpath(folder));
  QVERIFY(writeFile(folder + QStringLiteral("/inside"), "keep"));
  QVERIFY(!rtb.SaveFile(folder));
  QCOMPARE(readFile(folder + QStringLiteral("/inside")), QByteArray("keep"));
  QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
           QStringList{QStringLiteral("inside")});
}

void TestFiles::printSelectionOrAll() {
  RTB rtb;
  QString script;
  for (int i = 0; i < 300; ++i) script += QStringLiteral("Line %1 of the play\r\n").arg(i);
  rtb.SetText(script);
  const auto print = [&](const QString& name) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir_.filePath(name));
    rtb.SelPrint(printer);
    return pdfPages(readFile(dir_.filePath(name)));
  };
  const int all = print(QStringLiteral("all.pdf"));
  rtb.Select(7, 20);
  const int selection = print(QStringLiteral("selection.pdf"));
  QVERIFY2(all > 3, qPrintable(QString::number(all)));
  QCOMPARE(selection, 1);
  QCOMPARE(rtb.SelLength(), 20);  // printing changes nothing
}

QTEST_MAIN(TestFiles)
#include "test_files.moc"
