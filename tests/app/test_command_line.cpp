// The program's command line without a window, run as a user runs it (in a
// process of its own, no display): hostile targets and sources for the
// headless commands, a full disk, a German locale, unknown options.

#include "support/file_size_limit.h"
#include "support/headless_run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <cerrno>
#include <clocale>
#include <cstring>

namespace {

using scenova::test::Run;
using Options = scenova::test::RunOptions;

Run runProgram(const QStringList& args, const Options& o = {}) {
  Options shorter = o;
  shorter.timeoutMs = 20000;
  return scenova::test::runHeadless(qEnvironmentVariable("SCENOVA_EXECUTABLE"), args, shorter);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool isFifo(const QString& path) {
  struct stat st {};
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

bool oneLine(const QByteArray& err) {
  return err.startsWith("scenova: ") && err.count('\n') == 1 && err.endsWith('\n');
}

QByteArray systemText(int err) {
  return QByteArray(std::strerror(err));
}

}  // namespace

class TestCommandLine : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString script_;
  QString path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(QFileInfo(qEnvironmentVariable("SCENOVA_EXECUTABLE")).isExecutable());
    script_ = path("script.rtf");
    QVERIFY(writeFile(script_,
                      "{\\rtf1\\ansi Uno [[seek audio -0.5]] [[seek video -.5]]\\line "
                      "[[Vol 7.5]]\\par due\\par}"));
  }

