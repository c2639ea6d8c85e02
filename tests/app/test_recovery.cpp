// Unsaved work survives a crash: copies are written while the script is
// modified, removed by a clean save or close, and offered at the next start.

#include "app/document_commands.h"
#include "app/recovery.h"
#include "support/form_fixture.h"

#include <QTest>

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
  app::RecoveryKeeper& r = *f.form->recovery;
  r.waitForWorker();
  const QString rtf = r.recoveryPath(), info = r.infoPath();
  f.form.reset();  // no close sequence
  const QString dir =
      QFileInfo(rtf).absolutePath() + QStringLiteral("/recovery-") + QString::number(asInstance);
  QVERIFY(QFile::rename(rtf, dir + QStringLiteral(".rtf")));
  QVERIFY(QFile::rename(info, dir + QStringLiteral(".path")));
}

}  // namespace

class TestRecovery : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void copiesFollowTheWork() {
    QTemporaryDir state;
    FormFixture f({}, nullptr, state.path());
    app::RecoveryKeeper& r = *f.form->recovery;
    QCOMPARE(r.timer().interval(), 30000);
    QVERIFY(r.timer().isActive());
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
    // The tick writes what changed since.
    rtb.SetSelText(QStringLiteral("LATE"));
    r.tick();
    r.pauseEnded();
    r.waitForWorker();
    QVERIFY(readAll(r.recoveryPath()).contains("LATE"));
    // A clean save removes the copy; the script file is the saved one.
    const QString script = f.folder.file(QStringLiteral("act.snv"));
    f.dialogs.fileAnswers.push_back(script);
    f.form->documents->Save();
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
    app::RecoveryKeeper r(*f.form, o);
    platform::RTB& rtb = f.rtb();
    QObject::connect(&rtb, &platform::RTB::Change, &r, &app::RecoveryKeeper::noteChange);
    QString text;
    for (int i = 0; i < 50; ++i) text += QStringLiteral("Line %1\r\n").arg(i);
    rtb.SetText(text);
    f.form->doc.Modified = 1;
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

  void aCrashedSessionIsOfferedAndRestored() {
    QTemporaryDir state;
    test::ProgramFolder scripts;
    const QString script = scripts.file(QStringLiteral("hamlet.snv"));
    QString typed;
    {
      FormFixture f({}, nullptr, state.path());
      f.rtb().SetText(QStringLiteral("Act 1"));
      f.dialogs.fileAnswers.push_back(script);
      f.form->documents->Save();
      f.rtb().SetSelStart(f.rtb().TextLength());
      f.rtb().SetSelBold(true);
      f.rtb().SetSelText(QStringLiteral(" thunder, typed after the save"));
      typed = f.rtb().Text();
      f.form->recovery->tick();
      f.form->recovery->pauseEnded();
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
    QCOMPARE(g.form->doc.Modified, 1);
    QCOMPARE(g.form->doc.DocumentPath, script);
    QCOMPARE(g.form->windowTitle(), QStringLiteral("Scenova - hamlet.snv"));
    QCOMPARE(readAll(script), onDisk);  // the script file itself is untouched
    // The old copy is gone; the work is kept again under this instance.
    const QString old = state.filePath(QStringLiteral("recovery-%1.rtf").arg(kDeadInstance));
    QVERIFY(!QFileInfo::exists(old));
    QVERIFY(QFileInfo::exists(g.form->recovery->recoveryPath()));
  }

  void declinedAndLiveCopies() {
    QTemporaryDir state;
    {
      FormFixture f({}, nullptr, state.path());
      f.rtb().SetText(QStringLiteral("another window's work"));
      f.form->recovery->writeNow();
      crash(f, 1);  // process 1 always runs: its copy is not ours to offer
    }
    {
      FormFixture f({}, nullptr, state.path());
      f.rtb().SetText(QStringLiteral("untitled work"));
      f.form->recovery->writeNow();
      crash(f, kDeadInstance);
    }
    FormFixture g({}, nullptr, state.path());  // the question is answered No
    QCOMPARE(g.dialogs.messages.size(), 1);
    QVERIFY(g.dialogs.messages[0].text.contains(g.text(97).trimmed()));
    QCOMPARE(g.rtb().TextLength(), 0);
    QCOMPARE(g.form->doc.Modified, 0);
    QVERIFY(
        !QFileInfo::exists(state.filePath(QStringLiteral("recovery-%1.rtf").arg(kDeadInstance))));
    QVERIFY(QFileInfo::exists(state.filePath(QStringLiteral("recovery-1.rtf"))));
  }
};

QTEST_MAIN(TestRecovery)
#include "test_recovery.moc"
