#include "platform/safe_write.h"

#include "platform/file_lock.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
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

// Longest chain of links followed (as the system's own limit).
constexpr int kMaxLinks = 40;
// What marks the name of a temporary file of a write, before its six
// random characters; the name starts with a dot and the target's name.
constexpr char kTempMark[] = ".scenova-tmp-";
constexpr qsizetype kRandomChars = 6;
// The part of the target's name in the temporary file's (the whole name
// would not fit when it is already near the system's limit of 255 bytes).
constexpr qsizetype kNameBytes = 200;

// The absolute path of the file the chain of symbolic links starting at
// path ends at (path itself when it is no link); empty, with *err, when
// the chain does not end (a loop) or a link cannot be read.
QByteArray finalTarget(const QString& path, int* err) {
  QByteArray p = QFile::encodeName(path);
  if (!p.startsWith('/')) p = QFile::encodeName(QDir::currentPath()) + '/' + p;
  for (int i = 0; i < kMaxLinks; ++i) {
    struct stat st {};
    if (::lstat(p.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
    QByteArray link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(p.constData(), link.data(), static_cast<size_t>(link.size()));
    if (n < 0) {
      *err = errno;
      return {};
    }
    link.truncate(n);
    p = link.startsWith('/') ? link : p.left(p.lastIndexOf('/') + 1) + link;
  }
  *err = ELOOP;
  return {};
}

struct TempName {
  QByteArray folder;  // with a trailing slash
  QByteArray prefix;  // the whole path up to the random characters; empty: any target
};

TempName tempNameFor(const QByteArray& target) {
  const qsizetype cut = target.lastIndexOf('/') + 1;
  TempName t;
  t.folder = target.left(cut);
  t.prefix = t.folder + '.' + target.mid(cut).left(kNameBytes) + kTempMark;
  return t;
}

// Whether name (without folder) is that of a temporary file of t.
bool isTempName(const TempName& t, const QByteArray& name) {
  if (!name.startsWith('.')) return false;
  if (!t.prefix.isEmpty()) {
    const QByteArray full = t.folder + name;
    return full.size() == t.prefix.size() + kRandomChars && full.startsWith(t.prefix);
  }
  const qsizetype mark = name.lastIndexOf(kTempMark);
  return mark > 0 && name.size() == mark + qsizetype(sizeof kTempMark) - 1 + kRandomChars;
}

// Creates a temporary file from prefix and locks it: the lock tells a write
// under way from one that was killed. Sets *path; -1 with errno on failure.
int createLockedTemp(const QByteArray& prefix, QByteArray* path) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    *path = prefix + QByteArray(kRandomChars, 'X');
    const int fd = ::mkostemp(path->data(), O_CLOEXEC);
    if (fd < 0) return -1;
    // A cleaner may have taken the unlocked file for a dead write's and
    // removed it in the instant before the lock: then another name.
    struct stat st {};
    if (::flock(fd, LOCK_EX) != 0 || (::fstat(fd, &st) == 0 && st.st_nlink > 0)) return fd;
    ::close(fd);
  }
  errno = EEXIST;
  return -1;
}

int removeAbandoned(const TempName& t) {
  DIR* dir = ::opendir(t.folder.constData());
  if (!dir) return 0;
  QList<QByteArray> found;
  while (const dirent* e = ::readdir(dir)) {
    if (e->d_type != DT_REG && e->d_type != DT_UNKNOWN) continue;
    const QByteArray name(e->d_name);
    if (isTempName(t, name)) found.append(name);
  }
  ::closedir(dir);
  int removed = 0;
  for (const QByteArray& name : found)
    if (FileLock::removeIfUnheld(QFile::decodeName(t.folder + name))) ++removed;
  return removed;
}

}  // namespace

bool writeFileAtomically(const QString& path, QByteArrayView bytes, QString* error) {
  // Links are followed, so that they stay and the file they end at is
  // replaced (a dangling link's target is created).
  int err = 0;
  const QByteArray native = finalTarget(path, &err);
  if (native.isEmpty()) return fail(error, path, QStringLiteral("write"), err);
  struct stat old {};
  const bool exists = ::stat(native.constData(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) {
    if (error) *error = QStringLiteral("cannot write %1: it is not a regular file").arg(path);
    return false;
  }
  const TempName name = tempNameFor(native);
  QByteArray temp;
  const int fd = createLockedTemp(name.prefix, &temp);
  if (fd < 0) return fail(error, path, QStringLiteral("write"), errno);
  // The temporary file goes while still locked, so that no cleaner sees a
  // dead write's file in it.
  auto abandon = [&](int code) {
    ::unlink(temp.constData());
    ::close(fd);
    return fail(error, path, QStringLiteral("write"), code);
  };
  const mode_t mode = exists ? (old.st_mode & 07777) : mode_t{0666};
  if (!exists) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, mode & ~mask);
  } else {
    ::fchmod(fd, mode);
  }
  if (const int code = writeAll(fd, bytes)) return abandon(code);
  if (::fsync(fd) != 0) return abandon(errno);
  if (::rename(temp.constData(), native.constData()) != 0) return abandon(errno);
  if (::close(fd) != 0) return fail(error, path, QStringLiteral("write"), errno);
  removeAbandoned(name);
  return true;
}

int removeAbandonedTempFiles(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
    TempName all;
    all.folder = QFile::encodeName(path) + '/';
    return removeAbandoned(all);
  }
  int err = 0;
  const QByteArray native = finalTarget(path, &err);
  return native.isEmpty() ? 0 : removeAbandoned(tempNameFor(native));
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
