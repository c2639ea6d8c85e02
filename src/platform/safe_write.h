#pragma once

#include <QByteArrayView>
#include <QString>

namespace scenova::platform {

// Writes a whole file so that a reader sees either the old content or the
// new, never a mixture or an empty file: the bytes go to a temporary file in
// the same folder, which is flushed to disk and then renamed over the
// target. Returns false, with a reason that names the file and the system's
// own error text in *error, when any step fails; the old file is then left
// as it was. A target that exists but is not a regular file (a folder, a
// device, a FIFO, a socket) is refused and never replaced. A symbolic link
// is followed: its target is replaced. An existing file keeps its
// permission bits.
bool writeFileAtomically(const QString& path, QByteArrayView bytes, QString* error = nullptr);

// Refuses, with a reason in *error, a path that names something other than
// a regular file (for readers: a FIFO or a device would be read without end)
// or a file larger than maxBytes. A path that does not exist passes: opening
// it then reports that.
bool checkReadableRegularFile(const QString& path, qint64 maxBytes, QString* error = nullptr);

}  // namespace scenova::platform
