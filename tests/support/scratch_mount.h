#pragma once

// A tiny tmpfs for tests of full and read-only file systems. Mounting needs
// root (or CAP_SYS_ADMIN); ok() says whether it worked, so that tests can
// skip otherwise.

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <sys/mount.h>

namespace scenova::test {

class ScratchMount {
 public:
  explicit ScratchMount(int kilobytes) {
    const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
    ok_ = dir_.isValid() && ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0,
                                    options.constData()) == 0;
  }
  ~ScratchMount() {
    if (ok_) ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
  }
  ScratchMount(const ScratchMount&) = delete;
  ScratchMount& operator=(const ScratchMount&) = delete;

  bool ok() const { return ok_; }
  QString path() const { return dir_.path(); }

  bool remountReadOnly() {
    return ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs",
                   MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }
  // Fills the file system to the last byte.
  bool fill() {
    QFile f(path() + QStringLiteral("/filler"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
    const QByteArray block(1024, 'f');
    while (f.write(block) > 0) {
    }
    while (f.write(block.left(1)) > 0) {
    }
    return true;
  }

 private:
  QTemporaryDir dir_;
  bool ok_ = false;
};

}  // namespace scenova::test
