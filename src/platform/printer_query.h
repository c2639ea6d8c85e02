#pragma once

// Asking the print system which printers it has without ever holding the
// window: a stalled print server keeps its callers for a minute or more
// (the print support waits up to 60 s for each answer). The question runs
// on a thread of its own; the window's thread only looks for the answer
// now and then and gives up after a time limit.

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>

namespace scenova::platform {

class PrinterQuery : public QObject {
  Q_OBJECT
 public:
  explicit PrinterQuery(QObject* parent = nullptr);
  ~PrinterQuery() override;

  // Starts a question, answered by answered() or unanswered() at most ms
  // milliseconds later, on this object's thread. False, and nothing
  // started, while a question is pending or while the last unanswered one
  // still hangs in the print system (asking again would only pile up
  // threads that wait for it).
  bool ask(int ms);
  bool pending() const { return poll_.isActive(); }

 Q_SIGNALS:
  // The installed printers, in the print system's order, and the one the
  // print system prints on when none is named (empty when it has none).
  void answered(const QStringList& names, const QString& preferred);
  // The print system did not answer within the time limit.
  void unanswered();

 private:
  struct Answer;
  void look();

  std::shared_ptr<Answer> answer_;
  QTimer poll_;
  qint64 deadline_ = 0;
};

}  // namespace scenova::platform
