#include "platform/rtb/script_file_async.h"

#include "platform/rtb/rtf_snapshot.h"
#include "platform/rtb/script_file.h"
#include "platform/safe_write.h"

#include <QEventLoop>
#include <QFont>
#include <QPointer>
#include <QTextDocument>
#include <QThread>

namespace scenova::platform {

namespace {

// Runs work on a new thread and the caller's event loop until it is done.
template <typename F>
void runBesideEventLoop(F&& work) {
  std::unique_ptr<QThread> worker(QThread::create(std::forward<F>(work)));
  QEventLoop loop;
  QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
  worker->start();
  loop.exec();
  worker->wait();
}

// Programs that change the script while it is being copied get this many
// fresh starts before the copy is made in one go.
constexpr int kRestarts = 3;

}  // namespace

std::unique_ptr<QTextDocument> readScriptFileInBackground(const QString& path,
                                                          const QFont& defaultFont,
                                                          QString* error) {
  QThread* const owner = QThread::currentThread();
  const QFont font = defaultFont;
  std::unique_ptr<QTextDocument> result;
  QString reason;
  runBesideEventLoop([&] {
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(font);
    doc->setUndoRedoEnabled(false);
    if (!readScriptFile(path, *doc, &reason)) return;
    removeAbandonedTempFiles(path);  // what killed saves of this script left behind
    doc->moveToThread(owner);
    result = std::move(doc);
  });
  if (!result && error) *error = reason;
  return result;
}

bool writeScriptFileInBackground(const QString& path, const QTextDocument& doc, QString* error,
                                 bool* changedMeanwhile) {
  const QPointer<const QTextDocument> source(&doc);
  RtfSnapshot snapshot;
  QEventLoop loop;
  QByteArray bytes;
  bool copied = false;
  int restarts = 0;
  QObject::connect(&snapshot, &RtfSnapshot::finished, &loop, [&](const QByteArray& rtf) {
    bytes = rtf;
    copied = true;
    loop.quit();
  });
  QObject::connect(&snapshot, &RtfSnapshot::interrupted, &loop, [&] {
    if (!source) {
      loop.quit();
      return;
    }
    snapshot.start(*source);
    if (++restarts >= kRestarts) snapshot.finishNow();
  });
  snapshot.start(doc);
  loop.exec();
  if (!copied || bytes.isEmpty()) {
    if (error) *error = QStringLiteral("the script could not be written as RTF");
    return false;
  }
  bool changed = false;
  QMetaObject::Connection watch = QObject::connect(source.data(), &QTextDocument::contentsChanged,
                                                   &loop, [&changed] { changed = true; });
  bool ok = false;
  QString reason;
  runBesideEventLoop([&] { ok = writeFileAtomically(path, bytes, &reason); });
  QObject::disconnect(watch);
  if (changedMeanwhile) *changedMeanwhile = changed || !source;
  if (!ok && error) *error = reason;
  return ok;
}

}  // namespace scenova::platform
