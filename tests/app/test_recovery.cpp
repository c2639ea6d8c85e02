// Unsaved work survives a crash: copies are written while the script is
// modified, removed by a clean save or close, and offered at the next start.

#include "app/document_commands.h"
#include "app/recovery.h"
#include "platform/file_lock.h"
#include "platform/rtf/rtf.h"
#include "support/form_fixture.h"
#include "support/scratch_mount.h"
#include "ui/notice_line.h"

#include <QTest>

#include <cerrno>
#include <cstring>

using namespace scenova;
using platform::MsgAnswer;
using test::FormFixture;

namespace {

// A process id that no system hands out (above the kernel's limit).
constexpr qint64 kDeadInstance = 999999999;

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Leaves the copies of f's window as a crashed instance would.
void crash(FormFixture& f, qint64 asInstance) {
  app::RecoveryKeeper& r = f.form->subsystems().recovery;
  r.waitForWorker();
  const QString rtf = r.recoveryPath(), info = r.infoPath();
  f.form.reset();  // no close sequence
  const QString dir =
      QFileInfo(rtf).absolutePath() + QStringLiteral("/recovery-") + QString::number(asInstance);
  if (rtf == dir + QStringLiteral(".rtf")) return;  // under its own id
  QVERIFY(QFile::rename(rtf, dir + QStringLiteral(".rtf")));
  QVERIFY(QFile::rename(info, dir + QStringLiteral(".path")));
}

// A keeper of f's editor on a clock that the test moves, with a pause that
// never ends by itself (the test ends it).
struct ClockedKeeper {
  qint64 now = 1000000;
  std::unique_ptr<app::RecoveryKeeper> r;
  ClockedKeeper(FormFixture& f, const QString& folder, int sliceMs = 3) {
    app::RecoveryKeeper::Options o;
    o.folder = folder;
    o.instanceId = 424242;
    o.sliceMs = sliceMs;
    o.pauseMs = 3600000;
    o.clock = [this] { return now; };
    r = std::make_unique<app::RecoveryKeeper>(*f.form, f.form->subsystems().documents, o);
    QObject::connect(&f.rtb(), &platform::RTB::Change, r.get(), &app::RecoveryKeeper::noteChange);
  }
  QString kept() {
    r->waitForWorker();
    QFile f(r->recoveryPath());
    return f.open(QIODevice::ReadOnly) ? platform::rtf::plainText(f.readAll()) : QString();
  }
};

void typeAtEnd(FormFixture& f, const QString& text) {
  f.rtb().SetSelStart(f.rtb().TextLength());
  f.rtb().SetSelText(text);
}

}  // namespace

