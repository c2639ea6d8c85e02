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
// is followed to the end of its chain (a.snv -> l2 -> real.snv replaces
// real.snv; every link stays a link). An existing file keeps its permission
// bits.
//
// The temporary file is named ".NAME.scenova-tmp-XXXXXX" beside the file
// the links end at, and locked while the write goes on; a write that was
// killed leaves it unlocked. A successful write removes such leftovers of
// the same file.
bool writeFileAtomically(const QString& path, QByteArrayView bytes, QString* error = nullptr);

// Removes the temporary files that killed writes of path (or, for a folder,
// of any file in it) left behind. The temporary file of a write under way
// in some running process is never touched. Returns how many went.
int removeAbandonedTempFiles(const QString& path);

// Refuses, with a reason in *error, a path that names something other than
// a regular file (for readers: a FIFO or a device would be read without end)
// or a file larger than maxBytes. A path that does not exist passes: opening
// it then reports that.
bool checkReadableRegularFile(const QString& path, qint64 maxBytes, QString* error = nullptr);

}  // namespace scenova::platform
