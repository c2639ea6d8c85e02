#pragma once

// A copy of a document as RTF, made on the thread that owns the document in
// slices of a few milliseconds between that thread's other events, so that
// copying a long script never holds the interface for longer than a slice.
// The copy is of one moment: when the document changes (or is replaced or
// destroyed) before the copy is complete, the copy is dropped and
// interrupted() is raised; the owner decides whether to start again.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

class QTextDocument;

namespace scenova::platform {

namespace rtf {
class DocumentWriter;
}

class RtfSnapshot : public QObject {
  Q_OBJECT
 public:
  explicit RtfSnapshot(QObject* parent = nullptr, int sliceMs = 3);
  ~RtfSnapshot() override;

  // Starts a copy of doc (a copy under way is dropped without a signal).
  void start(const QTextDocument& doc);
  // Completes a copy under way at once, however long that takes (tests and
  // the end of the program).
  void finishNow();
  // Drops a copy under way without a signal.
  void cancel();
  bool running() const { return writer_ != nullptr; }
  // How far the copy under way has come, in thousandths of the document.
  int permille() const;
  // Slices run so far and the longest of them (benchmarks).
  int slices() const { return slices_; }
  qint64 longestSliceNs() const { return longestNs_; }

 Q_SIGNALS:
  void finished(const QByteArray& rtf);
  void interrupted();

 private:
  void slice();

  int sliceMs_;
  QTimer next_;
  std::unique_ptr<rtf::DocumentWriter> writer_;
  int slices_ = 0;
  qint64 longestNs_ = 0;
};

}  // namespace scenova::platform
