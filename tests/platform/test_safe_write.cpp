// Writing whole files: links are followed to the end of their chain, a
// write killed half-way leaves only a recognisable temporary file that the
// next write or open removes, and locks tell running programs' files from
// dead ones'.

#include "platform/file_lock.h"
#include "platform/safe_write.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

using namespace scenova::platform;

namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool isLink(const QString& path) {
  return QFileInfo(path).isSymLink();
}

// The hidden temporary files in folder.
QStringList temporaries(const QString& folder) {
  return QDir(folder).entryList({QStringLiteral(".*scenova-tmp-*")}, QDir::Files | QDir::Hidden);
}

// Runs f in a child process and returns its wait status.
template <typename F>
int inChild(F f) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    f();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

// A write of path killed by the system half-way (the file size limit ends
// the process in the middle of writing, as a kill would).
void killedWrite(const QString& path) {
  const int status = inChild([&path] {
    const rlimit noCore{0, 0}, small{4096, 4096};
    ::setrlimit(RLIMIT_CORE, &noCore);
    ::setrlimit(RLIMIT_FSIZE, &small);
    writeFileAtomically(path, QByteArray(1 << 20, 'n'));
  });
  QVERIFY(WIFSIGNALED(status));
  QCOMPARE(WTERMSIG(status), SIGXFSZ);
}

}  // namespace

class TestSafeWrite : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void linksStayLinks() {
    QTemporaryDir dir, other;
    const QString real = dir.filePath(QStringLiteral("real.snv"));
    const QString l2 = dir.filePath(QStringLiteral("l2"));
    const QString a = other.filePath(QStringLiteral("a.snv"));
    QVERIFY(QFile(real).open(QIODevice::WriteOnly));
    QVERIFY(QFile::link(QStringLiteral("real.snv"), l2));  // relative to its folder
    QVERIFY(QFile::link(l2, a));
    QString error;
    QVERIFY2(writeFileAtomically(a, "new", &error), qPrintable(error));
    QVERIFY(isLink(a));
    QVERIFY(isLink(l2));
    QCOMPARE(readAll(real), QByteArray("new"));
    QCOMPARE(temporaries(dir.path()), QStringList());
    // A chain ending nowhere creates the file it ends at.
    const QString l3 = dir.filePath(QStringLiteral("l3"));
    QVERIFY(QFile::link(QStringLiteral("later.snv"), l3));
    QVERIFY(QFile::link(l3, other.filePath(QStringLiteral("b.snv"))));
    QVERIFY(writeFileAtomically(other.filePath(QStringLiteral("b.snv")), "born"));
    QVERIFY(isLink(l3));
    QCOMPARE(readAll(dir.filePath(QStringLiteral("later.snv"))), QByteArray("born"));
    // A loop is refused with the system's reason; nothing is created.
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("y")), dir.filePath(QStringLiteral("x"))));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("x")), dir.filePath(QStringLiteral("y"))));
    QVERIFY(!writeFileAtomically(dir.filePath(QStringLiteral("x")), "loop", &error));
    QVERIFY2(error.contains(QString::fromLocal8Bit(strerror(ELOOP))), qPrintable(error));
    QVERIFY(isLink(dir.filePath(QStringLiteral("x"))));
    QVERIFY(isLink(dir.filePath(QStringLiteral("y"))));
  }

  void killedWritesLeaveOnlyWhatTheNextOneRemoves() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("act.snv"));
    QVERIFY(writeFileAtomically(path, "the old script"));
    killedWrite(path);
    killedWrite(dir.filePath(QStringLiteral("other.snv")));
    QCOMPARE(readAll(path), QByteArray("the old script"));
    // The leftovers are hidden, and named after the file they were for.
    const QStringList left = temporaries(dir.path());
    QCOMPARE(left.size(), 2);
    QVERIFY2(left.filter(QStringLiteral(".act.snv.scenova-tmp-")).size() == 1,
             qPrintable(left.join(u' ')));
    QCOMPARE(QFileInfo(dir.filePath(left[0])).size(), 4096);  // cut short
    // A write in progress in another program holds its file's lock: kept.
    const QString running = dir.filePath(QStringLiteral(".act.snv.scenova-tmp-Run123"));
    FileLock inProgress(running);
    QCOMPARE(inProgress.tryLock(), FileLock::Result::Held);
    // The next write of the same file removes its dead leftovers only.
    QVERIFY(writeFileAtomically(path, "the new script"));
    QCOMPARE(readAll(path), QByteArray("the new script"));
    QCOMPARE(temporaries(dir.path()).size(), 2);
    QVERIFY(QFileInfo::exists(running));
    QCOMPARE(temporaries(dir.path()).filter(QStringLiteral(".other.snv.")).size(), 1);
    // A folder's cleaning removes every dead leftover in it.
    QCOMPARE(removeAbandonedTempFiles(dir.path()), 1);
    QCOMPARE(temporaries(dir.path()), QStringList{QStringLiteral(".act.snv.scenova-tmp-Run123")});
    inProgress.release(false);
    QCOMPARE(removeAbandonedTempFiles(path), 1);  // its program is done with it
    QCOMPARE(temporaries(dir.path()), QStringList());
    // Files that merely look alike are not the program's.
    for (const char* name : {".act.snv.scenova-tmp-toolong", "act.snv.scenova-tmp-ABCDEF"}) {
      QFile f(dir.filePath(QString::fromLatin1(name)));
      QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QCOMPARE(removeAbandonedTempFiles(dir.path()), 0);
  }

  void locksEndWithTheirProgram() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("instance.lock"));
    QVERIFY(!FileLock::heldElsewhere(path));
    {
      FileLock mine(path);
      QCOMPARE(mine.tryLock(), FileLock::Result::Held);
      FileLock again(path);
      QCOMPARE(again.tryLock(), FileLock::Result::Busy);
      QVERIFY(FileLock::heldElsewhere(path));
      QVERIFY(!FileLock::removeIfUnheld(path));
    }
    QVERIFY(!QFileInfo::exists(path));  // released and removed
    // A program killed while holding its lock leaves the file, not the lock.
    const int status = inChild([&path] {
      FileLock lock(path);
      if (lock.tryLock() == FileLock::Result::Held) ::raise(SIGKILL);
    });
    QVERIFY(WIFSIGNALED(status));
    QVERIFY(QFileInfo::exists(path));
    QVERIFY(!FileLock::heldElsewhere(path));
    QVERIFY(FileLock::removeIfUnheld(path));
    QVERIFY(!QFileInfo::exists(path));
    // A folder where nothing can be created.
    FileLock nowhere(dir.filePath(QStringLiteral("missing/instance.lock")));
    QCOMPARE(nowhere.tryLock(), FileLock::Result::Failed);
  }
};

QTEST_GUILESS_MAIN(TestSafeWrite)
#include "test_safe_write.moc"
