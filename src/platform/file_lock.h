#pragma once

// A lock that a running process holds on a file (flock) and that ends with
// the process, however it ends: a crash, a kill or a reboot leaves the file
// but never the lock. It tells the files of a program that runs now from
// those a dead one left behind, where a process id cannot (after a reboot
// the same id belongs to some other process).

#include <QString>

#include <utility>

namespace scenova::platform {

class FileLock {
 public:
  enum class Result { Held, Busy, Failed };

  explicit FileLock(QString path) : path_(std::move(path)) {}
  ~FileLock() { release(true); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Creates the file when needed and takes its lock: Busy when a running
  // process (or another FileLock of this one) holds it, Failed when the
  // file cannot be created or opened (a read-only or full folder).
  Result tryLock();
  // Gives the lock back; with removeFile the file goes first (while still
  // held, so that nobody takes a lock on a file about to vanish).
  void release(bool removeFile);
  bool held() const { return fd_ >= 0; }
  const QString& path() const { return path_; }

  // Whether some running process holds the lock on path (false when there
  // is no such file).
  static bool heldElsewhere(const QString& path);
  // Removes path when nobody holds its lock; false when it stays.
  static bool removeIfUnheld(const QString& path);

 private:
  QString path_;
  int fd_ = -1;
};

}  // namespace scenova::platform
