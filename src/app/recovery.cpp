#include "recovery.h"

#include "document_commands.h"
#include "form1.h"
#include "platform/dialogs.h"
#include "platform/rtb/rtb.h"
#include "platform/safe_write.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTextDocument>

#include <QDeadlineTimer>

#include <algorithm>

namespace scenova::app {

namespace {

constexpr qint64 kMaxInfoBytes = 64 * 1024;
// Ids taken when the process id is already in use in the folder (another
// window of this process, or a dead program's copy under the same id):
// above any process id, so never the id of some other process.
constexpr qint64 kIdStep = qint64{1} << 32;
constexpr int kIdTries = 16;
// Overdue copies dropped by typing this often are then made in one go.
constexpr int kRestarts = 3;

qint64 monotonicMs() {
  return QDeadlineTimer::current().deadline();
}

// The id in a name "recovery-ID.rtf"; 0 when there is none.
qint64 idOf(const QString& name, qsizetype suffixLength) {
  bool ok = false;
  const qint64 id = name.mid(9, name.size() - 9 - suffixLength).toLongLong(&ok);
  return ok && id > 0 ? id : 0;
}

}  // namespace

RecoveryKeeper::RecoveryKeeper(Form1& form, DocumentCommands& documents, Options options)
    : QObject(&form),
      form_(form),
      documents_(documents),
      o_(std::move(options)),
      snapshot_(nullptr, o_.sliceMs) {
  if (!o_.clock) o_.clock = monotonicMs;
  claimId(o_.instanceId != 0 ? o_.instanceId : QCoreApplication::applicationPid());
  timer_.setInterval(o_.checkMs);
  connect(&timer_, &QTimer::timeout, this, &RecoveryKeeper::tick);
  pause_.setSingleShot(true);
  pause_.setInterval(o_.pauseMs);
  connect(&pause_, &QTimer::timeout, this, &RecoveryKeeper::pauseEnded);
  connect(&snapshot_, &platform::RtfSnapshot::finished, this, &RecoveryKeeper::copied);
  connect(&snapshot_, &platform::RtfSnapshot::interrupted, this, &RecoveryKeeper::copyInterrupted);
  worker_ = new QObject;
  worker_->moveToThread(&thread_);
  connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
  thread_.setObjectName(QStringLiteral("recovery writer"));
  thread_.start(QThread::LowPriority);
}

RecoveryKeeper::~RecoveryKeeper() {
  thread_.quit();
  thread_.wait();
}

// The first id from base whose lock nobody holds and under which no dead
// program's copy waits to be offered becomes this program's, locked.
void RecoveryKeeper::claimId(qint64 base) {
  id_ = base;
  if (o_.folder.isEmpty() || !QDir().mkpath(o_.folder)) return;  // the first copy says why
  for (int i = 0; i < kIdTries; ++i) {
    const qint64 id = base + i * kIdStep;
    auto lock = std::make_unique<platform::FileLock>(pathFor(id, ".lock"));
    const platform::FileLock::Result r = lock->tryLock();
    if (r == platform::FileLock::Result::Failed) return;
    if (r == platform::FileLock::Result::Busy) continue;
    if (QFileInfo::exists(pathFor(id, ".rtf"))) {
      lock->release(false);
      continue;
    }
    id_ = id;
    lock_ = std::move(lock);
    return;
  }
}

QString RecoveryKeeper::pathFor(qint64 id, const char* suffix) const {
  return o_.folder + QStringLiteral("/recovery-") + QString::number(id) + QLatin1StringView(suffix);
}

void RecoveryKeeper::noteChange() {
  if (!dirty_) {
    dirty_ = true;
    since_ = o_.clock();
  }
  pause_.start();
  if (!timer_.isActive()) timer_.start();
  if (++changes_ >= o_.changesPerWrite) wanted_ = true;
}

qint64 RecoveryKeeper::unkeptFor() const {
  return dirty_ ? o_.clock() - since_ : 0;
}

// Due even in the middle of typing: a copy begun now is on disk before
// the oldest change in it is an interval old.
bool RecoveryKeeper::overdue() const {
  return dirty_ && unkeptFor() >= o_.intervalMs - o_.intervalMs / 6;
}

void RecoveryKeeper::pauseEnded() {
  pause_.stop();
  if (unkeptFor() >= o_.intervalMs / 3) wanted_ = true;
  if (wanted_) writeNow();
}

void RecoveryKeeper::tick() {
  if (!dirty_ || form_.doc().Modified != 1) {
    timer_.stop();  // the next change starts it again
    return;
  }
  if (unkeptFor() >= o_.intervalMs / 3) wanted_ = true;
  if (overdue() || (wanted_ && !pause_.isActive())) writeNow();
}

void RecoveryKeeper::writeNow() {
  if (o_.folder.isEmpty() || form_.doc().Modified != 1) return;
  if (busy_) {
    again_ = true;
    return;
  }
  busy_ = true;
  copySince_ = dirty_ ? since_ : o_.clock();
  dirty_ = false;
  wanted_ = false;
  changes_ = 0;
  snapshot_.start(*form_.editor()->document());
}

// The script changed (or was replaced) before the copy was complete: the
// copy is still due, at the next pause, or at once when it is overdue.
void RecoveryKeeper::copyInterrupted() {
  busy_ = false;
  again_ = false;
  since_ = dirty_ ? std::min(since_, copySince_) : copySince_;
  dirty_ = true;
  wanted_ = true;
  if (!timer_.isActive()) timer_.start();
  if (overdue()) {
    writeNow();
    // Steady typing would drop every copy of a long script: the last try
    // is made in one go.
    if (++restarts_ >= kRestarts) snapshot_.finishNow();
    return;
  }
  if (!pause_.isActive()) pause_.start();
}

void RecoveryKeeper::copied(const QByteArray& bytes) {
  restarts_ = 0;
  if (bytes.isEmpty()) {
    finished(false, QStringLiteral("the script could not be written as RTF"));
    return;
  }
  const QString rtf = recoveryPath(), info = infoPath(), folder = o_.folder;
  const QByteArray name = form_.doc().DocumentPath.toUtf8();
  QPointer<RecoveryKeeper> self(this);
  QMetaObject::invokeMethod(worker_, [=] {
    QDir().mkpath(folder);
    QString reason;
    const bool ok = platform::writeFileAtomically(info, name, &reason) &&
                    platform::writeFileAtomically(rtf, bytes, &reason);
    QMetaObject::invokeMethod(self, [self, ok, reason] {
      if (self) self->finished(ok, reason);
    });
  });
}

void RecoveryKeeper::finished(bool ok, const QString& reason) {
  busy_ = false;
  // Once per run of failures: the author learns that nothing protects the
  // work, without a notice at every attempt.
  if (!ok && !warned_) {
    // The system's reason first: the notice is one line.
    const qsizetype cut = reason.lastIndexOf(QStringLiteral(": "));
    const QString why = cut < 0 ? reason : reason.mid(cut + 2);
    form_.ShowNotice(form_.lang()[245] + QLatin1Char(' ') + why + QStringLiteral(" (") + o_.folder +
                         QLatin1Char(')'),
                     15000);
  }
  warned_ = !ok;
  Q_EMIT written(ok);
  if (again_) {
    again_ = false;
    writeNow();
  }
}

void RecoveryKeeper::discard() {
  dirty_ = false;
  wanted_ = false;
  again_ = false;
  changes_ = 0;
  restarts_ = 0;
  timer_.stop();
  if (snapshot_.running()) {
    snapshot_.cancel();
    busy_ = false;
  }
  // After any write already queued, so no copy outlives the discard.
  const QString rtf = recoveryPath(), info = infoPath();
  QMetaObject::invokeMethod(worker_, [rtf, info] {
    QFile::remove(rtf);
    QFile::remove(info);
  });
}

void RecoveryKeeper::waitForWorker() {
  snapshot_.finishNow();
  QMetaObject::invokeMethod(
      worker_, [] {}, Qt::BlockingQueuedConnection);
  QCoreApplication::sendPostedEvents(this);
}

bool RecoveryKeeper::offerRestore() {
  if (o_.folder.isEmpty()) return false;
  removeLeftovers();
  const QDir dir(o_.folder);
  const QStringList copies =
      dir.entryList({QStringLiteral("recovery-*.rtf")}, QDir::Files, QDir::Time);
  for (const QString& f : copies) {
    const qint64 id = idOf(f, 4);
    if (id == 0 || id == id_ || platform::FileLock::heldElsewhere(pathFor(id, ".lock"))) continue;
    if (restoreFrom(id)) return true;
  }
  return false;
}

// The temporary files of copies that were being written when their program
// died, and the locks of dead programs without a copy.
void RecoveryKeeper::removeLeftovers() const {
  platform::removeAbandonedTempFiles(o_.folder);
  const QStringList locks =
      QDir(o_.folder).entryList({QStringLiteral("recovery-*.lock")}, QDir::Files);
  for (const QString& f : locks) {
    const qint64 id = idOf(f, 5);
    if (id != 0 && id != id_ && !QFileInfo::exists(pathFor(id, ".rtf")))
      platform::FileLock::removeIfUnheld(pathFor(id, ".lock"));
  }
}

void RecoveryKeeper::removeCopy(qint64 id) const {
  QFile::remove(pathFor(id, ".rtf"));
  QFile::remove(pathFor(id, ".path"));
  platform::FileLock::removeIfUnheld(pathFor(id, ".lock"));
}

bool RecoveryKeeper::restoreFrom(qint64 id) {
  const QString rtf = pathFor(id, ".rtf"), info = pathFor(id, ".path");
  QString original;
  QFile f(info);
  if (platform::checkReadableRegularFile(info, kMaxInfoBytes) && f.open(QIODevice::ReadOnly))
    original = QString::fromUtf8(f.read(kMaxInfoBytes));
  f.close();
  const QString shown = original.isEmpty() ? form_.lang()[97].trimmed() : original;
  const platform::MsgAnswer a = form_.services().dialogs->messageBox(
      &form_, form_.lang()[152] + QStringLiteral("\n\n") + shown, form_.lang()[1],
      platform::MsgIcon::Question, platform::MsgButtons::YesNo);
  if (a != platform::MsgAnswer::Yes) {
    removeCopy(id);
    return false;
  }
  QString error;
  if (!form_.editor()->LoadFile(rtf, &error)) {
    form_.services().dialogs->messageBox(&form_, form_.lang()[151] + QStringLiteral("\n\n") + error,
                                         form_.lang()[1], platform::MsgIcon::Critical,
                                         platform::MsgButtons::Ok);
    return false;  // the copy stays for another try
  }
  form_.doc().DocumentPath = original;
  if (original.isEmpty())
    form_.updateTitle();
  else
    documents_.ShowFileTitle(original);
  // Restored work is unsaved work: it is kept again at once under this
  // instance before the old copy goes.
  form_.doc().Modified = 1;
  // The old copy becomes this instance's own by a rename (no second write).
  QFile::remove(recoveryPath());
  if (!platform::writeFileAtomically(infoPath(), original.toUtf8()) ||
      !QFile::rename(rtf, recoveryPath())) {
    writeNow();
    waitForWorker();
  }
  removeCopy(id);
  return true;
}

}  // namespace scenova::app
