// Starts the real program under the test X server, as an operator would.

#include "support/program_run.h"
#include "ui/language_table.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace scenova;

namespace {

// A complete program folder: the executable beside its data.
struct Installed : test::ProgramFolder {
  Installed() { test::installTestProgram(*this); }
  std::unique_ptr<QProcess> start(const QString& locale, const QString& dialogLog) const {
    QProcessEnvironment extra;
    extra.insert(QStringLiteral("LC_ALL"), locale);
    extra.insert(QStringLiteral("SCENOVA_TEST_DIALOG_LOG"), dialogLog);
    return test::startProgram(*this, {}, {}, extra);
  }
};

// Names of the top-level windows of a process, through xdotool.
QStringList windowTitles(qint64 pid) {
  QProcess x;
  x.start(QStringLiteral("xdotool"),
          {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
           QString::number(pid), QStringLiteral("--name"), QStringLiteral("^Scenova - ")});
  x.waitForFinished(5000);
  QStringList titles;
  for (const QByteArray& id : x.readAllStandardOutput().split('\n')) {
    if (id.isEmpty()) continue;
    QProcess n;
    n.start(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), QString::fromLatin1(id)});
    n.waitForFinished(5000);
    titles << QString::fromUtf8(n.readAllStandardOutput()).trimmed();
  }
  return titles;
}

QString waitForTitle(qint64 pid, int ms = 20000) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    const QStringList titles = windowTitles(pid);
    if (!titles.isEmpty()) return titles.first();
    QTest::qWait(100);  // polling
  }
  return {};
}

void xdotool(const QStringList& args) {
  QProcess x;
  x.start(QStringLiteral("xdotool"), args);
  x.waitForFinished(5000);
}

// Closes the program as an operator does, with Escape in its window.
void closeWithEscape(QProcess& p) {
  // Once the window is shown and laid out, the focus is where it starts.
  if (!test::ProgramWindow::waitUntilShown(p)) return;
  QProcess x;
  x.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                      QStringLiteral("--pid"), QString::number(p.processId()),
                                      QStringLiteral("--name"), QStringLiteral("^Scenova - ")});
  x.waitForFinished(5000);
  const QString id = QString::fromLatin1(x.readAllStandardOutput().split('\n').value(0));
  if (id.isEmpty()) return;
  // The focus starts in the font box, which keeps the first Escape and
  // gives up the focus; the second is the window's. Both go in one stream:
  // the program handles the first (and moves the focus) before it reads
  // the second.
  xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
  xdotool({QStringLiteral("key"), QStringLiteral("--window"), id, QStringLiteral("Escape"),
           QStringLiteral("Escape")});
  p.waitForFinished(5000);
  // The window is gone before the key is released; make sure the X server
  // does not keep Escape held down for the next test.
  xdotool({QStringLiteral("keyup"), QStringLiteral("Escape")});
}

void stop(QProcess& p) {
  if (p.state() == QProcess::NotRunning) return;
  p.terminate();
  if (!p.waitForFinished(5000)) {
    p.kill();
    p.waitForFinished(5000);
  }
}

}  // namespace

class TestProgram : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs the test X server");
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) QSKIP("needs xdotool");
  }

  void windowInTheLocalesLanguage_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("file");
    QTest::newRow("de") << QStringLiteral("de_DE.UTF-8") << QStringLiteral("Deutsch.lng");
    QTest::newRow("it") << QStringLiteral("it_IT.UTF-8") << QStringLiteral("Italiano.lng");
    QTest::newRow("pt") << QStringLiteral("pt_PT.UTF-8") << QStringLiteral("Brazilian.lng");
    QTest::newRow("fr") << QStringLiteral("fr_FR.UTF-8") << QString::fromUtf8("Français.lng");
    QTest::newRow("other") << QStringLiteral("sv_SE.UTF-8") << QStringLiteral("English.lng");
  }
  void windowInTheLocalesLanguage() {
    QFETCH(QString, locale);
    QFETCH(QString, file);
    Installed program;
    ui::LanguageTable L;
    QVERIFY(L.load(program.file(QStringLiteral("Lang/") + file)));
    auto p = program.start(locale, program.file(QStringLiteral("dialogs.log")));
    QVERIFY(p->waitForStarted());
    const QString title = waitForTitle(p->processId());
    closeWithEscape(*p);
    QCOMPARE(p->state(), QProcess::NotRunning);
    stop(*p);
    QCOMPARE(title, QStringLiteral("Scenova - ") + L[97] + QStringLiteral(" 1"));
    // A language chosen by the country is stored at the close.
    QVERIFY(program.read(QStringLiteral("Scenova.ini")).startsWith(file.toUtf8()));
  }

  void secondCopyIsRefusedUnlessPortable() {
    Installed program;
    const QString log = program.file(QStringLiteral("dialogs.log"));
    auto first = program.start(QStringLiteral("en_GB.UTF-8"), log);
    QVERIFY(!waitForTitle(first->processId()).isEmpty());
    auto second = program.start(QStringLiteral("en_GB.UTF-8"), log);
    QVERIFY(second->waitForFinished(20000));
    QCOMPARE(second->exitCode(), 0);
    ui::LanguageTable L;
    L.load(program.file(QStringLiteral("Lang/English.lng")));
    // Without a sound server the first copy also reported the missing mixer.
    const QString expected = QStringLiteral("message\t") + L[1] + QLatin1Char('\t') + L[0];
    QVERIFY(QString::fromUtf8(program.read(QStringLiteral("dialogs.log")))
                .split(QLatin1Char('\n'))
                .contains(expected));

    program.write(QStringLiteral("Files/Portable.ini"), {});
    auto third = program.start(QStringLiteral("en_GB.UTF-8"), log);
    QVERIFY(!waitForTitle(third->processId()).isEmpty());
    stop(*third);
    stop(*first);
  }

  void crashedCopyDoesNotBlockTheNextStart() {
    Installed program;
    const QString log = program.file(QStringLiteral("dialogs.log"));
    auto first = program.start(QStringLiteral("en_GB.UTF-8"), log);
    QVERIFY(!waitForTitle(first->processId()).isEmpty());
    first->kill();  // no clean shutdown: the lock file stays behind
    first->waitForFinished();
    auto next = program.start(QStringLiteral("en_GB.UTF-8"), log);
    QVERIFY(!waitForTitle(next->processId()).isEmpty());
    stop(*next);
    ui::LanguageTable L;
    L.load(program.file(QStringLiteral("Lang/English.lng")));
    QVERIFY(!program.read(QStringLiteral("dialogs.log"))
                 .contains(L[0].toUtf8()));  // no previous-copy message
  }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "test_program.moc"
