#pragma once

// A print that keeps the window alive: what is to be printed is copied at
// once (later edits do not reach the job), then laid out and drawn page by
// page on a worker thread while the window goes on repainting and taking
// input. One job at a time; the printer belongs to the job until it ends.

#include <QObject>
#include <QString>

class QPrinter;
class QTextEdit;
class QThread;

namespace scenova::tools {

class PrintJob : public QObject {
  Q_OBJECT
 public:
  explicit PrintJob(QObject* parent = nullptr);
  // Waits for a running job: the printer it uses may go with the owner.
  ~PrintJob() override;

  // Copies the editor's selection (or the whole script) and starts printing
  // it on the printer. False, and nothing started, while a job runs.
  bool start(const QTextEdit& editor, QPrinter& printer);
  bool running() const { return thread_ != nullptr; }
  // Waits at most ms milliseconds for the running job and delivers its end;
  // true when no job is left running.
  bool wait(int ms);

 Q_SIGNALS:
  // After each page, on the window's thread.
  void progress(int page, int pages);
  // The job ended; error names the printer when it failed.
  void finished(bool ok, const QString& error);

 private:
  void done();

  QThread* thread_ = nullptr;
  // Written by the worker before it ends, read after it has ended.
  bool ok_ = false;
  QString error_;
};

}  // namespace scenova::tools
