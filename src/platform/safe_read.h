#pragma once

#include <QByteArray>
#include <QString>

namespace scenova::platform {

// The largest outside files the program reads. Anything larger is refused
// with a message instead of being read into memory.
// Scripts (RTF or text): far above any play (a 5 MB script is a long one,
// pictures included), low enough that reading stays quick and in memory.
inline constexpr qint64 kMaxScriptFileBytes = qint64{128} << 20;
inline constexpr qint64 kMaxLanguageFileBytes = qint64{1} << 20;  // Lang/*.lng
inline constexpr qint64 kMaxSettingsFileBytes = qint64{1} << 20;  // Scenova.ini

// Reads a whole outside file into *bytes. Refuses, with a one-line reason
// naming the file in *error, what is not a regular file (a folder, a FIFO, a
// device, a socket: it is never opened for reading, so a FIFO does not block
// and /dev/zero is not read without end) and a file larger than maxBytes
// (also one that grows beyond it while being read). A failure to open or
// read carries the system's own error text.
bool readRegularFile(const QString& path, qint64 maxBytes, QByteArray* bytes,
                     QString* error = nullptr);

// "256 MB", "64 KB" or "100 bytes": a size limit as messages give it.
QString sizeLimitText(qint64 bytes);

}  // namespace scenova::platform
