#pragma once

// A print that keeps the window alive: what is to be printed is copied at
// once (later edits do not reach the job), then laid out and drawn page by
// page on a worker thread while the window goes on repainting and taking
// input. One job at a time. The worker also sets the printer up and hands
// the job over: a print system that keeps it waiting longer than a time
// limit is reported once per job, while the job goes on waiting for it.

#include "tools/print_script.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QTextEdit;
class QThread;

namespace scenova::tools {

class PrintJob : public QObject {
  Q_OBJECT
 public:
  // stallMs: how long the print system may keep the job waiting.
  explicit PrintJob(int stallMs, QObject* parent = nullptr);
  // Lets a running job finish, unless the print system keeps it waiting
  // past the limit: that one is left to end on its own (it goes out once
  // the print system answers), so that closing never hangs on it.
  ~PrintJob() override;

  // Copies the editor's selection (or the whole script) and starts printing
  // it as chosen. False, and nothing started, while a job runs.
  bool start(const QTextEdit& editor, const platform::PrintChoice& choice);
  bool running() const { return thread_ != nullptr; }
  // Waits at most ms milliseconds for the running job and delivers its end;
  // true when no job is left running.
  bool wait(int ms);

 Q_SIGNALS:
  // After each page, on the window's thread.
  void progress(int page, int pages);
  // The job ended; error names the printer when it failed.
  void finished(bool ok, const QString& error);
  // The print system has kept the running job waiting past the limit.
  void stalled();

 private:
  void done();
  void watch();

  // Shared with the worker, which may outlive the job.
  struct Run;
  std::shared_ptr<Run> run_;
  QThread* thread_ = nullptr;
  // Hands the worker's progress to the window's thread; goes with the
  // worker.
  QObject* relay_ = nullptr;
  QTimer watch_;
  int stallMs_;
  bool stallSaid_ = false;
};

}  // namespace scenova::tools
