#pragma once

// Copies of unsaved work, so that a crash or a power cut in the middle of a
// rehearsal loses at most the last half minute of typing. While the script
// is modified its content is written every 30 seconds, and after every 200
// changes, to a recovery file of this process in the recovery folder. The
// copy is made at a pause of two seconds without changes: the editor's
// content is turned into RTF on the interface thread in slices of a few
// milliseconds between other events (a keystroke waits at most one slice,
// and a change drops the unfinished copy, which starts again at the next
// pause); the file is written on a worker thread, so a keystroke never
// waits for the disk. A clean Save, New, Open or close removes the file;
// the next start after a crash offers to bring the work back. The script
// file itself is never written here.

#include "platform/rtb/rtf_snapshot.h"

#include <QObject>
#include <QThread>
#include <QTimer>

#include <functional>

namespace scenova::app {

class Form1;

class RecoveryKeeper : public QObject {
  Q_OBJECT
 public:
  struct Options {
    QString folder;         // created when needed
    qint64 instanceId = 0;  // 0: this process's id
    // Whether the program instance of that id still runs (default: a
    // process of that id exists).
    std::function<bool(qint64)> alive;
    int intervalMs = 30000;
    int changesPerWrite = 200;
    int pauseMs = 2000;  // the copy waits for a pause without changes this long
    int sliceMs = 3;     // the longest the copy works in one turn of the interface thread
  };

  RecoveryKeeper(Form1& form, Options options);
  ~RecoveryKeeper() override;

  // The editor changed (typing, formatting, the program's own edits).
  void noteChange();
  // The periodic tick: writes, at the next pause, the unsaved changes not
  // yet kept.
  void tick();
  // The pause timer ran out: makes the copy that is due.
  void pauseEnded();
  // Starts a write of the current content now (a write already under way
  // is followed by one more).
  void writeNow();
  // The script was saved, replaced or closed cleanly: the copy goes.
  void discard();
  // At start: for each copy left by an instance that no longer runs, asks
  // whether to restore it. Returns whether one was restored.
  bool offerRestore();

  QString recoveryPath() const { return pathFor(id_, ".rtf"); }
  QString infoPath() const { return pathFor(id_, ".path"); }
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
  void copied(const QByteArray& rtf);
  void copyInterrupted();
  void finished(bool ok);
  bool restoreFrom(qint64 id);

  Form1& form_;
  Options o_;
  qint64 id_;
  QTimer timer_;
  QTimer pause_;         // runs from the last change; a copy waits for it
  bool wanted_ = false;  // a copy is due at the next pause
  platform::RtfSnapshot snapshot_;
  QThread thread_;
  QObject* worker_ = nullptr;  // lives in thread_
  int changes_ = 0;
  bool dirty_ = false;  // changed since the last copy started
  bool busy_ = false;   // a copy is being written
  bool again_ = false;  // write once more when it is done
};

}  // namespace scenova::app
