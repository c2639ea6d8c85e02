#pragma once

// Pictures shipped with the program, decoded once per process. The hover
// look of the transport buttons swaps pictures on pointer moves; with the
// cache a swap copies a decoded image instead of reading and decoding a file
// in the middle of a show.

#include <QHash>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace scenova::ui {

class PictureCache {
 public:
  // Largest picture file read (bytes): the shipped ones are a few kB.
  static constexpr qint64 kMaxFileBytes = 8 * 1024 * 1024;

  // The process-wide cache used by Control::setPicture.
  static PictureCache& instance();

  // The decoded picture; a null pixmap when the file is missing, not a
  // regular file, too large or not a picture. Either answer is remembered:
  // the file is read at most once.
  QPixmap picture(const QString& path);

  // The picture scaled to fit the size (device pixels), kept per size.
  QPixmap scaled(const QString& path, QSize devicePixels);

  // Reads the files now (start-up), so the first hover reads nothing.
  void preload(const QStringList& paths);

  // How many files were read since the process started (for tests and
  // benchmarks).
  int fileReads() const { return reads_; }

  // Forgets everything (tests that change the files on disk).
  void clear();

 private:
  QHash<QString, QPixmap> decoded_;
  QHash<QString, QPixmap> scaled_;
  int reads_ = 0;
};

}  // namespace scenova::ui
