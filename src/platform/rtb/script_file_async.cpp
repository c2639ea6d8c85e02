#include "platform/rtb/script_file_async.h"

#include "platform/rtb/rtf_snapshot.h"
#include "platform/rtb/script_file.h"
#include "platform/safe_write.h"

#include <QEventLoop>
#include <QFont>
#include <QPointer>
#include <QTextDocument>
#include <QThread>
#include <QTimer>

#include <atomic>

namespace scenova::platform {

namespace {

// Runs work on a new thread and the caller's event loop until it is done;
// meanwhile tick runs every kProgressMs.
constexpr int kProgressMs = 250;

template <typename F>
void runBesideEventLoop(F&& work, const std::function<void()>& tick = {}) {
  std::unique_ptr<QThread> worker(QThread::create(std::forward<F>(work)));
  QEventLoop loop;
  QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
  QTimer ticks;
  if (tick) {
    QObject::connect(&ticks, &QTimer::timeout, &loop, tick);
    ticks.start(kProgressMs);
  }
  worker->start();
  loop.exec();
  worker->wait();
}

// Programs that change the script while it is being copied get this many
// fresh starts before the copy is made in one go.
constexpr int kRestarts = 3;

}  // namespace

std::unique_ptr<QTextDocument> readScriptFileInBackground(const QString& path,
                                                          const QFont& defaultFont, QString* error,
                                                          const Progress& progress) {
  QThread* const owner = QThread::currentThread();
  const QFont font = defaultFont;
  std::unique_ptr<QTextDocument> result;
  QString reason;
  std::atomic<int> permille{0};
  std::function<void()> tick;
  if (progress) tick = [&] { progress(permille.load() / 10); };
  runBesideEventLoop(
      [&] {
        auto doc = std::make_unique<QTextDocument>();
        doc->setDefaultFont(font);
        doc->setUndoRedoEnabled(false);
        if (!readScriptFile(path, *doc, &reason, &permille)) return;
        removeAbandonedTempFiles(path);  // what killed saves of this script left behind
        doc->moveToThread(owner);
        result = std::move(doc);
      },
      tick);
  if (!result && error) *error = reason;
  return result;
}

bool writeScriptFileInBackground(const QString& path, const QTextDocument& doc, QString* error,
                                 bool* changedMeanwhile, const Progress& progress) {
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
  // The copy is nine tenths of the work, the write the last tenth.
  QTimer ticks;
  if (progress) {
    QObject::connect(&ticks, &QTimer::timeout, &loop,
                     [&] { progress(snapshot.permille() * 9 / 100); });
    ticks.start(kProgressMs);
  }
  snapshot.start(doc);
  loop.exec();
  ticks.stop();
  if (!copied || bytes.isEmpty()) {
    if (error) *error = QStringLiteral("the script could not be written as RTF");
    return false;
  }
  bool changed = false;
  QMetaObject::Connection watch = QObject::connect(source.data(), &QTextDocument::contentsChanged,
                                                   &loop, [&changed] { changed = true; });
  bool ok = false;
  QString reason;
  if (progress) progress(90);
  runBesideEventLoop([&] { ok = writeFileAtomically(path, bytes, &reason); });
  QObject::disconnect(watch);
  if (changedMeanwhile) *changedMeanwhile = changed || !source;
  if (!ok && error) *error = reason;
  return ok;
}

}  // namespace scenova::platform
