#include "platform/file_lock.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace scenova::platform {

namespace {

// Whether fd is still the file at path (not removed or replaced since it
// was opened).
bool stillNamed(int fd, const QByteArray& path) {
  struct stat open {
  }, named{};
  return ::fstat(fd, &open) == 0 && ::lstat(path.constData(), &named) == 0 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// Opens path and takes its lock without waiting; -1 when it does not exist,
// cannot be opened or is locked.
int openLocked(const QByteArray& path) {
  const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

FileLock::Result FileLock::tryLock() {
  if (held()) return Result::Held;
  const QByteArray native = QFile::encodeName(path_);
  // A file removed by a cleaner between the open and the lock is opened again.
  for (int attempt = 0; attempt < 8; ++attempt) {
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return Result::Failed;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int err = errno;
      ::close(fd);
      return err == EWOULDBLOCK ? Result::Busy : Result::Failed;
    }
    if (stillNamed(fd, native)) {
      fd_ = fd;
      return Result::Held;
    }
    ::close(fd);
  }
  return Result::Failed;
}

void FileLock::release(bool removeFile) {
  if (!held()) return;
  if (removeFile) ::unlink(QFile::encodeName(path_).constData());
  ::close(fd_);
  fd_ = -1;
}

bool FileLock::heldElsewhere(const QString& path) {
  const QByteArray native = QFile::encodeName(path);
  const int fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  const bool busy = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return busy;
}

bool FileLock::removeIfUnheld(const QString& path) {
  const QByteArray native = QFile::encodeName(path);
  const int fd = openLocked(native);
  if (fd < 0) return false;
  const bool removed = stillNamed(fd, native) && ::unlink(native.constData()) == 0;
  ::close(fd);
  return removed;
}

}  // namespace scenova::platform
