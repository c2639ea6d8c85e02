#include "platform/printer_query.h"

#include <QDateTime>
#include <QPrinterInfo>

#include <mutex>
#include <optional>
#include <thread>

namespace scenova::platform {

// Shared by the window's thread and the asking thread, which may outlive
// the query (it is left to finish or fail on its own).
struct PrinterQuery::Answer {
  std::mutex lock;
  std::optional<QStringList> names;
  QString preferred;
};

PrinterQuery::PrinterQuery(QObject* parent) : QObject(parent) {
  // Often enough that a quick answer is not noticeably delayed, seldom
  // enough to cost nothing while the print system thinks.
  poll_.setInterval(15);
  connect(&poll_, &QTimer::timeout, this, &PrinterQuery::look);
}

PrinterQuery::~PrinterQuery() = default;

bool PrinterQuery::ask(int ms) {
  if (pending()) return false;
  if (answer_) {
    const std::lock_guard<std::mutex> hold(answer_->lock);
    if (!answer_->names) return false;  // the last question still hangs
  }
  answer_ = std::make_shared<Answer>();
  std::thread([answer = answer_] {
    // Each thread has its own connection to the print system.
    QStringList names = QPrinterInfo::availablePrinterNames();
    QString preferred = QPrinterInfo::defaultPrinterName();
    const std::lock_guard<std::mutex> hold(answer->lock);
    answer->preferred = std::move(preferred);
    answer->names = std::move(names);
  }).detach();
  deadline_ = QDateTime::currentMSecsSinceEpoch() + ms;
  poll_.start();
  return true;
}

void PrinterQuery::look() {
  std::optional<QStringList> names;
  QString preferred;
  {
    const std::lock_guard<std::mutex> hold(answer_->lock);
    names = answer_->names;
    preferred = answer_->preferred;
  }
  if (names) {
    poll_.stop();
    Q_EMIT answered(*names, preferred);
  } else if (QDateTime::currentMSecsSinceEpoch() >= deadline_) {
    poll_.stop();
    Q_EMIT unanswered();
  }
}

}  // namespace scenova::platform
