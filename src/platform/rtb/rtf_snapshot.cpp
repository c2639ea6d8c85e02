#include "platform/rtb/rtf_snapshot.h"

#include "platform/rtf/rtf.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>

namespace scenova::platform {

RtfSnapshot::RtfSnapshot(QObject* parent, int sliceMs) : QObject(parent), sliceMs_(sliceMs) {
  next_.setSingleShot(true);
  next_.setInterval(0);
  connect(&next_, &QTimer::timeout, this, &RtfSnapshot::slice);
}

RtfSnapshot::~RtfSnapshot() = default;

void RtfSnapshot::start(const QTextDocument& doc) {
  writer_ = std::make_unique<rtf::DocumentWriter>(doc);
  slices_ = 0;
  longestNs_ = 0;
  next_.start();
}

void RtfSnapshot::finishNow() {
  next_.stop();
  while (writer_) {
    writer_->step(QDeadlineTimer::Forever);
    slice();  // raises the signal
  }
}

int RtfSnapshot::permille() const {
  return writer_ ? writer_->permille() : 0;
}

void RtfSnapshot::cancel() {
  next_.stop();
  writer_.reset();
}

void RtfSnapshot::slice() {
  if (!writer_) return;
  QElapsedTimer took;
  took.start();
  const bool done = writer_->step(QDeadlineTimer(sliceMs_, Qt::PreciseTimer));
  ++slices_;
  longestNs_ = std::max(longestNs_, took.nsecsElapsed());
  if (writer_->stale()) {
    writer_.reset();
    Q_EMIT interrupted();
    return;
  }
  if (!done) {
    next_.start();
    return;
  }
  const QByteArray rtf = writer_->take();
  writer_.reset();
  Q_EMIT finished(rtf);
}

}  // namespace scenova::platform