class TestRecovery : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void copiesFollowTheWork() {
    QTemporaryDir state;
    FormFixture f({}, nullptr, state.path());
    app::RecoveryKeeper& r = f.form->subsystems().recovery;
    // Nothing is kept while nothing is modified.
    r.tick();
    r.waitForWorker();
    QVERIFY(!QFileInfo::exists(r.recoveryPath()));
    // 200 keystrokes write a copy at the next pause, without waiting for
    // the timer; never in the middle of typing.
    QCOMPARE(r.pauseTimer().interval(), 2000);
    platform::RTB& rtb = f.rtb();
    for (int i = 0; i < 199; ++i) rtb.SetSelText(QStringLiteral("a"));
    r.pauseEnded();
    r.waitForWorker();
    QVERIFY(!QFileInfo::exists(r.recoveryPath()));
    rtb.SetSelText(QStringLiteral("b"));
    r.waitForWorker();
    QVERIFY(!QFileInfo::exists(r.recoveryPath()));  // still typing
    QVERIFY(r.pauseTimer().isActive());
    r.pauseEnded();
    r.waitForWorker();
    QVERIFY(readAll(r.recoveryPath()).contains(QByteArray(QByteArray(199, 'a') + 'b')));
    // A clean save removes the copy; the script file is the saved one.
    const QString script = f.folder.file(QStringLiteral("act.snv"));
    f.dialogs.fileAnswers.push_back(script);
    f.form->subsystems().documents.Save();
    r.waitForWorker();
    QVERIFY(!QFileInfo::exists(r.recoveryPath()));
    QVERIFY(!QFileInfo::exists(r.infoPath()));
    // So does a clean close after answering No.
    rtb.SetSelText(QStringLiteral("more"));
    r.writeNow();
    r.waitForWorker();
    QVERIFY(QFileInfo::exists(r.recoveryPath()));
    f.form->show();
    f.dialogs.messageAnswers.push_back(MsgAnswer::No);
    f.form->mnuEsci_Click();
    QVERIFY(!QFileInfo::exists(r.recoveryPath()));
  }

  // The copy is made a slice at a time between the window's events; typing
  // in the middle of it drops the unfinished copy (never a file mixing two
  // versions of the script), and the next pause makes a complete one.
  void typingDuringACopyDropsIt() {
    QTemporaryDir state;
    FormFixture f;
    app::RecoveryKeeper::Options o;
    o.folder = state.path();
    o.instanceId = 424242;
    o.sliceMs = 0;  // one paragraph per turn
    app::RecoveryKeeper r(*f.form, f.form->subsystems().documents, o);
    platform::RTB& rtb = f.rtb();
    QObject::connect(&rtb, &platform::RTB::Change, &r, &app::RecoveryKeeper::noteChange);
    QString text;
    for (int i = 0; i < 50; ++i) text += QStringLiteral("Line %1\r\n").arg(i);
    rtb.SetText(text);
    f.form->doc().Modified = 1;
    r.pauseEnded();
    r.writeNow();
    QVERIFY(r.snapshot().running());
    for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
    QVERIFY(r.snapshot().running());
    QCOMPARE(r.snapshot().slices(), 10);
    rtb.SetSelStart(rtb.TextLength());
    rtb.SetSelText(QStringLiteral("typed meanwhile"));
    for (int i = 0; i < 100 && r.snapshot().running(); ++i) QCoreApplication::processEvents();
    QVERIFY(!r.snapshot().running());
    r.waitForWorker();
    QVERIFY(!QFileInfo::exists(r.recoveryPath()));
    QVERIFY(r.pauseTimer().isActive());  // still due, at the next pause
    r.pauseEnded();
    r.waitForWorker();
    const QByteArray kept = readAll(r.recoveryPath());
    QVERIFY(kept.contains("Line 49"));
    QVERIFY(kept.contains("typed meanwhile"));
  }

  // A change is kept at the first pause once it is 10 s old, and in the
  // middle of typing once it is 25 s old.
  void copiesAtAPauseOrWhenOverdue() {
    QTemporaryDir state;
    FormFixture f;
    ClockedKeeper k(f, state.path());
    app::RecoveryKeeper& r = *k.r;
    typeAtEnd(f, QStringLiteral("one"));
    QVERIFY(r.timer().isActive());
    k.now += 5000;
    r.tick();
    r.pauseEnded();
    QCOMPARE(k.kept(), QString());  // too young for a copy
    typeAtEnd(f, QStringLiteral(" two"));
    k.now += 5000;
    r.tick();
    QCOMPARE(k.kept(), QString());  // due, at the next pause
    r.pauseEnded();
    QCOMPARE(k.kept(), QStringLiteral("one two"));
    typeAtEnd(f, QStringLiteral(" three"));
    k.now += 24000;
    r.tick();
    QCOMPARE(k.kept(), QStringLiteral("one two"));  // still typing: waits for a pause
    k.now += 1000;
    r.tick();
    QVERIFY(r.pauseTimer().isActive());
    QCOMPARE(k.kept(), QStringLiteral("one two three"));  // overdue: kept all the same
    // Nothing unkept: the checks stop until the next change.
    r.tick();
    QVERIFY(!r.timer().isActive());
  }

  // A typist who never pauses: after 60 s of a word every 100 ms (the
  // checks every second as the timer makes them), the last copy written
  // holds all but the last 30 s. Between two words the window's events
  // run as they would in 100 ms; a long script's copy needs more turns than
  // that, so every word drops it, and it is kept all the same.
  void steadyTypingIsKeptEveryHalfMinute_data() {
    QTest::addColumn<int>("lines");
    QTest::newRow("a short script") << 0;
    QTest::newRow("a long script") << 3000;
  }
  void steadyTypingIsKeptEveryHalfMinute() {
    QFETCH(int, lines);
    QTemporaryDir state;
    FormFixture f;
    ClockedKeeper k(f, state.path(), lines > 0 ? 0 : 3);  // long: one paragraph per turn
    QString script;
    for (int i = 0; i < lines; ++i) script += QStringLiteral("Line %1\r\n").arg(i);
    f.rtb().SetText(script);
    // What a crash at any moment would find.
    QString lastKept;
    QObject::connect(k.r.get(), &app::RecoveryKeeper::written, [&](bool ok) {
      QFile copy(k.r->recoveryPath());
      if (ok && copy.open(QIODevice::ReadOnly)) lastKept = platform::rtf::plainText(copy.readAll());
    });
    for (int tenth = 0; tenth < 600; ++tenth) {
      typeAtEnd(f, QStringLiteral("w%1 ").arg(tenth));
      for (int turn = 0; turn < 50; ++turn) QCoreApplication::processEvents();
      k.now += 100;
      if (tenth % 10 == 9) k.r->tick();
    }
    QVERIFY(k.r->pauseTimer().isActive());  // never a pause
    QVERIFY(!lastKept.isEmpty());
    const QStringList words = lastKept.mid(script.size() - lines).split(QLatin1Char(' '));
    for (int tenth = 0; tenth < 300; ++tenth)
      QVERIFY2(words.contains(QStringLiteral("w%1").arg(tenth)),
               qPrintable(QString::number(tenth)));
  }

  void aCrashedSessionIsOfferedAndRestored() {
    QTemporaryDir state;
    test::ProgramFolder scripts;
    const QString script = scripts.file(QStringLiteral("hamlet.snv"));
    QString typed;
    {
      FormFixture f({}, nullptr, state.path());
      f.rtb().SetText(QStringLiteral("Act 1"));
      f.dialogs.fileAnswers.push_back(script);
      f.form->subsystems().documents.Save();
      f.rtb().SetSelStart(f.rtb().TextLength());
      f.rtb().SetSelBold(true);
      f.rtb().SetSelText(QStringLiteral(" thunder, typed after the save"));
      typed = f.rtb().Text();
      f.form->subsystems().recovery.writeNow();
      crash(f, kDeadInstance);
    }
    const QByteArray onDisk = readAll(script);
    FormFixture g({}, nullptr, state.path(), false);
    g.dialogs.messageAnswers.push_back(MsgAnswer::Yes);
    g.form->Form_Load();
    QCOMPARE(g.dialogs.messages.size(), 1);
    QVERIFY(g.dialogs.messages[0].text.startsWith(g.text(152)));
    QVERIFY(g.dialogs.messages[0].text.contains(script));
    QCOMPARE(g.rtb().Text(), typed);
    g.rtb().Select(6, 7);
    QCOMPARE(g.rtb().SelBold(), std::optional<bool>(true));
    QCOMPARE(g.form->doc().Modified, 1);
    QCOMPARE(g.form->doc().DocumentPath, script);
    QCOMPARE(g.form->windowTitle(), QStringLiteral("Scenova - hamlet.snv"));
    QCOMPARE(readAll(script), onDisk);  // the script file itself is untouched
    // The old copy is gone; the work is kept again under this instance.
    const QString old = state.filePath(QStringLiteral("recovery-%1.rtf").arg(kDeadInstance));
    QVERIFY(!QFileInfo::exists(old));
    QVERIFY(QFileInfo::exists(g.form->subsystems().recovery.recoveryPath()));
  }

  // A copy is a running program's while that program holds the lock beside
  // it, whatever its id; the rest are a dead program's and offered. So are
  // the copies named after a process that runs now (after a reboot the same
  // id goes to another process), this very one included.
  void declinedAndLiveCopies() {
    QTemporaryDir state;
    {
      FormFixture f({}, nullptr, state.path());
      f.rtb().SetText(QStringLiteral("another window's work"));
      f.form->subsystems().recovery.writeNow();
      crash(f, kDeadInstance);
    }
    platform::FileLock running(
        state.filePath(QStringLiteral("recovery-%1.lock").arg(kDeadInstance)));
    QCOMPARE(running.tryLock(), platform::FileLock::Result::Held);
    {
      FormFixture f({}, nullptr, state.path());
      f.rtb().SetText(QStringLiteral("untitled work"));
      f.form->subsystems().recovery.writeNow();
      crash(f, 1);  // process 1 runs, but it is no program of ours
    }
    // What dead copies and locks left behind goes.
    const QString leftover = state.filePath(QStringLiteral(".recovery-5.rtf.scenova-tmp-AbCdEf"));
    const QString oldLock = state.filePath(QStringLiteral("recovery-5.lock"));
    for (const QString& p : {leftover, oldLock}) QVERIFY(QFile(p).open(QIODevice::WriteOnly));
    FormFixture g({}, nullptr, state.path());  // the question is answered No
    QCOMPARE(g.dialogs.messages.size(), 1);
    QVERIFY(g.dialogs.messages[0].text.contains(g.text(97).trimmed()));
    QCOMPARE(g.rtb().TextLength(), 0);
    QCOMPARE(g.form->doc().Modified, 0);
    QVERIFY(!QFileInfo::exists(state.filePath(QStringLiteral("recovery-1.rtf"))));
    QVERIFY(
        QFileInfo::exists(state.filePath(QStringLiteral("recovery-%1.rtf").arg(kDeadInstance))));
    QVERIFY(!QFileInfo::exists(leftover));
    QVERIFY(!QFileInfo::exists(oldLock));
    QVERIFY(QFileInfo::exists(g.form->subsystems().recovery.lockPath()));
  }

  void aDeadCopyUnderThisProcesssId() {
    QTemporaryDir state;
    const qint64 me = QCoreApplication::applicationPid();
    {
      FormFixture f({}, nullptr, state.path());
      QCOMPARE(f.form->subsystems().recovery.instanceId(), me);
      f.rtb().SetText(QStringLiteral("before the reboot"));
      f.form->subsystems().recovery.writeNow();
      crash(f, me);
    }
    FormFixture g({}, nullptr, state.path(), false);
    g.dialogs.messageAnswers.push_back(MsgAnswer::Yes);
    g.form->Form_Load();
    QCOMPARE(g.dialogs.messages.size(), 1);
    QCOMPARE(g.rtb().Text(), QStringLiteral("before the reboot"));
    // Kept again under an id of its own; the old copy is gone.
    app::RecoveryKeeper& r = g.form->subsystems().recovery;
    QVERIFY(r.instanceId() != me);
    QVERIFY(QFileInfo::exists(r.recoveryPath()));
    QVERIFY(!QFileInfo::exists(state.filePath(QStringLiteral("recovery-%1.rtf").arg(me))));
  }

  // Copies that cannot be written are reported once, with the system's
  // reason: the author knows that nothing protects the work.
  void anUnwritableFolderIsReportedOnce_data() {
    QTest::addColumn<bool>("full");
    QTest::newRow("read-only") << false;
    QTest::newRow("full") << true;
  }
  void anUnwritableFolderIsReportedOnce() {
    QFETCH(bool, full);
    test::ScratchMount disk(64);
    if (!disk.ok()) QSKIP("cannot mount a small file system here");
    const QString folder = disk.path() + QStringLiteral("/scenova");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(full ? disk.fill() : disk.remountReadOnly());
    FormFixture f({}, nullptr, folder);
    app::RecoveryKeeper& r = f.form->subsystems().recovery;
    QLabel& notice = *f.form->ui().Label11;
    f.rtb().SetText(QStringLiteral("A line of the play.\n").repeated(50));
    r.writeNow();
    r.waitForWorker();
    QVERIFY(notice.isVisibleTo(f.form.get()));
    QVERIFY2(notice.text().startsWith(f.text(245)), qPrintable(notice.text()));
    const QString reason = QString::fromLocal8Bit(std::strerror(full ? ENOSPC : EROFS));
    QVERIFY2(notice.text().contains(reason), qPrintable(notice.text()));
    QVERIFY2(notice.text().contains(folder), qPrintable(notice.text()));
    f.form->notice().expire();  // the notice's time is over
    typeAtEnd(f, QStringLiteral("more"));
    r.writeNow();
    r.waitForWorker();
    QVERIFY(!notice.isVisibleTo(f.form.get()));
  }
};

QTEST_MAIN(TestRecovery)
#include "test_recovery.moc"