  // Output that is not a regular file is refused, left as it was, and the
  // exit status says so.
  void convertRefusesTargetsThatAreNotFiles_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("fifo") << QStringLiteral("fifo");
    QTest::newRow("folder") << QStringLiteral("folder");
    QTest::newRow("link to a fifo") << QStringLiteral("link");
  }
  void convertRefusesTargetsThatAreNotFiles() {
    QFETCH(QString, kind);
    const QString fifo = path("fifo"), folder = path("folder"), link = path("link");
    if (!QFileInfo::exists(fifo)) QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QDir().mkpath(folder);
    if (!QFileInfo(link).isSymLink()) QVERIFY(QFile::link(fifo, link));
    const QString target = kind == QLatin1String("fifo")     ? fifo
                           : kind == QLatin1String("folder") ? folder
                                                             : link;
    const Run run = runProgram({QStringLiteral("--convert"), script_, target});
    QCOMPARE(run.status, 1);
    QVERIFY2(oneLine(run.err), run.err.constData());
    QVERIFY(run.err.contains("not a regular file"));
    QVERIFY(isFifo(fifo));
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QDir(dir_.path()).entryList({QStringLiteral("*.??????")}, QDir::Files), {});
  }

  // Sources that never end or are far too large are refused at once.
  void readersRefuseEndlessAndHugeInput_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("reason");
    for (const char* source : {"fifo", "/dev/zero", "huge"}) {
      const QByteArray reason =
          QByteArray(source) == "huge" ? "larger than 128 MB" : "not a regular file";
      QTest::addRow("cue sheet of %s", source)
          << QStringLiteral("--cue-sheet") << QString::fromLatin1(source) << 2 << reason;
      QTest::addRow("export of %s", source)
          << QStringLiteral("--export-text") << QString::fromLatin1(source) << 1 << reason;
      QTest::addRow("convert of %s", source)
          << QStringLiteral("--convert") << QString::fromLatin1(source) << 1 << reason;
    }
  }
  void readersRefuseEndlessAndHugeInput() {
    QFETCH(QString, command);
    QFETCH(QString, source);
    const QString fifo = path("in-fifo"), huge = path("huge.rtf");
    if (!QFileInfo::exists(fifo)) QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    if (!QFileInfo::exists(huge)) {
      QFile f(huge);  // sparse: costs no disk
      QVERIFY(f.open(QIODevice::WriteOnly) && f.write("{\\rtf1 ") == 7);
      QVERIFY(f.resize((qint64{128} << 20) + 1));
    }
    if (source == QLatin1String("fifo")) source = fifo;
    if (source == QLatin1String("huge")) source = huge;
    if (!QFileInfo::exists(source)) QSKIP("this system has no /dev/zero");
    QStringList args{command, source};
    if (command == QLatin1String("--convert")) args << path("out.rtf");
    const Run run = runProgram(args);
    QTEST(run.status, "status");
    QVERIFY2(oneLine(run.err), run.err.constData());
    QFETCH(QByteArray, reason);
    QVERIFY2(run.err.contains(reason), run.err.constData());
    QVERIFY(run.out.isEmpty());
    QVERIFY(!QFileInfo::exists(path("out.rtf")));
  }

  // A failed write is reported with the system's reason and a failing status.
  void fullDiskIsReported() {
    const QString sheet = path("sheet.txt");
    Options full;
    full.stdoutFile = sheet;
    full.fileSizeLimit = 10;
    const Run cues = runProgram({QStringLiteral("--cue-sheet"), script_}, full);
    QCOMPARE(cues.status, 3);
    QVERIFY2(oneLine(cues.err), cues.err.constData());
    QVERIFY2(cues.err.contains(systemText(EFBIG)), cues.err.constData());

    const QString text = path("text.txt");
    full.stdoutFile = text;
    const Run exported = runProgram({QStringLiteral("--export-text"), script_}, full);
    QCOMPARE(exported.status, 1);
    QVERIFY2(exported.err.contains(systemText(EFBIG)), exported.err.constData());

    const QString out = path("kept.rtf");
    QVERIFY(writeFile(out, "old"));
    full.stdoutFile.clear();
    const Run converted = runProgram({QStringLiteral("--convert"), script_, out}, full);
    QCOMPARE(converted.status, 1);
    QVERIFY2(oneLine(converted.err), converted.err.constData());
    QVERIFY2(converted.err.contains(systemText(EFBIG)), converted.err.constData());
    QCOMPARE(readFile(out), QByteArray("old"));
  }

  void cueSheetToAFullDevice() {
    if (!QFileInfo::exists(QStringLiteral("/dev/full"))) QSKIP("this system has no /dev/full");
    Options full;
    full.stdoutFile = QStringLiteral("/dev/full");  // written to, never replaced
    const Run run = runProgram({QStringLiteral("--cue-sheet"), script_}, full);
    QCOMPARE(run.status, 3);
    QVERIFY2(run.err.contains(systemText(ENOSPC)), run.err.constData());
  }

  // The pre-show check reads numbers as the window does, whatever the locale.
  void cueSheetIgnoresTheLocale_data() {
    QTest::addColumn<QString>("locale");
    QTest::newRow("C") << QStringLiteral("C");
    QTest::newRow("German") << QStringLiteral("de_DE.UTF-8");
    QTest::newRow("French") << QStringLiteral("fr_FR.UTF-8");
  }
  void cueSheetIgnoresTheLocale() {
    QFETCH(QString, locale);
    const QByteArray saved = std::setlocale(LC_ALL, nullptr);
    const bool installed = std::setlocale(LC_ALL, locale.toLatin1().constData()) != nullptr;
    std::setlocale(LC_ALL, saved.constData());
    if (!installed && locale != QLatin1String("fr_FR.UTF-8"))
      QFAIL("the locale is not installed: scripts/setup.sh generates it");
    if (!installed) QSKIP("the locale is not installed");
    Options o;
    o.locale = locale;
    const Run run = runProgram({QStringLiteral("--cue-sheet"), script_}, o);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QByteArray("1\t5\tcommand\tSeek Audio 0\n"
                                 "1\t25\tcommand\tSeek Video 0\n"
                                 "1\t44\tcommand\tVol 7.5\n"));
  }

  // A line break inside a paragraph survives export and convert.
  void exportedTextConvertsBack() {
    const Run first = runProgram({QStringLiteral("--export-text"), script_});
    QCOMPARE(first.status, 0);
    QVERIFY(first.out.contains('\v'));
    const QString text = path("exported.txt"), rtf = path("back.rtf");
    QVERIFY(writeFile(text, first.out));
    QCOMPARE(runProgram({QStringLiteral("--convert"), text, rtf}).status, 0);
    const Run again = runProgram({QStringLiteral("--export-text"), rtf});
    QCOMPARE(again.status, 0);
    QCOMPARE(again.out, first.out);
  }

  // The example show that ships with the program finds every file it cues
  // (a sound, a picture and a video made for it) beside it.
  void exampleShowIsComplete() {
    const Run run = runProgram(
        {QStringLiteral("--cue-sheet"), qEnvironmentVariable("SCENOVA_SOURCE_DIR") +
                                            QStringLiteral("/data/Examples/Example.snv")});
    QCOMPARE(run.status, 0);
    for (const char* kind : {"\taudio\t", "\tpicture\t", "\tvideo\t", "\tcommand\tFadeOut Slow\n"})
      QVERIFY2(run.out.contains(kind), run.out.constData());
  }

  // --remote takes a UDP port (1..65535) before the script's path; without
  // one the usage is printed and nothing starts. --help names it.
  void remoteOptionNeedsAPort() {
    for (const QStringList& args :
         {QStringList{QStringLiteral("--remote")},
          QStringList{QStringLiteral("--remote"), QStringLiteral("0")},
          QStringList{QStringLiteral("--remote"), QStringLiteral("65536")},
          QStringList{QStringLiteral("--remote"), QStringLiteral("port"),
                      QStringLiteral("a.snv")}}) {
      const Run run = runProgram(args);
      QCOMPARE(run.status, 2);
      QVERIFY2(run.err.startsWith("scenova: --remote needs a UDP port from 1 to 65535\n"),
               run.err.constData());
    }
    const Run help = runProgram({QStringLiteral("--help")});
    QVERIFY(help.out.contains("--remote PORT"));
  }

  // Options the program does not know print the usage instead of starting
  // (and without a display, instead of Qt stopping the process); --help
  // names every option there is, --version the release, both without a
  // display and with status 0.
  void optionsPrintUsageOrRelease() {
    const Run run = runProgram({QStringLiteral("--bogus")});
    QCOMPARE(run.status, 2);
    QVERIFY(run.err.startsWith("scenova: unknown option --bogus\n"));
    QVERIFY(run.err.contains("usage: scenova [SCRIPT]"));
    QVERIFY(run.err.contains("--cue-sheet SCRIPT"));
    for (const char* option : {"--help", "-h"}) {
      const Run help = runProgram({QString::fromLatin1(option)});
      QCOMPARE(help.status, 0);
      QVERIFY(help.out.startsWith("usage: scenova [SCRIPT]"));
      for (const char* listed : {"--cue-sheet SCRIPT", "--export-text SCRIPT", "--convert IN OUT",
                                 "--version", "-h, --help"})
        QVERIFY2(help.out.contains(listed), listed);
      QCOMPARE(help.err, QByteArray());
    }
    const Run version = runProgram({QStringLiteral("--version")});
    QCOMPARE(version.status, 0);
    QCOMPARE(version.out, QByteArray("Scenova " SCENOVA_RELEASE "\n"));
    QCOMPARE(version.err, QByteArray());
    // Printing into a full device is a failure, not a release number printed.
    if (QFileInfo::exists(QStringLiteral("/dev/full"))) {
      Options full;
      full.stdoutFile = QStringLiteral("/dev/full");
      QCOMPARE(runProgram({QStringLiteral("--version")}, full).status, 3);
    }
  }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
