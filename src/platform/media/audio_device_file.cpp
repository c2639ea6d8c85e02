#include "audio_device_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace scenova::platform {

namespace {

// Rebuilds an absolute path one name at a time, taking a name that differs
// only in case where the exact one is missing. Empty when nothing matches.
QString findIgnoringCase(const QString& absolute) {
  const QStringList parts = QDir::cleanPath(absolute).split(QLatin1Char('/'), Qt::SkipEmptyParts);
  QString current = QStringLiteral("/");
  for (const QString& part : parts) {
    QDir dir(current);
    QString next = dir.filePath(part);
    if (!QFileInfo::exists(next)) {
      const QStringList entries = dir.entryList(
          QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
      auto match = std::find_if(entries.begin(), entries.end(), [&part](const QString& e) {
        return e.compare(part, Qt::CaseInsensitive) == 0;
      });
      if (match == entries.end()) return {};
      next = dir.filePath(*match);
    }
    current = next;
  }
  return current;
}

}  // namespace

MciError checkAudioFile(const QString& path, QString* resolved) {
  if (path.isEmpty()) return MciError::FileNotFound;
  QFileInfo info(QDir::current().absoluteFilePath(path));
  if (!info.exists()) {
    const QString found = findIgnoringCase(info.absoluteFilePath());
    if (found.isEmpty()) return MciError::FileNotFound;
    info = QFileInfo(found);
  }
  if (info.isDir()) return MciError::IsFolder;
  if (!info.isFile()) return MciError::UnsupportedFormat;  // pipe, socket, device
  QFile probe(info.absoluteFilePath());
  if (!probe.open(QIODevice::ReadOnly)) return MciError::Unreadable;
  if (probe.size() == 0) return MciError::EmptyFile;
  if (resolved) *resolved = info.absoluteFilePath();
  return MciError::None;
}

}  // namespace scenova::platform
