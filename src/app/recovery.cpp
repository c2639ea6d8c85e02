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

#include <limits>

#include <cerrno>
#include <csignal>

namespace scenova::app {

namespace {

bool processRuns(qint64 pid) {
  if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

constexpr qint64 kMaxInfoBytes = 64 * 1024;

}  // namespace

RecoveryKeeper::RecoveryKeeper(Form1& form, Options options)
    : QObject(&form), form_(form), o_(std::move(options)), snapshot_(nullptr, o_.sliceMs) {
  id_ = o_.instanceId != 0 ? o_.instanceId : QCoreApplication::applicationPid();
  if (!o_.alive) o_.alive = processRuns;
  timer_.setInterval(o_.intervalMs);
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
  timer_.start();
}

RecoveryKeeper::~RecoveryKeeper() {
  thread_.quit();
  thread_.wait();
}

QString RecoveryKeeper::pathFor(qint64 id, const char* suffix) const {
  return o_.folder + QStringLiteral("/recovery-") + QString::number(id) + QLatin1StringView(suffix);
}

void RecoveryKeeper::noteChange() {
  dirty_ = true;
  pause_.start();
  if (++changes_ >= o_.changesPerWrite) wanted_ = true;
}

void RecoveryKeeper::pauseEnded() {
  pause_.stop();
  if (wanted_) writeNow();
}

void RecoveryKeeper::tick() {
  if (!dirty_ || form_.doc.Modified != 1) return;
  wanted_ = true;
  if (!pause_.isActive()) writeNow();  // already in a pause
}

void RecoveryKeeper::writeNow() {
  if (o_.folder.isEmpty() || form_.doc.Modified != 1) return;
  if (busy_) {
    again_ = true;
    return;
  }
  busy_ = true;
  dirty_ = false;
  wanted_ = false;
  changes_ = 0;
  snapshot_.start(*form_.editor()->document());
}

// The script changed (or was replaced) before the copy was complete: the
// copy is still due, at the next pause.
void RecoveryKeeper::copyInterrupted() {
  busy_ = false;
  again_ = false;
  dirty_ = true;
  wanted_ = true;
  if (!pause_.isActive()) pause_.start();
}

void RecoveryKeeper::copied(const QByteArray& bytes) {
  if (bytes.isEmpty()) {
    finished(false);
    return;
  }
  const QString rtf = recoveryPath(), info = infoPath(), folder = o_.folder;
  const QByteArray name = form_.doc.DocumentPath.toUtf8();
  QPointer<RecoveryKeeper> self(this);
  QMetaObject::invokeMethod(worker_, [=] {
    QDir().mkpath(folder);
    const bool ok =
        platform::writeFileAtomically(info, name) && platform::writeFileAtomically(rtf, bytes);
    QMetaObject::invokeMethod(self, [self, ok] {
      if (self) self->finished(ok);
    });
  });
}

void RecoveryKeeper::finished(bool ok) {
  busy_ = false;
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
  const QDir dir(o_.folder);
  const QStringList copies =
      dir.entryList({QStringLiteral("recovery-*.rtf")}, QDir::Files, QDir::Time);
  for (const QString& f : copies) {
    bool ok = false;
    const qint64 id = f.mid(9, f.size() - 9 - 4).toLongLong(&ok);
    if (!ok || id == id_ || o_.alive(id)) continue;
    if (restoreFrom(id)) return true;
  }
  return false;
}

bool RecoveryKeeper::restoreFrom(qint64 id) {
  const QString rtf = pathFor(id, ".rtf"), info = pathFor(id, ".path");
  QString original;
  QFile f(info);
  if (platform::checkReadableRegularFile(info, kMaxInfoBytes) && f.open(QIODevice::ReadOnly))
    original = QString::fromUtf8(f.read(kMaxInfoBytes));
  f.close();
  const QString shown = original.isEmpty() ? form_.lang[97].trimmed() : original;
  const platform::MsgAnswer a = form_.services().dialogs->messageBox(
      &form_, form_.lang[152] + QStringLiteral("\n\n") + shown, form_.lang[1],
      platform::MsgIcon::Question, platform::MsgButtons::YesNo);
  if (a != platform::MsgAnswer::Yes) {
    QFile::remove(rtf);
    QFile::remove(info);
    return false;
  }
  QString error;
  if (!form_.editor()->LoadFile(rtf, &error)) {
    form_.services().dialogs->messageBox(&form_, form_.lang[151] + QStringLiteral("\n\n") + error,
                                         form_.lang[1], platform::MsgIcon::Critical,
                                         platform::MsgButtons::Ok);
    return false;  // the copy stays for another try
  }
  form_.doc.DocumentPath = original;
  if (original.isEmpty())
    form_.updateTitle();
  else
    form_.documents->ShowFileTitle(original);
  // Restored work is unsaved work: it is kept again at once under this
  // instance before the old copy goes.
  form_.doc.Modified = 1;
  // The old copy becomes this instance's own by a rename (no second write).
  QFile::remove(recoveryPath());
  if (!platform::writeFileAtomically(infoPath(), original.toUtf8()) ||
      !QFile::rename(rtf, recoveryPath())) {
    writeNow();
    waitForWorker();
    QFile::remove(rtf);
  }
  QFile::remove(info);
  return true;
}

}  // namespace scenova::app
