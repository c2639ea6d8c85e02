// Long opens and saves say how far they have come: the reading and the
// writing of a script of several megabytes report a rising percentage on
// the calling thread while its event loop goes on, and what is written
// reads back as it was.

#include "platform/rtb/script_file_async.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

using namespace scenova::platform;

namespace {

// About `bytes` of RTF: paragraphs of formatted runs with cues.
QByteArray longScript(qsizetype bytes) {
  QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\n";
  rtf.reserve(bytes + 256);
  for (int n = 0; rtf.size() < bytes; ++n)
    rtf += "\\pard{\\b HAMLET} " + QByteArray::number(n) +
           ": To be or not to be [[Vol 60]] {\\i that is the question}\\par\n";
  return rtf + '}';
}

bool rising(const QList<int>& values) {
  return std::is_sorted(values.begin(), values.end());
}

QString show(const QList<int>& values) {
  QStringList s;
  for (int v : values) s << QString::number(v);
  return s.join(u' ');
}

}  // namespace

class TestFileProgress : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void longOpensAndSavesSayHowFarTheyAre() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.snv"));
    {
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(longScript(12 * 1024 * 1024));
    }
    QList<int> opened;
    QString error;
    const std::unique_ptr<QTextDocument> doc = readScriptFileInBackground(
        path, QFont(), &error, [&opened](int percent) { opened << percent; });
    QVERIFY2(doc, qPrintable(error));
    QVERIFY2(opened.size() >= 2, qPrintable(show(opened)));
    QVERIFY2(rising(opened), qPrintable(show(opened)));
    QVERIFY2(opened.first() >= 0 && opened.last() <= 100, qPrintable(show(opened)));
    QVERIFY2(std::any_of(opened.begin(), opened.end(), [](int p) { return p > 0 && p < 100; }),
             qPrintable(show(opened)));

    const QString copy = dir.filePath(QStringLiteral("copy.snv"));
    QList<int> saved;
    bool changed = true;
    QVERIFY2(writeScriptFileInBackground(copy, *doc, &error, &changed,
                                         [&saved](int percent) { saved << percent; }),
             qPrintable(error));
    QVERIFY(!changed);
    QVERIFY2(saved.size() >= 2, qPrintable(show(saved)));
    QVERIFY2(rising(saved), qPrintable(show(saved)));
    QCOMPARE(saved.last(), 90);  // the copy is done, the file being written
    QVERIFY2(std::any_of(saved.begin(), saved.end(), [](int p) { return p > 0 && p < 90; }),
             qPrintable(show(saved)));
    // The file holds the whole script, header first.
    QFile written(copy);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.read(6) == "{\\rtf1");
    written.seek(written.size() - 3);
    QCOMPARE(written.read(3), QByteArray("}\r\n"));
    written.close();
    const std::unique_ptr<QTextDocument> again = readScriptFileInBackground(copy, QFont(), &error);
    QVERIFY2(again, qPrintable(error));
    QCOMPARE(again->blockCount(), doc->blockCount());
    QCOMPARE(again->lastBlock().previous().text(), doc->lastBlock().previous().text());
  }
};

QTEST_MAIN(TestFileProgress)
#include "test_file_progress.moc"
