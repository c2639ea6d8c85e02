// One running copy takes the scripts: a second start with a script's path,
// under the test X server and the test session bus, hands the path to the
// window already open, which asks about its unsaved script, opens the new
// one, and the second process ends with status 0. Without a session bus
// the second start says that the program already runs; portable copies run
// side by side as before.

#include "support/program_run.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace scenova;

namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString xdotool(const QStringList& args) {
  QProcess x;
  x.start(QStringLiteral("xdotool"), args);
  x.waitForFinished(5000);
  return QString::fromUtf8(x.readAllStandardOutput()).trimmed();
}

// The first visible window of pid whose title matches, within 20 s.
QString windowOf(qint64 pid, const QString& title) {
  for (int i = 0; i < 200; ++i) {
    const QString id =
        xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                 QString::number(pid), QStringLiteral("--name"), title})
            .section(QLatin1Char('\n'), 0, 0);
    if (!id.isEmpty()) return id;
    QTest::qWait(100);  // polling
  }
  return {};
}

// A program folder with the test program in it, as a user copies one.
struct Folder : test::ProgramFolder {
  Folder() { test::installTestProgram(*this); }
};

// One start of the program: its own dialog log and answers.
struct Start {
  std::unique_ptr<QProcess> started;
  QProcess& process;
  QString log;
  Start(const Folder& folder, const QString& script, const QString& dialogLog,
        const QString& answers = {}, const QString& bus = {})
      : started(test::startProgram(folder, {script}, answers, environment(dialogLog, bus))),
        process(*started),
        log(dialogLog) {}
  static QProcessEnvironment environment(const QString& dialogLog, const QString& bus) {
    QProcessEnvironment env;
    env.insert(QStringLiteral("SCENOVA_TEST_DIALOG_LOG"), dialogLog);
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    if (!bus.isEmpty()) env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
    return env;
  }
  ~Start() {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
      process.kill();
      process.waitForFinished(5000);
    }
  }
  QByteArray dialogs() const { return readAll(log); }
};

}  // namespace

class TestSingleInstance : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") ||
        qEnvironmentVariableIsEmpty("SCENOVA_TEST_BUS_ADDRESS"))
      QSKIP("needs the test environment's X server and session bus");
    QVERIFY(writeAll(path("act1.snv"), "{\\rtf1\\ansi Act one\\par}"));
    QVERIFY(writeAll(path("act2.snv"), "{\\rtf1\\ansi Act two [[Play Audio]]\\par}"));
  }

  void secondStartHandsItsScriptToTheRunningWindow() {
    Folder folder;
    Start first(folder, path("act1.snv"), path("first.log"), QStringLiteral("yes"));
    // Unsaved work in the first window, typed once it has laid itself out.
    QVERIFY(test::ProgramWindow::waitUntilShown(first.process));
    const QString window = windowOf(first.process.processId(), QStringLiteral("^Scenova - act1"));
    QVERIFY(!window.isEmpty());
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    // A click in the editor (below the toolbar, left of the side panels).
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window, QStringLiteral("300"),
             QStringLiteral("300"), QStringLiteral("click"), QStringLiteral("1")});
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+End")});
    xdotool({QStringLiteral("type"), QStringLiteral("Thunder")});
    // The keys and the second start reach the window by different roads (X
    // and the session bus): the typing is known to be in the script once the
    // window's recovery copy, taken after a pause in typing, holds it.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty()) state = QDir::homePath() + QStringLiteral("/.local/state");
    const QString copy =
        state + QStringLiteral("/scenova/recovery-%1.rtf").arg(first.process.processId());
    QTRY_VERIFY_WITH_TIMEOUT(readAll(copy).contains("Thunder"), 20000);

    Start second(folder, path("act2.snv"), path("second.log"));
    QVERIFY(second.process.waitForFinished(10000));
    QCOMPARE(second.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.process.exitCode(), 0);
    QCOMPARE(second.dialogs(), QByteArray());  // no "already running"

    QVERIFY(!windowOf(first.process.processId(), QStringLiteral("^Scenova - act2")).isEmpty());
    // The first script was asked about (answered Yes) and saved with the typing.
    const QByteArray asked = first.dialogs();
    QVERIFY2(asked.startsWith("message\t") && asked.count('\n') == 1, asked.constData());
    QByteArray question;  // line 123 of the language file
    for (const QByteArray& line :
         readAll(folder.file(QStringLiteral("Lang/English.lng"))).split('\n'))
      if (line.startsWith("123")) question = line.mid(3).trimmed();
    QVERIFY(!question.isEmpty());
    QVERIFY2(asked.contains(question), asked.constData());
    QVERIFY(readAll(path("act1.snv")).contains("Thunder"));
    QCOMPARE(first.process.state(), QProcess::Running);

    // Without a session bus the second start is refused as before.
    Start busless(folder, path("act1.snv"), path("busless.log"), {},
                  QStringLiteral("unix:path=") + path("no-bus"));
    QVERIFY(busless.process.waitForFinished(10000));
    QCOMPARE(busless.process.exitCode(), 0);
    QVERIFY2(busless.dialogs().startsWith("message\t"), busless.dialogs().constData());
    QVERIFY(!windowOf(first.process.processId(), QStringLiteral("^Scenova - act2")).isEmpty());
  }

  // During a show the script on stage is swapped only when the operator
  // says so.
  void showRunningAsksBeforeSwapping() {
    Folder folder;
    Start first(folder, path("act1.snv"), path("show.log"), QStringLiteral("no,yes"));
    const QString window = windowOf(first.process.processId(), QStringLiteral("^Scenova - act1"));
    QVERIFY(!window.isEmpty());
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    xdotool({QStringLiteral("key"), QStringLiteral("--window"), window, QStringLiteral("F12")});
    QByteArray question;  // line 260 of the language file
    for (const QByteArray& line :
         readAll(folder.file(QStringLiteral("Lang/English.lng"))).split('\n'))
      if (line.startsWith("260")) question = line.mid(3).trimmed();
    QVERIFY(!question.isEmpty());
    for (const char* answer : {"no", "yes"}) {
      Start second(folder, path("act2.snv"), path("show2.log"));
      QVERIFY(second.process.waitForFinished(10000));
      QCOMPARE(second.process.exitCode(), 0);
      QTRY_VERIFY_WITH_TIMEOUT(
          first.dialogs().count(question) == (QByteArray(answer) == "no" ? 1 : 2), 10000);
      const QString title = QByteArray(answer) == "no" ? QStringLiteral("^Scenova - act1")
                                                       : QStringLiteral("^Scenova - act2");
      QVERIFY2(!windowOf(first.process.processId(), title).isEmpty(), answer);
    }
  }

  // Portable copies run side by side; neither takes the other's scripts.
  void portableCopiesRunSideBySide() {
    Folder folder;
    folder.write(QStringLiteral("Files/Portable.ini"), QByteArray());
    Start first(folder, path("act1.snv"), path("p1.log"));
    QVERIFY(!windowOf(first.process.processId(), QStringLiteral("^Scenova - act1")).isEmpty());
    Start second(folder, path("act2.snv"), path("p2.log"));
    QVERIFY(!windowOf(second.process.processId(), QStringLiteral("^Scenova - act2")).isEmpty());
    QVERIFY(!windowOf(first.process.processId(), QStringLiteral("^Scenova - act1")).isEmpty());
    QCOMPARE(second.dialogs(), QByteArray());
  }
};

QTEST_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
