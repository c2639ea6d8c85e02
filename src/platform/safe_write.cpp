#include "platform/safe_write.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace scenova::platform {

namespace {

bool fail(QString* error, const QString& path, const QString& what, int err) {
  if (error) {
    *error = QStringLiteral("cannot %1 %2: %3")
                 .arg(what, path, QString::fromLocal8Bit(std::strerror(err)));
  }
  return false;
}

// Writes all bytes, retrying short writes and interrupted calls.
int writeAll(int fd, QByteArrayView bytes) {
  const char* p = bytes.data();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += n;
    left -= n;
  }
  return 0;
}

}  // namespace

bool writeFileAtomically(const QString& path, QByteArrayView bytes, QString* error) {
  // A link is followed, so that the link itself stays and its target is
  // replaced (a dangling link's target is created).
  const QFileInfo info(path);
  const QString target = info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
  const QByteArray native = QFile::encodeName(target);
  struct stat old {};
  const bool exists = ::stat(native.constData(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) {
    if (error) *error = QStringLiteral("cannot write %1: it is not a regular file").arg(path);
    return false;
  }
  QByteArray temp = native + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return fail(error, path, QStringLiteral("write"), errno);
  auto abandon = [&](int err) {
    ::close(fd);
    ::unlink(temp.constData());
    return fail(error, path, QStringLiteral("write"), err);
  };
  const mode_t mode = exists ? (old.st_mode & 07777) : mode_t{0666};
  if (!exists) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, mode & ~mask);
  } else {
    ::fchmod(fd, mode);
  }
  if (const int err = writeAll(fd, bytes)) return abandon(err);
  if (::fsync(fd) != 0) return abandon(errno);
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(temp.constData());
    return fail(error, path, QStringLiteral("write"), err);
  }
  if (::rename(temp.constData(), native.constData()) != 0) {
    const int err = errno;
    ::unlink(temp.constData());
    return fail(error, path, QStringLiteral("write"), err);
  }
  return true;
}

bool checkReadableRegularFile(const QString& path, qint64 maxBytes, QString* error) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return true;
  if (S_ISDIR(st.st_mode)) {
    if (error) *error = QStringLiteral("cannot read %1: it is a folder").arg(path);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    if (error) *error = QStringLiteral("cannot read %1: it is not a regular file").arg(path);
    return false;
  }
  if (st.st_size > maxBytes) {
    if (error) {
      *error = QStringLiteral("cannot read %1: it is larger than %2 MB")
                   .arg(path)
                   .arg(maxBytes / (1024 * 1024));
    }
    return false;
  }
  return true;
}

}  // namespace scenova::platform
