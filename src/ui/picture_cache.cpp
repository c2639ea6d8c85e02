#include "ui/picture_cache.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>

namespace scenova::ui {

PictureCache& PictureCache::instance() {
  static PictureCache* cache = [] {
    // Decoded pictures go with the application, not after it.
    qAddPostRoutine([] { instance().clear(); });
    return new PictureCache;
  }();
  return *cache;
}

QPixmap PictureCache::picture(const QString& path) {
  const auto it = decoded_.constFind(path);
  if (it != decoded_.constEnd()) return *it;
  QPixmap result;
  const QFileInfo info(path);
  if (info.isFile() && info.size() <= kMaxFileBytes) {
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) {
      ++reads_;
      const QByteArray bytes = f.read(kMaxFileBytes + 1);
      QImage image;
      if (bytes.size() <= kMaxFileBytes && image.loadFromData(bytes))
        result = QPixmap::fromImage(image);
    }
  }
  decoded_.insert(path, result);
  return result;
}

QPixmap PictureCache::scaled(const QString& path, QSize devicePixels) {
  const QString key = path + QLatin1Char('@') + QString::number(devicePixels.width()) +
                      QLatin1Char('x') + QString::number(devicePixels.height());
  const auto it = scaled_.constFind(key);
  if (it != scaled_.constEnd()) return *it;
  const QPixmap source = picture(path);
  if (source.isNull() || devicePixels.isEmpty()) return source;
  QPixmap s = source.scaled(devicePixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  scaled_.insert(key, s);
  return s;
}

void PictureCache::preload(const QStringList& paths) {
  for (const QString& p : paths) picture(p);
}

void PictureCache::clear() {
  decoded_.clear();
  scaled_.clear();
}

}  // namespace scenova::ui
