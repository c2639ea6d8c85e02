#include "tools/print_job.h"

#include "tools/print_script.h"

#include <QCoreApplication>
#include <QPrinter>
#include <QTextDocument>
#include <QThread>

namespace scenova::tools {

PrintJob::PrintJob(QObject* parent) : QObject(parent) {}

PrintJob::~PrintJob() {
  if (!thread_) return;
  thread_->wait();
  delete thread_;
}

bool PrintJob::start(const QTextEdit& editor, QPrinter& printer) {
  if (thread_) return false;
  QTextDocument* doc = printableCopy(editor).release();
  QPrinter* target = &printer;
  thread_ = QThread::create([this, doc, target] {
    QString error;
    ok_ = printDocument(
        *doc, *target,
        [this](int page, int pages) {
          QMetaObject::invokeMethod(
              this, [this, page, pages] { Q_EMIT progress(page, pages); }, Qt::QueuedConnection);
        },
        &error);
    error_ = error;
    delete doc;
  });
  doc->moveToThread(thread_);
  connect(thread_, &QThread::finished, this, &PrintJob::done, Qt::QueuedConnection);
  thread_->start(QThread::LowPriority);
  return true;
}

void PrintJob::done() {
  // A late notice of a job that wait() has already delivered.
  if (!thread_ || !thread_->isFinished()) return;
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  Q_EMIT finished(ok_, error_);
}

bool PrintJob::wait(int ms) {
  if (!thread_) return true;
  if (!thread_->wait(QDeadlineTimer(ms))) return false;
  // The pages' progress first, then the end, in their order.
  QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
  done();
  return true;
}

}  // namespace scenova::tools
