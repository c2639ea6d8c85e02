#include "platform/safe_read.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace scenova::platform {

namespace {

bool refuse(QString* error, const QString& path, const QString& reason) {
  if (error) *error = QStringLiteral("cannot read %1: %2").arg(path, reason);
  return false;
}

QString systemText(int err) {
  return QString::fromLocal8Bit(std::strerror(err));
}

// Closes the descriptor however the read ends.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

QString sizeLimitText(qint64 bytes) {
  if (bytes >= (qint64{1} << 20) && bytes % (qint64{1} << 20) == 0)
    return QStringLiteral("%1 MB").arg(bytes >> 20);
  if (bytes >= 1024 && bytes % 1024 == 0) return QStringLiteral("%1 KB").arg(bytes >> 10);
  return QStringLiteral("%1 bytes").arg(bytes);
}

bool readRegularFile(const QString& path, qint64 maxBytes, QByteArray* bytes, QString* error) {
  // Opening without blocking: a FIFO with no writer would otherwise hold
  // the caller here for ever. Regular files ignore the flag.
  const Descriptor fd(
      ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (fd.get() < 0) {
    const int err = errno;
    if (error) *error = QStringLiteral("cannot open %1: %2").arg(path, systemText(err));
    return false;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return refuse(error, path, systemText(errno));
  if (S_ISDIR(st.st_mode)) return refuse(error, path, QStringLiteral("it is a folder"));
  if (!S_ISREG(st.st_mode)) return refuse(error, path, QStringLiteral("it is not a regular file"));
  const QString tooLarge = QStringLiteral("it is larger than %1").arg(sizeLimitText(maxBytes));
  if (st.st_size > maxBytes) return refuse(error, path, tooLarge);

  QByteArray data;
  data.resize(static_cast<qsizetype>(st.st_size) + 1);  // one more shows growth
  qsizetype got = 0;
  for (;;) {
    if (got == data.size()) {
      if (got > maxBytes) return refuse(error, path, tooLarge);
      data.resize(std::min<qsizetype>(data.size() * 2, static_cast<qsizetype>(maxBytes) + 1));
    }
    const ssize_t n = ::read(fd.get(), data.data() + got, static_cast<size_t>(data.size() - got));
    if (n < 0) {
      if (errno == EINTR) continue;
      return refuse(error, path, systemText(errno));
    }
    if (n == 0) break;
    got += n;
  }
  if (got > maxBytes) return refuse(error, path, tooLarge);
  data.truncate(got);
  if (bytes) *bytes = std::move(data);
  return true;
}

}  // namespace scenova::platform
