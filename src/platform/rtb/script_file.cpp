#include "platform/rtb/script_file.h"

#include "platform/rtf/rtf.h"
#include "platform/safe_read.h"
#include "platform/safe_write.h"

#include <QTextDocument>

namespace scenova::platform {

namespace {

bool fail(QString* error, const QString& reason) {
  if (error) *error = reason;
  return false;
}

}  // namespace

bool readScriptFile(const QString& path, QTextDocument& doc, QString* error,
                    std::atomic<int>* permille) {
  QByteArray bytes;
  if (!readRegularFile(path, kMaxScriptFileBytes, &bytes, error)) return false;
  QString reason;
  if (!rtf::readDocument(bytes, doc, &reason, permille)) {
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
