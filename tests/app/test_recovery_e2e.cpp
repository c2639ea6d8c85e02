// Unsaved work survives a crash of the real program: keys typed with
// xdotool under the test X server, the program killed (SIGKILL) in the
// middle of a burst of typing, and the next start offering the copy; taking
// it brings back the text typed up to the last copy.

#include "platform/rtf/rtf.h"
#include "support/program_run.h"
#include "ui/language_table.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace scenova;

namespace {

QString run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(10000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

QString xdotool(const QStringList& args) {
  return run(QStringLiteral("xdotool"), args);
}

// A complete program folder (the executable beside its data) and a state
// folder of its own for the copies of unsaved work.
struct Installed : test::ProgramFolder {
  QTemporaryDir state;
  Installed() { test::installTestProgram(*this); }
  QString recovery(qint64 pid) const {
    return state.filePath(QStringLiteral("scenova/recovery-%1.rtf").arg(pid));
  }
  std::unique_ptr<QProcess> start(const QString& answers) const {
    QProcessEnvironment extra;
    extra.insert(QStringLiteral("XDG_STATE_HOME"), state.path());
    return test::startProgram(*this, {}, answers, extra);
  }
};

// The program's main window once it is shown and laid out, focused for
// the keys that follow; "" when it did not show.
QString focusWindow(QProcess& program) {
  if (!test::ProgramWindow::waitUntilShown(program)) return {};
  QString id;
  QElapsedTimer t;
  t.start();
  while (id.isEmpty() && t.elapsed() < 20000) {
    id = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                  QStringLiteral("--pid"), QString::number(program.processId()),
                  QStringLiteral("--name"), QStringLiteral("^Scenova - ")})
             .section(QLatin1Char('\n'), 0, 0);
    if (id.isEmpty()) QTest::qWait(50);  // polling: the X server maps it
  }
  if (id.isEmpty()) return id;
  xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
  // A click in the script puts the keyboard focus in the editor; the keys
  // after it come in the same ordered stream.
  xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), id, QStringLiteral("200"),
           QStringLiteral("250"), QStringLiteral("click"), QStringLiteral("1")});
  return id;
}

// The plain text of the copy at path once it holds what ("" if it never does).
QString waitForCopy(const QString& path, const QString& what, int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) {
      const QString text = platform::rtf::plainText(f.readAll());
      if (text.contains(what)) return text;
    }
    QTest::qWait(200);  // polling
  }
  return {};
}

void stop(QProcess& p) {
  if (p.state() == QProcess::NotRunning) return;
  p.kill();
  p.waitForFinished(5000);
}

}  // namespace

class TestRecoveryEndToEnd : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs the test X server");
    for (const char* tool : {"xdotool", "xclip"})
      if (QStandardPaths::findExecutable(QLatin1StringView(tool)).isEmpty())
        QSKIP("needs xdotool and xclip");
  }

  void killedWhileTypingAndRestored() {
    Installed program;
    // More than 200 keys, then a pause: a copy is written.
    QString first;
    while (first.size() < 230) first += QStringLiteral("Enter Hamlet; thunder far away. ");
    auto crashing = program.start({});
    QVERIFY(crashing->waitForStarted());
    const qint64 pid = crashing->processId();
    QVERIFY(!focusWindow(*crashing).isEmpty());
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("5"), first});
    QCOMPARE(waitForCopy(program.recovery(pid), first, 20000), first);

    // The next burst is cut short: the program dies as it begins.
    QProcess typing;
    typing.start(QStringLiteral("xdotool"),
                 {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"),
                  QStringLiteral("Exit Ophelia, lost in the crash, never kept.")});
    QVERIFY(typing.waitForStarted());
    crashing->kill();  // SIGKILL: no close sequence at all
    QVERIFY(crashing->waitForFinished(5000));
    typing.waitForFinished(10000);
    QVERIFY(QFileInfo::exists(program.recovery(pid)));

    auto next = program.start(QStringLiteral("yes"));
    QVERIFY(next->waitForStarted());
    QVERIFY(!focusWindow(*next).isEmpty());
    ui::LanguageTable L;
    QVERIFY(L.load(program.file(QStringLiteral("Lang/English.lng"))));
    const QString log = QString::fromUtf8(program.read(QStringLiteral("dialogs.log")));
    QVERIFY2(log.contains(L[152]), qPrintable(log));
    // The editor holds the work up to the last copy: select all, copy, and
    // read the clipboard.
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+a"), QStringLiteral("ctrl+c")});
    const auto clipboard = [] {
      return run(QStringLiteral("xclip"),
                 {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard"),
                  QStringLiteral("-t"), QStringLiteral("UTF8_STRING")});
    };
    QTRY_COMPARE(clipboard(), first);
    stop(*next);
    // The dead instance's copy was taken over by the new one.
    QVERIFY(!QFileInfo::exists(program.recovery(pid)));
  }

  // A typist who never pauses (xdotool's delay of 100 ms, some 18 keys a
  // second, faster than anyone types): a copy is written while
  // the typing goes on, within 30 s of the first key, and a kill then
  // leaves it to restore.
  void steadyTypingIsKeptWithoutAPause() {
    Installed program;
    auto crashing = program.start({});
    QVERIFY(crashing->waitForStarted());
    const qint64 pid = crashing->processId();
    QVERIFY(!focusWindow(*crashing).isEmpty());
    QString words;
    while (words.size() < 600) words += QStringLiteral("Thunder rolls and the ghost walks on. ");
    QProcess typing;
    QElapsedTimer since;
    typing.start(QStringLiteral("xdotool"),
                 {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("100"), words});
    since.start();
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(program.recovery(pid)), 32000);
    const qint64 after = since.elapsed();
    QCOMPARE(typing.state(), QProcess::Running);  // no pause came
    crashing->kill();
    QVERIFY(crashing->waitForFinished(5000));
    typing.kill();
    typing.waitForFinished(5000);
    QFile copy(program.recovery(pid));
    QVERIFY(copy.open(QIODevice::ReadOnly));
    const QString kept = platform::rtf::plainText(copy.readAll());
    qInfo("a copy %lld ms after the first key, %lld characters", after, qint64(kept.size()));
    QVERIFY2(after <= 30000, qPrintable(QString::number(after)));
    // What was typed up to the copy (a key repeated by a loaded X server
    // may add a letter here and there).
    QVERIFY2(kept.size() >= 150, qPrintable(kept));
    QVERIFY2(kept.count(QStringLiteral("the ghost walks on.")) >= 3, qPrintable(kept));
  }
};

QTEST_GUILESS_MAIN(TestRecoveryEndToEnd)
#include "test_recovery_e2e.moc"
