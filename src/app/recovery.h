#pragma once

// Copies of unsaved work, so that a crash or a power cut in the middle of a
// rehearsal loses at most the last half minute of typing. While the script
// is modified its content is written to a recovery file of this program in
// the recovery folder: at a pause of two seconds without changes once a
// change is a third of the interval (10 s) old or 200 changes were made,
// and in the middle of typing once a change is five sixths of the interval
// (25 s) old, so that no change goes longer than the interval without a
// copy. The editor's content is turned into RTF on the interface thread in
// slices of a few milliseconds between other events (a keystroke waits at
// most one slice; a change drops the unfinished copy, which starts again at
// the next pause, or at once, and after a few drops in one go, when it is
// overdue); the file is written on a worker thread, so a keystroke never
// waits for the disk. A copy that cannot be written (a read-only or full
// folder) is reported once with a notice. A clean Save, New, Open or close
// removes the file; the next start after a crash offers to bring the work
// back. The script file itself is never written here.
//
// Each running program holds a lock on a file beside its copies, which ends
// with the program however it ends: copies whose lock nobody holds are a
// dead program's, whatever process now has the id in their name.

#include "platform/file_lock.h"
#include "platform/rtb/rtf_snapshot.h"

#include <QObject>
#include <QThread>
#include <QTimer>

#include <functional>
#include <memory>

namespace scenova::app {

class Form1;
class DocumentCommands;

class RecoveryKeeper : public QObject {
  Q_OBJECT
 public:
  struct Options {
    QString folder;          // created when needed
    qint64 instanceId = 0;   // 0: this process's id (another when that one is taken)
    int intervalMs = 30000;  // the longest a change goes without a copy
    int changesPerWrite = 200;
    int pauseMs = 2000;  // the copy waits for a pause without changes this long
    int sliceMs = 3;     // the longest the copy works in one turn of the interface thread
    int checkMs = 1000;  // how often, while changes are unkept, their age is looked at
    // Milliseconds on a clock that never goes back (default: the system's
    // monotonic clock).
    std::function<qint64()> clock;
  };

  // An empty folder keeps nothing and offers nothing.
  RecoveryKeeper(Form1& form, DocumentCommands& documents, Options options);
  ~RecoveryKeeper() override;

  // The editor changed (typing, formatting, the program's own edits).
  void noteChange();
  // The periodic check while changes are unkept: a copy is due at the next
  // pause once they are old enough, and at once when they are overdue.
  void tick();
  // The pause timer ran out: makes the copy that is due.
  void pauseEnded();
  // Starts a write of the current content now (a write already under way
  // is followed by one more).
  void writeNow();
  // The script was saved, replaced or closed cleanly: the copy goes.
  void discard();
  // At start: for each copy left by a program that no longer runs, asks
  // whether to restore it. Returns whether one was restored. Leftovers of
  // copies that were being written when a program died go.
  bool offerRestore();

  qint64 instanceId() const { return id_; }
  QString recoveryPath() const { return pathFor(id_, ".rtf"); }
  QString infoPath() const { return pathFor(id_, ".path"); }
  QString lockPath() const { return pathFor(id_, ".lock"); }
  // Blocks until the worker has done everything asked of it so far (tests,
  // benchmarks and the end of the process).
  void waitForWorker();
  QTimer& timer() { return timer_; }
  QTimer& pauseTimer() { return pause_; }
  const platform::RtfSnapshot& snapshot() const { return snapshot_; }

 Q_SIGNALS:
  void written(bool ok);

 private:
  QString pathFor(qint64 id, const char* suffix) const;
  void claimId(qint64 base);
  void removeLeftovers() const;
  qint64 unkeptFor() const;
  bool overdue() const;
  void copied(const QByteArray& rtf);
  void copyInterrupted();
  void finished(bool ok, const QString& reason);
  bool restoreFrom(qint64 id);
  void removeCopy(qint64 id) const;

  Form1& form_;
  DocumentCommands& documents_;
  Options o_;
  qint64 id_;
  std::unique_ptr<platform::FileLock> lock_;  // held while this program runs
  QTimer timer_;
  QTimer pause_;         // runs from the last change; a copy waits for it
  bool wanted_ = false;  // a copy is due at the next pause
  platform::RtfSnapshot snapshot_;
  QThread thread_;
  QObject* worker_ = nullptr;  // lives in thread_
  int changes_ = 0;
  bool dirty_ = false;    // changed since the last copy started
  qint64 since_ = 0;      // when the oldest change not in a copy was made (while dirty_)
  qint64 copySince_ = 0;  // since_ of the copy being made
  int restarts_ = 0;      // overdue copies dropped by typing in a row
  bool busy_ = false;     // a copy is being written
  bool again_ = false;    // write once more when it is done
  bool warned_ = false;   // the author was told that copies fail
};

}  // namespace scenova::app
