#include "tools/print_job.h"

#include "tools/print_script.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPrinter>
#include <QTextDocument>
#include <QThread>

#include <algorithm>
#include <memory>

namespace scenova::tools {

PrintJob::PrintJob(int stallMs, QObject* parent) : QObject(parent), stallMs_(stallMs) {
  watch_.setInterval(std::clamp(stallMs / 8, 10, 250));
  connect(&watch_, &QTimer::timeout, this, &PrintJob::watch);
}

struct PrintJob::Run {
  // Written by the worker before it ends, read after it has ended.
  bool ok = false;
  QString error;
  PrintSystemWait wait;
};

PrintJob::~PrintJob() {
  if (!thread_) return;
  while (!thread_->wait(QDeadlineTimer(20))) {
    if (run_->wait.waitingMs() < stallMs_) continue;
    disconnect(thread_, nullptr, this, nullptr);
    connect(thread_, &QThread::finished, relay_, &QObject::deleteLater);
    connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
    if (!thread_->isFinished()) return;
    thread_->wait();
    break;
  }
  delete relay_;
  delete thread_;
}

bool PrintJob::start(const QTextEdit& editor, const platform::PrintChoice& choice) {
  if (thread_) return false;
  QTextDocument* doc = printableCopy(editor).release();
  run_ = std::make_shared<Run>();
  relay_ = new QObject;
  thread_ =
      QThread::create([run = run_, relay = relay_, job = QPointer<PrintJob>(this), doc, choice] {
        std::unique_ptr<QPrinter> printer;
        {
          // Setting the printer up reads its page and resolution.
          const PrintSystemWait::Scope asking(&run->wait);
          printer = makePrinter(choice);
        }
        if (!printer) {
          run->error = choice.printer;
          delete doc;
          return;
        }
        run->ok = printDocument(
            *doc, *printer,
            [relay, job](int page, int pages) {
              QMetaObject::invokeMethod(
                  relay,
                  [job, page, pages] {
                    if (job) Q_EMIT job->progress(page, pages);
                  },
                  Qt::QueuedConnection);
            },
            &run->error, &run->wait);
        delete doc;
      });
  doc->moveToThread(thread_);
  connect(thread_, &QThread::finished, this, &PrintJob::done, Qt::QueuedConnection);
  stallSaid_ = false;
  watch_.start();
  thread_->start(QThread::LowPriority);
  return true;
}

void PrintJob::watch() {
  if (stallSaid_ || !run_ || run_->wait.waitingMs() < stallMs_) return;
  stallSaid_ = true;
  Q_EMIT stalled();
}

void PrintJob::done() {
  // A late notice of a job that wait() has already delivered.
  if (!thread_ || !thread_->isFinished()) return;
  thread_->wait();
  // Progress still on its way is delivered before the end.
  QCoreApplication::sendPostedEvents(relay_, QEvent::MetaCall);
  delete relay_;
  relay_ = nullptr;
  delete thread_;
  thread_ = nullptr;
  watch_.stop();
  Q_EMIT finished(run_->ok, run_->error);
}

bool PrintJob::wait(int ms) {
  if (!thread_) return true;
  if (!thread_->wait(QDeadlineTimer(ms))) return false;
  done();
  return true;
}

}  // namespace scenova::tools
