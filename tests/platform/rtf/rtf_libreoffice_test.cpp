// What other word processors read from our RTF: every real-world file of the
// corpus is loaded and saved by us, and LibreOffice's text of our file must
// equal its text of the original (list numbers, indents and tabs included).
// Without the corpus or LibreOffice (soffice) it runs nothing: see
// support/needs_corpus.h.

#include "platform/rtf/corpus_text.h"
#include "platform/rtf/rtf.h"
#include "support/needs_corpus.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

using namespace scenova::platform;

namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// LibreOffice shows each space of a file that lacks \\dntblnsbdb as U+2006
// and a space; ours says \\dntblnsbdb, so its spaces stay plain spaces.
QString plainSpaces(QString text) {
  text.replace(QStringLiteral("\u2006 "), QStringLiteral(" "));
  return text;
}

// Tables come in as text (cells separated by tabs): where the original had
// a table LibreOffice puts each cell on a line of its own.
QString withoutTableLayout(QString text) {
  text.replace(u'\t', u'\n');
  QStringList lines = text.split(u'\n');
  for (QString& line : lines)
    while (!line.isEmpty() && line.back().isSpace()) line.chop(1);
  lines.removeAll(QString());
  return lines.join(u'\n');
}

// The first differing line of two texts, for the failure message.
QString firstDifference(const QString& ours, const QString& ref) {
  const QStringList a = ours.split(u'\n'), b = ref.split(u'\n');
  for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
    const QString x = i < a.size() ? a[i] : QStringLiteral("<none>");
    const QString y = i < b.size() ? b[i] : QStringLiteral("<none>");
    if (x != y) return QStringLiteral("line %1: ours \"%2\", original \"%3\"").arg(i + 1).arg(x, y);
  }
  return {};
}

// Files whose text differs for reasons other than what this test is about,
// each a point where LibreOffice reads the original differently from us:
const QStringList kKnownDifferences = {
    // it cannot decode a byte of the original (we can);
    QStringLiteral("tika--testRTFHyperlinkAndStyles.rtf"),
    // it shows both the ANSI and the Unicode text of an \\upr group;
    QStringLiteral("rtfpipe--Test01.rtf"),
    // it works out a SYMBOL field whose stored result is empty (we show
    // stored field results);
    QStringLiteral("rtfpipe--Issue46.rtf"),
    // it indents a paragraph with \\ilvl but no \\ls by 80 spaces;
    QStringLiteral("rtfpipe--ListGoogle.rtf"),
    // the file is in Mac Japanese (code page 10001): it reads 0x8160 as the
    // Windows table's U+FF5E, we as the Mac table's U+301C WAVE DASH.
    QStringLiteral("rtfpipe--RtfParserTest_6.rtf")};

}  // namespace

class RtfLibreOfficeTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void savedFilesReadAsTheOriginals() {
    const QString dir = scenova::test::corpusDir();  // main() checked both
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));

    QTemporaryDir work;
    QVERIFY(work.isValid());
    // SCENOVA_KEEP_LO_OUTPUT=1 keeps our files and LibreOffice's text of them.
    if (qEnvironmentVariableIntValue("SCENOVA_KEEP_LO_OUTPUT") != 0) {
      work.setAutoRemove(false);
      qInfo("files kept in %s", qPrintable(work.path()));
    }
    const QString saved = work.filePath(QStringLiteral("saved"));
    QVERIFY(QDir().mkpath(saved));
    QStringList names;
    for (const QString& name :
         QDir(dir).entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name)) {
      if (!QFile::exists(dir + u'/' + name.chopped(4) + QStringLiteral(".lo.txt"))) continue;
      QTextDocument doc;
      QVERIFY2(rtf::readDocument(readAll(dir + u'/' + name), doc), qPrintable(name));
      QFile out(saved + u'/' + name);
      QVERIFY(out.open(QIODevice::WriteOnly));
      out.write(rtf::writeDocument(doc));
      names << name;
    }
    QVERIFY(names.size() >= 70);

    // One LibreOffice run for all files, with a profile of its own.
    QStringList args = {
        QStringLiteral("--headless"),
        QStringLiteral("-env:UserInstallation=") +
            QUrl::fromLocalFile(work.filePath(QStringLiteral("profile"))).toString(),
        QStringLiteral("--convert-to"),
        QStringLiteral("txt:Text (encoded):UTF8"),
        QStringLiteral("--outdir"),
        work.filePath(QStringLiteral("text"))};
    for (const QString& name : names) args << saved + u'/' + name;
    QProcess lo;
    lo.setProcessChannelMode(QProcess::MergedChannels);
    lo.start(soffice, args);
    QVERIFY2(lo.waitForFinished(240000), "LibreOffice did not finish in time");

    int alike = 0, alikeButTables = 0;
    QStringList differ;
    for (const QString& name : names) {
      const QString stem = name.chopped(4);
      const QString ref = normalisedText(
          plainSpaces(QString::fromUtf8(readAll(dir + u'/' + stem + QStringLiteral(".lo.txt")))));
      const QString ours = normalisedText(plainSpaces(QString::fromUtf8(
          readAll(work.filePath(QStringLiteral("text/")) + stem + QStringLiteral(".txt")))));
      if (ours == ref) {
        ++alike;
      } else if (withoutTableLayout(ours) == withoutTableLayout(ref)) {
        ++alikeButTables;
      } else if (!kKnownDifferences.contains(name)) {
        differ << name + QStringLiteral(": ") +
                      firstDifference(withoutTableLayout(ours), withoutTableLayout(ref));
      }
    }
    qInfo(
        "LibreOffice reads %d of %d saved files as their originals, %d more apart from "
        "the layout of table cells",
        alike, static_cast<int>(names.size()), alikeButTables);
    for (const QString& d : differ) qInfo("  %s", qPrintable(d));
    QVERIFY2(differ.isEmpty(), qPrintable(differ.join(u'\n')));
  }
};

int main(int argc, char** argv) {
  using namespace scenova::test;
  if (corpusDir().isEmpty())
    return cannotRun("the RTF corpus is not present (SCENOVA_CORPUS_DIR)", corpusRequired());
  // scripts/setup.sh installs LibreOffice, so the test command needs it too.
  if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
    return cannotRun("LibreOffice (soffice) is not installed", corpusRequired());
  QGuiApplication app(argc, argv);
  RtfLibreOfficeTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "rtf_libreoffice_test.moc"
