#include "platform/rtb/script_file.h"

#include "platform/rtf/rtf.h"
#include "platform/safe_write.h"

#include <QFile>
#include <QFileInfo>
#include <QTextDocument>

namespace scenova::platform {

namespace {

// The largest script file read: far above any play (a 5 MB script is a
// long one, pictures included), low enough that reading stays quick and
// within memory.
constexpr qint64 kMaxScriptBytes = qint64{128} << 20;

bool fail(QString* error, const QString& reason) {
  if (error) *error = reason;
  return false;
}

}  // namespace

bool readScriptFile(const QString& path, QTextDocument& doc, QString* error) {
  const QFileInfo info(path);
  if (info.isDir()) return fail(error, QStringLiteral("%1 is a folder").arg(path));
  // A FIFO or a device would block or never end.
  QString refused;
  if (!checkReadableRegularFile(path, kMaxScriptBytes, &refused)) return fail(error, refused);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return fail(error, QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
  }
  if (file.size() > kMaxScriptBytes) {
    return fail(error, QStringLiteral("%1 is too large to be a script").arg(path));
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    return fail(error, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
  }
  QString reason;
  if (!rtf::readDocument(bytes, doc, &reason)) {
    return fail(error, QStringLiteral("cannot read %1: %2").arg(path, reason));
  }
  return true;
}

bool writeScriptFile(const QString& path, const QTextDocument& doc, QString* error) {
  const QByteArray bytes = rtf::writeDocument(doc);
  if (bytes.isEmpty()) return fail(error, QStringLiteral("the script could not be written as RTF"));
  return writeFileAtomically(path, bytes, error);
}

}  // namespace scenova::platform
