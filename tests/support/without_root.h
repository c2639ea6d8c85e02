#pragma once

// Root reads and writes every file whatever its permissions, and the test
// command runs as root (as CI does). Tests of a folder that cannot be
// written or a file that cannot be read use these instead of permission
// bits alone, so that they run the same as root and as anyone else.

#include <QFile>
#include <QString>

#include <sys/fsuid.h>
#include <sys/mount.h>
#include <unistd.h>

namespace scenova::test {

// Makes an existing folder read-only while it lives: for root, a read-only
// bind mount of the folder onto itself (the file system then refuses every
// write, as on a read-only medium); for anyone else, its permission bits.
// ok() says whether it worked.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const QString& path) : path_(QFile::encodeName(path)) {
    if (::geteuid() == 0) {
      mounted_ = ::mount(path_.constData(), path_.constData(), nullptr, MS_BIND, nullptr) == 0;
      ok_ = mounted_ && ::mount(nullptr, path_.constData(), nullptr,
                                MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    } else {
      ok_ = QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
    }
  }
  ~ReadOnlyFolder() {
    if (mounted_)
      ::umount2(path_.constData(), MNT_DETACH);
    else if (ok_)
      QFile::setPermissions(QFile::decodeName(path_),
                            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

  bool ok() const { return ok_; }

 private:
  QByteArray path_;
  bool mounted_ = false;
  bool ok_ = false;
};

// While it lives, the calling thread's file access is checked as an ordinary
// user's (user and group "nobody", through the file-system ids, which leave
// everything else about the process as it is), so a file without read
// permission cannot be opened, not even by root. Every folder on the way to
// such a file must let others through (x for others).
class FileChecksAsOrdinaryUser {
 public:
  FileChecksAsOrdinaryUser() : root_(::geteuid() == 0) {
    if (root_) {
      ::setfsgid(kNobody);
      ::setfsuid(kNobody);
    }
  }
  ~FileChecksAsOrdinaryUser() {
    if (root_) {
      ::setfsuid(0);
      ::setfsgid(0);
    }
  }
  FileChecksAsOrdinaryUser(const FileChecksAsOrdinaryUser&) = delete;
  FileChecksAsOrdinaryUser& operator=(const FileChecksAsOrdinaryUser&) = delete;

 private:
  static constexpr unsigned kNobody = 65534;
  bool root_;
};

}  // namespace scenova::test
